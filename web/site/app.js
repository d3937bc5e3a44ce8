// The page's controller: it holds the page's one state object (page-state.js), turns the player's
// actions into requests to the planner (planner-client.js) and each answer into what the views
// show. A request is read from the form (request-form.js) or the address (address.js); whether a
// mag and a target are within the limits is the core's verdict, told in the page's words with the
// field it names marked (a plan on the page then is marked as no longer the fields'). After a goal
// plan the final forms for the same target are listed, and choosing a form there plans for it. On
// request the plans between the fewest feedings and the least meseta are drawn
// (tradeoff-view.js); choosing one opens its plan at once, its runs replayed without a search, as
// does choosing one of the nearest plans of a budget no plan was found within. From any row of a
// plan the player can plan again from that row's mag. Each plan asked for is a step of the
// browser's history, and an address with a request plans it; focus stays where the player was.
import { addressQuery, openingQuery, showInAddress } from "./address.js";
import { hideForms, showForms, showFormsPending } from "./forms-view.js";
import { goalOfFormRequest } from "./implied-goal.js";
import { keepOffline } from "./offline.js";
import { createPageState, keepPlan, listingKey, shownForm, tradeoffKey } from "./page-state.js";
import { hidePlan, markStale, showPlan } from "./plan-view.js";
import { PlannerClient } from "./planner-client.js";
import {
  fieldsOfParams, fillChoices, fillForm, hideRefusal, markFields, markFinalForms, markOnly, readRequest,
  showFieldErrors, showGoal, showRefusal, watchFields,
} from "./request-form.js";
import {
  followRun, noteTimes, setStatus, showAsked, showControls, stopFollowing, timingText,
} from "./run-status.js";
import { hideTradeoff, showTradeoff } from "./tradeoff-view.js";
import { queryOf, requestOf } from "./url-state.js";

const $ = (id) => document.getElementById(id);

const state = createPageState();
const planner = new PlannerClient("worker.js", {
  onReady: plannerReady,
  onFailure: (message) => setStatus(`The planner stopped: ${message}`),
});

function updateControls() { showControls(planner.ready, state.run); }

// Asks the planner and waits for its answer; null when the request was stopped or replaced.
async function ask(kind, request) {
  showAsked(kind);
  try {
    const answer = await planner.ask(kind, request, {
      onSent: (sentAt) => {
        state.run = { kind, sentAt, line: "", progress: null };
        followRun(state.run);
        updateControls();
      },
      onProgress: (message) => {
        if (message.type === "line") state.run.line = message.line;
        if (message.type === "progress") state.run.progress = message;
      },
    });
    endRun();
    return answer;
  } catch (error) {
    if (error.name === "AbortError") return null;
    throw error;
  }
}

function endRun() {
  stopFollowing();
  state.run = null;
  updateControls();
}

// Stops the request running (its worker is replaced, which takes a moment) and drops one waiting
// for the new worker.
function stop() {
  const stopped = state.run;
  planner.cancel();
  if (!stopped) return;
  if (stopped.kind === "forms") hideForms();
  endRun();
  setStatus("Stopped.");
}

// Plans the request the form holds. Asked for by the player, it is a new step of the history
// once its answer is shown (so that a plan stopped or still running leaves the address on the
// plan on the page); read from the address (a link, a bookmark, going back or forth), it stays
// the step it is. The faults of an address are told with the fields'. With `runs` (a plan the
// page holds already, that the request plans) the plan is those runs replayed, without a search.
function plan({ fromAddress = false, addressErrors = [], runs = null } = {}) {
  const focused = document.activeElement;
  const { request, errors, invalid } = readRequest(state.catalog);
  markOnly(invalid);
  // A link's goal is the link's: its first goal with a budget is a fault to show as the link
  // gives it, not a goal to change.
  if (!fromAddress) {
    const goal = goalOfFormRequest(request, state.catalog);
    if (goal !== request.goal) {
      request.goal = goal;
      showGoal(goal);
    }
  }
  errors.unshift(...addressErrors);
  showFieldErrors(errors);
  hideRefusal();
  if (errors.length > 0) {
    // An address at fault shows no plan: the plan on the page is another address's. A field
    // typed wrong leaves the plan on the page, marked as no longer the fields'.
    if (fromAddress) hideAnswer(); else markStale(true);
    setStatus("Check the fields marked in red.");
    return;
  }
  if (fromAddress) showInAddress(request, false);
  // A search running is stopped for the new request: only a plan read from the address can come
  // while a plan runs, the Plan button waits. Going back or forth shows the answer kept; the Plan
  // button always plans afresh.
  stop();
  const kept = fromAddress ? state.kept.plans.get(queryOf(request)) : undefined;
  if (kept) {
    showAnswer(kept, request, "0", "Planned before: shown again.", true);
  } else {
    // The plan on the page is another step's: an address planned afresh shows none while its
    // search runs, so that a search stopped leaves no plan that is not the address's.
    if (fromAddress) hideAnswer();
    planRequest(request, !fromAddress, runs, focused);
  }
}

