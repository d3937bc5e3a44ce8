// The page's words for the core's verdicts. The core says which part of a request breaks which
// rule (of: start, target or budget; the field; the rule; its bound; the value given); the page
// tells the player in the words of its own form, not the command line's options. A rule the page
// has no words for is told in the core's message.
const number = (value) => (typeof value === "number" ? value.toLocaleString("en") : `"${value}"`);

// What each budget field counts, as its field on the page names it: one and more.
const BUDGET_UNITS = { maxFeedings: ["feeding", "feedings"], maxMeseta: ["meseta", "meseta"] };
const amount = (value, field) => `${number(value)} ${BUDGET_UNITS[field][value === 1 ? 0 : 1]}`;

const START_WORDS = {
  "fully-raised": ({ value, bound }) =>
    `Your mag is fully raised: it is at level ${number(value)}, and a mag goes no further than ` +
    `level ${number(bound)}.`,
  below: ({ field, value, bound }) => `Your mag's ${field} can't be ${number(value)}: it is at least ${number(bound)}.`,
  above: ({ field, value, bound }) => `Your mag's ${field} can't be ${number(value)}: it is at most ${number(bound)}.`,
  "form-left": ({ value, bound }) =>
    `Your mag can't have this form at level ${number(value)}: every mag leaves it at level ` +
    `${number(bound)}, and no evolution brings it back.`,
  "form-not-yet": ({ value, bound }) =>
    `Your mag can't have this form at level ${number(value)}: no mag evolves into it before level ` +
    `${number(bound)}.`,
};

const TARGET_WORDS = {
  below: ({ field, value, bound }) => `The target's ${field} can't be ${number(value)}: it is at least ${number(bound)}.`,
  above: ({ field, value, bound }) =>
    `The target's ${field} is ${number(value)}: a mag goes no further than ${field} ${number(bound)}.`,
  "not-above-start": ({ value, bound }) =>
    `The target is at level ${number(value)}, and your mag already at ${number(bound)}: ` +
    "raise at least one stat above your mag's.",
  "below-start": ({ field, value, bound }) =>
    `The target's ${field} is ${number(value)}, below your mag's ${number(bound)}: a stat never goes down.`,
};

// Whether `refusal` is of a budget no plan met where `request` gave both budgets: the nearest plan
// breaks one of them, and another plan may meet that one alone, so the two together are at fault.
export function missedBothBudgets(refusal, request) {
  return refusal.rule === "not-met" && request?.maxFeedings != null && request?.maxMeseta != null;
}

const BUDGET_WORDS = {
  "not-a-budget": ({ field, value, bound }) =>
    `At most ${amount(value, field)} is no budget: give a whole number from ${number(bound)}, or ` +
    "leave the field empty for none.",
  // Both budgets are named where both were given, and the nearest plans listed under the words.
  "not-met": (refusal, request) => {
    const { field, value, bound, nearest } = refusal;
    if (!missedBothBudgets(refusal, request)) {
      return `No plan was found within ${amount(bound, field)}: the nearest plan found takes ` +
        `${amount(value, field)}.`;
    }
    return `No plan was found within ${amount(request.maxFeedings, "maxFeedings")} and ` +
      `${amount(request.maxMeseta, "maxMeseta")}: ` +
      (nearest?.length > 1 ? "the nearest plans found are below." : "the nearest plan found is below.");
  },
};

const WORDS = { start: START_WORDS, target: TARGET_WORDS, budget: BUDGET_WORDS };

// The core's refusal of `request` ({"outcome": "refused", of, field, rule, bound, value,
// message}) in the page's words; a request the core could not read at all in its message.
export function refusalText(refusal, request) {
  const words = WORDS[refusal.of]?.[refusal.rule];
  if (words) return words(refusal, request);
  return refusal.message || "The planner could not read this request.";
}
