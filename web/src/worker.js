// A worker of the page: an engine of its own, running the calls the page hands it
// (see engine.js for the messages). This script follows the engine's script in the
// worker's source, so createHobwiseEngine is defined.
/* global createHobwiseEngine */
'use strict';

// The calls a worker takes, each with how many arguments come before the progress
// callback that the worker adds.
const WORKER_CALLS = { solve: 3, advise: 3 };

let engine = null;

createHobwiseEngine().then(
  (m) => {
    engine = m;
    self.postMessage({ ready: true });
  },
  (error) => self.postMessage({ failed: String(error && error.message ? error.message : error) }),
);

self.onmessage = (e) => {
  const { id, call, args } = e.data;
  try {
    if (!engine || !(call in WORKER_CALLS)) throw new Error(`no such call: ${call}`);
    const given = args.slice(0, WORKER_CALLS[call]);
    const progress = (...report) => self.postMessage({ id, progress: report });
    self.postMessage({ id, value: engine[call](...given, progress) });
  } catch (error) {
    self.postMessage({ id, error: String(error && error.message ? error.message : error) });
  }
};
