// The engine in WebAssembly, in node: a run in parts over several instances gives the
// native program's JSON whatever the number of instances and the order of the pieces;
// the advisor in parts gives the native suggestions; and the quick calls of the page.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { before, test } from 'node:test';

import { EXAMPLE_JOB, ROOT, asJson, expectedExample, loadEngine, nativeJson, nativeOutput, solveInParts } from './support.mjs';

let engines;
before(async () => { engines = await Promise.all([loadEngine(), loadEngine(), loadEngine()]); });

const FULL = '2'.repeat(154);

test('the example job gives, result for result, the known answers', () => {
  const { report } = solveInParts(engines.slice(0, 2), EXAMPLE_JOB, engines[0].defaultStockText());
  for (const { source, json } of expectedExample()) {
    assert.deepEqual(report.results.map(asJson), json.results, source);
    if (json.stages) assert.deepEqual(report.stages, json.stages, source);
  }
});

test('a run in parts gives the native JSON for 1, 2 and 3 instances and any order of the pieces', () => {
  const native = nativeOutput(['--example', '--stock', FULL, '--setup', '5', '--json']);
  const job = { ...EXAMPLE_JOB, setupIndex: 5 };
  for (const count of [1, 2, 3]) {
    const { plan, json } = solveInParts(engines.slice(0, count), job, FULL);
    assert.equal(json, native, `${count} instances`);
    assert.equal(plan.processors, count);
    const backwards = plan.pieces.map((_, i) => plan.pieces.length - 1 - i);
    assert.equal(solveInParts(engines.slice(0, count), job, FULL, {}, backwards).json, native, `${count}, backwards`);
  }
});

test('a stopped run keeps what its pieces found; a plan that fails says so', () => {
  const [a] = engines;
  const plan = a.planRun(EXAMPLE_JOB, FULL, {}, 2, null, null);
  const half = plan.pieces.slice(0, 2).map((_, i) => a.searchPiece(i, null));
  const report = a.mergeRun(half, true, EXAMPLE_JOB, FULL, {});
  assert.equal(report.stoppedIn, 'feedTrains');
  assert.ok(report.results.length > 0);
  const bad = { ...EXAMPLE_JOB, feedConstant: '1.2.3' };
  const failed = a.planRun(bad, FULL, {}, 2, null, null);
  assert.equal(failed.pieces.length, 0);
  assert.equal(a.mergeRun([], false, bad, FULL, {}).failed, true);
  assert.notEqual(a.stoppedRunReport('cConstants', FULL, {}).whyNothing, '');
});

test('the status texts of a run', () => {
  const texts = [];
  const stages = [];
  const plan = engines[0].planRun(EXAMPLE_JOB, FULL, {}, 2, (t) => texts.push(t), (s) => stages.push(s));
  assert.deepEqual(texts, ['Finding Applicable C Constants...']);
  assert.deepEqual(stages, ['indexTrains', 'cConstants']);
  assert.equal(engines[0].progressText(3, plan.cConstantCount, 2),
    `Processing 3 of ${plan.cConstantCount} C constants using 2 logical processors...`);
  let started = 0;
  engines[0].searchPiece(0, () => { started++; });
  assert.ok(started > 0);
});

test('the advisor in parts makes the native suggestions', () => {
  // A sparse stock, so that some additions improve on the best result now.
  const stock = `${'0'.repeat(14)}${'1'.repeat(30)}${'0'.repeat(110)}`;
  const [a, b] = engines;
  const start = a.adviceStart(EXAMPLE_JOB, stock, {});
  assert.ok(b.adviceTake(EXAMPLE_JOB, stock, {}, start.text) && a.adviceTake(EXAMPLE_JOB, stock, {}, start.text));
  const outcomes = start.additions.map((t, k) => [a, b][k % 2].adviceOutcome(t));
  const advice = a.adviceReport(EXAMPLE_JOB, stock, start.text, outcomes, {});
  const native = JSON.parse(nativeOutput(['--example', '--stock', stock, '--suggest', '154', '--json']));
  assert.equal(advice.tried, start.additions.length);
  assert.ok(advice.suggestions.length > 0);
  assert.deepEqual(advice.suggestions.map((s) => s.add), native.suggestions.map((s) => s.add));
  const stopped = a.adviceReport(EXAMPLE_JOB, stock, start.text, outcomes.slice(0, 5), {});
  assert.deepEqual([stopped.stopped, stopped.tried], [true, 5]);
  assert.equal(a.adviceReport(EXAMPLE_JOB, stock, null, [], {}).stopped, true);
});

