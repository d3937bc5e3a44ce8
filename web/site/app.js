// The page: reads the player, the mag, the target, the goal and the final form from the form,
// checks that every field is a whole number, hands the request to the planner's worker
// and shows the answer. Whether a mag and a target are within the limits is the core's verdict,
// told in the command line's words, with the field it names marked. After a goal
// plan the worker lists the final forms for the same target (kept for the page's life), and
// choosing a form there plans for it.
import { hideForms, showForms, showFormsPending } from "./forms-view.js";
import { hidePlan, showPlan } from "./plan-view.js";

const STATS = ["def", "pow", "dex", "mind"];
const BARS = ["defBar", "powBar", "dexBar", "mindBar"];
const LAST_REQUEST_KEY = "ostrel.lastRequest";
const SHOW_PROGRESS_AFTER_MS = 500;

const $ = (id) => document.getElementById(id);

let catalog = null;
let worker = null;
let pending = null;  // {id, kind, request, clickedAt, timer, line, progress}
let queued = null;   // a plan asked for while a listing was stopped, sent once the worker is back
let nextRequestId = 1;
let shownForm = null;  // the final form of the plan on the page
let planStatus = "";   // the status line of the plan on the page
const formsListings = new Map();  // the listings found, by the request without its form

// A request without its final form: the key of its listing of the forms.
function listingKey(request) { return JSON.stringify({ ...request, form: null }); }

function setStatus(text) { $("status").textContent = text; }

function fillSelect(select, names, numbered) {
  select.replaceChildren(...names.map((name, index) => {
    const option = document.createElement("option");
    option.value = String(index);
    option.textContent = numbered ? `${index + 1}: ${name}` : name;
    return option;
  }));
}

function grownMag() { return document.querySelector('input[name="mag-kind"]:checked').value === "grown"; }

// A whole number that fits 32 bits, or an error message naming the field. Whether it is in range
// is the core's verdict, the same as the command line's: a mag fully raised is told so even when
// its def is below 5.
function readWhole(id, label) {
  const text = $(id).value.trim();
  const ok = /^[+-]?\d+$/.test(text) && Math.abs(Number(text)) <= 2147483647;
  $(id).classList.toggle("invalid", !ok);
  return ok ? { value: Number(text) } : { error: `${label}: a whole number` };
}

// The request the form describes, in the command line's words (the plan document's player,
// start, target, goal and form), or the list of fields that are not whole numbers.
function readRequest() {
  const errors = [];
  const read = (id, label) => {
    const field = readWhole(id, label);
    if (field.error) errors.push(field.error);
    return field.value;
  };
  let start = null;
  $("form").classList.remove("invalid");
  if (grownMag()) {
    start = { form: catalog.forms[Number($("form").value)], stats: {}, bars: {} };
    STATS.forEach((stat, i) => {
      start.stats[stat] = read(`start-${stat}`, `Mag's ${stat}`);
      start.bars[stat] = read(`start-${BARS[i]}`, `Mag's ${stat} bar`);
    });
  } else {
    STATS.concat(BARS).forEach((field) => $(`start-${field}`).classList.remove("invalid"));
  }
  const target = {};
  STATS.forEach((stat) => { target[stat] = read(`target-${stat}`, `Desired ${stat}`); });
  const goal = $("goal").value;
  const form = $("final-form").value;
  const request = {
    player: {
      sectionId: catalog.sectionIds[Number($("section-id").value)],
      charClass: catalog.charClasses[Number($("char-class").value)],
    },
    start,
    target,
    goal,
    form: goal === "first" || form === "any" ? null : catalog.forms[Number(form)],
  };
  return { request, errors };
}

// Marks the fields the core's verdict names: "def bar" is the start's defBar, a level all four
// stats of the start or the target.
function markRefusedFields(refusal) {
  const [stat, bar] = refusal.field.split(" ");
  const ids = refusal.field === "level"
    ? STATS.map((s) => `${refusal.of}-${s}`)
    : refusal.field === "form" ? ["form"] : [`${refusal.of}-${stat}${bar ? "Bar" : ""}`];
  ids.forEach((id) => $(id).classList.add("invalid"));
}

function sumOf(ids) {
  return ids.reduce((sum, id) => sum + (Number.parseInt($(id).value, 10) || 0), 0);
}

// The ranges beside the fields: the mag's level, and the levels left as the dialogue counts them.
function updateHints() {
  if (!catalog) return;
  const { maxLevel, minDef, maxBar } = catalog.limits;
  const startLevel = grownMag() ? sumOf(STATS.map((s) => `start-${s}`)) : catalog.limits.babyMag.level;
  $("start-hint").textContent =
    `Level ${startLevel}, must stay below ${maxLevel}. def at least ${minDef}, others at least 0, bars 0 to ${maxBar}.`;
  const targetLevel = sumOf(STATS.map((s) => `target-${s}`));
  $("target-hint").textContent =
    `Level ${targetLevel} of at most ${maxLevel} (${maxLevel - targetLevel} remaining), above ` +
    `the mag's ${startLevel}; def at least ${minDef}, no stat below the mag's.`;
}

// The index of `name` in a list of the catalog; throws for a name it does not hold.
function indexIn(names, name) {
  const index = names.indexOf(name);
  if (index < 0) throw new Error(`not in the catalog: ${name}`);
  return index;
}

