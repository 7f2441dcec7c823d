// The whole site, kept when the worker installs, so that the game starts and
// plays without a network after one visit. The build writes in its files
// and a version made from their contents: a new build is a new worker,
// which keeps the new files and throws the old ones away.
'use strict';
var kept = 'tavikoro-@SITE_VERSION@';
var files = ['./'].concat('@SITE_FILES@'.split(' '));

self.addEventListener('install', function(e) {
  e.waitUntil(caches.open(kept).then(function(cache) {
    // Asked again of the server, which may answer "not modified" for what
    // the page has just fetched, and must send what a new build changed.
    return cache.addAll(files.map(function(file) { return new Request(file, { cache: 'no-cache' }); }));
  }).then(function() { return self.skipWaiting(); }));
});

self.addEventListener('activate', function(e) {
  e.waitUntil(caches.keys().then(function(names) {
    return Promise.all(names.filter(function(name) { return name != kept; }).map(function(name) {
      return caches.delete(name);
    }));
  }).then(function() { return self.clients.claim(); }));
});

// What is kept is served from here; anything else from the network.
self.addEventListener('fetch', function(e) {
  if (e.request.method != 'GET') return;
  e.respondWith(caches.open(kept).then(function(cache) {
    return cache.match(e.request, { ignoreSearch: true });
  }).then(function(found) { return found || fetch(e.request); }));
});
