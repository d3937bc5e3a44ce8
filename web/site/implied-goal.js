// The goal a request plans for when it names none. That is the core's verdict, as every other
// rule of a request is, and its catalog tells it for each combination of what a request gives
// (impliedGoal, keyed by the fields given of maxFeedings, maxMeseta and form, in that order,
// joined by a space); the page needs it before it sends a request, to show the goal in the form
// and to write it into the link.

// The goal of a request that gives (true) or leaves out each of a most of feedings, a most of
// meseta and a final form.
export function impliedGoal(catalog, given) {
  return catalog.impliedGoal[["maxFeedings", "maxMeseta", "form"].filter((field) => given[field]).join(" ")];
}

// The goal of a request that gives nothing but the player, the mag and the target: the goal menu
// opens on it.
export function defaultGoal(catalog) { return impliedGoal(catalog, {}); }

// The goal to plan for a request read from the form. The goal menu shows the default goal until
// the player chooses another, so a budget or a final form chosen with it means no goal was chosen:
// the request plans the goal they imply, as the command line does without --goal. The first plan
// found takes neither, so a budget typed with it plans the budget's goal too. A budget the core
// will refuse (below its least) leaves the goal as chosen, so that the refusal names the budget.
export function goalOfFormRequest(request, catalog) {
  const { goal, form, maxFeedings, maxMeseta } = request;
  const { leastMaxFeedings, leastMaxMeseta } = catalog.limits;
  // A budget field that is not a whole number reads as undefined, an empty one as null.
  const budgetsTaken = maxFeedings !== undefined && maxMeseta !== undefined &&
    (maxFeedings ?? leastMaxFeedings) >= leastMaxFeedings && (maxMeseta ?? leastMaxMeseta) >= leastMaxMeseta;
  const given = { maxFeedings: maxFeedings !== null, maxMeseta: maxMeseta !== null, form: form !== null };
  const unchosen = goal === "first" || goal === defaultGoal(catalog);
  if (!unchosen || !budgetsTaken || !(given.maxFeedings || given.maxMeseta || given.form)) return goal;
  return impliedGoal(catalog, given);
}
