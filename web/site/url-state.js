// The request in the page's address, so that a link or a bookmark opens its plan. The parameters
// are named as the command line's options: section, class, mag, stats, bars, target, goal and form
// (the final form); any other field of the request is one parameter named in the options' style
// (maxFeedings: max-feedings). Names are written in lower case and read in any case or as the
// number of the dialogue's menu, as the command line reads them; a new mag has no mag, stats or
// bars, and bars left out are 0/0/0/0. A link without a goal plans the goal its budget or final
// form implies, and without either the default goal, as the command line does; every link the
// page writes names its goal, so a link made before the default changed opens the plan it did.
// Nothing here touches the page: the page's tests read links and write them under node
// (web/test/url_state_test.mjs).
import { impliedGoal } from "./implied-goal.js";

const STATS = ["def", "pow", "dex", "mind"];
// The request's fields with a shape of their own; every other field is one parameter as it is.
const SHAPED = ["player", "start", "target"];
// The parameters of a link to a plan: an address with none of them holds no request (whatever
// else a site that passed the link on has added to it).
const REQUEST_PARAMS = ["section", "class", "mag", "stats", "bars", "target"];
const READ_APART = [...REQUEST_PARAMS, "goal", "form"];

// Every parameter the page reads, each given once at most.
const READ = [...READ_APART, "max-feedings", "max-meseta"];

const paramName = (field) => field.replace(/[A-Z]/g, (letter) => `-${letter.toLowerCase()}`);
const fieldName = (param) => param.replace(/-([a-z])/g, (_, letter) => letter.toUpperCase());
const fourStats = (values) => STATS.map((stat) => values[stat]).join("/");

// The query of the address (without its "?") for a request the form has read.
export function queryOf(request) {
  const { player, start, target } = request;
  const params = [["section", player.sectionId.toLowerCase()], ["class", player.charClass.toLowerCase()]];
  if (start) {
    params.push(["mag", start.form.toLowerCase()], ["stats", fourStats(start.stats)],
      ["bars", fourStats(start.bars)]);
  }
  params.push(["target", fourStats(target)]);
  Object.entries(request).forEach(([field, value]) => {
    if (SHAPED.includes(field) || value === null || value === undefined) return;
    params.push([paramName(field), typeof value === "string" ? value.toLowerCase() : String(value)]);
  });
  // The slashes of the stats stay as they are: a query may hold them, and the link stays readable.
  return params.map(([name, value]) => `${name}=${encodeURIComponent(value).replace(/%2F/g, "/")}`)
    .join("&");
}

// Whether a query holds a request at all: a link to a plan, not only what others added to it.
export function holdsRequest(query) {
  const params = new URLSearchParams(query);
  return REQUEST_PARAMS.some((name) => params.has(name));
}

// The request an address holds, as much of it as can be read: its names as the catalog spells
// them (null where the address has none the page knows), its numbers as the address has them (the
// page checks them as it checks what the player types), the address's faults in words, and the
// parameters at fault.
export function requestOf(query, catalog) {
  const params = new URLSearchParams(query);
  const errors = [];
  const faulty = new Set();
  const fault = (param, text) => {
    errors.push(text);
    faulty.add(param);
  };
  const lookUp = (param, names, firstNumber, what) => {
    const text = (params.get(param) ?? "").trim();
    const number = /^\d+$/.test(text) ? Number(text) - firstNumber : -1;
    const found = names.find((name) => name.toLowerCase() === text.toLowerCase()) ?? names[number];
    if (found === undefined) {
      fault(param, text ? `The link's ${param} "${text}" is not a ${what}` : `The link has no ${param}`);
    }
    return found ?? null;
  };
  const statsOf = (param, absent) => {
    const text = params.get(param) ?? absent;
    const parts = text.split("/");
    if (params.has(param) && parts.length !== STATS.length) {
      fault(param, `The link's ${param} "${text}" is not four numbers DEF/POW/DEX/MIND`);
    }
    return Object.fromEntries(STATS.map((stat, i) => [stat, (parts[i] ?? "").trim()]));
  };
  READ.filter((param) => params.getAll(param).length > 1)
    .forEach((param) => fault(param, `The link gives its ${param} more than once`));
  const request = {};
  params.forEach((value, param) => {
    if (!READ_APART.includes(param)) request[fieldName(param)] = value;
  });
  request.player = {
    sectionId: lookUp("section", catalog.sectionIds, 0, "section ID"),
    charClass: lookUp("class", catalog.charClasses, 0, "class"),
  };
  const grown = ["mag", "stats", "bars"].some((name) => params.has(name));
  request.start = grown ? {
    form: lookUp("mag", catalog.forms, 1, "form"),
    stats: statsOf("stats", ""),
    bars: statsOf("bars", "0/0/0/0"),
  } : null;
  request.target = statsOf("target", "");
  const goal = (params.get("goal") ?? impliedGoal(catalog, { maxFeedings: params.has("max-feedings"),
    maxMeseta: params.has("max-meseta"), form: params.has("form") })).trim().toLowerCase();
  request.goal = catalog.goals.some((known) => known.id === goal) ? goal : null;
  if (request.goal === null) fault("goal", `The link's goal "${goal}" is not a goal`);
  request.form = params.has("form") ? lookUp("form", catalog.forms, 1, "form") : null;
  ["form", "max-feedings", "max-meseta"].filter((param) => request.goal === "first" && params.has(param))
    .forEach((param) => fault("goal", `The link's ${param} goes with the cheapest or the fewest goal, not the first plan found`));
  ["max-feedings", "max-meseta"].filter((param) => params.has(param) && params.get(param).trim() === "")
    .forEach((param) => fault(param, `The link's ${param} is empty`));
  return { request, errors, faulty: [...faulty] };
}
