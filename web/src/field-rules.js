// The rules of the job's fields, in one place, from the engine (hobwise/fields.h): what
// each input is called, which characters and how many it takes, its range, what a
// key or a paste does to a number field, the items of the set-up list, and whether
// Solve may go (and why not). The page applies them through this module only.

// The five number fields by control identifier, with the job's key for each, in the
// order of the Main page.
const NUMBER_FIELDS = [
  [2001, 'indexConstant'], [2002, 'feedConstant'], [2007, 'feedRate'], [2004, 'helixAngle'], [2006, 'normalPitch'],
];

export class FieldRules {
  constructor(engine) {
    this.engine = engine;
    // {id, key, label, characters, limit, low, high}
    this.numberFields = NUMBER_FIELDS.map(([id, key]) => ({ ...engine.fieldRule(id), key }));
    this.hobThreads = engine.fieldRule(3002);
    this.teeth = engine.fieldRule(2003);
    this.setupItems = engine.setupItems();
    this.setupHeaders = engine.setupHeaders();
    // The gear counts 5000 + i: tooth count 16 + i, 0 to 7 gears.
    this.gearCounts = [];
    for (let rule = engine.fieldRule(5000); rule; rule = engine.fieldRule(5000 + this.gearCounts.length))
      this.gearCounts.push(rule);
  }

  field(key) {
    return this.numberFields.find((f) => f.key === key);
  }

  // What a number field does with one key ("Backspace", "Delete" or a character),
  // typed into `text` with the selection [start, end): {accepted, clearsResults}.
  key(text, start, end, key) {
    return this.engine.numberFieldKey(text, start, end, key);
  }

  // Whether a paste of `clip` over the selection [start, end) is taken (whole).
  pasteTaken(text, start, end, clip) {
    return this.engine.editMenuState(text, start, end, clip).paste;
  }

  // Whether a field could come to hold `text` by typing (a stored text checked so).
  holds(key, text) {
    const f = this.field(key);
    if (typeof text !== 'string' || text.length > f.limit) return false;
    let typed = '';
    for (const c of text) {
      if (!this.key(typed, typed.length, typed.length, c).accepted) return false;
      typed += c;
    }
    return true;
  }

  // The field Tab leads to from a number field, its whole text selected (0: none).
  tabPartner(id) {
    return this.engine.tabPartnerOf(id);
  }

  // {allowed, reasons}: whether Solve may go, and why not, one line per reason.
  solveState(job, running) {
    return this.engine.solveState(job, running);
  }
}

// The job's texts as a run reads them: each cut to its field's limit.
export function cutToLimits(rules, job) {
  const out = { ...job };
  for (const f of rules.numberFields) out[f.key] = String(job[f.key] ?? '').slice(0, f.limit);
  return out;
}
