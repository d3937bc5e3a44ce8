// What the page says about the planner's work: the status line, which tells how a long request
// goes while it runs, its timings kept on the line's data for the page's tests, and the buttons
// that start and stop requests.
const $ = (id) => document.getElementById(id);

// A request that answers at once would only flicker its progress.
const SHOW_PROGRESS_AFTER_MS = 500;
// What the status line says while each kind of request runs.
const RUNNING = {
  plan: "Searching", replay: "Opening the plan", forms: "Listing the final forms",
  tradeoffs: "Weighing feedings against meseta",
};

let ticker = null;  // redraws the progress of the request running

const number = (value) => value.toLocaleString("en");

export function setStatus(text) { $("status").textContent = text; }

// Keeps timings on the status line for the page's tests: `ms` (the plan shown), `workerMs`,
// `threads`, `formsMs` and `tradeoffMs`, as strings.
export function noteTimes(times) { Object.assign($("status").dataset, times); }

// The status line of a request asked for, before it runs.
export function showAsked(kind) { setStatus(`${RUNNING[kind]}…`); }

// "412 ms, of which the planner 398 ms on two threads": an answer's timings for the status line.
export function timingText(ms, workerMs, response) {
  // The planner with threads runs where the page is cross-origin isolated (worker.js).
  const threads = response.threads === 2 ? " on two threads" : "";
  return `${Math.round(ms)} ms, of which the planner ${Math.round(workerMs)} ms${threads}`;
}

// The status line of a long request: how long it has run, and the goal search's feedings searched
// and best plan so far (none past a budget), or the console's latest line for the first plan found.
function progressText({ kind, progress, line }, elapsed) {
  let text = `${RUNNING[kind]}… ${(elapsed / 1000).toFixed(1)} s`;
  if (progress) {
    text += ` · ${number(progress.tried)} feedings searched`;
    if (progress.feedings >= 0) {
      text += ` · best so far ${number(progress.feedings)} feedings, ${number(progress.meseta)} meseta`;
    }
  } else if (line) {
    text += ` · ${line.trim()}`;
  }
  return text;
}

// Shows `run` (the state's request running: its kind, when it was sent, its latest progress) on
// the status line until stopFollowing().
export function followRun(run) {
  stopFollowing();
  showAsked(run.kind);
  ticker = setInterval(() => {
    const elapsed = performance.now() - run.sentAt;
    if (elapsed >= SHOW_PROGRESS_AFTER_MS) setStatus(progressText(run, elapsed));
  }, 100);
}

export function stopFollowing() {
  clearInterval(ticker);
  ticker = null;
}

// The buttons as the planner stands. While a plan runs the Plan button waits; while only the
// listing of the forms runs, a new plan may be asked for, which stops the listing. The trade-off
// waits for whatever runs (after a plan, the listing of its forms). A planner still loading takes
// no plan.
export function showControls(plannerReady, run) {
  const running = run !== null;
  $("plan-button").disabled = !plannerReady || (running && run.kind !== "forms");
  $("tradeoff-button").disabled = running;
  $("stop-button").hidden = !running;
}
