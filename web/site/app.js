// The page: hands the request the form holds (request-form.js) to the planner's worker and shows
// the answer. Whether a mag and a target are within the limits is the core's verdict, told in
// the command line's words, with the field it names marked. After a goal plan the worker lists
// the final forms for the same target (kept for the page's life), and choosing a form there
// plans for it. On request it lists the plans between the fewest feedings and the least meseta
// as a chart, and choosing one plans it with its feedings as the budget. The address holds the
// request planned (url-state.js): each plan asked for is a step of the browser's history, and
// an address with a request plans it.
import { hideForms, showForms, showFormsPending } from "./forms-view.js";
import { keepOffline } from "./offline.js";
import { hidePlan, showPlan } from "./plan-view.js";
import {
  fillChoices, fillForm, markParams, markRefusedFields, readRequest, showFieldErrors, showFinalFormChoice,
  watchFields,
} from "./request-form.js";
import { drawTradeoffChart } from "./tradeoff-chart.js";
import { holdsRequest, queryOf, requestOf } from "./url-state.js";

const LAST_QUERY_KEY = "ostrel.lastQuery";
const PLANS_KEPT = 20;  // the answers kept, so that going back and forth shows them at once
const SHOW_PROGRESS_AFTER_MS = 500;
// What the status line says while each kind of request runs.
const RUNNING = { plan: "Searching", forms: "Listing the final forms", tradeoffs: "Weighing feedings against meseta" };

const $ = (id) => document.getElementById(id);

let catalog = null;
let worker = null;
let pending = null;  // {id, kind, request, clickedAt, timer, line, progress}
let workerReady = false;  // a stopped search's worker is replaced: requests wait for the new one
let queued = null;   // the latest request asked for while the worker starts, sent once it is ready
let nextRequestId = 1;
let shownForm = null;  // the final form of the plan on the page
let planStatus = "";   // the status line of the plan on the page
const formsListings = new Map();  // the listings found, by the request without its form
const tradeoffs = new Map();      // the trade-offs found, likewise by the request
let removeTradeoffChart = () => {};
let shownTradeoff = null;         // the key of the trade-off on the page
let shownRequest = null;          // the request of the plan on the page
const plansShown = new Map();     // the latest answers to plans, by their query

// A request without its final form and budget: the key of its listing of the forms.
function listingKey(request) {
  return JSON.stringify({ ...request, form: null, maxFeedings: null, maxMeseta: null });
}
// The trade-off's key: the request without its goal and budget (its form holds).
function tradeoffKey(request) {
  return JSON.stringify({ ...request, goal: null, maxFeedings: null, maxMeseta: null });
}

function setStatus(text) { $("status").textContent = text; }

// While a plan runs the Plan button waits; while only the listing of the forms runs, a new plan
// may be asked for, which stops the listing.
function setRunning(running) {
  $("plan-button").disabled = !catalog || (running && pending?.kind !== "forms");
  // The trade-off waits for the listing of the forms that follows a plan.
  $("tradeoff-button").disabled = running;
  $("stop-button").hidden = !running;
}

const number = (value) => value.toLocaleString("en");

