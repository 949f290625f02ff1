// The page's files, kept for use without the network under a name that carries their version:
// once visited, the page opens and builds from them. A newer version served is another file
// list and name, which the browser installs in place of this one.
const version = '@PAGE_VERSION@';
const files = @PAGE_FILES@;
const keptAs = 'splashpack-' + version;

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(keptAs)
                      .then((kept) => kept.addAll(files.map((file) => new Request(file, {cache: 'reload'}))))
                      .then(() => self.skipWaiting()));
});

// Only this version's files are kept; the page is told of the change (controllerchange).
self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
                      .then((names) => Promise.all(names.filter((name) => name.startsWith('splashpack-') && name !== keptAs)
                                                       .map((name) => caches.delete(name))))
                      .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  const url = new URL(event.request.url);
  if (event.request.method !== 'GET' || url.origin !== self.location.origin)
    return;
  event.respondWith(caches.open(keptAs)
                        .then((kept) => kept.match(event.request, {ignoreSearch: true}))
                        .then((hit) => hit || fetch(event.request)));
});
