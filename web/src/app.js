// The page: the job, the gear stock, a run over the workers, the results, the set-up
// sheet and the tools, wired together as the window wires its controls: any change of
// an input takes the results off the page, Solve goes only when the field rules allow
// it and, after a run, once an input has been touched again; the four settings are
// kept at every change.
import { loadMainEngine, runAdvice, runJson, runSolve, Stopper, WorkerPool, workerCount } from './engine.js';
import { FieldRules } from './field-rules.js';
import { JobForm } from './job-form.js';
import { MachineView } from './machine-view.js';
import { ResultsTable, clearResultFields, showResultFields } from './results-view.js';
import { countsOfStockText, loadDraft, loadSettings, saveDraft, saveSettings, stockTextOfCounts } from './settings.js';
import { makeMeasure, renderSheet, sheetFontHeight, SHEET_HEIGHT, SHEET_WIDTH } from './sheet-view.js';
import { StockView } from './stock-view.js';
import { adviceProgressText, clearAdvice, clearTrainCheck, showAdvice, showTrainCheck } from './tools-view.js';

const $ = (id) => document.getElementById(id);
const status = (text) => { document.querySelector('[data-control="3011"]').textContent = text; };
const STOCK_FILE_LIMIT = 64 * 1024;

// run: the last run's {report, planText, partials, stopped, job, options} while its results show;
// running: 'solve' | 'advise' | null; solveSpent: a run ended and no input was touched
// since (Solve stays greyed, as in the window).
const state = { engine: null, rules: null, results: [], shown: -1, run: null, running: null, stopper: null, solveSpent: false };
let pool;
let form;
let stock;
let table;
let machines;

const stockText = () => stockTextOfCounts(stock.read());
// The options of a run, the advisor and the train check: the job's, and the machine's.
const runOptions = () => ({ ...form.options(), ...machines.runOptions() });

// The browser's storage, or null where it is turned off (then reading it throws).
function storage(name) {
  try {
    return window[name];
  } catch {
    return null;
  }
}

function persist() {
  saveSettings(storage('localStorage'), { ...form.job(), counts: stock.read() });
  saveDraft(storage('sessionStorage'), form.job(), { ...form.options(), mountable: $('mountable').checked });
}

function inputChanged(what, clearsResults = true) {
  if (clearsResults) clearResults();
  persist();
  updateReadouts();
  inputTouched();
}

// A key released in a field, a field left, or an input changed: Solve is judged again.
function inputTouched() {
  state.solveSpent = false;
  updateSolveButton();
}

function clearResults() {
  state.results = [];
  state.shown = -1;
  state.run = null;
  clearResultFields();
  machines.showMount(null);
  if (!state.running) status('');
  table.show([]);
  $('sheet-page').replaceChildren();
  for (const id of ['print', 'export-csv', 'export-json', 'train-from-result']) $(id).disabled = true;
  $('why-nothing').hidden = true;
  $('stages').textContent = '';
  $('run-state').textContent = '';
}

function updateReadouts() {
  const job = form.job();
  const r = state.engine.geometryReadouts(job.teeth, job.normalPitch, job.helixAngle);
  document.querySelector('[data-control="3009"]').textContent = r.pitchDiameter;
  document.querySelector('[data-control="3010"]').textContent = r.outsideDiameter;
}

function updateSolveButton() {
  const { allowed, reasons } = state.rules.solveState(form.job(), state.running !== null);
  const solve = $('solve');
  solve.disabled = !allowed || state.solveSpent;
  solve.title = state.solveSpent && allowed ? 'Change an input to solve again' : reasons;
  $('blocked').textContent = state.running ? '' : reasons;
  // The tools take the job only when a run could.
  const idle = state.running === null;
  for (const id of ['advise', 'check-train']) $(id).disabled = !idle || !state.rules.solveState(form.job(), false).allowed;
}

function setRunning(what) {
  state.running = what;
  form.setDisabled(what !== null);
  stock.setDisabled(what !== null);
  machines.setDisabled(what !== null);
  $('stop').disabled = what !== 'solve';
  $('advise-stop').disabled = what !== 'advise';
  updateSolveButton();
}

function stop() {
  state.stopper?.stop();
}

// ------------------------------------------------------------------ a solve run

