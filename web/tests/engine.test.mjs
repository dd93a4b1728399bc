// The engine in WebAssembly, in node: the same results as the native program, and the
// calls the page makes, on the answers the core gives natively.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { join } from 'node:path';
import { before, test } from 'node:test';

import { countsOfStockText, defaultStockText } from '../src/settings.js';
import { BUILD, EXAMPLE_JOB, asJson, expectedExample, loadEngine } from './support.mjs';

let engine;
let example;
before(async () => {
  engine = await loadEngine();
  example = engine.solve(EXAMPLE_JOB, engine.defaultStockText(), {}, null);
});

test('the example job gives, result for result, the known answers', () => {
  for (const { source, json } of expectedExample()) {
    assert.equal(example.results.length, json.count, source);
    assert.deepEqual(example.results.map(asJson), json.results, source);
    if (json.stages) assert.deepEqual(example.stages, json.stages, source);
  }
});

test('a run reports its progress and its table rows', () => {
  const texts = [];
  engine.solve(EXAMPLE_JOB, engine.defaultStockText(), {}, (text) => texts.push(text));
  assert.equal(texts[0], 'Finding Applicable C Constants...');
  assert.match(texts[1], /^Processing \d+ of 79 C constants using 1 logical processors\.\.\.$/);
  assert.equal(texts.at(-1), '');
  const headers = engine.resultColumnHeaders();
  const first = example.results[0];
  assert.equal(first.row.length, headers.length);
  assert.equal(first.row[0], '1');
  assert.ok(engine.csvText([first.row]).startsWith(`${headers[0]},`));
});

test('input that is no number fails harmlessly', () => {
  for (const change of [{ feedRate: '.' }, { indexConstant: 'abc' }, { helixAngle: '' }, { teeth: '' }, { normalPitch: '1.2.3' }]) {
    const report = engine.solve({ ...EXAMPLE_JOB, ...change }, engine.defaultStockText(), {}, null);
    assert.equal(report.results.length, 0, JSON.stringify(change));
  }
  const empty = engine.solve(EXAMPLE_JOB, '0'.repeat(154), {}, null);
  assert.equal(empty.results.length, 0);
  assert.notEqual(empty.whyNothing, '');
});

test('Solve is greyed with the reasons of the window', () => {
  assert.equal(engine.solveBlockedText(EXAMPLE_JOB, false), '');
  const reasons = engine.solveBlockedText({ ...EXAMPLE_JOB, indexConstant: '', teeth: '' }, false).split('\n');
  assert.equal(reasons.length, 2);
  assert.match(reasons[0], /^Index Const: /);
  assert.match(reasons[1], /^Number of Teeth: /);
  assert.notEqual(engine.solveBlockedText(EXAMPLE_JOB, true), '');
});

test('the geometry readouts', () => {
  for (const [teeth, pitch, helix, pd, od] of [
    ['30', '8', '30', '4.3301', '4.5801'], ['20', '10', '', '2.0000', '2.2000'], ['20', '0.349', '', '', ''],
  ]) {
    const r = engine.geometryReadouts(teeth, pitch, helix);
    assert.equal(r.pitchDiameter, pd && `Transverse Pitch Dia.: ${pd}`);
    assert.equal(r.outsideDiameter, od && `Outside Dia.: ${od}`);
  }
});

test('stock files go both ways, and a damaged one is refused with its line', () => {
  assert.equal(engine.defaultStockText(), defaultStockText());
  const stock = '2'.repeat(10) + '0'.repeat(144);
  const parsed = engine.parseStockFile(engine.stockFileText(stock));
  assert.equal(parsed.stock, stock);
  const bad = engine.parseStockFile('# stock\n30 1\n31 nine\n');
  assert.equal(bad.stock, undefined);
  assert.match(bad.error, /^line 3: /);
  assert.deepEqual(countsOfStockText(parsed.stock), [...stock].map(Number));
});

test('the sheet lays out the job and both trains', () => {
  const layout = engine.sheetLayout(EXAMPLE_JOB, example.results[0], 4800, 6300, (text) => [text.length * 50, 123]);
  const texts = layout.texts.map((t) => t.text);
  assert.equal(layout.fontHeight, Math.floor(6300 / 51));
  assert.ok(texts.includes('Index Constant: 30'));
  assert.ok(texts.includes('51 x 52') && texts.includes('53 x 50'), texts.join('|'));
  assert.ok(texts.includes('32 x 42') && texts.includes('65 x 58'));
  assert.equal(layout.bars.length, 4);
});

test('a checked train shows the texts its result shows', () => {
  const check = engine.checkTrain(EXAMPLE_JOB, engine.defaultStockText(), {}, '51,52,53,50:32,42,65,58');
  assert.deepEqual(asJson(check.texts), asJson(example.results[0]));
  assert.equal(check.inStock, true);
  assert.match(engine.checkTrain(EXAMPLE_JOB, engine.defaultStockText(), {}, '51,52,53,50:32,42,65,15').error, /./);
});

test('the node program prints result 1', () => {
  const out = execFileSync(process.execPath, [join(BUILD, 'hobwise-solve.mjs'), '--example'], { encoding: 'utf8' });
  const r = example.results[0];
  assert.ok(out.startsWith(`${example.results.length} results from `));
  for (const text of [r.status, r.feedError, r.leadLine, `${r.gears[0]} x ${r.gears[1]} / ${r.gears[2]} x ${r.gears[3]}`])
    assert.ok(out.includes(text), text);
});
