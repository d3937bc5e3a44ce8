// The plan as the player follows it: a summary, the shopping list, one row per run in the order
// they are fed (first run at the top) with a box to tick off each run fed, the mag before and
// after it with its bars, and a button that plans again from that row's mag; the route chart, the
// console's lines, and the plan's actions: save the two plan files byte for byte, copy the link,
// print. Ticks are kept in the browser (kept-data.js), one entry per plan request, so that a
// player feeding over days keeps them.
import { boundWords } from "./bound-words.js";
import { keep, readKept } from "./kept-data.js";
import { drawRouteChart } from "./route-chart.js";

const TICKS_KEY_PREFIX = "ostrel.ticks:";
const COPY_NOTE_MS = 4000;
const STATS = ["def", "pow", "dex", "mind"];
const $ = (id) => document.getElementById(id);
const number = (value) => value.toLocaleString("en");

let removeChart = null;
let clearCopyNote = null;

// A mag of the plan document: "varaha (95) 5/30/40/20".
function magText(mag) {
  const { def, pow, dex, mind } = mag.stats;
  return `${mag.form} (${mag.level}) ${def}/${pow}/${dex}/${mind}`;
}

// A mag's four bars as a picture read at a glance, as the game shows them beside the stats: one
// thin bar per stat, filled as far as its bar. The numbers are its label, for a pointer that rests
// on it and for a screen reader.
function barsHtml(mag) {
  const label = STATS.map((stat) => `${stat} bar ${mag.bars[stat]}`).join(", ");
  const fills = STATS.map((stat) => `<i class="bar-${stat}" style="width:${mag.bars[stat]}%"></i>`).join("");
  return `<span class="bars" role="img" aria-label="${label}" title="Bars: ${label}">${fills}</span>`;
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
    const saved = JSON.parse(readKept(ticksKey(request)) ?? "[]");
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
  $("fed-count").textContent = `${number(ticks.size)} of ${number(plan.runs.length)} runs fed ` +
    `(${number(feedings)} of ${number(plan.summary.feedings)} feedings).`;
}

// What to buy before the first feeding: each item of the plan, how many and their meseta, and
// the total, as the core lists them.
function showShopping(shopping) {
  const cell = (text, className) => `<td${className ? ` class="${className}"` : ""}>${text}</td>`;
  $("shopping-items").innerHTML = shopping.items.map((entry) =>
    `<tr>${cell(entry.item)}${cell(number(entry.count), "number")}${cell(number(entry.meseta), "number")}</tr>`)
    .join("");
  $("shopping-count").textContent = number(shopping.items.reduce((sum, entry) => sum + entry.count, 0));
  $("shopping-total").textContent = number(shopping.meseta);
}

// The rows are written as one piece of HTML and share one listener, and rows off screen are not
// laid out (content-visibility in style.css): a plan can have hundreds of runs, and building and
// laying out each row as an element of its own kept the page from answering for a moment. From
// the second row on, "My mag is here" plans again from the mag the row starts from (the first
// row's is the plan's own start).
function showRuns(plan, request, onHere) {
  const ticks = loadTicks(request);
  const html = plan.runs.map((run, index) => {
    const after = plan.runs[index + 1]?.before ?? plan.summary.reached;
    const fed = ticks.has(index);
    const here = index === 0 ? "" : `<button type="button" class="here" data-here="${index}" ` +
      `title="Plan again from this mag: ${magText(run.before)}, bars ${STATS.map((s) => run.before.bars[s]).join("/")}"` +
      ` aria-label="My mag is here: plan again from run ${index + 1}'s mag">My mag is here</button>`;
    // The arrow goes with the mag after the run: a row too narrow for both mags breaks before it,
    // and its second line reads "→ the mag after".
    return `<li${fed ? ' class="fed"' : ""}><input type="checkbox" data-run="${index}"` +
      `${fed ? " checked" : ""} aria-label="Run ${index + 1} fed">` +
      `<span class="feed"><b>${number(run.count)}</b> × ${run.item}</span>` +
      `<span class="route"><span class="mag">${magText(run.before)}${barsHtml(run.before)}</span> ` +
      `<span class="mag">→ ${magText(after)}${barsHtml(after)}</span></span>${here}</li>`;
  }).join("");
  const list = $("runs");
  list.innerHTML = html;
  list.onclick = (event) => {
    const button = event.target.closest("button.here");
    if (button) onHere(plan.runs[Number(button.dataset.here)].before);
  };
  list.onchange = (event) => {
    const box = event.target;
    const index = Number(box.dataset.run);
    if (box.checked) ticks.add(index); else ticks.delete(index);
    keep(ticksKey(request), JSON.stringify([...ticks].sort((a, b) => a - b)));
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

// Why there is no plan: the core's reason (no sequence of feedings reaches the target, the rules
// exclude the final form asked for, no plan was found for it and which forms plans were found
// for), or, where the first-found search gave up, that a plan may still exist.
function failureText(plan) {
  if (plan.reason) return `${plan.reason[0].toUpperCase()}${plan.reason.slice(1)}.`;
  if (plan.outcome === "gave-up") {
    return "The first-found search gave up on this target after trying as many feedings as it may. " +
      "A plan may still exist: the cheapest plan's search usually finds one where this one gives up.";
  }
  return "No plan found for this target: the console output below tells why.";
}

export function hidePlan() {
  $("result").hidden = true;
  $("console-card").hidden = true;
  markStale(false);
  if (removeChart) removeChart();
  removeChart = null;
}

// Marks the plan on the page, with the final forms and the trade-off shown for it, as no longer
// the plan of the fields (one of them is wrong), or unmarks them.
export function markStale(stale) {
  $("stale-note").hidden = !stale;
  ["result", "forms-card", "tradeoff-card"].forEach((id) => $(id).classList.toggle("stale", stale));
}

// `response` is the core's answer: the plan document, the console's lines and the plan files.
// `onHere(mag)` plans again from a row's mag; `onRescue()` plans the cheapest plan where the
// first-found search gave up.
export function showPlan(response, request, catalog, { onHere, onRescue }) {
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
  document.querySelectorAll("#result .actions, #shopping, #chart, .runs-head, #runs, #fed-count")
    .forEach((element) => { element.hidden = !found; });
  $("bound").textContent = found ? boundWords(plan.bound, plan.form) : "";
  $("bound").hidden = $("bound").textContent === "";
  const rescue = plan.outcome === "gave-up" && request.goal === "first";
  $("rescue").hidden = !rescue;
  $("rescue-button").onclick = onRescue;
  if (!found) {
    $("summary").textContent = failureText(plan);
    $("console-card").querySelector("details").open = !rescue;
    $("runs").replaceChildren();
    return;
  }
  const { reached, feedings, meseta, hours } = plan.summary;
  $("summary").textContent = `${magText(reached)} in ${number(feedings)} feedings · ` +
    `${number(meseta)} meseta · about ${hours.toFixed(2)} hours`;
  showShopping(plan.shopping);
  showRuns(plan, request, onHere);
  removeChart = drawRouteChart($("chart"), { mags: routeMags(plan) }, catalog.forms);
}
