// The page's service worker: keeps the page, its scripts, the planner's WebAssembly and the chart
// library in a cache of their release, so that the page opens and plans offline. The build writes
// the release (a hash of the files) and the list of the files in place of the two marks below: a
// new build is a new release in a new cache, and the caches of older releases are deleted when it
// takes over: once every tab of the page is closed, or when the player accepts it.
const RELEASE = "@OSTREL_SITE_RELEASE@";
const FILES = "@OSTREL_SITE_FILES@".split(" ");
const CACHE = `ostrel-${RELEASE}`;

self.addEventListener("install", (event) => {
  // Past the browser's HTTP cache: the files of this release, not whatever it kept of the last.
  const requests = ["./", ...FILES].map((file) => new Request(file, { cache: "reload" }));
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(requests)));
});

self.addEventListener("activate", (event) => {
  event.waitUntil(caches.keys().then((names) => Promise.all(names
    .filter((name) => name.startsWith("ostrel-") && name !== CACHE)
    .map((name) => caches.delete(name)))));
});

self.addEventListener("message", (event) => {
  if (event.data?.type === "take-over") self.skipWaiting();
});

// The page's own files from the cache, anything else from the network. The page's address with a
// request in its query is the page itself.
self.addEventListener("fetch", (event) => {
  const { request } = event;
  if (request.method !== "GET" || new URL(request.url).origin !== self.location.origin) return;
  const ignoreSearch = request.mode === "navigate";
  event.respondWith(caches.open(CACHE)
    .then((cache) => cache.match(request, { ignoreSearch }))
    .then((kept) => kept ?? fetch(request)));
});
