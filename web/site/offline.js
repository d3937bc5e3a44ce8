// Keeps the page at hand offline: registers the service worker (service-worker.js) that keeps the
// page's files, and when a new release has been fetched beside the one running, offers to switch
// to it. The switch waits for the player: under a page that is open, a new planner could meet the
// old scripts.
const $ = (id) => document.getElementById(id);

function offerRelease(registration) {
  const { waiting } = registration;
  // With no worker in charge yet this is the first release: nothing runs that it replaces.
  if (!waiting || !navigator.serviceWorker.controller) return;
  $("new-release").hidden = false;
  $("new-release-button").onclick = () => waiting.postMessage({ type: "take-over" });
}

export function keepOffline() {
  // Service workers need a secure context: https, or this machine (localhost, 127.0.0.1).
  if (!("serviceWorker" in navigator)) return;
  const inCharge = navigator.serviceWorker.controller !== null;
  navigator.serviceWorker.addEventListener("controllerchange", () => {
    if (inCharge) location.reload();  // the new release took over: its files replace these
  });
  navigator.serviceWorker.register("service-worker.js").then((registration) => {
    offerRelease(registration);
    registration.addEventListener("updatefound", () => {
      const installing = registration.installing;
      installing.addEventListener("statechange", () => {
        if (installing.state === "installed") offerRelease(registration);
      });
    });
  }).catch((error) => console.warn(`The page will not open offline: ${error.message}`));
}
