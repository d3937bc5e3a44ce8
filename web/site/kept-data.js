// What the page keeps in the browser (the last request planned, the ticks of each plan). A
// browser that keeps no data for the site (its settings block site data, or its storage is full)
// throws on reading or writing localStorage; the page then plans and shows all the same, only
// without remembering.

// The text kept under `key`; null when none is, or when the browser keeps nothing.
export function readKept(key) {
  try {
    return localStorage.getItem(key);
  } catch {
    return null;
  }
}

// Keeps `text` under `key` where the browser lets the page keep it.
export function keep(key, text) {
  try {
    localStorage.setItem(key, text);
  } catch {
    // Not kept: nothing the page shows depends on it.
  }
}
