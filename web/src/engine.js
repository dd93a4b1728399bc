// The engine (the C++ core in WebAssembly) as the page uses it: one instance on the
// page's thread for the quick calls (field rules, readouts, sheet, stock files, train
// check), and workers, each with an instance of its own, for a solve run and the
// advisor, which this module shares out among them.
//
// The page and a worker speak in messages:
//   page -> worker  {id, call, args}           call one of worker.js's CALLS with args
//   worker -> page  {id, progress: [kind, v]}  a progress report of that call
//                   {id, value}                 its result
//                   {id, error}                 its failure (a message)
//                   {ready: true} | {failed}    once, when the engine has loaded
//
// A solve run: one worker makes the plan (the C constants and the pieces of the feed
// search, cut for the number of workers; with several workers, it finds the index
// trains, the workers share out their C constants, and it makes the plan from those)
// and sends back its text; every other worker
// takes the plan from that text; the pieces go out one at a time to whichever worker
// is free, each coming back as a partial (as text); a worker holding the plan merges
// the partials into the report, as the native run merges its workers' lists. The
// advisor likewise: one worker runs the stock as it is, the tooth counts go out one at
// a time, and the outcomes are made into the report.
//
// A worker runs one call at a time and cannot see a message while it runs. Stop hands
// out nothing more; a worker still busy after STOP_GRACE_MS is ended (its piece left
// out), and what came back is merged: a stopped run keeps what it found.

export const STOP_GRACE_MS = 250;
const ENGINE_SCRIPT = 'hobwise-engine';
const WORKER_SCRIPT = 'hobwise-worker';

function scriptText(id) {
  const element = document.getElementById(id);
  if (!element) throw new Error(`the page has no ${id} script`);
  return element.textContent;
}

// The engine on the page's thread. createHobwiseEngine is the global the engine's
// script defines.
export function loadMainEngine() {
  if (typeof globalThis.createHobwiseEngine !== 'function') return Promise.reject(new Error('the engine script did not load'));
  return globalThis.createHobwiseEngine();
}

// The source of a worker: the engine's script, then the worker's own.
function workerUrl() {
  const source = `${scriptText(ENGINE_SCRIPT)}\n;\n${scriptText(WORKER_SCRIPT)}`;
  return URL.createObjectURL(new Blob([source], { type: 'text/javascript' }));
}

const stoppedError = () => Object.assign(new Error('stopped'), { stopped: true });

class EngineWorker {
  constructor(url) {
    this.worker = new Worker(url);
    this.busy = null;   // {id, resolve, reject, onProgress} of the call under way
    this.holds = null;  // the run whose plan (or additions) this instance keeps
    this.ended = false;
    this.ready = new Promise((resolve, reject) => {
      this.worker.onmessage = (e) => {
        if (e.data.ready) resolve(this);
        else if (e.data.failed) reject(new Error(e.data.failed));
        else this.answer(e.data);
      };
      this.worker.onerror = (e) => {
        e.preventDefault();
        const error = new Error(e.message || 'the worker failed');
        reject(error);
        this.fail(error);
      };
    });
    this.ready.catch(() => {});
  }

  answer(message) {
    const call = this.busy;
    if (!call || call.id !== message.id) return;
    if (message.progress) {
      call.onProgress?.(...message.progress);
      return;
    }
    this.busy = null;
    if ('error' in message) call.reject(new Error(message.error));
    else call.resolve(message.value);
  }

  fail(error) {
    const call = this.busy;
    this.busy = null;
    call?.reject(error);
  }

  // Runs one call; the worker must be free.
  async call(id, name, args, onProgress) {
    await this.ready;
    if (this.ended) throw stoppedError();
    return new Promise((resolve, reject) => {
      this.busy = { id, resolve, reject, onProgress };
      this.worker.postMessage({ id, call: name, args });
    });
  }

  end() {
    this.ended = true;
    this.worker.terminate();
    this.fail(stoppedError());
  }
}

// The workers, `size` of them, each started when first needed; an ended worker is
// replaced by a fresh one.
export class WorkerPool {
  constructor(size) {
    this.size = Math.max(1, size);
    this.all = [];
    this.nextId = 1;
    this.url = null;
  }

  workers() {
    this.all = this.all.filter((w) => !w.ended);
    while (this.all.length < this.size) {
      this.url ??= workerUrl();
      this.all.push(new EngineWorker(this.url));
    }
    return [...this.all];
  }

  call(w, name, args, onProgress) {
    return w.call(this.nextId++, name, args, onProgress);
  }

  // A free worker (a fresh one when all are busy or ended).
  free(preferred) {
    if (preferred && !preferred.ended && !preferred.busy) return preferred;
    return this.workers().find((w) => !w.busy) ?? this.spare();
  }

