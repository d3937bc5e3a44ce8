// The trade-off between feedings and meseta: one point per plan, from the shortest plan (left,
// dearest) to the cheapest (right), drawn with uPlot. Hovering a point shows its figures in the
// legend; clicking it hands its index to `onPick`, which shows that plan.
/* global uPlot */
import { followWidth } from "./route-chart.js";

// A plan's feedings as hours of feeding, as the plans themselves tell it.
function hoursText(point) {
  return point.hours.toFixed(2);
}

export function drawTradeoffChart(container, points, onPick) {
  const data = [points.map((p) => p.feedings), points.map((p) => p.meseta)];
  const size = () => ({ width: Math.max(container.clientWidth, 260), height: container.clientWidth < 500 ? 220 : 280 });
  const chart = new uPlot({
    ...size(),
    scales: { x: { time: false } },
    axes: [{ label: "feedings" }, { label: "meseta", size: 70 }],
    series: [
      { label: "feedings" },
      {
        label: "meseta",
        stroke: "#3b6fd6",
        width: 1,
        dash: [4, 4],
        points: { show: true, size: 10, fill: "#3b6fd6" },
        value: (u, meseta, series, idx) => (idx == null ? "--"
          : `${meseta.toLocaleString("en")} (${hoursText(points[idx])} h, ${points[idx].form})`),
      },
    ],
    cursor: { drag: { x: false, y: false }, points: { size: 14 } },
  }, data, container);
  // A click picks the point nearest the pointer, as the cursor shows it.
  const onClick = () => {
    if (chart.cursor.idx != null) onPick(chart.cursor.idx);
  };
  chart.over.addEventListener("click", onClick);
  const stopFollowing = followWidth(container, chart, size);
  return () => { stopFollowing(); chart.over.removeEventListener("click", onClick); chart.destroy(); };
}
