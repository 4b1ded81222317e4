// The route maker's service worker, for the page installed from a static
// host: it keeps the page, its manifest and its icons, and answers from
// what it keeps first, so the page opens and converts with no connection.
// The build names the cache after the hash of what it keeps; a new build
// is a new worker, which the browser fetches on the next visit with a
// connection: it keeps the new files, takes over and drops the old ones,
// so the visit after that opens the new page.
'use strict';
const cacheName = 'route-maker-VERSION';
const kept = ['index.html', 'manifest.webmanifest', 'icon-192.png', 'icon-512.png', 'apple-touch-icon.png'];

self.addEventListener('install', (event) => {
    event.waitUntil(caches.open(cacheName)
        .then((cache) => cache.addAll(kept.map((name) => new Request(name, {cache: 'reload'}))))
        .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
    event.waitUntil(caches.keys()
        .then((names) => Promise.all(names.filter((name) => name.startsWith('route-maker-') && name !== cacheName)
                                          .map((name) => caches.delete(name))))
        .then(() => self.clients.claim()));
});

// Any visit to the folder opens the kept page; the manifest and icons come
// from the cache; anything else goes to the network as it would.
self.addEventListener('fetch', (event) => {
    const request = event.request;
    if (request.method !== 'GET') return;
    const wanted = request.mode === 'navigate' ? 'index.html' : request;
    event.respondWith(caches.open(cacheName)
        .then((cache) => cache.match(wanted, {ignoreSearch: true}))
        .then((answer) => answer || fetch(request)));
});