  spare() {
    this.url ??= workerUrl();
    const w = new EngineWorker(this.url);
    this.all.push(w);
    return w;
  }
}

// How many workers the browser's processors allow (?workers=N asks for N, 1 to 16).
export function workerCount() {
  const asked = Number(new URLSearchParams(globalThis.location?.search ?? '').get('workers'));
  if (Number.isInteger(asked) && asked >= 1 && asked <= 16) return asked;
  return Math.max(1, Math.min(8, navigator.hardwareConcurrency || 1));
}

// A stop request: stop() once, onStop(f) for what must happen then.
export class Stopper {
  constructor() {
    this.stopped = false;
    this.listeners = [];
  }

  stop() {
    if (this.stopped) return;
    this.stopped = true;
    for (const f of this.listeners.splice(0)) f();
  }

  onStop(f) {
    if (this.stopped) f();
    else this.listeners.push(f);
  }
}

// After a stop and the grace, ends the given workers that are still busy, unless the
// phase is over by then.
function endBusyAfterStop(stopper, workers) {
  const phase = { over: false };
  stopper.onStop(() => setTimeout(() => {
    if (phase.over) return;
    for (const w of workers) if (w.busy) w.end();
  }, STOP_GRACE_MS));
  return phase;
}

// Hands `items` out to the workers, each taking the next when free, after
// prepare(w) once. Resolves with a Map item -> work's value when every item is done,
// or, after a stop, with what came back; rejects when a worker fails.
export function shareOut(workers, items, stopper, prepare, work) {
  const phase = endBusyAfterStop(stopper, workers);
  return new Promise((resolve, reject) => {
    const queue = [...items];
    const results = new Map();
    let active = 0;
    let failure = null;
    const end = () => {
      if (phase.over || active > 0) return;
      if (queue.length > 0 && !stopper.stopped && !failure) return;
      phase.over = true;
      if (failure) reject(failure);
      else resolve(results);
    };
    const failed = (error) => {
      active--;
      if (!error.stopped && !failure) {
        failure = error;
        for (const w of workers) if (w.busy) w.end();
      }
      end();
    };
    const take = (w) => {
      if (stopper.stopped || failure || queue.length === 0) return end();
      const item = queue.shift();
      active++;
      work(w, item).then((value) => {
        active--;
        results.set(item, value);
        take(w);
      }, failed);
    };
    for (const w of workers) {
      active++;
      prepare(w).then(() => {
        active--;
        take(w);
      }, failed);
    }
    end();
  });
}

// One call that a stop may end (after the grace): rejects with error.stopped then.
async function stoppable(pool, w, stopper, name, args, onProgress) {
  const phase = endBusyAfterStop(stopper, [w]);
  try {
    return await pool.call(w, name, args, onProgress);
  } finally {
    phase.over = true;
  }
}

let runTokens = 0;

// The C constants of a plan made up to its index trains (`pending`, held by `lead`),
// shared out among the workers in ranges of index trains; then every worker that
// holds the pending plan makes the whole plan from them (the lead with its text).
// Resolves with the first plan made, its text a promise of the lead's; `finishing` gets
// each worker's call, after which it holds the plan (marked with `token`) unless that
// failed. Rejects with error.stopped after a stop.
async function shareCConstants(pool, workers, lead, pending, stopper, token, finishing) {
  const count = pending.indexTrains;
  const parts = Math.min(count, workers.length * 4);
  const ranges = [];
  for (let k = 0; k < parts; k++) ranges.push([Math.floor((count * k) / parts), Math.floor((count * (k + 1)) / parts)]);
  const holders = new Set([lead]);
  const take = (w) => (holders.has(w) || parts === 0 ? Promise.resolve()
    : pool.call(w, 'takePlan', [pending.text]).then((ok) => {
      if (!ok) throw new Error('a worker could not take the plan');
      holders.add(w);
    }));
  const found = await shareOut(workers, ranges.map((_, i) => i), stopper, take,
    (w, i) => pool.call(w, 'cConstantsPiece', ranges[i]));
  if (stopper.stopped || found.size < ranges.length || lead.ended) throw stoppedError();
  const texts = ranges.map((_, i) => found.get(i));
  if (texts.some((text) => text === '')) throw new Error('memory ran out');
  const calls = [...holders].filter((w) => !w.ended).map((w) => {
    const call = pool.call(w, 'finishPlan', [texts, w === lead]).then((plan) => {
      if (plan.pieces) w.holds = token;
      return plan;
    });
    finishing.set(w, call.catch(() => {}));
    return call;
  });
  const leadCall = calls[0];  // the lead is the first holder
  const phase = endBusyAfterStop(stopper, workers);
  try {
    // The first plan made starts the feed search; the lead's text follows.
    const first = await Promise.race(calls);
    const plan = first.pieces ? first : await leadCall;
    return { ...plan, text: leadCall.then((p) => p.text) };
  } finally {
    phase.over = true;
  }
}

