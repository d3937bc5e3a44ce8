// The plan as the player follows it: a summary, one row per run in the order they are fed (first
// run at the top) with a box to tick off each run fed, the route chart, the console's lines, and
// the plan's actions: save the two plan files byte for byte, copy the link, print. Ticks are kept
// in localStorage, one entry per plan request, so that a player feeding over days keeps them.
import { drawRouteChart } from "./route-chart.js";

const TICKS_KEY_PREFIX = "ostrel.ticks:";
const COPY_NOTE_MS = 4000;
const $ = (id) => document.getElementById(id);

let removeChart = null;
let clearCopyNote = null;

// A mag of the plan document: "varaha (95) 5/30/40/20".
function magText(mag) {
  const { def, pow, dex, mind } = mag.stats;
  return `${mag.form} (${mag.level}) ${def}/${pow}/${dex}/${mind}`;
}

// The mags of the route for the chart, from the start to the reached one (mags[k] after k
// feedings), with the form's number as the chart tells forms apart.
function routeMags(plan) {
  const flat = (mag) => ({ type: mag.formNumber - 1, level: mag.level, ...mag.stats });
  return [...plan.feedings.map((feeding) => flat(feeding.before)), flat(plan.summary.reached)];
}

function ticksKey(request) { return TICKS_KEY_PREFIX + JSON.stringify(request); }

function loadTicks(request) {
  try {
    const saved = JSON.parse(localStorage.getItem(ticksKey(request)) ?? "[]");
    return new Set(Array.isArray(saved) ? saved : []);
  } catch {
    return new Set();
  }
}

// Saves a plan file as a download; the browser reads the object URL before it is revoked.
function saveFile(name, text) {
  const link = document.createElement("a");
  link.href = URL.createObjectURL(new Blob([text], { type: "text/plain" }));
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

// The link to the plan shown is the page's address: copied, with a word that it was (or could
// not be, where the browser keeps the clipboard to itself).
async function copyLink() {
  let copied = true;
  try {
    await navigator.clipboard.writeText(location.href);
  } catch {
    copied = false;
  }
  $("copy-note").textContent = copied ? "Link copied." : "Could not copy: the link is the page's address.";
  clearTimeout(clearCopyNote);
  clearCopyNote = setTimeout(() => { $("copy-note").textContent = ""; }, COPY_NOTE_MS);
}

$("copy-link").addEventListener("click", copyLink);
$("print-button").addEventListener("click", () => window.print());

function showFedCount(plan, ticks) {
  let feedings = 0;
  ticks.forEach((index) => { feedings += plan.runs[index]?.count ?? 0; });
  $("fed-count").textContent =
    `${ticks.size} of ${plan.runs.length} runs fed (${feedings} of ${plan.summary.feedings} feedings).`;
}

// The rows are written as one piece of HTML and share one listener, and rows off screen are not
// laid out (content-visibility in style.css): a plan can have hundreds of runs, and building and
// laying out each row as an element of its own kept the page from answering for a moment.
function showRuns(plan, request) {
  const ticks = loadTicks(request);
  const html = plan.runs.map((run, index) => {
    const before = magText(run.before);
    const after = magText(plan.runs[index + 1]?.before ?? plan.summary.reached);
    const fed = ticks.has(index);
    return `<li${fed ? ' class="fed"' : ""}><input type="checkbox" data-run="${index}"` +
      `${fed ? " checked" : ""} aria-label="Run ${index + 1} fed">` +
      `<span class="feed"><b>${run.count}</b> × ${run.item}</span>` +
      `<span class="route">${before} → ${after}</span></li>`;
  }).join("");
  const list = $("runs");
  list.innerHTML = html;
  list.onchange = (event) => {
    const box = event.target;
    const index = Number(box.dataset.run);
    if (box.checked) ticks.add(index); else ticks.delete(index);
    localStorage.setItem(ticksKey(request), JSON.stringify([...ticks].sort((a, b) => a - b)));
    box.closest("li").classList.toggle("fed", box.checked);
    showFedCount(plan, ticks);
  };
  showFedCount(plan, ticks);
}

// What was asked for, for the printed plan, which has no form beside it: "Skyly Racaseal · Varuna
// 8/12/3/2, bars 40/70/10/0 → 20/110/50/20 · First plan found", and the budget if any ("· at most
// 1,100 feedings").
function requestText(request, catalog) {
  const { player, start, target, goal, form, maxFeedings, maxMeseta } = request;
  const stats = (values) => ["def", "pow", "dex", "mind"].map((stat) => values[stat]).join("/");
  const mag = start ? `${start.form} ${stats(start.stats)}, bars ${stats(start.bars)}` : "New mag 5/0/0/0";
  const label = catalog.goals.find((known) => known.id === goal)?.label ?? goal;
  const most = (value, unit) => (value === null || value === undefined ? "" :
    ` · at most ${Number(value).toLocaleString("en")} ${unit}`);
  return `${player.sectionId} ${player.charClass} · ${mag} → ${stats(target)}` +
    `${form ? ` as ${form}` : ""} · ${label}${most(maxFeedings, "feedings")}${most(maxMeseta, "meseta")}`;
}

// Why there is no plan: the command line's reason when a final form was asked for (the rules
// exclude it, or no plan was found for it and which forms plans were found for), or the console.
function failureText(plan) {
  if (plan.reason) return `${plan.reason[0].toUpperCase()}${plan.reason.slice(1)}.`;
  return "No plan found for this target: the console output below tells why.";
}

export function hidePlan() {
  $("result").hidden = true;
  $("console-card").hidden = true;
  if (removeChart) removeChart();
  removeChart = null;
}

// `response` is the core's answer: the plan document, the console's lines and the plan files.
export function showPlan(response, request, catalog) {
  hidePlan();
  document.querySelectorAll("button.save").forEach((button) => {
    button.onclick = () => saveFile(button.dataset.file, response.files[button.dataset.file]);
  });
  $("console").textContent = response.console;
  $("console-card").hidden = false;
  $("result").hidden = false;
  $("plan-for").textContent = requestText(request, catalog);
  const plan = response.document;
  const found = plan.outcome === "found";
  document.querySelectorAll("#result .actions, #chart, .runs-head, #runs, #fed-count").forEach((element) => {
    element.hidden = !found;
  });
  if (!found) {
    $("summary").textContent = failureText(plan);
    $("console-card").querySelector("details").open = true;
    $("runs").replaceChildren();
    return;
  }
  const { reached, feedings, meseta, hours } = plan.summary;
  $("summary").textContent =
    `${magText(reached)} in ${feedings} feedings · ` +
    `${meseta.toLocaleString("en")} meseta · about ${hours.toFixed(2)} hours`;
  showRuns(plan, request);
  removeChart = drawRouteChart($("chart"), { mags: routeMags(plan) }, catalog.forms);
}
