// The page's links (web/site/url-state.js) under node, with the core's own catalog: each row of
// tests/cases/page_links.jsonl is a link and the request it opens (with its faults in words and
// the parameters at fault), a link that holds no request, or a request and the link it makes,
// which opens again without a fault. A link made once must open the same plan for good.
import assert from "node:assert/strict";
import { readFileSync } from "node:fs";
import { test } from "node:test";

import { holdsRequest, queryOf, requestOf } from "../site/url-state.js";
import { call, loadCore } from "./core.mjs";

const rows = readFileSync(new URL("../../tests/cases/page_links.jsonl", import.meta.url), "utf8")
  .trim().split("\n").map((line) => JSON.parse(line));
const catalog = call(await loadCore(), "ostrel_catalog");

for (const row of rows) {
  test(row.name, () => {
    assert.equal(holdsRequest(row.link), row.holds ?? true);
    if (row.opens) {
      assert.deepEqual(requestOf(row.link, catalog),
        { request: row.opens, errors: row.errors ?? [], faulty: row.faulty ?? [] });
    }
    if (row.request) {
      assert.equal(queryOf(row.request), row.link);
      assert.deepEqual(requestOf(row.link, catalog).errors, []);
    }
  });
}