async function solve() {
  if (state.running || $('solve').disabled) return;
  const job = form.job();
  const options = runOptions();
  clearResults();
  persist();
  state.stopper = new Stopper();
  setRunning('solve');
  $('run-state').textContent = 'Solving…';
  $('run-state').dataset.run = 'running';
  const started = performance.now();
  try {
    const run = await runSolve(pool, state.engine, { job, stock: stockText(), options }, { onStatus: status, stopper: state.stopper });
    finishSolve({ ...run, job, options }, performance.now() - started);
  } catch (error) {
    status('');
    $('run-state').textContent = `The run failed: ${error.message}`;
  } finally {
    state.solveSpent = true;
    setRunning(null);
    $('run-state').dataset.run = 'done';
  }
}

function finishSolve(run, ms) {
  const { report } = run;
  state.run = run;
  state.results = report.results;
  const n = report.results.length;
  table.show(report.results, run.options.machine ? state.engine.mountColumnHeader() : null);
  if (n > 0) showResult(0);
  const result = $('result');
  if (result.getBoundingClientRect().top > window.innerHeight) result.scrollIntoView({ block: 'start' });
  const plural = (k, word) => `${k} ${word}${k === 1 ? '' : 's'}`;
  const stopped = report.stoppedIn !== '' ? ' (stopped)' : '';
  $('run-state').textContent = report.failed
    ? 'The run failed: a field is not a number, or memory ran out.'
    : `${plural(n, 'result')} from ${plural(report.cConstantCount, 'C constant')} in ${(ms / 1000).toFixed(2)} s${stopped}.`;
  $('run-state').dataset.ms = String(Math.round(ms));
  const s = report.stages;
  $('stages').textContent = `Stages: ${s.indexTrains} index trains in the feed band, ${s.inStock} in stock, ` +
    `${s.cConstants} C constants, ${s.feedTrains} feed trains, ${s.feedTest} pass the feed test, ${s.kept} kept`;
  $('why-nothing').textContent = report.whyNothing;
  $('why-nothing').hidden = report.whyNothing === '';
  $('export-csv').disabled = n === 0;
  $('export-json').disabled = run.planText === null;
}

function showResult(k) {
  const n = state.results.length;
  if (k < 0 || k >= n) return;
  state.shown = k;
  showResultFields(state.results[k], k, n);
  machines.showMount(state.results[k].mount);
  table.select(k);
  $('print').disabled = false;
  $('train-from-result').disabled = false;
  drawSheet();
}

function drawSheet() {
  const result = state.results[state.shown];
  if (!result) return;
  const layout = state.engine.sheetLayout(form.job(), result, SHEET_WIDTH, SHEET_HEIGHT, makeMeasure(sheetFontHeight()));
  renderSheet($('sheet-page'), layout);
}

// ------------------------------------------------------------------ stock files, exports

function download(name, text, type) {
  const url = URL.createObjectURL(new Blob([text], { type }));
  const a = Object.assign(document.createElement('a'), { href: url, download: name });
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 1000);
}

async function loadStockFile(file) {
  const message = $('stock-message');
  if (file.size > STOCK_FILE_LIMIT) {
    message.textContent = `${file.name}: larger than 64 KiB, so no stock file`;
    return;
  }
  const parsed = state.engine.parseStockFile(new Uint8Array(await file.arrayBuffer()));
  if (parsed.error !== undefined) {
    message.textContent = `${file.name}, ${parsed.error}`;
    return;
  }
  message.textContent = `Loaded ${file.name}.`;
  stock.show(countsOfStockText(state.rules, parsed.stock));
  inputChanged('stock');
}

async function exportJson() {
  const run = state.run;
  if (!run || state.running) return;
  $('export-json').disabled = true;
  try {
    const text = await runJson(pool, run, run.job, run.options);
    if (state.run === run) download('hobwise-results.json', text, 'application/json');
  } catch (error) {
    $('run-state').textContent = `The export failed: ${error.message}`;
  } finally {
    $('export-json').disabled = state.run === null;
  }
}

// ------------------------------------------------------------------ tools

async function advise() {
  if (state.running || $('advise').disabled) return;
  clearAdvice();
  state.stopper = new Stopper();
  setRunning('advise');
  $('advise-state').textContent = 'Solving the job with the stock as it is, then with one gear more of each tooth count …';
  $('advise-state').dataset.run = 'running';
  const started = performance.now();
  try {
    const advice = await runAdvice(pool, { job: form.job(), stock: stockText(), options: runOptions() }, {
      onProgress: (tried, candidates) => { $('advise-state').textContent = adviceProgressText(tried, candidates); },
      stopper: state.stopper,
    });
    showAdvice(advice, state.engine.mountColumnHeader(), (teeth) => {
      const counts = stock.read();
      const i = state.rules.gearCounts.findIndex((rule) => rule.label === String(teeth));
      counts[i] = Math.min(state.rules.gearCounts[i].high, counts[i] + 1);
      stock.show(counts);
      inputChanged('stock');
    });
  } catch (error) {
    $('advise-state').textContent = `The advisor failed: ${error.message}`;
  } finally {
    setRunning(null);
    $('advise-state').dataset.ms = String(Math.round(performance.now() - started));
    $('advise-state').dataset.run = 'done';
  }
}

