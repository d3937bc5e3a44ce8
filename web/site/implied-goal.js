// The goal a request plans for when it names none. That is the core's verdict, as every other
// rule of a request is; the page needs it before it sends a request, to show the goal in the form
// and to write it into the link.
//
// STOPGAP: the one rule of the core that the page still repeats. Once the core's catalog tells
// the implied goal of each combination of what a request gives, as
//   "impliedGoal": {"": "first", "form": "cheapest", "maxFeedings": "cheapest",
//                   "maxMeseta": "fewest", "maxMeseta form": "fewest", ...}
// (keys: the fields given, of maxFeedings, maxMeseta and form in that order, joined by a space),
// the body of impliedGoal becomes
//   return catalog.impliedGoal[["maxFeedings", "maxMeseta", "form"].filter((f) => given[f]).join(" ")];
// and nothing else here changes.

// The goal of a request that gives (true) or leaves out each of a most of feedings, a most of
// meseta and a final form: a budget or a final form asks for a search that weighs plans (the
// cheapest within a most of feedings or ending in the form, the shortest within a most of meseta
// alone), else the first plan found.
export function impliedGoal(catalog, given) {
  if (given.maxFeedings) return "cheapest";
  if (given.maxMeseta) return "fewest";
  return given.form ? "cheapest" : "first";
}

// The goal to plan for a request read from the form. The form shows the first plan found until the
// player chooses a goal, so a budget typed with it means no goal was chosen: the request plans the
// goal the budget implies. A budget the core will refuse (below its least) leaves the goal as
// chosen, so that the refusal names the budget and not the goal.
export function goalOfFormRequest(request, catalog) {
  const { goal, maxFeedings, maxMeseta } = request;
  const { leastMaxFeedings, leastMaxMeseta } = catalog.limits;
  // A budget field that is not a whole number reads as undefined, an empty one as null.
  const budgetsTaken = maxFeedings !== undefined && maxMeseta !== undefined &&
    (maxFeedings ?? leastMaxFeedings) >= leastMaxFeedings && (maxMeseta ?? leastMaxMeseta) >= leastMaxMeseta;
  if (goal !== "first" || !budgetsTaken || (maxFeedings === null && maxMeseta === null)) return goal;
  return impliedGoal(catalog, { maxFeedings: maxFeedings !== null, maxMeseta: maxMeseta !== null });
}
