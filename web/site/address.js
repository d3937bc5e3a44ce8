// The page's address and history: the address holds the request of the plan shown (url-state.js),
// each plan the player asks for is a step of the browser's history, and the last request planned
// is kept on this machine, so that the page opened without a request plans it again.
import { keep, readKept } from "./kept-data.js";
import { holdsRequest, queryOf, requestOf } from "./url-state.js";

const LAST_QUERY_KEY = "ostrel.lastQuery";

// Puts a request in the address: as a new step of the history, or in place of the step it is
// (read from the address, in the words the page writes).
export function showInAddress(request, newStep) {
  const query = queryOf(request);
  keep(LAST_QUERY_KEY, query);
  if (`?${query}` !== location.search) history[newStep ? "pushState" : "replaceState"](null, "", `?${query}`);
}

// The query of the address, or null when it holds no request.
export function addressQuery() {
  return holdsRequest(location.search) ? location.search : null;
}

// The query the page opens with: the address's; without one, the last request planned, unless
// the page cannot read it any more; else null.
export function openingQuery(catalog) {
  const address = addressQuery();
  if (address !== null) return address;
  const saved = readKept(LAST_QUERY_KEY) ?? "";
  return holdsRequest(saved) && requestOf(saved, catalog).errors.length === 0 ? saved : null;
}
