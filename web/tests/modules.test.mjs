// The page's own rules, in node: field rules, kept settings, set-up rows, the bundler.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { fieldAccepts, pasteAccepted, pastedText } from '../src/field-rules.js';
import { countsOfStockText, defaultStockText, loadDraft, loadSettings, saveSettings, SETTING_NAMES } from '../src/settings.js';
import { setupRow } from '../src/setups.js';
import { bundle } from '../tools/bundle.mjs';

test('a field takes digits and one point, up to its limit', () => {
  for (const [text, limit, ok] of [
    ['1.23', 6, true], ['', 6, true], ['.', 6, true], ['123456', 6, true], ['1234567', 6, false],
    ['1.2.3', 33, false], ['-1', 33, false], ['1e5', 33, false], [' 1', 33, false], ['1,5', 33, false],
  ]) assert.equal(fieldAccepts(text, limit), ok, `${JSON.stringify(text)} in ${limit}`);
});

test('a paste is taken whole when the window would take it', () => {
  for (const [clip, field, s, e, ok] of [
    ['3.25', '1.5', 3, 3, false],   // a second point
    ['3.25', '1.5', 0, 3, true],    // the selection holds the field's point
    ['0', '', 0, 0, false], ['1001', '', 0, 0, false], ['0.000000001', '', 0, 0, true],
    ['1000', '', 0, 0, true], ['12a', '', 0, 0, false], ['', '', 0, 0, false],
  ]) assert.equal(pasteAccepted(clip, field, s, e), ok, `${clip} into ${field} [${s},${e})`);
  assert.equal(pastedText('456', '12.3', 1, 2, 6), '1456.3');
  assert.equal(pastedText('99999', '12.3', 4, 4, 6), '12.399');
});

// A Storage that holds `items`, or throws on every call.
function storage(items = {}, broken = false) {
  const map = new Map(Object.entries(items));
  const guard = () => { if (broken) throw new Error('storage is off'); };
  return {
    getItem: (k) => (guard(), map.has(k) ? map.get(k) : null),
    setItem: (k, v) => (guard(), map.set(k, String(v))),
    map,
  };
}

test('settings load as the window loads them', () => {
  const fresh = { indexConstant: '', feedConstant: '', feedRate: '.025', stockText: defaultStockText() };
  const long = '1'.repeat(200);
  for (const [items, want] of [
    [{}, fresh],
    [{ 'Feed rate': '' }, { ...fresh, feedRate: '' }],
    [{ 'Index constant': '123.4567', 'Feed constant': long }, { ...fresh, indexConstant: '123.45', feedConstant: long.slice(0, 33) }],
    [{ 'Change gears': '9x7' }, { ...fresh, stockText: '9x7' }],
    [{ 'Change gears': long }, { ...fresh, stockText: long.slice(0, 155) }],
  ]) assert.deepEqual(loadSettings(storage(items)), want, JSON.stringify(items));
  assert.deepEqual(loadSettings(storage({ 'Feed rate': '.1' }, true)), fresh);
  assert.deepEqual(loadSettings(null), fresh);
});

test('a damaged stock text counts 0 where it has no digit 0 to 7', () => {
  const counts = countsOfStockText('9x7');
  assert.equal(counts.length, 154);
  assert.deepEqual(counts.slice(0, 4), [0, 0, 7, 0]);
  assert.equal(countsOfStockText(defaultStockText()).filter((n) => n === 1).length, 51);
});

test('settings are written under the window names, and a full storage loses only them', () => {
  const s = storage();
  const counts = countsOfStockText(defaultStockText());
  assert.equal(saveSettings(s, { indexConstant: '30', feedConstant: '', feedRate: '.02', counts }), true);
  assert.deepEqual(Object.fromEntries(s.map), {
    [SETTING_NAMES.indexConstant]: '30', [SETTING_NAMES.feedConstant]: '', [SETTING_NAMES.feedRate]: '.02',
    [SETTING_NAMES.stock]: defaultStockText().slice(0, 154),
  });
  assert.equal(saveSettings(storage({}, true), { indexConstant: '', feedConstant: '', feedRate: '', counts }), false);
});

test('the kept job of a tab takes only what fits its fields', () => {
  const kept = (draft) => loadDraft(storage({ 'Hobwise job': JSON.stringify(draft) }));
  assert.deepEqual(kept({ helixAngle: '23.5', normalPitch: '8', teeth: '30', hobThreads: '2', setupIndex: 5, wholeOnly: true }),
    { helixAngle: '23.5', normalPitch: '8', teeth: '30', hobThreads: '2', setupIndex: 5, wholeOnly: true });
  assert.deepEqual(kept({ helixAngle: '-1', teeth: '401', hobThreads: '25', setupIndex: 8, finiteOnly: 'yes' }), {});
  assert.deepEqual(kept({ wholeOnly: true, finiteOnly: true }), { wholeOnly: true, finiteOnly: false });
  assert.deepEqual(loadDraft(storage({ 'Hobwise job': '{not json' })), {});
});

test('the set-up rows follow the hands and the type of cut', () => {
  const rows = [
    'RH RH Conventional - TC 1 1', 'RH RH Climb + TC 1 2', 'RH LH Conventional + TC 1 1', 'RH LH Climb - TC 1 2',
    'LH LH Conventional - TG 2 2', 'LH LH Climb + TG 2 1', 'LH RH Conventional + TG 2 2', 'LH RH Climb - TG 2 1',
  ];
  rows.forEach((want, item) => assert.equal(Object.values(setupRow(item)).join(' '), want, `item ${item}`));
});

test('the bundler joins modules in import order and keeps them apart', () => {
  const sources = {
    'a.js': "import { twice } from './b.js';\nimport { k as key } from './c.js';\nglobalThis.out = twice(key);\n",
    'b.js': "import { k } from './c.js';\nconst local = 2;\nexport function twice(x) { return local * x + k; }\n",
    'c.js': 'const local = 10;\nexport const k = local;\n',
  };
  new Function(bundle('a.js', (name) => sources[name]))();
  assert.equal(globalThis.out, 30);
  assert.throws(() => bundle('d.js', () => "export default 1;\n"), /only one-line/);
  assert.throws(() => bundle('e.js', (n) => ({ 'e.js': "import { f } from './f.js';\n", 'f.js': "import { e } from './e.js';\n" })[n]),
    /import cycle/);
});
