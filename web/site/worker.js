// The planner's worker: loads the WebAssembly core and answers the page's requests, so a long
// search never freezes the page. Messages in: {type: "plan", id, request}. Messages out:
// {type: "ready", catalog}, {type: "line", id, line} now and then while a plan runs (the
// console's latest line, for the progress display), and {type: "result", id, response, workerMs}
// (the time the core took, for the status line).
/* global createOstrel */
importScripts("ostrel_web.js");

const LINE_INTERVAL_MS = 100;  // at most ten progress messages a second
let planning = null;           // the id of the request being planned
let lastLinePosted = 0;

function onConsoleLine(line) {
  const now = performance.now();
  if (planning === null || now - lastLinePosted < LINE_INTERVAL_MS) return;
  lastLinePosted = now;
  postMessage({ type: "line", id: planning, line });
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

const ready = createOstrel({ onConsoleLine }).then((core) => {
  postMessage({ type: "ready", catalog: JSON.parse(callForText(core, "ostrel_catalog")) });
  return core;
});

onmessage = async (event) => {
  const { type, id, request } = event.data;
  if (type !== "plan") return;
  const core = await ready;
  planning = id;
  const began = performance.now();
  lastLinePosted = began;
  const response = JSON.parse(callForText(core, "ostrel_plan", JSON.stringify(request)));
  planning = null;
  postMessage({ type: "result", id, response, workerMs: performance.now() - began });
};
