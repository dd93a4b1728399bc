// A worker of the page: an engine instance of its own, running the calls the page
// hands it one at a time (see engine.js for the messages). This script follows the
// engine's script in the worker's source, so createHobwiseEngine is defined.
/* global createHobwiseEngine */
'use strict';

let engine = null;
let post = null;  // progress of the call under way: post(kind, value)

// Progress of a piece: the C constants started, told at most every 50 ms.
function startedCounter() {
  let count = 0;
  let told = 0;
  const tell = () => {
    if (count > 0) post('started', count);
    count = 0;
    told = Date.now();
  };
  return { started: () => { count++; if (Date.now() - told >= 50) tell(); }, tell };
}

const CALLS = {
  planRun: (job, stock, options, workers) =>
    engine.planRun(job, stock, options, workers, (text) => post('status', text), (stage) => post('stage', stage)),
  planUpToCConstants: (job, stock, options, workers) =>
    engine.planUpToCConstants(job, stock, options, workers, (text) => post('status', text), (stage) => post('stage', stage)),
  cConstantsPiece: (first, end) => engine.cConstantsPiece(first, end),
  finishPlan: (texts, withText) => engine.finishPlan(texts, withText),
  takePlan: (text) => engine.takePlan(text),
  searchPiece: (piece) => {
    const counter = startedCounter();
    const partial = engine.searchPiece(piece, counter.started);
    counter.tell();
    return partial;
  },
  mergeRun: (partials, stopped, job, stock, options) => engine.mergeRun(partials, stopped, job, stock, options),
  reportJson: (planText, partials, stopped, job, options) => engine.reportJson(planText, partials, stopped, job, options),
  adviceStart: (job, stock, options) => engine.adviceStart(job, stock, options),
  adviceTake: (job, stock, options, startText) => engine.adviceTake(job, stock, options, startText),
  adviceOutcome: (toothCount) => engine.adviceOutcome(toothCount),
  adviceReport: (job, stock, startText, outcomes, options) => engine.adviceReport(job, stock, startText, outcomes, options),
};

createHobwiseEngine().then(
  (m) => {
    engine = m;
    self.postMessage({ ready: true });
  },
  (error) => self.postMessage({ failed: String(error && error.message ? error.message : error) }),
);

self.onmessage = (e) => {
  const { id, call, args } = e.data;
  post = (kind, value) => self.postMessage({ id, progress: [kind, value] });
  try {
    if (!engine || !Object.prototype.hasOwnProperty.call(CALLS, call)) throw new Error(`no such call: ${call}`);
    self.postMessage({ id, value: CALLS[call](...args) });
  } catch (error) {
    self.postMessage({ id, error: String(error && error.message ? error.message : error) });
  }
};
