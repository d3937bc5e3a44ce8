// The form of the request: read into the request it describes without changing anything on the
// page (each field checked to be a whole number; whether the numbers are within the limits is the
// core's verdict), filled from a request, its fields at fault marked, the faults listed, the
// core's refusal shown in the page's words (with a missed budget's nearest plans), the ranges
// beside its fields, and the final forms the rules exclude marked in their menu.
import { defaultGoal } from "./implied-goal.js";
import { pointItems } from "./tradeoff-view.js";
import { missedBothBudgets, refusalText } from "./verdict-words.js";

const STATS = ["def", "pow", "dex", "mind"];
const BARS = ["defBar", "powBar", "dexBar", "mindBar"];

const $ = (id) => document.getElementById(id);

// The fields that show each parameter of an address: every field of the form.
const PARAM_FIELDS = {
  section: ["section-id"], class: ["char-class"], mag: ["form"], goal: ["goal"], form: ["final-form"],
  stats: STATS.map((stat) => `start-${stat}`), bars: BARS.map((bar) => `start-${bar}`),
  target: STATS.map((stat) => `target-${stat}`), "max-feedings": ["max-feedings"], "max-meseta": ["max-meseta"],
};
const FIELDS = Object.values(PARAM_FIELDS).flat();

// The fields of the parameters of an address.
export function fieldsOfParams(params) { return params.flatMap((param) => PARAM_FIELDS[param]); }

// The fields the core's refusal of `request` names: "def bar" is the start's defBar, a level all
// four stats of the start or the target, a budget its own field.
export function fieldsOfRefusal(refusal, request) {
  const [stat, bar] = refusal.field.split(" ");
  if (missedBothBudgets(refusal, request)) return ["max-feedings", "max-meseta"];
  if (refusal.of === "budget") return [refusal.field === "maxFeedings" ? "max-feedings" : "max-meseta"];
  if (refusal.field === "level") return STATS.map((s) => `${refusal.of}-${s}`);
  return refusal.field === "form" ? ["form"] : [`${refusal.of}-${stat}${bar ? "Bar" : ""}`];
}

// Marks the fields `ids` as at fault, leaving the marks of the others as they are.
export function markFields(ids) { ids.forEach((id) => $(id).classList.add("invalid")); }

// Marks exactly the fields `ids` as at fault: what reading the form found.
export function markOnly(ids) { FIELDS.forEach((id) => $(id).classList.toggle("invalid", ids.includes(id))); }

function fillSelect(select, names, numbered) {
  select.replaceChildren(...names.map((name, index) => {
    const option = document.createElement("option");
    option.value = String(index);
    option.textContent = numbered ? `${index + 1}: ${name}` : name;
    return option;
  }));
}

// The whole number a field holds, undefined for any other text. A number may be written with its
// thousands set apart, as the page writes them: 200,000.
function wholeNumber(id) {
  const typed = $(id).value.trim();
  const text = /^[+-]?\d{1,3}(,\d{3})+$/.test(typed) ? typed.replaceAll(",", "") : typed;
  return /^[+-]?\d+$/.test(text) && Math.abs(Number(text)) <= 2147483647 ? Number(text) : undefined;
}

function grownMag() { return document.querySelector('input[name="mag-kind"]:checked').value === "grown"; }

// The request the form describes, in the command line's words (the plan document's player,
// start, target, goal and form, and the budgets), as the fields hold it; with the faults of the
// fields that are not whole numbers, in words, and those fields. Such a field reads as undefined;
// a budget left empty is none (null), and the first plan found has no final form. Whether the
// numbers are in range is the core's verdict, the same as the command line's: a mag fully raised
// is told so even when its def is below 5.
export function readRequest(catalog) {
  const errors = [];
  const invalid = [];
  const read = (id, label) => {
    const number = wholeNumber(id);
    if (number !== undefined) return number;
    errors.push(`${label}: a whole number`);
    invalid.push(id);
    return undefined;
  };
  let start = null;
  if (grownMag()) {
    start = { form: catalog.forms[Number($("form").value)], stats: {}, bars: {} };
    STATS.forEach((stat, i) => {
      start.stats[stat] = read(`start-${stat}`, `Mag's ${stat}`);
      start.bars[stat] = read(`start-${BARS[i]}`, `Mag's ${stat} bar`);
    });
  }
  const target = {};
  STATS.forEach((stat) => { target[stat] = read(`target-${stat}`, `Desired ${stat}`); });
  const budget = (id, label) => ($(id).value.trim() === "" ? null : read(id, label));
  const maxFeedings = budget("max-feedings", "At most … feedings");
  const maxMeseta = budget("max-meseta", "At most … meseta");
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
  return { request, errors, invalid };
}