// A solve run over the pool's workers. onStatus(text) gets the status line's texts.
// Resolves with {report, planText, partials, stopped}: what the page shows, and what
// JSON export needs (reportJson).
export async function runSolve(pool, main, { job, stock, options }, { onStatus, stopper }) {
  const workers = pool.workers();
  const lead = workers[0];
  const token = ++runTokens;
  let stage = 'indexTrains';
  let statusShown = false;
  const status = (text) => {
    statusShown = true;
    onStatus(text);
  };
  const finish = (result) => {
    if (statusShown) onStatus('');
    return result;
  };

  let plan;
  const finishing = new Map();  // worker -> its making of the plan from the C constants
  try {
    const shared = workers.length > 1;
    plan = await stoppable(pool, lead, stopper, shared ? 'planUpToCConstants' : 'planRun',
      [job, stock, options, workers.length], (kind, value) => {
        if (kind === 'status') status(value);
        else if (kind === 'stage') stage = value;
      });
    if (plan.pending) {
      stage = 'cConstants';
      plan = await shareCConstants(pool, workers, lead, plan, stopper, token, finishing);
    }
  } catch (error) {
    if (!error.stopped) throw error;
    return finish({ report: main.stoppedRunReport(stage, stock, options), planText: null, partials: [], stopped: true });
  }
  if (plan.pieces === undefined) throw new Error('memory ran out');
  if (!finishing.has(lead)) lead.holds = token;
  // The plan's text, for workers that must take it and for the JSON export (null when
  // the lead was ended before it wrote it).
  const planText = Promise.resolve(plan.text).catch(() => undefined).then((text) => text ?? null);
  const takeText = async (w) => {
    const text = await planText;
    if (text === null || !(await pool.call(w, 'takePlan', [text]))) throw new Error('a worker could not take the plan');
    w.holds = token;
  };

  let partials = [];
  let stopped = stopper.stopped;
  if (plan.pieces.length > 0) {
    let counter = 0;
    const progress = (kind, value) => {
      if (kind !== 'started') return;
      counter += value;
      status(main.progressText(counter, plan.cConstantCount, plan.processors));
    };
    const take = async (w) => {
      await finishing.get(w);
      if (w.holds !== token) await takeText(w);
    };
    const found = await shareOut(workers, plan.pieces.map((_, i) => i), stopper, take,
      (w, piece) => pool.call(w, 'searchPiece', [piece], progress));
    partials = [...found.values()];
    stopped = found.size < plan.pieces.length;
  }
  let merger = workers.find((w) => !w.ended && !w.busy && w.holds === token);
  if (!merger) {
    merger = pool.free();
    await takeText(merger);
  }
  const report = await pool.call(merger, 'mergeRun', [partials, stopped, job, stock, options]);
  return finish({ report, planText: await planText, partials, stopped });
}

// The JSON of hobwise-solve --json for a finished (or stopped) run of the job with
// these options (with "mount" when they name a machine).
export function runJson(pool, run, job, options) {
  return pool.call(pool.free(), 'reportJson', [run.planText, run.partials, run.stopped, job, options]);
}

// The advisor over the pool's workers; onProgress(tried, candidates) after each tooth
// count. Resolves with the advice (bindings.cpp).
export async function runAdvice(pool, { job, stock, options }, { onProgress, stopper }) {
  const workers = pool.workers();
  const lead = workers[0];
  const token = ++runTokens;
  const report = (w, startText, outcomes) =>
    pool.call(pool.free(w), 'adviceReport', [job, stock, startText, outcomes, options]);
  let start;
  try {
    start = await stoppable(pool, lead, stopper, 'adviceStart', [job, stock, options]);
  } catch (error) {
    if (!error.stopped) throw error;
    return report(null, null, []);
  }
  if (start.additions.length === 0 || start.failed || stopper.stopped) return report(lead, start.text, []);
  let tried = 0;
  const take = (w) => pool.call(w, 'adviceTake', [job, stock, options, start.text]).then((ok) => {
    if (!ok) throw new Error('a worker could not take the advisor\'s start');
    w.holds = token;
  });
  const outcomes = await shareOut(workers, start.additions, stopper, take,
    (w, toothCount) => pool.call(w, 'adviceOutcome', [toothCount]).then((text) => {
      onProgress(++tried, start.additions.length);
      return text;
    }));
  return report(lead, start.text, [...outcomes.values()]);
}
