// The page's side of the planner's worker (worker.js): one promise per request, its progress
// while it runs, and cancelling it. The worker answers one request at a time, and a search in it
// cannot be interrupted: cancelling ends the worker and starts a new one in its place. A request
// asked for while the new worker loads waits for it; only the latest waits, since the page only
// ever wants the answer to what the player asked last.
//
//   const planner = new PlannerClient("worker.js", { onReady(catalog, firstStart), onFailure(message) });
//   const { response, workerMs, ms } = await planner.ask("plan" | "replay" | "forms" | "tradeoffs", request,
//       { onSent(sentAt), onProgress(message) });
//   planner.cancel();
//
// `ask` rejects with an AbortError when the request is cancelled or replaced while it waits.

const cancelled = () => new DOMException("The request was cancelled", "AbortError");

export class PlannerClient {
  #script;
  #onReady;
  #onFailure;
  #worker = null;
  #ready = false;
  #catalogTold = false;
  #nextId = 1;
  #running = null;  // {id, sentAt, resolve, reject, onProgress}
  #waiting = null;  // {kind, request, resolve, reject, onSent, onProgress}

  // `onReady(catalog, firstStart)` is called each time a worker has loaded the planner, before
  // the request that waited for it is sent; `onFailure(message)` when a worker fails outright (a
  // request it held stays unanswered until cancel() replaces the worker).
  constructor(script, { onReady, onFailure }) {
    this.#script = script;
    this.#onReady = onReady;
    this.#onFailure = onFailure;
    this.#start();
  }

  // Whether a worker has loaded the planner and can take a request at once.
  get ready() { return this.#ready; }

  // Asks the planner: `kind` is "plan", "replay" (a plan's runs fed without a search), "forms" or
  // "tradeoffs", `request` the request the core reads (web/plan_request.h). Resolves with the core's answer, the time the core took and the
  // time from sending to the answer. `onSent(sentAt)` is called when the request goes to the
  // worker, `onProgress` with each of its progress messages as worker.js posts them
  // ({type: "line", line} or {type: "progress", tried, feedings, meseta}).
  ask(kind, request, { onSent = () => {}, onProgress = () => {} } = {}) {
    if (this.#running) throw new Error(`the planner is answering another request: cancel it first`);
    return new Promise((resolve, reject) => {
      const asked = { kind, request, resolve, reject, onSent, onProgress };
      if (this.#ready) {
        this.#send(asked);
        return;
      }
      this.#waiting?.reject(cancelled());
      this.#waiting = asked;
    });
  }

  // Cancels the request running (its worker ends and a new one loads) and the one waiting, if
  // any. Returns whether one was running.
  cancel() {
    this.#waiting?.reject(cancelled());
    this.#waiting = null;
    const running = this.#running;
    if (!running) return false;
    this.#running = null;
    this.#worker.terminate();
    running.reject(cancelled());
    this.#start();
    return true;
  }

  #start() {
    this.#ready = false;
    this.#worker = new Worker(this.#script);
    this.#worker.onmessage = (event) => this.#onMessage(event.data);
    this.#worker.onerror = (event) => this.#onFailure(event.message);
  }

  #send({ kind, request, resolve, reject, onSent, onProgress }) {
    const id = this.#nextId++;
    const sentAt = performance.now();
    this.#running = { id, sentAt, resolve, reject, onProgress };
    onSent(sentAt);
    this.#worker.postMessage({ type: kind, id, request });
  }

  #onMessage(message) {
    if (message.type === "ready") {
      this.#ready = true;
      const firstStart = !this.#catalogTold;
      this.#catalogTold = true;
      this.#onReady(message.catalog, firstStart);
      const waiting = this.#waiting;
      this.#waiting = null;
      if (waiting) this.#send(waiting);
      return;
    }
    const running = this.#running;
    if (!running || message.id !== running.id) return;
    if (message.type !== "result") {
      running.onProgress(message);
      return;
    }
    this.#running = null;
    running.resolve({ response: message.response, workerMs: message.workerMs,
      ms: performance.now() - running.sentAt });
  }
}
