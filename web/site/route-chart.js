// The route at a glance: the four stats and the level after every feeding, drawn with uPlot, with
// a dashed line and the new form's name wherever the mag evolves, and every evolution listed
// under the chart (the names on the chart are left out where they would not fit).
/* global uPlot */

const SERIES = [
  { key: "def", label: "def", stroke: "#3b6fd6" },
  { key: "pow", label: "pow", stroke: "#d64545" },
  { key: "dex", label: "dex", stroke: "#2f9e56" },
  { key: "mind", label: "mind", stroke: "#9a4fd0" },
  { key: "level", label: "level", stroke: "#8a8f98", dash: [6, 4] },
];

function formChanges(mags) {
  const changes = [];
  for (let k = 1; k < mags.length; ++k) {
    if (mags[k].type !== mags[k - 1].type) changes.push({ at: k, type: mags[k].type });
  }
  return changes;
}

// The rows of form names at the top of the plot, so that names close together do not overlap.
const LABEL_ROWS = 4;

// Marks each evolution on the plot: a dashed vertical line and the new form's name. Each name
// takes the highest row where it clears the names before it; a name for which no row has room
// is left out (the list under the chart has it), so names never overlap at any width.
function evolutionMarks(changes, forms) {
  return (u) => {
    const { ctx } = u;
    const { top, height, left, width } = u.bbox;
    const px = devicePixelRatio;
    ctx.save();
    ctx.strokeStyle = "rgba(80, 80, 90, 0.55)";
    ctx.fillStyle = "#444a55";
    ctx.setLineDash([3, 3]);
    ctx.lineWidth = px;
    ctx.font = `${11 * px}px system-ui, sans-serif`;
    ctx.textBaseline = "top";
    ctx.textAlign = "left";
    const rowEnds = new Array(LABEL_ROWS).fill(-Infinity);
    changes.forEach(({ at, type }) => {
      const x = Math.round(u.valToPos(at, "x", true));
      ctx.beginPath();
      ctx.moveTo(x, top);
      ctx.lineTo(x, top + height);
      ctx.stroke();
      // Right of the line, or left of it near the chart's right edge.
      const name = forms[type];
      const gap = 3 * px;
      const w = ctx.measureText(name).width;
      const start = x + gap + w <= left + width ? x + gap : x - gap - w;
      const row = rowEnds.findIndex((end) => start >= end + 2 * gap);
      if (row < 0) return;
      rowEnds[row] = start + w;
      ctx.fillText(name, start, top + 4 * px + row * 13 * px);
    });
    ctx.restore();
  };
}

// Every evolution in words, under the chart: the new form and the feeding after which it comes.
function evolutionList(changes, forms) {
  const list = document.createElement("p");
  list.className = "evolutions";
  list.textContent = changes.length === 0 ? "No evolution on the way."
    : `Evolves: ${changes.map(({ at, type }) => `${forms[type]} after feeding ${at.toLocaleString("en")}`)
      .join(" · ")}`;
  return list;
}

// Redraws `chart` at `size()` whenever the container's width changes. Only a new width redraws:
// the chart's own height change must not feed back into the observer. Returns what stops it.
export function followWidth(container, chart, size) {
  let width = container.clientWidth;
  const observer = new ResizeObserver(() => {
    if (container.clientWidth === width) return;
    width = container.clientWidth;
    chart.setSize(size());
  });
  observer.observe(container);
  return () => observer.disconnect();
}

export function drawRouteChart(container, plan, forms) {
  const xs = plan.mags.map((_, k) => k);
  const changes = formChanges(plan.mags);
  const data = [xs, ...SERIES.map(({ key }) => plan.mags.map((mag) => mag[key]))];
  const size = () => ({ width: Math.max(container.clientWidth, 260), height: container.clientWidth < 500 ? 240 : 320 });
  const chart = new uPlot({
    ...size(),
    scales: { x: { time: false } },
    axes: [{ label: "feedings" }, { label: "stat level" }],
    series: [{ label: "feeding" }, ...SERIES.map(({ label, stroke, dash }) => ({ label, stroke, dash, width: 2 }))],
    hooks: { draw: [evolutionMarks(changes, forms)] },
    cursor: { drag: { x: false, y: false } },
  }, data, container);
  const list = evolutionList(changes, forms);
  container.after(list);
  const stopFollowing = followWidth(container, chart, size);
  return () => { stopFollowing(); chart.destroy(); list.remove(); };
}
