// The WebAssembly entry under node, without a browser: the catalog, requests that are not what
// the page sends (answered, never aborting the module), the console lines and the goal searches'
// progress handed on while a plan runs, and every request planned afresh (the same request gives
// the same bytes, whatever was planned before it). What the answers hold is checked natively
// (tests/web) and in the page (browser_test.py). Run with OSTREL_SITE
// pointing at the built site (default build-web).
import assert from "node:assert/strict";
import { readFileSync } from "node:fs";
import { createRequire } from "node:module";
import path from "node:path";
import { before, test } from "node:test";

const site = path.resolve(process.env.OSTREL_SITE ?? "build-web");
const createOstrel = createRequire(import.meta.url)(path.join(site, "ostrel_web.js"));

let core;
let lines = [];
let progress = [];
before(async () => {
  // Node cannot fetch the .wasm from a path: hand it over as bytes.
  core = await createOstrel({
    wasmBinary: readFileSync(path.join(site, "ostrel_web.wasm")),
    onConsoleLine: (line) => lines.push(line),
    onSearchProgress: (tried, feedings, meseta) => progress.push({ tried, feedings, meseta }),
  });
});

function call(name, request) {
  const pointer = request === undefined
    ? core.ccall(name, "number", [], [])
    : core.ccall(name, "number", ["string"], [request]);
  const text = core.UTF8ToString(pointer);
  core._free(pointer);
  return JSON.parse(text);
}

const plan = (request) => call("ostrel_plan", JSON.stringify(request));
// A new mag's request, the player by the dialogue's menu numbers, sent by the catalog's names.
function newMagTo(def, pow, dex, mind, section = 0, charClass = 0) {
  const { sectionIds, charClasses } = call("ostrel_catalog");
  const player = { sectionId: sectionIds[section], charClass: charClasses[charClass] };
  return { player, start: null, target: { def, pow, dex, mind }, goal: "first" };
}

test("the catalog holds the game's lists and the limits", () => {
  const catalog = call("ostrel_catalog");
  assert.equal(catalog.sectionIds.length, 10);
  assert.equal(catalog.charClasses.length, 12);
  assert.equal(catalog.forms.length, 45);
  assert.equal(catalog.forms[0], "mag");
  assert.equal(catalog.items.length, 11);
  assert.deepEqual(catalog.goals.map((g) => g.id), ["first", "cheapest", "fewest"]);
  assert.deepEqual(catalog.limits.babyMag, {
    form: "mag", formNumber: 1, level: 5,
    stats: { def: 5, pow: 0, dex: 0, mind: 0 }, bars: { def: 0, pow: 0, dex: 0, mind: 0 },
  });
});

test("requests the page never sends are answered and leave the module working", () => {
  const strange = [
    "", "{", "null", "[]", "42", '"text"',
    '{"sectionId": 0, "charClass": 0, "target": {"def": 20, "pow": 20, "dex": 20, "mind": 20}}',
    '{"player": {"sectionId": "Oran", "charClass": "Humar"}, "target": [20, 20, 20, 20]}',
    '{"player": {"sectionId": "Oran", "charClass": "Humar"}, "start": 7, "target": {"def": 20, "pow": 20, "dex": 20, "mind": 20}}',
    '{"player": {"sectionId": "Oran", "charClass": "Humar"}, "goal": 3, "target": {"def": 20, "pow": 20, "dex": 20, "mind": 20}}',
    '{"player": {"sectionId": 1e40, "charClass": "Humar"}, "target": {"def": 20, "pow": 20, "dex": 20, "mind": 20}}',
  ];
  for (const request of strange) {
    const answer = call("ostrel_plan", request);
    assert.ok(["bad-request", "refused"].includes(answer.outcome), `${request}: ${answer.outcome}`);
  }
  assert.equal(plan(newMagTo(20, 20, 20, 20)).document.outcome, "found");
});

test("console lines are handed on as the plan writes them", () => {
  lines = [];
  const answer = plan(newMagTo(6, 1, 0, 2));
  assert.equal(answer.document.outcome, "found");
  assert.ok(lines.length > 3);
  assert.ok(lines.every((line) => line.endsWith("\n")));
  assert.equal(lines.join(""), answer.console);
});

test("every request is planned afresh", () => {
  const first = plan(newMagTo(50, 50, 50, 50));
  assert.equal(first.document.summary.feedings, 1503);
  plan(newMagTo(5, 0, 0, 195));  // gives up after the whole budget
  plan(newMagTo(30, 20, 40, 10, 3, 5));
  const again = plan(newMagTo(50, 50, 50, 50));
  assert.equal(again.console, first.console);
  assert.deepEqual(again.files, first.files);
  assert.deepEqual(again.document, first.document);
});

test("a goal search hands on its progress, and its best so far ends at the plan", () => {
  progress = [];
  const answer = plan({ ...newMagTo(20, 20, 20, 20, 5, 6), goal: "cheapest" });
  assert.equal(answer.document.outcome, "found");
  assert.ok(progress.length > 10);
  for (let k = 1; k < progress.length; ++k) assert.ok(progress[k].tried >= progress[k - 1].tried);
  const last = progress.at(-1);
  const { feedings, meseta } = answer.document.summary;
  assert.deepEqual([last.feedings, last.meseta], [feedings, meseta]);
});