async function planRequest(request, newStep, runs, focused) {
  const answer = await (runs ? ask("replay", { ...request, runs }) : ask("plan", request));
  if (!answer) return;
  const { response, workerMs } = answer;
  const ms = Math.round(answer.ms);
  if (newStep) showInAddress(request, true);
  noteTimes({ workerMs: String(Math.round(workerMs)), threads: String(response.threads ?? "") });
  keepPlan(state, queryOf(request), response);
  const timing = timingText(ms, workerMs, response);
  const found = response.document?.outcome === "found";
  const done = runs ? `Opened in ${timing}, without a search.` : `Planned in ${timing}.`;
  showAnswer(response, request, String(ms), found ? done : `No plan found (${timing}).`, !newStep);
  keepFocus(focused);
}

// Focus stays where the player was when planning took it away (the Plan button is disabled while
// a plan runs; a row's button or a nearest plan's goes with the answer): back on that control
// where it is still on the page, else on what the answer says first. A plan that opens the page
// takes no focus.
function keepFocus(focused) {
  const usable = (element) => element && element !== document.body && element.isConnected &&
    !element.disabled && element.getClientRects().length > 0;
  if (!focused || focused === document.body || usable(document.activeElement)) return;
  const refused = !$("refusal-card").hidden;
  (usable(focused) ? focused : $(refused ? "refusal" : "summary")).focus();
}

// Shows the answer to a plan: the plan, or the core's refusal with the field it names marked (a
// plan on the page stays, marked as no longer the fields', unless the request is an address's,
// which shows no other's plan). A goal plan's final forms follow, listed afresh unless kept, and
// the final-form menu marks those the rules exclude.
function showAnswer(response, request, ms, status, fromAddress) {
  if (response.outcome === "refused" || response.outcome === "bad-request") {
    if (fromAddress) hideAnswer(); else markStale(!$("result").hidden);
    showRefusal(response, request, (point) => openPlan(point, request));
    setStatus("");
    return;
  }
  state.shown.request = request;
  state.shown.answer = response;
  state.shown.status = status;
  showPlan(response, request, state.catalog, { onHere: planFromHere, onRescue: planCheapest });
  // The trade-off shown stays while its points are planned; another request's goes.
  if (tradeoffKey(request) !== state.shown.tradeoff) removeTradeoff();
  noteTimes({ ms });
  setStatus(status);
  const listing = state.kept.listings.get(listingKey(request));
  markFinalForms(listing);
  if (request.goal === "first") {
    hideForms();
  } else if (listing) {
    showForms(listing, shownForm(state), planForForm);
    noteTimes({ formsMs: "0" });  // listed before
  } else {
    showFormsPending();
    listForms(request);
  }
}

async function listForms(request) {
  const answer = await ask("forms", request);
  if (!answer) return;
  const { response, workerMs } = answer;
  if (!response.document) {
    hideForms();
    return;
  }
  state.kept.listings.set(listingKey(request), response.document);
  markFinalForms(response.document);
  showForms(response.document, shownForm(state), planForForm);
  noteTimes({ formsMs: String(Math.round(answer.ms)) });
  setStatus(`${state.shown.status} Forms listed in ${timingText(answer.ms, workerMs, response)}.`);
}

