// The plan as the player follows it: a summary, one row per run in the order they are fed (first
// run at the top) with a box to tick off each run fed, the route chart, the console's lines and
// buttons that save the two plan files byte for byte. Ticks are kept in localStorage, one entry
// per plan request.
import { drawRouteChart } from "./route-chart.js";

const TICKS_KEY_PREFIX = "ostrel.ticks:";
const $ = (id) => document.getElementById(id);

let files = {};
let removeChart = null;

function magText(mag, forms) {
  return `${forms[mag.type]} (${mag.level}) ${mag.def}/${mag.pow}/${mag.dex}/${mag.mind}`;
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

function saveFile(name) {
  const link = document.createElement("a");
  link.href = URL.createObjectURL(new Blob([files[name]], { type: "text/plain" }));
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

document.querySelectorAll("button.save").forEach((button) => {
  button.addEventListener("click", () => saveFile(button.dataset.file));
});

function showFedCount(plan, ticks) {
  let feedings = 0;
  ticks.forEach((index) => { feedings += plan.runs[index]?.count ?? 0; });
  $("fed-count").textContent =
    `${ticks.size} of ${plan.runs.length} runs fed (${feedings} of ${plan.feedings} feedings).`;
}

// The rows are written as one piece of HTML and share one listener, and rows off screen are not
// laid out (content-visibility in style.css): a plan can have hundreds of runs, and a table of
// them took a tenth of a second to lay out.
function showRuns(plan, request, catalog) {
  const ticks = loadTicks(request);
  const html = plan.runs.map((run, index) => {
    const before = magText(plan.mags[run.first], catalog.forms);
    const after = magText(plan.mags[run.first + run.count], catalog.forms);
    const fed = ticks.has(index);
    return `<li${fed ? ' class="fed"' : ""}><input type="checkbox" data-run="${index}"` +
      `${fed ? " checked" : ""} aria-label="Run ${index + 1} fed">` +
      `<span class="feed"><b>${run.count}</b> × ${catalog.items[run.item]}</span>` +
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

// Why there is no plan: the rules exclude the final form, or no plan was found for it (and which
// forms plans were found for), or none at all.
function failureText(response, catalog) {
  const formName = catalog.forms[response.form];
  if (response.outcome === "excluded") return `No plan can end as ${formName}: ${response.reason}.`;
  if (response.reachedForms) {
    const reached = response.reachedForms.map((f) =>
      `${f.name} (${f.feedings.toLocaleString("en")} feedings, ${f.meseta.toLocaleString("en")} meseta)`);
    return `No plan found ending as ${formName}. ` +
      (reached.length > 0 ? `Plans were found ending as ${reached.join(", ")}.` : "No plan was found for any form.");
  }
  return "No plan found for this target: the console output below tells why.";
}

export function hidePlan() {
  $("result").hidden = true;
  $("console-card").hidden = true;
  if (removeChart) removeChart();
  removeChart = null;
}

export function showPlan(response, request, catalog) {
  hidePlan();
  files = response.files;
  $("console").textContent = response.console;
  $("console-card").hidden = false;
  $("result").hidden = false;
  const plan = response.plan;
  const found = response.outcome === "found";
  document.querySelectorAll("#result .actions, #chart, .runs-head, #runs, #fed-count").forEach((element) => {
    element.hidden = !found;
  });
  if (!found) {
    $("summary").textContent = failureText(response, catalog);
    $("console-card").querySelector("details").open = true;
    $("runs").replaceChildren();
    return;
  }
  const hours = (plan.feedings / 60).toFixed(2);
  $("summary").textContent =
    `${magText(plan.reached, catalog.forms)} in ${plan.feedings} feedings · ` +
    `${plan.meseta.toLocaleString("en")} meseta · about ${hours} hours`;
  showRuns(plan, request, catalog);
  removeChart = drawRouteChart($("chart"), plan, catalog.forms);
}
