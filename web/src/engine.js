// The engine (the C++ core in WebAssembly) as the page uses it: one instance on the
// page's thread for the quick calls (readouts, field rules, sheet, stock files, train
// check), and workers, each with an instance of its own, for the long ones (solve,
// advisor).
//
// The page and a worker speak in messages:
//   page -> worker  {id, call, args}           call one of WORKER_CALLS with args
//   worker -> page  {id, progress: [...]}       a progress report of that call
//                   {id, value}                 its result
//                   {id, error}                 its failure (a message)
//                   {ready: true} | {failed}    once, when the engine has loaded
// A worker runs one call at a time and cannot see a message while it runs, so a long
// job is cut into calls that the page hands out one by one, and a stop hands out no
// more; a worker still busy then is ended.

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

class EngineWorker {
  constructor(url) {
    this.worker = new Worker(url);
    this.busy = null;  // {id, resolve, reject, onProgress} of the call under way
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

  run(id, call, args, onProgress) {
    return new Promise((resolve, reject) => {
      this.busy = { id, resolve, reject, onProgress };
      this.worker.postMessage({ id, call, args });
    });
  }

  end() {
    this.worker.terminate();
    this.fail(Object.assign(new Error('stopped'), { stopped: true }));
  }
}

// Workers on demand, up to `size`; a stopped worker is replaced by a fresh one.
export class WorkerPool {
  constructor(size) {
    this.size = Math.max(1, size);
    this.idle = [];
    this.all = new Set();
    this.nextId = 1;
    this.url = null;
  }

  async take() {
    const idle = this.idle.pop();
    if (idle) return idle;
    this.url ??= workerUrl();
    const w = new EngineWorker(this.url);
    this.all.add(w);
    try {
      return await w.ready;
    } catch (error) {
      this.all.delete(w);
      w.worker.terminate();
      throw error;
    }
  }

  // Runs one call on a free worker; rejects with error.stopped after stop().
  async call(call, args, onProgress) {
    const w = await this.take();
    try {
      const value = await w.run(this.nextId++, call, args, onProgress);
      this.idle.push(w);
      return value;
    } catch (error) {
      // A failed engine may be left in any state: the worker goes.
      if (this.all.delete(w)) w.worker.terminate();
      throw error;
    }
  }

  // Ends every call under way (their workers are dropped).
  stop() {
    for (const w of this.all) {
      if (!w.busy) continue;
      this.all.delete(w);
      w.end();
    }
  }
}

// How many workers the browser's processors allow.
export function workerCount() {
  return Math.max(1, Math.min(16, navigator.hardwareConcurrency || 1));
}