// Fills the form with a request the page saved. A request of another shape (saved by an
// earlier page) throws before anything is filled in.
function fillForm(request) {
  const { player, start, target } = request;
  const section = indexIn(catalog.sectionIds, player.sectionId);
  const charClass = indexIn(catalog.charClasses, player.charClass);
  const form = start ? indexIn(catalog.forms, start.form) : null;
  const finalForm = request.form === null || request.form === undefined ? "any"
    : String(indexIn(catalog.forms, request.form));
  $("section-id").value = String(section);
  $("char-class").value = String(charClass);
  if ([...$("goal").options].some((o) => o.value === request.goal)) $("goal").value = request.goal;
  $("final-form").value = finalForm;
  showFinalFormChoice();
  document.querySelector(`input[name="mag-kind"][value="${start ? "grown" : "new"}"]`).checked = true;
  $("grown-mag").hidden = !start;
  if (start) {
    $("form").value = String(form);
    STATS.forEach((stat, i) => {
      $(`start-${stat}`).value = String(start.stats[stat]);
      $(`start-${BARS[i]}`).value = String(start.bars[stat]);
    });
  }
  STATS.forEach((stat) => { $(`target-${stat}`).value = String(target[stat]); });
  updateHints();
}

function showFieldErrors(errors) {
  $("field-errors").replaceChildren(...errors.map((text) => {
    const item = document.createElement("li");
    item.textContent = text;
    return item;
  }));
}

// The final form is a choice of the goal searches only: the first plan found is the plain search.
function showFinalFormChoice() { $("final-form-label").hidden = $("goal").value === "first"; }

// While a plan runs the Plan button waits; while only the listing of the forms runs, a new plan
// may be asked for, which stops the listing.
function setRunning(running) {
  $("plan-button").disabled = !catalog || (running && pending?.kind !== "forms");
  $("stop-button").hidden = !running;
}

const number = (value) => value.toLocaleString("en");

// The status line of a long search: how long it has run, and the goal search's feedings searched
// and best plan so far, or the console's latest line for the first plan found.
function progressText(elapsed) {
  const what = pending.kind === "forms" ? "Listing the final forms" : "Searching";
  let text = `${what}… ${(elapsed / 1000).toFixed(1)} s`;
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

function send(kind, request) {
  const id = nextRequestId++;
  const clickedAt = performance.now();
  pending = { id, kind, request, clickedAt, line: "", progress: null };
  pending.timer = setInterval(() => {
    const elapsed = performance.now() - clickedAt;
    if (elapsed >= SHOW_PROGRESS_AFTER_MS) setStatus(progressText(elapsed));
  }, 100);
  setStatus(kind === "forms" ? "Listing the final forms…" : "Searching…");
  setRunning(true);
  worker.postMessage({ type: kind, id, request });
}

function plan() {
  const { request, errors } = readRequest();
  showFieldErrors(errors);
  $("refusal").hidden = true;
  if (errors.length > 0) {
    setStatus("Check the fields marked in red.");
    return;
  }
  localStorage.setItem(LAST_REQUEST_KEY, JSON.stringify(request));
  if (pending?.kind === "forms") {
    stop();
    queued = request;
    return;
  }
  send("plan", request);
}

// Plans for a form chosen in the listing.
function planForForm(type) {
  $("final-form").value = String(type);
  plan();
}

function finishPending() {
  clearInterval(pending.timer);
  pending = null;
  setRunning(false);
}

function onResult(response, workerMs) {
  const { kind, request, clickedAt } = pending;
  finishPending();
  const ms = Math.round(performance.now() - clickedAt);
  const timing = `${ms} ms, of which the planner ${Math.round(workerMs)} ms`;
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
  if (response.outcome === "refused" || response.outcome === "bad-request") {
    hidePlan();
    hideForms();
    $("refusal").textContent = response.message || "A field is out of range.";
    if (response.field) markRefusedFields(response);
    $("refusal").hidden = false;
    setStatus("");
    return;
  }
  const { summary, outcome } = response.document;
  shownForm = summary ? summary.reached.formNumber - 1 : null;
  showPlan(response, request, catalog);
  $("status").dataset.ms = String(ms);
  $("status").dataset.workerMs = String(Math.round(workerMs));
  planStatus = outcome === "found" ? `Planned in ${timing}.` : `No plan found (${timing}).`;
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
    setRunning(false);
    if (firstStart) setStatus("");
    if (queued) {
      const request = queued;
      queued = null;
      send("plan", request);
    } else if (firstStart) {
      onCatalog();  // plans the last request again
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
  startWorker();
  $("plan-button").disabled = true;
}

function onCatalog() {
  fillSelect($("section-id"), catalog.sectionIds, false);
  fillSelect($("char-class"), catalog.charClasses, false);
  fillSelect($("form"), catalog.forms, true);
  $("goal").replaceChildren(...catalog.goals.map((goal) => {
    const option = document.createElement("option");
    option.value = goal.id;
    option.textContent = goal.label;
    return option;
  }));
  fillSelect($("final-form"), catalog.forms, false);
  const any = document.createElement("option");
  any.value = "any";
  any.textContent = "any";
  $("final-form").prepend(any);
  $("final-form").value = "any";
  updateHints();
  // The last request planned is planned again; one the page cannot read any more is dropped.
  const saved = localStorage.getItem(LAST_REQUEST_KEY);
  if (saved) {
    try {
      fillForm(JSON.parse(saved));
    } catch {
      localStorage.removeItem(LAST_REQUEST_KEY);
      return;
    }
    plan();
  }
}

document.querySelectorAll('input[name="mag-kind"]').forEach((radio) => {
  radio.addEventListener("change", () => { $("grown-mag").hidden = !grownMag(); updateHints(); });
});
document.querySelectorAll("input").forEach((input) => input.addEventListener("input", updateHints));
$("goal").addEventListener("change", showFinalFormChoice);
$("plan-button").addEventListener("click", plan);
$("stop-button").addEventListener("click", stop);
document.addEventListener("keydown", (event) => {
  if (event.key === "Enter" && event.target.matches("input[inputmode]") && !$("plan-button").disabled) plan();
});
startWorker();
