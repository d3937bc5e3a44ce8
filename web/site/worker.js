// The planner's worker: loads the WebAssembly core and answers the page's requests, so a long
// search never freezes the page. In a cross-origin isolated page it loads the planner built with
// threads, whose goal searches run here and on a second thread of their own (the plans are the
// same); elsewhere shared memory is not to be had, and it loads the one-thread planner. Messages
// in: {type: "plan" | "replay" | "forms" | "tradeoffs", id, request} ("replay": a plan's runs fed
// without a search). Messages out: {type: "ready",
// catalog}; now and then while a request runs, {type: "line", id, line} (the console's latest
// line) and {type: "progress", id, tried, feedings, meseta} (the goal search's feedings searched
// and its best plan so far, -1 while there is none); and at its end {type: "result", id,
// response, workerMs} (the time the core took, for the status line; the response says the
// threads).
/* global createOstrel */
// The threads' own workers load the planner's script by this name too.
const PLANNER = self.crossOriginIsolated ? "ostrel_web_threads.js" : "ostrel_web.js";
importScripts(PLANNER);

// Progress is posted no more often than the page's status line redraws it.
const POST_INTERVAL_MS = 100;
const ENTRIES = {
  plan: "ostrel_plan", replay: "ostrel_replay", forms: "ostrel_forms", tradeoffs: "ostrel_tradeoffs",
};
let planning = null;           // the id of the request being answered
let lastLinePosted = 0;
let lastProgressPosted = 0;

function onConsoleLine(line) {
  const now = performance.now();
  if (planning === null || now - lastLinePosted < POST_INTERVAL_MS) return;
  lastLinePosted = now;
  postMessage({ type: "line", id: planning, line });
}

// Called once a layer of a goal search, far more often than the page can show.
function onSearchProgress(tried, feedings, meseta) {
  const now = performance.now();
  if (planning === null || now - lastProgressPosted < POST_INTERVAL_MS) return;
  lastProgressPosted = now;
  postMessage({ type: "progress", id: planning, tried, feedings, meseta });
}

// Calls an entry that returns a string from malloc, and frees it.
function callForText(core, name, request) {
  const pointer = request === undefined
    ? core.ccall(name, "number", [], [])
    : core.ccall(name, "number", ["string"], [request]);
  const text = core.UTF8ToString(pointer);
  core._free(pointer);
  return text;
}

const ready = createOstrel({ onConsoleLine, onSearchProgress, mainScriptUrlOrBlob: PLANNER })
  .then((core) => {
    postMessage({ type: "ready", catalog: JSON.parse(callForText(core, "ostrel_catalog")) });
    return core;
  });

onmessage = async (event) => {
  const { type, id, request } = event.data;
  if (!(type in ENTRIES)) return;
  const core = await ready;
  planning = id;
  const began = performance.now();
  lastLinePosted = lastProgressPosted = began;
  const response = JSON.parse(callForText(core, ENTRIES[type], JSON.stringify(request)));
  planning = null;
  postMessage({ type: "result", id, response, workerMs: performance.now() - began });
};
