// The page: the job, the gear stock, a run in a worker, the results, the set-up sheet
// and the tools, wired together. Any change of an input takes the results off the
// page; the four settings are kept at every change.
import { loadMainEngine, WorkerPool, workerCount } from './engine.js';
import { solveBlockedText } from './field-rules.js';
import { JobForm } from './job-form.js';
import { ResultsTable, clearResultFields, showResultFields } from './results-view.js';
import { countsOfStockText, loadDraft, loadSettings, saveDraft, saveSettings, stockTextOfCounts } from './settings.js';
import { makeMeasure, renderSheet, sheetFontHeight, SHEET_HEIGHT, SHEET_WIDTH } from './sheet-view.js';
import { StockView } from './stock-view.js';
import { clearAdvice, clearTrainCheck, showAdvice, showTrainCheck } from './tools-view.js';

const $ = (id) => document.getElementById(id);
const status = (text) => { document.querySelector('[data-control="3011"]').textContent = text; };
const STOCK_FILE_LIMIT = 64 * 1024;

const state = { engine: null, results: [], shown: -1, running: null };
const pool = new WorkerPool(workerCount());
const form = new JobForm(() => inputChanged());
const stock = new StockView(() => inputChanged());
const table = new ResultsTable((k) => showResult(k));

function stockText() {
  return stockTextOfCounts(stock.read());
}

// The browser's storage, or null where it is turned off (then reading it throws).
function storage(name) {
  try {
    return window[name];
  } catch {
    return null;
  }
}

function persist() {
  const job = form.job();
  saveSettings(storage('localStorage'), { ...job, counts: stock.read() });
  saveDraft(storage('sessionStorage'), job, form.options());
}

function inputChanged() {
  clearResults();
  persist();
  updateReadouts();
  updateSolveButton();
}

function clearResults() {
  state.results = [];
  state.shown = -1;
  clearResultFields();
  if (!state.running) status('');
  table.show([]);
  $('sheet-page').replaceChildren();
  for (const id of ['print', 'export-csv', 'train-from-result']) $(id).disabled = true;
  $('why-nothing').hidden = true;
  $('stages').textContent = '';
}

function updateReadouts() {
  if (!state.engine) return;
  const job = form.job();
  const r = state.engine.geometryReadouts(job.teeth, job.normalPitch, job.helixAngle);
  document.querySelector('[data-control="3009"]').textContent = r.pitchDiameter;
  document.querySelector('[data-control="3010"]').textContent = r.outsideDiameter;
}

function updateSolveButton() {
  const reason = state.engine ? solveBlockedText(state.engine, form.job(), state.running !== null) : 'Loading the engine';
  $('solve').disabled = reason !== '';
  $('solve').title = reason;
  $('blocked').textContent = state.running ? '' : reason;
  // The tools take the job only when a run could.
  for (const id of ['advise', 'check-train']) $(id).disabled = reason !== '';
}

function setRunning(what) {
  state.running = what;
  form.setDisabled(what !== null);
  stock.setDisabled(what !== null);
  $('stop').disabled = what !== 'solve';
  $('advise-stop').disabled = what !== 'advise';
  updateSolveButton();
}

// ------------------------------------------------------------------ a solve run

async function solve() {
  if (state.running || $('solve').disabled) return;
  const job = form.job();
  clearResults();
  persist();
  setRunning('solve');
  $('run-state').textContent = 'Solving…';
  const started = performance.now();
  try {
    const report = await pool.call('solve', [job, stockText(), form.options()], (text) => status(text));
    finishSolve(report, performance.now() - started);
  } catch (error) {
    status('');
    $('run-state').textContent = error.stopped ? 'Stopped: nothing kept.' : `The run failed: ${error.message}`;
  } finally {
    setRunning(null);
  }
}

function finishSolve(report, ms) {
  state.results = report.results;
  const n = report.results.length;
  table.show(report.results);
  if (n > 0) showResult(0);
  else status('');
  const result = $('result');
  if (result.getBoundingClientRect().top > window.innerHeight) result.scrollIntoView({ block: 'start' });
  const plural = (k, word) => `${k} ${word}${k === 1 ? '' : 's'}`;
  $('run-state').textContent = report.failed
    ? 'The run failed: a field is no number, or memory ran out.'
    : `${plural(n, 'result')} from ${plural(report.cConstantCount, 'C constant')} in ${(ms / 1000).toFixed(2)} s.`;
  $('run-state').dataset.ms = String(Math.round(ms));
  const s = report.stages;
  $('stages').textContent = `Stages: ${s.indexTrains} index trains in the feed band, ${s.inStock} in stock, ` +
    `${s.cConstants} C constants, ${s.feedTrains} feed trains, ${s.feedTest} pass the feed test, ${s.kept} kept`;
  $('why-nothing').textContent = report.whyNothing;
  $('why-nothing').hidden = report.whyNothing === '';
  $('export-csv').disabled = n === 0;
}

