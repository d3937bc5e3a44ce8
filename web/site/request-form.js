// The form of the request: the request it describes (each field checked to be a whole number;
// whether the numbers are within the limits is the core's verdict), the form filled from a
// request, the ranges beside its fields, and the fields at fault marked.
import { impliedGoal } from "./url-state.js";

const STATS = ["def", "pow", "dex", "mind"];
const BARS = ["defBar", "powBar", "dexBar", "mindBar"];

const $ = (id) => document.getElementById(id);
let catalog = null;  // the names and limits of the core, once it has told them

// The fields that show each parameter of an address.
const PARAM_FIELDS = {
  section: ["section-id"], class: ["char-class"], mag: ["form"], goal: ["goal"], form: ["final-form"],
  stats: STATS.map((stat) => `start-${stat}`), bars: BARS.map((bar) => `start-${bar}`),
  target: STATS.map((stat) => `target-${stat}`), "max-feedings": ["max-feedings"], "max-meseta": ["max-meseta"],
};

// Marks the fields of the parameters of an address at fault.
export function markParams(faulty) {
  faulty.flatMap((param) => PARAM_FIELDS[param]).forEach((id) => $(id).classList.add("invalid"));
}

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
// start, target, goal and form), or the list of fields that are not whole numbers. A request
// read from an address has its goal `settled` by the address (url-state.js): a link's first goal
// with a budget is a fault to show as the link gives it, not a goal to change.
export function readRequest({ settled = false } = {}) {
  const errors = [];
  const read = (id, label) => {
    const field = readWhole(id, label);
    if (field.error) errors.push(field.error);
    return field.value;
  };
  let start = null;
  ["section-id", "char-class", "form", "goal", "final-form"].forEach((id) => $(id).classList.remove("invalid"));
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
  // A budget left empty is none; the first plan found has none, so a budget with it plans what
  // the budget means: the cheapest within the feedings, or the shortest within the meseta (once
  // the budgets are budgets: a slip leaves the goal as it was, for the field to be marked).
  const budget = (id, label) => {
    if ($(id).value.trim() !== "") return read(id, label);
    $(id).classList.remove("invalid");
    return null;
  };
  const errorsBefore = errors.length;
  const maxFeedings = budget("max-feedings", "At most … feedings");
  const maxMeseta = budget("max-meseta", "At most … meseta");
  const { leastMaxFeedings, leastMaxMeseta } = catalog.limits;
  const budgetsRead = errors.length === errorsBefore && (maxFeedings ?? leastMaxFeedings) >= leastMaxFeedings &&
    (maxMeseta ?? leastMaxMeseta) >= leastMaxMeseta;
  if (!settled && budgetsRead && $("goal").value === "first" && (maxFeedings !== null || maxMeseta !== null)) {
    $("goal").value = impliedGoal({ maxFeedings: maxFeedings !== null, maxMeseta: maxMeseta !== null });
    $("final-form").value = "any";  // the first plan found had none, whatever the list shows
    showFinalFormChoice();
  }
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
    maxFeedings,
    maxMeseta,
  };
  return { request, errors };
}

// Marks the fields the core's verdict names: "def bar" is the start's defBar, a level all four
// stats of the start or the target.
export function markRefusedFields(refusal) {
  const [stat, bar] = refusal.field.split(" ");
  const ids = refusal.of === "budget" ? [refusal.field === "maxFeedings" ? "max-feedings" : "max-meseta"]
    : refusal.field === "level"
    ? STATS.map((s) => `${refusal.of}-${s}`)
    : refusal.field === "form" ? ["form"] : [`${refusal.of}-${stat}${bar ? "Bar" : ""}`];
  ids.forEach((id) => $(id).classList.add("invalid"));
}

function sumOf(ids) {
  return ids.reduce((sum, id) => sum + (Number.parseInt($(id).value, 10) || 0), 0);
}

// The ranges beside the fields: the mag's level, and the levels left as the dialogue counts them.
export function updateHints() {
  if (!catalog) return;
  const { maxLevel, minDef, maxBar } = catalog.limits;
  const startLevel = grownMag() ? sumOf(STATS.map((s) => `start-${s}`)) : catalog.limits.babyMag.level;
  $("start-hint").textContent =
    `Level ${startLevel}, must stay below ${maxLevel}. def at least ${minDef}, others at least 0, bars 0 to ${maxBar}.`;
  const targetLevel = sumOf(STATS.map((s) => `target-${s}`));
  $("target-hint").textContent =
    `Level ${targetLevel} of at most ${maxLevel} (${targetLevel > maxLevel
      ? `${targetLevel - maxLevel} over` : `${maxLevel - targetLevel} remaining`}), above ` +
    `the mag's ${startLevel}; def at least ${minDef}, no stat below the mag's.`;
}

// Fills the form with a request read from an address or saved: its names as the catalog spells
// them, its numbers as they are, checked when it is planned. A field it lacks is left as it is.
export function fillForm(request) {
  const { player, start, target } = request;
  const choose = (id, names, name) => {
    if (name !== null) $(id).value = String(names.indexOf(name));
  };
  choose("section-id", catalog.sectionIds, player.sectionId);
  choose("char-class", catalog.charClasses, player.charClass);
  if (request.goal !== null) $("goal").value = request.goal;
  $("final-form").value = request.form === null ? "any" : String(catalog.forms.indexOf(request.form));
  showFinalFormChoice();
  document.querySelector(`input[name="mag-kind"][value="${start ? "grown" : "new"}"]`).checked = true;
  $("grown-mag").hidden = !start;
  if (start) {
    choose("form", catalog.forms, start.form);
    STATS.forEach((stat, i) => {
      $(`start-${stat}`).value = start.stats[stat];
      $(`start-${BARS[i]}`).value = start.bars[stat];
    });
  }
  STATS.forEach((stat) => { $(`target-${stat}`).value = target[stat]; });
  $("max-feedings").value = request.maxFeedings ?? "";
  $("max-meseta").value = request.maxMeseta ?? "";
  updateHints();
}

export function showFieldErrors(errors) {
  $("field-errors").replaceChildren(...errors.map((text) => {
    const item = document.createElement("li");
    item.textContent = text;
    return item;
  }));
}

// The final form is a choice of the goal searches only: the first plan found is the plain search.
export function showFinalFormChoice() { $("final-form-label").hidden = $("goal").value === "first"; }

// Takes the core's catalog and offers its names in the selects.
export function fillChoices(told) {
  catalog = told;
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
}

// Keeps the hints and the final form's choice up to date as the player types and chooses.
export function watchFields() {
  document.querySelectorAll('input[name="mag-kind"]').forEach((radio) => {
    radio.addEventListener("change", () => { $("grown-mag").hidden = !grownMag(); updateHints(); });
  });
  document.querySelectorAll("input").forEach((input) => input.addEventListener("input", updateHints));
  $("goal").addEventListener("change", showFinalFormChoice);
}
