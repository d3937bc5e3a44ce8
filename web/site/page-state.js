// The page's state in one object, owned by the controller (app.js): the core's catalog, the
// request the planner is answering, what the page shows, and the answers kept so that going back
// and forth, or asking again, shows them at once. The views draw what they are handed and keep
// none of it; the form is read afresh whenever a request is planned.
const PLANS_KEPT = 20;  // answers to plans: enough for the steps of history a player goes back over

export function createPageState() {
  return {
    catalog: null,  // the core's names, goals and limits, once its planner has loaded
    // The request the planner is answering: {kind, sentAt, line, progress} (the console's latest
    // line, the goal search's latest progress); null while none runs.
    run: null,
    shown: {
      request: null,   // the request of the plan on the page, as it was sent
      answer: null,    // the core's answer to it: the plan document, console lines and files
      status: "",      // the status line of that plan, which the answers after it extend
      tradeoff: null,  // the key of the trade-off on the page (tradeoffKey), or null
    },
    kept: {
      plans: new Map(),      // the core's answers to plans, by the query of their request
      listings: new Map(),   // forms documents, by listingKey
      tradeoffs: new Map(),  // trade-off documents, by tradeoffKey
    },
  };
}

// A request without its final form and budget: the key of its listing of the forms.
export function listingKey(request) {
  return JSON.stringify({ ...request, form: null, maxFeedings: null, maxMeseta: null });
}

// The trade-off's key: the request without its goal and budget (its form holds).
export function tradeoffKey(request) {
  return JSON.stringify({ ...request, goal: null, maxFeedings: null, maxMeseta: null });
}

// Keeps the answer to a plan, the oldest forgotten past PLANS_KEPT.
export function keepPlan(state, query, answer) {
  const { plans } = state.kept;
  plans.set(query, answer);
  if (plans.size > PLANS_KEPT) plans.delete(plans.keys().next().value);
}

// The final form of the plan on the page, as the forms listing numbers forms, or null.
export function shownForm(state) {
  const summary = state.shown.answer?.document?.summary;
  return summary ? summary.reached.formNumber - 1 : null;
}