function showResult(k) {
  const n = state.results.length;
  if (k < 0 || k >= n) return;
  state.shown = k;
  showResultFields(state.results[k], k, n);
  table.select(k);
  $('print').disabled = false;
  $('train-from-result').disabled = false;
  drawSheet();
}

function drawSheet() {
  const result = state.results[state.shown];
  if (!result || !state.engine) return;
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
    message.textContent = `${file.name}: too large for a stock file`;
    return;
  }
  const parsed = state.engine.parseStockFile(await file.text());
  if (parsed.error !== undefined) {
    message.textContent = `${file.name}, ${parsed.error}`;
    return;
  }
  message.textContent = `Loaded ${file.name}.`;
  stock.show(countsOfStockText(parsed.stock));
  inputChanged();
}

// ------------------------------------------------------------------ tools

async function advise() {
  if (state.running) return;
  clearAdvice();
  setRunning('advise');
  $('advise-state').textContent = 'Trying additions…';
  try {
    const report = await pool.call('advise', [form.job(), stockText(), form.options()],
      (tried, candidates) => { $('advise-state').textContent = `${tried} of ${candidates} additions tried`; });
    $('advise-state').textContent = '';
    showAdvice(report, (teeth) => {
      const counts = stock.read();
      counts[teeth - 16] = Math.min(7, counts[teeth - 16] + 1);
      stock.show(counts);
      inputChanged();
    });
  } catch (error) {
    $('advise-state').textContent = error.stopped ? 'Stopped.' : `The advisor failed: ${error.message}`;
  } finally {
    setRunning(null);
  }
}

function checkTrain() {
  if ($('check-train').disabled) return;
  showTrainCheck(state.engine.checkTrain(form.job(), stockText(), form.options(), $('train').value));
}

// ------------------------------------------------------------------ start

function wire() {
  $('solve').addEventListener('click', solve);
  $('stop').addEventListener('click', () => pool.stop());
  $('previous').addEventListener('click', () => showResult(state.shown - 1));
  $('next').addEventListener('click', () => showResult(state.shown + 1));
  $('whole-apply').addEventListener('click', () => stock.setAll(Number($('whole-count').value)));
  $('stock-load').addEventListener('click', () => $('stock-file').click());
  $('stock-file').addEventListener('change', (e) => {
    const file = e.target.files[0];
    e.target.value = '';
    if (file && state.engine) loadStockFile(file);
  });
  $('stock-save').addEventListener('click', () =>
    download('hobwise-stock.txt', state.engine.stockFileText(stockText()), 'text/plain'));
  $('export-csv').addEventListener('click', () =>
    download('hobwise-results.csv', state.engine.csvText(state.results.map((r) => r.row)), 'text/csv'));
  $('print').addEventListener('click', () => window.print());
  $('advise').addEventListener('click', advise);
  $('advise-stop').addEventListener('click', () => pool.stop());
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
      pool.stop();
    } else if (e.key === 'Enter' && e.target.closest?.('#job, #stock-grid') && e.target.tagName !== 'BUTTON') {
      e.preventDefault();
      solve();
    }
  });
}

function start() {
  wire();
  const settings = loadSettings(storage('localStorage'));
  form.show({ hobThreads: '1', setupIndex: 0, ...settings, ...loadDraft(storage('sessionStorage')) });
  stock.show(countsOfStockText(settings.stockText));
  updateSolveButton();
  loadMainEngine().then((engine) => {
    state.engine = engine;
    table.setHeaders(engine.resultColumnHeaders());
    $('engine-state').textContent = `Hobwise ${engine.version()} · ${workerCount()} processors`;
    updateReadouts();
    updateSolveButton();
  }, (error) => {
    $('engine-state').textContent = `The engine could not be loaded: ${error.message}`;
  });
  if (document.documentElement.dataset.build === 'site' && 'serviceWorker' in navigator && location.protocol !== 'file:')
    navigator.serviceWorker.register('sw.js').catch(() => {});
}

start();
