// Keeps the demonstration working without a network. On install it fetches every file
// of this build into a cache named for the build; only a complete set is kept, so a
// failed fetch leaves the previous build's cache (or none) in charge. Once active it
// deletes every other build's cache and answers the page's requests from its own,
// going to the network only for what the build does not hold.
//
// The build writes the two placeholders below (stamp_service_worker.mjs): the build's
// version, a hash of all its files, and the list of those files.
'use strict';

var VERSION = '@BUILD_VERSION@';
var FILES = @SITE_FILES@;
var PREFIX = 'morvane-';
var CACHE = PREFIX + VERSION;

self.addEventListener('install', function(event) {
  event.waitUntil(caches.open(CACHE).then(function(cache) {
    // Straight from the network, past any HTTP cache that may hold another build's file.
    var requests = FILES.map(function(file) { return new Request(file, {cache: 'reload'}); });
    return cache.addAll(requests).catch(function(error) {
      return caches.delete(CACHE).then(function() { throw error; });
    });
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
