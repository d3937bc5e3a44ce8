// The planner's WebAssembly module under node, as the page's worker loads it, for the tests of
// web/test/: OSTREL_SITE names the built site (default build-web/site).
import { readFileSync } from "node:fs";
import { createRequire } from "node:module";
import path from "node:path";

const site = path.resolve(process.env.OSTREL_SITE ?? "build-web/site");

// The module with `options` (its callbacks); node cannot fetch the .wasm from a path, so it is
// handed over as bytes.
export function loadCore(options = {}) {
  const createOstrel = createRequire(import.meta.url)(path.join(site, "ostrel_web.js"));
  return createOstrel({ wasmBinary: readFileSync(path.join(site, "ostrel_web.wasm")), ...options });
}

// Calls an entry of the module (with a request, or none) and parses the JSON text it returns.
export function call(core, name, request) {
  const pointer = request === undefined ? core.ccall(name, "number", [], [])
    : core.ccall(name, "number", ["string"], [request]);
  const text = core.UTF8ToString(pointer);
  core._free(pointer);
  return JSON.parse(text);
}
