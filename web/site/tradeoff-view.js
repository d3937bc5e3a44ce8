// The trade-off card: the plans from the fewest feedings to the least meseta as a chart
// (tradeoff-chart.js), and as a list that says the same in words, for a reader the chart does not
// serve. Choosing a point, on either, hands the whole point (its figures and its plan) to the page.
import { drawTradeoffChart } from "./tradeoff-chart.js";

const $ = (id) => document.getElementById(id);
const number = (value) => value.toLocaleString("en");

let removeChart = () => {};

export function hideTradeoff() {
  removeChart();
  removeChart = () => {};
  $("tradeoff-card").hidden = true;
}

// `points` are the trade-off document's, at least one; `onPick(point)` plans or shows one.
export function showTradeoff(points, onPick) {
  hideTradeoff();
  $("tradeoff-card").hidden = false;
  $("tradeoff-points").replaceChildren(...points.map((point) => {
    const item = document.createElement("li");
    item.textContent = `${number(point.feedings)} feedings · ${number(point.meseta)} meseta · ` +
      `about ${point.hours.toFixed(2)} hours · ${point.form} `;
    const choose = document.createElement("button");
    choose.type = "button";
    choose.className = "secondary";
    choose.textContent = "Plan this";
    choose.addEventListener("click", () => onPick(point));
    item.append(choose);
    return item;
  }));
  removeChart = drawTradeoffChart($("tradeoff-chart"), points, (index) => onPick(points[index]));
}
