// The WebAssembly entry under node, without a browser (the page itself uses its catalog): the
// answers to requests refused or not what the page sends (word for word as natively, in
// tests/cases/page_refusals.jsonl, never aborting the module, and where a row gives the page's
// words for the refusal, those words), the console lines handed on while
// a plan runs, every request planned afresh (the same request gives the same bytes, whatever was
// planned before it), and a plan held opened again by ostrel_replay as its budget's plan. The
// plans are checked natively (tests/web) and in the page (browser_test.py). Run with OSTREL_SITE
// pointing at the built site (default build-web/site).
import assert from "node:assert/strict";
import { readFileSync } from "node:fs";
import { before, test } from "node:test";

import { refusalText } from "../site/verdict-words.js";
import { call, loadCore } from "./core.mjs";

let core;
let lines = [];
before(async () => {
  core = await loadCore({ onConsoleLine: (line) => lines.push(line) });
});

const plan = (request) => call(core, "ostrel_plan", JSON.stringify(request));
const newMagTo = (def, pow, dex, mind, sectionId = "Purplenum", charClass = "Humar") =>
  ({ player: { sectionId, charClass }, goal: "first", start: null, target: { def, pow, dex, mind } });

test("refused and malformed requests get the native answers and leave the module working", () => {
  const table = new URL("../../tests/cases/page_refusals.jsonl", import.meta.url);
  for (const row of readFileSync(table, "utf8").trim().split("\n").map((l) => JSON.parse(l))) {
    const text = typeof row.request === "string" ? row.request : JSON.stringify(row.request);
    assert.deepEqual(call(core, `ostrel_${row.entry ?? "plan"}`, text), row.answer, text);
    if (row.words) assert.equal(refusalText(row.answer, row.request), row.words, text);
  }
  assert.equal(plan(newMagTo(20, 20, 20, 20)).document.outcome, "found");
});

test("console lines are handed on as the plan writes them; every request is planned afresh", () => {
  lines = [];
  const first = plan(newMagTo(50, 50, 50, 50));
  assert.ok(lines.length > 3 && lines.every((line) => line.endsWith("\n")));
  assert.equal(lines.join(""), first.console);
  assert.equal(first.document.summary.feedings, 1503);
  plan(newMagTo(5, 0, 0, 195));  // gives up after the whole budget
  plan(newMagTo(30, 20, 40, 10, "Viridia", "Racast"));
  assert.deepEqual(plan(newMagTo(50, 50, 50, 50)), first);
});

test("a plan held opens again without a search, as the plan of a budget of its feedings", () => {
  const request = { ...newMagTo(6, 1, 0, 2), goal: "cheapest" };
  const nearest = plan({ ...request, maxFeedings: 1 }).nearest[0];
  const runs = nearest.plan.runs.map(({ item, count }) => ({ item, count }));
  lines = [];
  const replayed = call(core, "ostrel_replay", JSON.stringify({ ...request, runs }));
  assert.equal(lines.join(""), replayed.console);
  assert.deepEqual(replayed, plan({ ...request, maxFeedings: nearest.feedings }));
});
