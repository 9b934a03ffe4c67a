// Keeps the whole site in the browser's cache after the first visit, so the
// game starts with no network. A new build has a new version: its files are
// fetched once, and the old cache goes when the new one is complete.
'use strict';
var VERSION = '@VERSION@';
var FILES = @FILES@;
var CACHE = 'pokomaru-jigsaw-' + VERSION;

self.addEventListener('install', function (event) {
  event.waitUntil(
    caches.open(CACHE).then(function (cache) {
      return cache.addAll(FILES.map(function (f) { return new Request(f, { cache: 'reload' }); }));
    }).then(function () { return self.skipWaiting(); })
  );
});

self.addEventListener('activate', function (event) {
  event.waitUntil(
    caches.keys().then(function (names) {
      return Promise.all(names.filter(function (n) {
        return n.indexOf('pokomaru-jigsaw-') === 0 && n !== CACHE;
      }).map(function (n) { return caches.delete(n); }));
    }).then(function () { return self.clients.claim(); })
  );
});

// The site's own files come from the cache; anything else from the network.
self.addEventListener('fetch', function (event) {
  if (event.request.method !== 'GET') return;
  var url = new URL(event.request.url);
  if (url.origin !== self.location.origin) return;
  event.respondWith(
    caches.open(CACHE).then(function (cache) {
      return cache.match(event.request, { ignoreSearch: true }).then(function (hit) {
        return hit || fetch(event.request);
      });
    })
  );
});