// The status line of a long search: how long it has run, and the goal search's feedings searched
// and best plan so far (none past a budget), or the console's latest line for the first plan found.
function progressText(elapsed) {
  let text = `${RUNNING[pending.kind]}… ${(elapsed / 1000).toFixed(1)} s`;
  const { progress, line } = pending;
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

// `newStep`: the plan's request becomes a step of the history once its answer is shown, so that a
// plan stopped or still running leaves the address on the plan on the page.
function send(kind, request, newStep = false) {
  if (!workerReady) {
    queued = { kind, request, newStep };
    setStatus(`${RUNNING[kind]}…`);
    return;
  }
  const id = nextRequestId++;
  const clickedAt = performance.now();
  pending = { id, kind, request, newStep, clickedAt, line: "", progress: null };
  pending.timer = setInterval(() => {
    const elapsed = performance.now() - clickedAt;
    if (elapsed >= SHOW_PROGRESS_AFTER_MS) setStatus(progressText(elapsed));
  }, 100);
  setStatus(`${RUNNING[kind]}…`);
  setRunning(true);
  worker.postMessage({ type: kind, id, request });
}

// Puts the request of the plan shown in the address: as a new step of the history, or in place
// of the step it is (read from the address, in the words the page writes).
function showAddress(request, newStep) {
  const query = queryOf(request);
  localStorage.setItem(LAST_QUERY_KEY, query);
  if (`?${query}` !== location.search) history[newStep ? "pushState" : "replaceState"](null, "", `?${query}`);
}

// Plans the request the form holds. Asked for by the player, it is a new step of the history
// once its answer is shown; read from the address (a link, a bookmark, going back or forth), it
// stays the step it is. The faults of an address are told with the fields'.
function plan({ fromAddress = false, addressErrors = [] } = {}) {
  const { request, errors } = readRequest({ settled: fromAddress });
  errors.unshift(...addressErrors);
  showFieldErrors(errors);
  $("refusal").hidden = true;
  if (errors.length > 0) {
    // An address at fault shows no plan: the plan on the page is another address's.
    if (fromAddress) hideAnswer();
    setStatus("Check the fields marked in red.");
    return;
  }
  if (fromAddress) showAddress(request, false);
  // A search running is stopped for the new request: only a plan read from the address can come
  // while a plan runs, the Plan button waits. Going back or forth shows the answer kept; the Plan
  // button always plans afresh.
  if (pending) stop();
  const query = queryOf(request);
  if (fromAddress && plansShown.has(query)) {
    queued = null;
    showAnswer(plansShown.get(query), request, "0", "Planned before: shown again.");
  } else {
    send("plan", request, !fromAddress);
  }
}

// Leaves the page without a plan, a listing or a trade-off.
function hideAnswer() {
  hidePlan();
  hideForms();
  hideTradeoff();
}

// Opens the request of an address, with what the page cannot read in it.
function planAddress(query) {
  const { request, errors, faulty } = requestOf(query, catalog);
  fillForm(request);
  plan({ fromAddress: true, addressErrors: errors });
  markParams(faulty);
}

// Plans a point chosen on the trade-off: the cheapest plan within its feedings, which is that
// point's plan.
function planForPoint(point, tradeoffRequest) {
  fillForm(tradeoffRequest);
  $("goal").value = "cheapest";
  showFinalFormChoice();
  $("max-feedings").value = String(point.feedings);
  $("max-meseta").value = "";
  plan();
}

function hideTradeoff() {
  removeTradeoffChart();
  removeTradeoffChart = () => {};
  shownTradeoff = null;
  $("tradeoff-card").hidden = true;
}

// The trade-off as a chart, and as a list that says the same in words.
function showTradeoff(request, tradeoff) {
  hideTradeoff();
  const { points } = tradeoff;
  if (points.length === 0) {
    setStatus(`${planStatus} No plan found to weigh feedings against meseta.`);
    return;
  }
  shownTradeoff = tradeoffKey(request);
  $("tradeoff-card").hidden = false;
  $("tradeoff-points").replaceChildren(...points.map((point) => {
    const item = document.createElement("li");
    item.textContent = `${number(point.feedings)} feedings · ${number(point.meseta)} meseta · ` +
      `about ${point.hours.toFixed(2)} hours · ${point.form} `;
    const choose = document.createElement("button");
    choose.type = "button";
    choose.className = "secondary";
    choose.textContent = "Plan this";
    choose.addEventListener("click", () => planForPoint(point, request));
    item.append(choose);
    return item;
  }));
  removeTradeoffChart = drawTradeoffChart($("tradeoff-chart"), points,
    (index) => planForPoint(points[index], request));
}

// The trade-off for the plan on the page: its request, whatever the fields hold since.
function listTradeoff() {
  const key = tradeoffKey(shownRequest);
  if (tradeoffs.has(key)) {
    showTradeoff(shownRequest, tradeoffs.get(key));
    return;
  }
  send("tradeoffs", shownRequest);
}

// Plans for a form chosen in the listing.
function planForForm(type) {
  fillForm(shownRequest);  // the request listed, whatever the fields hold since
  $("final-form").value = String(type);
  plan();
}

function finishPending() {
  clearInterval(pending.timer);
  pending = null;
  setRunning(false);
}

function onResult(response, workerMs) {
  const { kind, request, newStep, clickedAt } = pending;
  finishPending();
  const ms = Math.round(performance.now() - clickedAt);
  // The planner with threads runs where the page is cross-origin isolated (worker.js).
  const threads = response.threads === 2 ? " on two threads" : "";
  const timing = `${ms} ms, of which the planner ${Math.round(workerMs)} ms${threads}`;
  if (kind === "tradeoffs") {
    if (!response.document) {
      setStatus(response.message ?? "No trade-off found.");
      return;
    }
    tradeoffs.set(tradeoffKey(request), response.document);
    $("status").dataset.tradeoffMs = String(ms);
    setStatus(`${planStatus} Trade-off found in ${timing}.`);
    showTradeoff(request, response.document);  // says so instead when it holds no plan
    return;
  }
  if (kind === "forms") {
    if (!response.document) {
      hideForms();
      return;
    }
    formsListings.set(listingKey(request), response.document);
    showForms(response.document, shownForm, planForForm);
    $("status").dataset.formsMs = String(ms);
    setStatus(`${planStatus} Forms listed in ${timing}.`);
    return;
  }
  if (newStep) showAddress(request, true);
  $("status").dataset.workerMs = String(Math.round(workerMs));
  $("status").dataset.threads = String(response.threads ?? "");
  plansShown.set(queryOf(request), response);
  if (plansShown.size > PLANS_KEPT) plansShown.delete(plansShown.keys().next().value);
  const found = response.document?.outcome === "found";
  showAnswer(response, request, String(ms), found ? `Planned in ${timing}.` : `No plan found (${timing}).`);
}

// Shows the answer to a plan: the plan, or the core's refusal with the field it names marked.
function showAnswer(response, request, ms, status) {
  if (response.outcome === "refused" || response.outcome === "bad-request") {
    hideAnswer();
    $("refusal").textContent = response.message || "A field is out of range.";
    if (response.field) markRefusedFields(response);
    $("refusal").hidden = false;
    setStatus("");
    return;
  }
  const { summary } = response.document;
  shownForm = summary ? summary.reached.formNumber - 1 : null;
  showPlan(response, request, catalog);
  shownRequest = request;
  // The trade-off shown stays while its points are planned; another request's goes.
  if (tradeoffKey(request) !== shownTradeoff) hideTradeoff();
  $("status").dataset.ms = ms;
  planStatus = status;
  setStatus(planStatus);
  if (request.goal === "first") {
    hideForms();
  } else if (formsListings.has(listingKey(request))) {
    showForms(formsListings.get(listingKey(request)), shownForm, planForForm);
    $("status").dataset.formsMs = "0";  // listed before
  } else {
    showFormsPending();
    send("forms", request);
  }
}

function onWorkerMessage(event) {
  const message = event.data;
  if (message.type === "ready") {
    const firstStart = catalog === null;
    catalog = message.catalog;
    workerReady = true;
    setRunning(false);
    if (firstStart) setStatus("");
    if (queued) {
      const { kind, request, newStep } = queued;
      queued = null;
      send(kind, request, newStep);
    } else if (firstStart) {
      onCatalog();  // plans the address's request, or the last one again
    }
  } else if (pending && message.id === pending.id) {
    if (message.type === "line") pending.line = message.line;
    if (message.type === "progress") pending.progress = message;
    if (message.type === "result") onResult(message.response, message.workerMs);
  }
}

function startWorker() {
  worker = new Worker("worker.js");
  worker.onmessage = onWorkerMessage;
  worker.onerror = (event) => setStatus(`The planner stopped: ${event.message}`);
}

// A search that takes too long is stopped by ending its worker; a new one takes its place.
function stop() {
  worker.terminate();
  if (pending.kind === "forms") hideForms();
  finishPending();
  setStatus("Stopped.");
  workerReady = false;
  startWorker();
  $("plan-button").disabled = true;
}

function onCatalog() {
  fillChoices(catalog);
  // The request of the address is planned; without one, the last request planned is planned
  // again, unless the page cannot read it any more.
  if (holdsRequest(location.search)) {
    planAddress(location.search);
    return;
  }
  const saved = localStorage.getItem(LAST_QUERY_KEY) ?? "";
  if (holdsRequest(saved) && requestOf(saved, catalog).errors.length === 0) planAddress(saved);
}

// Going back or forth in the history shows that step's request; the step before the first plan
// holds none, and shows none.
function onHistoryStep() {
  if (!catalog) return;  // the address is read once the catalog comes
  // What runs or waits is for the step left.
  queued = null;
  if (pending) stop();
  if (holdsRequest(location.search)) {
    planAddress(location.search);
    return;
  }
  hideAnswer();
  showFieldErrors([]);
  $("refusal").hidden = true;
  setStatus("");
}

// The link to the plan shown: the address, copied with a word that it was (or could not be).
async function copyLink() {
  let copied = true;
  try {
    await navigator.clipboard.writeText(location.href);
  } catch {
    copied = false;
  }
  $("copy-note").textContent = copied ? "Link copied." : "Could not copy: the link is the page's address.";
  clearTimeout(copyLink.timer);
  copyLink.timer = setTimeout(() => { $("copy-note").textContent = ""; }, 4000);
}

watchFields();
$("plan-button").addEventListener("click", () => plan());
$("copy-link").addEventListener("click", copyLink);
$("print-button").addEventListener("click", () => window.print());
$("tradeoff-button").addEventListener("click", listTradeoff);
window.addEventListener("popstate", onHistoryStep);
$("stop-button").addEventListener("click", stop);
document.addEventListener("keydown", (event) => {
  if (event.key === "Enter" && event.target.matches("input[inputmode]") && !$("plan-button").disabled) plan();
});
startWorker();
keepOffline();
