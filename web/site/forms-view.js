// The final forms a target can end in: the forms that plans were found for, best first for the
// goal, each with its feedings and meseta, how far it is at most above the best plan ending in
// the form, and a button that plans for it; the forms that no plan
// was found for (not found, which is not impossible); and the forms the evolution rules or the
// feeding tables rule out, with the reason.
import { boundShortWords, boundWords } from "./bound-words.js";

const $ = (id) => document.getElementById(id);

const byGoal = {
  cheapest: (a, b) => a.meseta - b.meseta || a.feedings - b.feedings,
  fewest: (a, b) => a.feedings - b.feedings || a.meseta - b.meseta,
};

function element(tag, text, className) {
  const made = document.createElement(tag);
  if (text !== undefined) made.textContent = text;
  if (className) made.className = className;
  return made;
}

export function hideForms() { $("forms-card").hidden = true; }

// Shows that the listing is being searched for.
export function showFormsPending() {
  $("forms-card").hidden = false;
  $("forms-note").textContent = "Searching for the best plan of every final form…";
  $("forms-reached").replaceChildren();
  $("forms-other").replaceChildren();
}

// `listing` is the core's forms document (the command line's); `shownForm` the form of the plan
// on the page (marked), if any; `onChoose(type)` plans for a form.
export function showForms(listing, shownForm, onChoose) {
  const reached = listing.forms.filter((f) => f.status === "reached").sort(byGoal[listing.goal]);
  const notFound = listing.forms.filter((f) => f.status === "not-found");
  const excluded = listing.forms.filter((f) => f.status === "excluded");
  $("forms-card").hidden = false;
  // With none reached, the core's reason, as the command line tells it (a target that no
  // sequence of feedings reaches, or no plan found for any form).
  $("forms-note").textContent = reached.length === 0
    ? `${listing.reason[0].toUpperCase()}${listing.reason.slice(1)}.`
    : `${reached.length} final form${reached.length === 1 ? "" : "s"} reached, ` +
      `${listing.goal === "cheapest" ? "cheapest" : "fewest feedings"} first. Choose one to plan for it.`;

  // No header over no rows.
  $("forms-reached").closest("table").hidden = reached.length === 0;
  $("forms-reached").replaceChildren(...reached.map((form) => {
    const row = element("tr");
    const type = form.formNumber - 1;
    if (type === shownForm) row.className = "shown";
    row.dataset.form = String(type);
    const button = element("button", form.form, "form-choice");
    button.type = "button";
    button.title = `Plan for a mag that ends as ${form.form}`;
    button.addEventListener("click", () => onChoose(type));
    const name = element("td");
    name.append(button);
    // How far the form's plan is from the best plan ending in it: the words in full on hover.
    const above = element("td", boundShortWords(form.bound), "number");
    above.title = boundWords(form.bound, form.form);
    row.append(name, element("td", form.feedings.toLocaleString("en"), "number"),
      element("td", form.meseta.toLocaleString("en"), "number"), above);
    return row;
  }));

  const other = [];
  if (notFound.length > 0) {
    const line = element("p", "", "hint");
    line.append(element("b", "Not found: "), notFound.map((f) => f.form).join(", "));
    line.append(". No plan ending in these was found, though the rules allow them.");
    other.push(line);
  }
  if (excluded.length > 0) {
    const details = element("details");
    details.append(element("summary", `Ruled out (${excluded.length})`));
    const list = element("ul", undefined, "excluded");
    list.append(...excluded.map((f) => {
      const item = element("li");
      item.append(element("b", f.form), `: ${f.reason}`);
      return item;
    }));
    details.append(list);
    other.push(details);
  }
  $("forms-other").replaceChildren(...other);
}
