// What the browser keeps. The four settings of the window, under the window's names,
// in localStorage: they come back on every visit. The rest of the job (helix angle,
// pitch, teeth, hob threads, set-up, options) starts fresh on a new visit, as in the
// window, but is kept for the tab in sessionStorage so that a reload (during a run,
// say) loses nothing the user typed.
export const SETTING_NAMES = {
  indexConstant: 'Index constant',
  feedConstant: 'Feed constant',
  feedRate: 'Feed rate',
  stock: 'Change gears',
};
export const DRAFT_NAME = 'Hobwise job';
// Beside them, as the window keeps them: the machine profiles' texts (as their files
// hold them) and the place of the one chosen (-1: none).
export const MACHINE_NAMES = { profiles: 'Machine profiles', chosen: 'Machine chosen' };

// The counts of a stock text, one per gear count field of `rules` (154): a character
// that is no digit 0 to 7, or a missing one, counts 0, as the engine reads a stock text.
export function countsOfStockText(rules, text) {
  return rules.gearCounts.map((rule, i) => {
    const c = text.charCodeAt(i);
    return c >= 48 && c <= 48 + rule.high ? c - 48 : 0;
  });
}

export const stockTextOfCounts = (counts) => counts.join('');

function read(storage, name) {
  try {
    const value = storage?.getItem(name);
    return typeof value === 'string' ? value : null;
  } catch {
    return null;  // storage off or refused: as if nothing were stored
  }
}

function write(storage, name, value) {
  try {
    storage?.setItem(name, value);
    return true;
  } catch {
    return false;  // full or refused: the setting is lost, nothing else happens
  }
}

// The stored settings as the window loads them: each field's text cut to its limit,
// the stock text in place of the default (cut to 155 characters), and the defaults for
// what is not stored.
export function loadSettings(storage, rules) {
  const out = { indexConstant: '', feedConstant: '', feedRate: '.025', stockText: rules.engine.defaultStockText() };
  for (const f of rules.numberFields) {
    if (!(f.key in SETTING_NAMES)) continue;
    const stored = read(storage, SETTING_NAMES[f.key]);
    if (stored !== null) out[f.key] = stored.slice(0, f.limit);
  }
  const stock = read(storage, SETTING_NAMES.stock);
  if (stock !== null) out.stockText = stock.slice(0, 155);
  return out;
}

export function saveSettings(storage, { indexConstant, feedConstant, feedRate, counts }) {
  const ok = [
    write(storage, SETTING_NAMES.indexConstant, indexConstant),
    write(storage, SETTING_NAMES.feedConstant, feedConstant),
    write(storage, SETTING_NAMES.feedRate, feedRate),
    write(storage, SETTING_NAMES.stock, stockTextOfCounts(counts)),
  ];
  return ok.every(Boolean);
}

// The rest of the job as kept for the tab. Whatever does not fit a field is dropped.
export function loadDraft(storage, rules) {
  let draft;
  try {
    draft = JSON.parse(read(storage, DRAFT_NAME) ?? 'null');
  } catch {
    return {};
  }
  if (typeof draft !== 'object' || draft === null) return {};
  const out = {};
  for (const key of ['helixAngle', 'normalPitch']) if (rules.holds(key, draft[key])) out[key] = draft[key];
  const whole = (v, rule) => typeof v === 'string' && /^[1-9][0-9]*$/.test(v) && +v >= rule.low && +v <= rule.high;
  if (whole(draft.teeth, rules.teeth)) out.teeth = draft.teeth;
  if (whole(draft.hobThreads, rules.hobThreads)) out.hobThreads = draft.hobThreads;
  if (Number.isInteger(draft.setupIndex) && draft.setupIndex >= 0 && draft.setupIndex < rules.setupItems.length) out.setupIndex = draft.setupIndex;
  for (const key of ['wholeOnly', 'finiteOnly', 'bypassDuplicates', 'mountable'])
    if (typeof draft[key] === 'boolean') out[key] = draft[key];
  if (out.wholeOnly && out.finiteOnly) out.finiteOnly = false;
  return out;
}

export function saveDraft(storage, job, options) {
  const { helixAngle, normalPitch, teeth, hobThreads, setupIndex } = job;
  return write(storage, DRAFT_NAME, JSON.stringify({ helixAngle, normalPitch, teeth, hobThreads, setupIndex, ...options }));
}

// The stored profiles' texts and the chosen one's place. A stored value that is no
// list of texts counts as none; the texts are read by the engine (machine-view.js).
export function loadMachines(storage) {
  let texts;
  try {
    texts = JSON.parse(read(storage, MACHINE_NAMES.profiles) ?? '[]');
  } catch {
    texts = [];
  }
  if (!Array.isArray(texts)) texts = [];
  const chosen = read(storage, MACHINE_NAMES.chosen) ?? '';
  return { texts: texts.filter((t) => typeof t === 'string'), chosen: /^\d{1,3}$/.test(chosen) ? Number(chosen) : -1 };
}

export function saveMachines(storage, texts, chosen) {
  return write(storage, MACHINE_NAMES.profiles, JSON.stringify(texts)) && write(storage, MACHINE_NAMES.chosen, String(chosen));
}