test('on a machine: Mountable Trains Only in parts, the advisor and the train check give the native mounts', () => {
  const file = join(ROOT, 'data', 'example-machine.json');
  const { profile } = engines[0].readMachineProfile(readFileSync(file));
  const options = { machine: profile.text, mountable: true };
  const machine = ['--example', '--machine', file, '--mountable'];
  const { plan, json } = solveInParts(engines, EXAMPLE_JOB, FULL, options);
  assert.equal(json, nativeOutput([...machine, '--stock', FULL, '--json']));
  assert.equal(solveInParts(engines, EXAMPLE_JOB, FULL, options, plan.pieces.map((_, i) => plan.pieces.length - 1 - i)).json, json);
  const [a, b] = engines;
  const sparse = `${'0'.repeat(14)}${'1'.repeat(30)}${'0'.repeat(110)}`;
  const start = a.adviceStart(EXAMPLE_JOB, sparse, options);
  assert.ok(b.adviceTake(EXAMPLE_JOB, sparse, options, start.text));
  const advice = a.adviceReport(EXAMPLE_JOB, sparse, start.text, start.additions.map((t) => b.adviceOutcome(t)), options);
  const native = JSON.parse(nativeOutput([...machine, '--stock', sparse, '--suggest', '154', '--json']));
  assert.ok(advice.suggestions.length > 0);
  assert.deepEqual(advice.suggestions.map((s) => JSON.parse(s.best.mount.json)), native.suggestions.map((s) => s.best.mount));
  const train = '51,52,53,50:32,42,65,58';
  const check = a.checkTrain({ ...EXAMPLE_JOB, setupIndex: 4 }, profile.stock, options, train);
  const nativeCheck = JSON.parse(nativeOutput([...machine, '--setup', '4', '--check-train', train, '--json']));
  assert.deepEqual(JSON.parse(check.texts.mount.json), nativeCheck.check.mount);
  assert.match(a.readMachineProfile('{"name": 3}').error, /^name: /);
});

test('the quick calls: readouts, Solve, stock files, sheet, train check', () => {
  const [e] = engines;
  const r = e.geometryReadouts('30', '8', '30');
  assert.deepEqual([r.pitchDiameter, r.outsideDiameter], ['Transverse Pitch Dia.: 4.3301', 'Outside Dia.: 4.5801']);
  assert.deepEqual(e.solveState(EXAMPLE_JOB, false), { allowed: true, reasons: '' });
  const blocked = e.solveState({ ...EXAMPLE_JOB, indexConstant: '', teeth: '' }, false);
  assert.equal(blocked.allowed, false);
  assert.equal(blocked.reasons.split('\n').length, 2);
  const stock = '2'.repeat(10) + '0'.repeat(144);
  assert.equal(e.parseStockFile(new TextEncoder().encode(e.stockFileText(stock))).stock, stock);
  assert.match(e.parseStockFile(new TextEncoder().encode('# stock\n30 1\n31 nine\n')).error, /^line 3: /);
  const first = nativeJson(['--example']).results[0];
  const check = e.checkTrain(EXAMPLE_JOB, e.defaultStockText(), {}, '51,52,53,50:32,42,65,58');
  assert.deepEqual(asJson(check.texts), first);
  assert.ok(check.inStock);
  assert.ok(e.checkTrain(EXAMPLE_JOB, e.defaultStockText(), {}, '51,52,53,50:32,42,65,15').error);
  const layout = e.sheetLayout(EXAMPLE_JOB, check.texts, 4800, 6300, (text) => [text.length * 50, 123]);
  const texts = layout.texts.map((t) => t.text);
  for (const line of ['Index Constant: 30', '51 x 52', '53 x 50', '32 x 42', '65 x 58']) assert.ok(texts.includes(line), line);
});
