// The trade-off card: the plans from the fewest feedings to the least meseta as a chart
// (tradeoff-chart.js), and as a list that says the same in words, for a reader the chart does not
// serve. Choosing a point, on either, hands the whole point (its figures and its plan) to the page,
// which opens its plan at once. The list's items serve the nearest plans of a budget too.
import { boundWords } from "./bound-words.js";
import { drawTradeoffChart } from "./tradeoff-chart.js";

const $ = (id) => document.getElementById(id);
const number = (value) => value.toLocaleString("en");

let removeChart = () => {};

// The items of a list of points (the trade-off document's, or a refusal's nearest plans), each
// with its figures and a button that hands it to `onPick`.
export function pointItems(points, onPick) {
  return points.map((point) => {
    const item = document.createElement("li");
    item.textContent = `${number(point.feedings)} feedings · ${number(point.meseta)} meseta · ` +
      `about ${point.hours.toFixed(2)} hours · ${point.form} `;
    const choose = document.createElement("button");
    choose.type = "button";
    choose.className = "secondary";
    choose.textContent = "Open this plan";
    choose.addEventListener("click", () => onPick(point));
    item.append(choose);
    return item;
  });
}

export function hideTradeoff() {
  removeChart();
  removeChart = () => {};
  $("tradeoff-card").hidden = true;
}

// How near the ends come to the best possible, from the document's bound (null without one).
function endsText(bound, form) {
  if (!bound) return "";
  const fewest = boundWords(bound.fewest, form);
  const cheapest = boundWords(bound.cheapest, form);
  return [fewest && `The shortest plan is ${fewest}.`, cheapest && `The cheapest is ${cheapest}.`]
    .filter(Boolean).join(" ");
}

// `tradeoff` is the trade-off document, with at least one point; `onPick(point)` opens one.
export function showTradeoff(tradeoff, onPick) {
  const { points } = tradeoff;
  hideTradeoff();
  $("tradeoff-card").hidden = false;
  $("tradeoff-points").replaceChildren(...pointItems(points, onPick));
  $("tradeoff-bound").textContent = endsText(tradeoff.bound, tradeoff.form);
  $("tradeoff-bound").hidden = $("tradeoff-bound").textContent === "";
  removeChart = drawTradeoffChart($("tradeoff-chart"), points, (index) => onPick(points[index]));
}
