// Keeps the demonstration working without a network. On install it fetches every file
// of this build and keeps them, in a cache named for the build, only when all of them
// came and together they are this build (their hash is the build's version): a failed
// fetch, or a server that was given a newer build halfway, leaves the previous build's
// cache (or none) in charge. Once active it deletes every other build's cache and
// answers the page's requests from its own, going to the network only for what the
// build does not hold.
//
// The languages other than English come in files of their own, lang/<tag>.<hash>.bin,
// fetched only when chosen: each that the page fetches is kept with the build, and a
// newer build fetches, on install, its own file of every language that an earlier build
// kept, so that a language once opened keeps working offline.
//
// The build writes the placeholders below (stamp_service_worker.mjs): the build's
// version, a hash of all its files, the list of those files and the list of its
// language files.
'use strict';

var VERSION = '@BUILD_VERSION@';
var FILES = @SITE_FILES@;
var LANGUAGE_FILES = @LANGUAGE_FILES@;
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

// A language file's tag, from its name.
function languageOf(file) {
  var name = /(?:^|\/)lang\/([A-Za-z_]+)\.[0-9a-f]+\.bin$/.exec(file);
  return name ? name[1] : null;
}

// A file of the site, named as FILES and LANGUAGE_FILES name them, from its address.
function siteFile(url) {
  var scope = new URL(self.registration.scope).pathname, path = new URL(url).pathname;
  return path.indexOf(scope) === 0 ? path.slice(scope.length) : null;
}

function hex(digest) {
  return Array.from(new Uint8Array(digest), function(b) { return (b < 16 ? '0' : '') + b.toString(16); }).join('');
}

// This build's file of every language that another build's cache holds, fetched and
// checked against the hash in its name.
function fetchKeptLanguages() {
  return caches.keys().then(function(names) {
    return Promise.all(names.filter(function(name) { return name.indexOf(PREFIX) === 0 && name !== CACHE; })
      .map(function(name) {
        return caches.open(name).then(function(cache) { return cache.keys(); }).then(function(requests) {
          return requests.map(function(r) { return languageOf(new URL(r.url).pathname); });
        });
      }));
  }).then(function(lists) {
    var kept = [].concat.apply([], lists);
    return Promise.all(LANGUAGE_FILES.filter(function(file) { return kept.indexOf(languageOf(file)) >= 0; })
      .map(function(file) {
        return fetch(new Request(file, {cache: 'no-cache'})).then(function(response) {
          if (!response.ok) throw new Error(file + ': HTTP ' + response.status);
          return response.arrayBuffer().then(function(body) {
            return crypto.subtle.digest('SHA-256', body).then(function(digest) {
              if (file.indexOf('.' + hex(digest).slice(0, 12) + '.bin') < 0) throw new Error(file + ' is not the file its name says');
              return {file: file, body: body, status: response.status, headers: response.headers};
            });
          });
        });
      }));
  });
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
  return crypto.subtle.digest('SHA-256', all).then(function(digest) { return hex(digest).slice(0, 16); });
}

self.addEventListener('install', function(event) {
  event.waitUntil(fetchAll().then(function(fetched) {
    return versionOf(fetched).then(function(version) {
      if (version !== VERSION) throw new Error('the files served are not build ' + VERSION + ' but ' + version);
      return fetchKeptLanguages();
    }).then(function(languages) {
      return caches.open(CACHE).then(function(cache) {
        return Promise.all(fetched.concat(languages).map(function(f) {
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
  // A language file of this build that the page fetches is kept from then on.
  var language = LANGUAGE_FILES.indexOf(siteFile(request.url)) >= 0;
  event.respondWith(caches.open(CACHE).then(function(cache) {
    return cache.match(key, {ignoreSearch: true}).then(function(cached) {
      if (cached || !language) return cached || fetch(request);
      return fetch(request).then(function(response) {
        if (!response.ok) return response;
        return cache.put(request, response.clone()).then(function() { return response; });
      });
    });
  }));
});