// Plans for a form chosen in the listing: of the request listed, whatever the fields hold since.
function planForForm(type) {
  fillForm({ ...state.shown.request, form: state.catalog.forms[type] }, state.catalog);
  plan();
}

// Plans again from a row's mag ("my mag is here"): the request shown, from that mag, its form,
// stats and bars, which the link then holds.
function planFromHere(mag) {
  const start = { form: mag.form, stats: { ...mag.stats }, bars: { ...mag.bars } };
  fillForm({ ...state.shown.request, start }, state.catalog);
  plan();
}

// Plans the cheapest plan of the request shown, where the first-found search gave up.
function planCheapest() {
  fillForm(state.shown.request, state.catalog);
  showGoal("cheapest");
  plan();
}

// The trade-off for the plan on the page: of its request, whatever the fields hold since.
function listTradeoff() {
  const request = state.shown.request;
  const kept = state.kept.tradeoffs.get(tradeoffKey(request));
  if (kept) {
    showTradeoffOf(request, kept);
  } else {
    findTradeoff(request);
  }
}

async function findTradeoff(request) {
  const answer = await ask("tradeoffs", request);
  if (!answer) return;
  const { response, workerMs } = answer;
  if (!response.document) {
    setStatus(response.message ?? "No trade-off found.");
    return;
  }
  state.kept.tradeoffs.set(tradeoffKey(request), response.document);
  noteTimes({ tradeoffMs: String(Math.round(answer.ms)) });
  setStatus(`${state.shown.status} Trade-off found in ${timingText(answer.ms, workerMs, response)}.`);
  showTradeoffOf(request, response.document);
}

// The trade-off of a request, or a word that it holds no plan.
function showTradeoffOf(request, tradeoff) {
  removeTradeoff();
  if (tradeoff.points.length === 0) {
    setStatus(`${state.shown.status} No plan found to weigh feedings against meseta.`);
    return;
  }
  state.shown.tradeoff = tradeoffKey(request);
  showTradeoff(tradeoff, (point) => openPlan(point, request));
}

function removeTradeoff() {
  hideTradeoff();
  state.shown.tradeoff = null;
}

// Opens a plan the page holds already (a point of the trade-off, a nearest plan of a budget) for
// `request`: its runs replayed, without a search, as the request that plans it, the cheapest plan
// within its feedings, which a link then holds.
function openPlan(point, request) {
  fillForm({ ...request, goal: "cheapest", maxFeedings: point.feedings, maxMeseta: null }, state.catalog);
  plan({ runs: point.plan.runs.map(({ item, count }) => ({ item, count })) });
}

// Leaves the page without a plan, a listing or a trade-off.
function hideAnswer() {
  hidePlan();
  hideForms();
  removeTradeoff();
}

// Opens the request of an address, with what the page cannot read in it marked.
function openAddress(query) {
  const { request, errors, faulty } = requestOf(query, state.catalog);
  fillForm(request, state.catalog);
  plan({ fromAddress: true, addressErrors: errors });
  markFields(fieldsOfParams(faulty));
}

// A worker has loaded the planner: at the first, the page fills its choices and plans the
// request of the address, or the last one planned.
function plannerReady(catalog, firstStart) {
  state.catalog = catalog;
  updateControls();
  if (!firstStart) return;
  setStatus("");
  fillChoices(catalog);
  const query = openingQuery(catalog);
  if (query !== null) openAddress(query);
}

// Going back or forth in the history shows that step's request; the step before the first plan
// holds none, and shows none. What runs or waits is for the step left.
function onHistoryStep() {
  if (!state.catalog) return;  // the address is read once the catalog comes
  stop();
  const query = addressQuery();
  if (query !== null) {
    openAddress(query);
    return;
  }
  hideAnswer();
  showFieldErrors([]);
  hideRefusal();
  setStatus("");
}

watchFields(() => state.catalog);
$("plan-button").addEventListener("click", () => plan());
$("tradeoff-button").addEventListener("click", listTradeoff);
$("stop-button").addEventListener("click", stop);
window.addEventListener("popstate", onHistoryStep);
document.addEventListener("keydown", (event) => {
  if (event.key === "Enter" && event.target.matches("input[inputmode]") && !$("plan-button").disabled) plan();
});
keepOffline();
