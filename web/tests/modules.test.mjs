// The page's own modules, in node: the field rules as the page applies them, the kept
// settings, the bundler.
import assert from 'node:assert/strict';
import { before, test } from 'node:test';

import { FieldRules } from '../src/field-rules.js';
import { countsOfStockText, loadDraft, loadSettings, saveSettings, SETTING_NAMES } from '../src/settings.js';
import { bundle } from '../tools/bundle.mjs';
import { loadEngine } from './support.mjs';

let rules;
before(async () => { rules = new FieldRules(await loadEngine()); });

// The text a number field holds after typing `keys` into it, one key at a time.
function typed(keys, field = '') {
  let text = field;
  for (const key of keys) {
    const { accepted } = rules.key(text, text.length, text.length, key);
    if (accepted) text = key === 'Backspace' ? text.slice(0, -1) : text + key;
  }
  return text;
}

test('the fields, from the engine', () => {
  assert.deepEqual(rules.numberFields.map((f) => [f.id, f.key, f.limit]), [
    [2001, 'indexConstant', 6], [2002, 'feedConstant', 33], [2007, 'feedRate', 10], [2004, 'helixAngle', 33],
    [2006, 'normalPitch', 33]]);
  assert.deepEqual([rules.teeth.low, rules.teeth.high, rules.hobThreads.low, rules.hobThreads.high], [1, 400, 1, 24]);
  assert.equal(rules.gearCounts.length, 154);
  assert.deepEqual([rules.gearCounts[0].label, rules.gearCounts[153].label, rules.gearCounts[0].high], ['16', '169', 7]);
  assert.equal(rules.setupItems.length, 8);
});

test('a number field takes digits and one point; a paste whole or not at all', () => {
  assert.equal(typed(['1', '.', '2', '.', '3']), '1.23');
  assert.equal(typed(['-', 'a', ' ', '1', 'e', '5', 'Backspace', '7']), '17');
  // The point may replace a selected point without clearing the result.
  assert.deepEqual(rules.key('12.5', 2, 4, '.'), { accepted: true, clearsResults: false });
  for (const [clip, field, s, e, ok] of [
    ['3.25', '1.5', 3, 3, false], ['3.25', '1.5', 0, 3, true], ['0', '', 0, 0, false], ['1001', '', 0, 0, false],
    ['0.000000001', '', 0, 0, true], ['12a', '', 0, 0, false],
  ]) assert.equal(rules.pasteTaken(field, s, e, clip), ok, `${clip} into ${field} [${s},${e})`);
  assert.deepEqual([rules.holds('helixAngle', '23.5'), rules.holds('helixAngle', '-1'), rules.holds('normalPitch', 8)],
    [true, false, false]);
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

test('settings load as the window loads them, and a full storage loses only them', () => {
  const fresh = { indexConstant: '', feedConstant: '', feedRate: '.025', stockText: rules.engine.defaultStockText() };
  const long = '1'.repeat(200);
  for (const [items, want] of [
    [{}, fresh],
    [{ 'Feed rate': '' }, { ...fresh, feedRate: '' }],
    [{ 'Index constant': '123.4567', 'Feed constant': long }, { ...fresh, indexConstant: '123.45', feedConstant: long.slice(0, 33) }],
    [{ 'Change gears': long }, { ...fresh, stockText: long.slice(0, 155) }],
  ]) assert.deepEqual(loadSettings(storage(items), rules), want, JSON.stringify(items));
  assert.deepEqual(loadSettings(storage({ 'Feed rate': '.1' }, true), rules), fresh);
  assert.deepEqual(countsOfStockText(rules, '9x7').slice(0, 4), [0, 0, 7, 0]);
  const s = storage();
  const counts = countsOfStockText(rules, rules.engine.defaultStockText());
  assert.equal(saveSettings(s, { indexConstant: '30', feedConstant: '', feedRate: '.02', counts }), true);
  assert.equal(s.map.get(SETTING_NAMES.stock), rules.engine.defaultStockText().slice(0, 154));
  assert.equal(saveSettings(storage({}, true), { indexConstant: '', feedConstant: '', feedRate: '', counts }), false);
});

test('the kept job of a tab takes only what fits its fields', () => {
  const kept = (draft) => loadDraft(storage({ 'Hobwise job': JSON.stringify(draft) }), rules);
  assert.deepEqual(kept({ helixAngle: '23.5', normalPitch: '8', teeth: '30', hobThreads: '2', setupIndex: 5, wholeOnly: true }),
    { helixAngle: '23.5', normalPitch: '8', teeth: '30', hobThreads: '2', setupIndex: 5, wholeOnly: true });
  assert.deepEqual(kept({ helixAngle: '-1', teeth: '401', hobThreads: '25', setupIndex: 8, finiteOnly: 'yes' }), {});
  assert.deepEqual(kept({ wholeOnly: true, finiteOnly: true }), { wholeOnly: true, finiteOnly: false });
  assert.deepEqual(loadDraft(storage({ 'Hobwise job': '{not json' }), rules), {});
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