function checkTrain() {
  if ($('check-train').disabled) return;
  showTrainCheck(state.engine.checkTrain(form.job(), stockText(), runOptions(), $('train').value));
}

// A machine chosen (or none): its constants and stock fill the job, as typed.
function machineChosen(profile) {
  if (profile) {
    form.show({ indexConstant: profile.indexConstant || undefined, feedConstant: profile.feedConstant || undefined });
    if (profile.stock) stock.show(countsOfStockText(state.rules, profile.stock));
  }
  inputChanged('machine');
}

// ------------------------------------------------------------------ start

function wire() {
  $('solve').addEventListener('click', solve);
  $('stop').addEventListener('click', stop);
  $('previous').addEventListener('click', () => showResult(state.shown - 1));
  $('next').addEventListener('click', () => showResult(state.shown + 1));
  $('whole-apply').addEventListener('click', () => stock.setAll(Number($('whole-count').value)));
  $('stock-load').addEventListener('click', () => $('stock-file').click());
  $('stock-file').addEventListener('change', (e) => {
    const file = e.target.files[0];
    e.target.value = '';
    if (file) loadStockFile(file);
  });
  $('stock-save').addEventListener('click', () =>
    download('hobwise-stock.txt', state.engine.stockFileText(stockText()), 'text/plain'));
  $('export-csv').addEventListener('click', () =>
    download('hobwise-results.csv', state.engine.csvText(state.results.map((r) => r.row)), 'text/csv'));
  $('export-json').addEventListener('click', exportJson);
  $('print').addEventListener('click', () => window.print());
  $('advise').addEventListener('click', advise);
  $('advise-stop').addEventListener('click', stop);
  $('check-train').addEventListener('click', checkTrain);
  $('train').addEventListener('keydown', (e) => { if (e.key === 'Enter') { e.preventDefault(); checkTrain(); } });
  $('train-from-result').addEventListener('click', () => {
    const g = state.results[state.shown]?.gears;
    if (g) $('train').value = `${g.slice(0, 4).join(',')}:${g.slice(4).join(',')}`;
    clearTrainCheck();
  });
  document.addEventListener('keydown', (e) => {
    if (e.key === 'Escape' && state.running) {
      e.preventDefault();
      stop();
    } else if (e.key === 'Enter' && e.target.closest?.('#job, #stock-grid') && e.target.tagName !== 'BUTTON') {
      e.preventDefault();
      solve();
    }
  });
}

async function start() {
  let engine;
  try {
    engine = await loadMainEngine();
  } catch (error) {
    $('engine-state').textContent = `The engine could not be loaded: ${error.message}`;
    return;
  }
  state.engine = engine;
  state.rules = new FieldRules(engine);
  pool = new WorkerPool(workerCount());
  form = new JobForm(state.rules, inputChanged, inputTouched);
  stock = new StockView(state.rules, () => inputChanged('stock'));
  table = new ResultsTable((k) => showResult(k));
  table.setHeaders(engine.resultColumnHeaders());
  machines = new MachineView(engine, storage('localStorage'), { onChoose: machineChosen, onOption: () => inputChanged('mountable'), download });
  wire();
  const settings = loadSettings(storage('localStorage'), state.rules);
  const draft = loadDraft(storage('sessionStorage'), state.rules);
  form.show({ hobThreads: '1', setupIndex: 0, ...settings, ...draft });
  $('mountable').checked = Boolean(draft.mountable && machines.chosenProfile());
  stock.show(countsOfStockText(state.rules, settings.stockText));
  updateReadouts();
  updateSolveButton();
  $('engine-state').textContent = `Hobwise ${engine.version()} · ${pool.size} workers`;
  if (document.documentElement.dataset.build === 'site' && 'serviceWorker' in navigator && location.protocol !== 'file:')
    navigator.serviceWorker.register('sw.js').catch(() => {});
}

start();
