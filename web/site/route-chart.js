// The route at a glance: the four stats and the level after every feeding, drawn with uPlot, with
// a dashed line and the new form's name wherever the mag evolves.
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

// Marks each evolution on the plot: a dashed vertical line and the new form's name.
function evolutionMarks(changes, forms) {
  return (u) => {
    const { ctx } = u;
    const { top, height } = u.bbox;
    ctx.save();
    ctx.strokeStyle = "rgba(80, 80, 90, 0.55)";
    ctx.fillStyle = "#444a55";
    ctx.setLineDash([3, 3]);
    ctx.lineWidth = devicePixelRatio;
    ctx.font = `${11 * devicePixelRatio}px system-ui, sans-serif`;
    ctx.textBaseline = "top";
    changes.forEach(({ at, type }, i) => {
      const x = Math.round(u.valToPos(at, "x", true));
      ctx.beginPath();
      ctx.moveTo(x, top);
      ctx.lineTo(x, top + height);
      ctx.stroke();
      // Names on three staggered rows, so that evolutions close together stay readable; a name
      // near the right edge is written to the left of its line.
      const y = top + 4 * devicePixelRatio + (i % 3) * 13 * devicePixelRatio;
      const name = forms[type];
      const gap = 3 * devicePixelRatio;
      const fitsRight = x + gap + ctx.measureText(name).width <= u.bbox.left + u.bbox.width;
      ctx.textAlign = fitsRight ? "left" : "right";
      ctx.fillText(name, fitsRight ? x + gap : x - gap, y);
    });
    ctx.restore();
  };
}

export function drawRouteChart(container, plan, forms) {
  const xs = plan.mags.map((_, k) => k);
  const data = [xs, ...SERIES.map(({ key }) => plan.mags.map((mag) => mag[key]))];
  const size = () => ({ width: Math.max(container.clientWidth, 260), height: container.clientWidth < 500 ? 240 : 320 });
  const chart = new uPlot({
    ...size(),
    scales: { x: { time: false } },
    axes: [{ label: "feedings" }, { label: "stat level" }],
    series: [{ label: "feeding" }, ...SERIES.map(({ label, stroke, dash }) => ({ label, stroke, dash, width: 2 }))],
    hooks: { draw: [evolutionMarks(formChanges(plan.mags), forms)] },
    cursor: { drag: { x: false, y: false } },
  }, data, container);
  let width = container.clientWidth;
  // Only a new width redraws: the chart's own height change must not feed back into the observer.
  const observer = new ResizeObserver(() => {
    if (container.clientWidth === width) return;
    width = container.clientWidth;
    chart.setSize(size());
  });
  observer.observe(container);
  return () => { observer.disconnect(); chart.destroy(); };
}
