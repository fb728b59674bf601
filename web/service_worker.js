// Keeps the demonstration working without a network. On install it fetches every file
// of this build and keeps them, in a cache named for the build, only when all of them
// came and together they are this build (their hash is the build's version): a failed
// fetch, or a server that was given a newer build halfway, leaves the previous build's
// cache (or none) in charge. Once active it deletes every other build's cache and
// answers the page's requests from its own, going to the network only for what the
// build does not hold.
//
// The build writes the two placeholders below (stamp_service_worker.mjs): the build's
// version, a hash of all its files, and the list of those files.
'use strict';

var VERSION = '@BUILD_VERSION@';
var FILES = @SITE_FILES@;
var PREFIX = 'morvane-';
var CACHE = PREFIX + VERSION;

// Every file, checked with the server (an unchanged file comes from the HTTP cache).
function fetchAll() {
  return Promise.all(FILES.map(function(file) {
    return fetch(new Request(file, {cache: 'no-cache'})).then(function(response) {
      if (!response.ok) throw new Error(file + ': HTTP ' + response.status);
      return response.arrayBuffer().then(function(body) {
        return {file: file, body: body, status: response.status, headers: response.headers};
      });
    });
  }));
}

// The same hash as the build's: each name, a zero byte, the contents, a zero byte.
function versionOf(fetched) {
  var text = new TextEncoder();
  var parts = [];
  fetched.forEach(function(f) {
    parts.push(text.encode(f.file + '\0'), new Uint8Array(f.body), text.encode('\0'));
  });
  var all = new Uint8Array(parts.reduce(function(n, p) { return n + p.length; }, 0));
  parts.reduce(function(at, p) { all.set(p, at); return at + p.length; }, 0);
  return crypto.subtle.digest('SHA-256', all).then(function(digest) {
    return Array.from(new Uint8Array(digest), function(b) { return (b < 16 ? '0' : '') + b.toString(16); })
      .join('').slice(0, 16);
  });
}

self.addEventListener('install', function(event) {
  event.waitUntil(fetchAll().then(function(fetched) {
    return versionOf(fetched).then(function(version) {
      if (version !== VERSION) throw new Error('the files served are not build ' + VERSION + ' but ' + version);
      return caches.open(CACHE).then(function(cache) {
        return Promise.all(fetched.map(function(f) {
          return cache.put(f.file, new Response(f.body, {status: f.status, headers: f.headers}));
        }));
      });
    });
  }).catch(function(error) {
    return caches.delete(CACHE).then(function() { throw error; });
  }));
});

self.addEventListener('activate', function(event) {
  event.waitUntil(caches.keys().then(function(names) {
    return Promise.all(names.filter(function(name) {
      return name.indexOf(PREFIX) === 0 && name !== CACHE;
    }).map(function(name) { return caches.delete(name); }));
  }).then(function() { return self.clients.claim(); }));
});

// A page that has loaded everything it needs lets a newly installed build take over
// at once; the page keeps running what it loaded, and its next load is the new build.
self.addEventListener('message', function(event) {
  if (event.data === 'take-over') self.skipWaiting();
});

self.addEventListener('fetch', function(event) {
  var request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  // The page's own address (the folder) is its index.html.
  var key = request.mode === 'navigate' && /\/$/.test(new URL(request.url).pathname) ? 'index.html' : request;
  event.respondWith(caches.open(CACHE).then(function(cache) {
    return cache.match(key, {ignoreSearch: true});
  }).then(function(cached) {
    return cached || fetch(request);
  }));
});
