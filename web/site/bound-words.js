// How far a plan is from the best possible, in the words of the line ostrel plan prints under it.
// `bound` is a document's {meseta or feedings, ratio}, the ratio rounded up to thousandths, so
// the whole percentage rounded up from it is the console's; `form`, the form the plans were asked
// to end in, if any.
export function boundWords(bound, form) {
  if (!bound) return "";
  const best = ("meseta" in bound ? "the cheapest possible" : "the fewest feedings possible") +
    (form ? ` ending as ${form}` : "");
  if (bound.ratio === 1) return `proven ${best}`;
  return `at most ${percentAbove(bound)}% above ${best}`;
}

// The same, short, for a table whose header names the best: "12%" or "proven".
export function boundShortWords(bound) {
  if (!bound) return "";
  return bound.ratio === 1 ? "proven" : `≤ ${percentAbove(bound)}%`;
}

function percentAbove(bound) {
  const thousandths = Math.round((bound.ratio - 1) * 1000);
  return Math.ceil(thousandths / 10);
}