// The level of the stats in the fields `ids`, as the request reads them (a field that is no whole
// number counts 0).
function sumOf(ids) {
  return ids.reduce((sum, id) => sum + (wholeNumber(id) ?? 0), 0);
}

// The ranges beside the fields: the mag's level, and the levels left as the dialogue counts them.
export function updateHints(catalog) {
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

// The final form is a choice of the goal searches only: the first plan found is the plain search.
function showFinalFormChoice() { $("final-form-label").hidden = $("goal").value === "first"; }

// Shows the goal a request plans for in place of the one chosen, with any final form.
export function showGoal(goal) {
  $("goal").value = goal;
  $("final-form").value = "any";
  showFinalFormChoice();
}

// Fills the form with a request read from an address or saved: its names as the catalog spells
// them, its numbers as they are, checked when it is planned. A field it lacks is left as it is.
// The final forms marked were the fields' before (the answer marks those of its own target).
export function fillForm(request, catalog) {
  markFinalForms(null);
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
  updateHints(catalog);
}

export function showFieldErrors(errors) {
  $("field-errors").replaceChildren(...errors.map((text) => {
    const item = document.createElement("li");
    item.textContent = text;
    return item;
  }));
}

// The core's refusal of `request`, in the page's words, with the fields it names marked; for a
// budget no plan was found within, the nearest plans found, each handed to `onNearest` to open.
export function showRefusal(refusal, request, onNearest) {
  $("refusal").textContent = refusalText(refusal, request);
  if (refusal.field) markFields(fieldsOfRefusal(refusal, request));
  const nearest = refusal.nearest ?? [];
  $("nearest").hidden = nearest.length === 0;
  $("nearest-points").replaceChildren(...pointItems(nearest, onNearest));
  $("refusal-card").hidden = false;
}

export function hideRefusal() { $("refusal-card").hidden = true; }

// Marks in the final-form menu the forms that the evolution rules exclude for the target of
// `listing` (a forms document), which cannot be chosen; with no listing, marks none.
export function markFinalForms(listing) {
  const excluded = new Set((listing?.forms ?? []).filter((f) => f.status === "excluded")
    .map((f) => String(f.formNumber - 1)));
  [...$("final-form").options].filter((option) => option.value !== "any").forEach((option) => {
    const out = excluded.has(option.value);
    option.disabled = out;
    option.textContent = out ? `${option.dataset.name} (the rules exclude it)` : option.dataset.name;
  });
}

// Takes the core's catalog and offers its names in the selects.
export function fillChoices(catalog) {
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
  [...$("final-form").options].forEach((option) => { option.dataset.name = option.textContent; });
  const any = document.createElement("option");
  any.value = "any";
  any.textContent = "any";
  $("final-form").prepend(any);
  // A request that names no goal plans the default goal: the menu opens on it.
  showGoal(defaultGoal(catalog));
  updateHints(catalog);
}

// Keeps the hints and the final form's choice up to date as the player types and chooses, and
// drops the final forms' marks once the player, the mag or the target changes (they were that
// target's); `catalog()` is the core's catalog, null until the planner has loaded.
export function watchFields(catalog) {
  document.querySelectorAll('input[name="mag-kind"]').forEach((radio) => {
    radio.addEventListener("change", () => { $("grown-mag").hidden = !grownMag(); updateHints(catalog()); });
  });
  document.querySelectorAll("input").forEach((input) => input.addEventListener("input", () => updateHints(catalog())));
  $("goal").addEventListener("change", showFinalFormChoice);
  const targetFields = [...PARAM_FIELDS.section, ...PARAM_FIELDS.class, ...PARAM_FIELDS.mag,
    ...PARAM_FIELDS.stats, ...PARAM_FIELDS.bars, ...PARAM_FIELDS.target];
  targetFields.forEach((id) => $(id).addEventListener("input", () => markFinalForms(null)));
  document.querySelectorAll('input[name="mag-kind"]').forEach((radio) => {
    radio.addEventListener("change", () => markFinalForms(null));
  });
}
