// The rules of the job's fields, in one place: which texts each field takes, how long
// they may be, what a paste may bring, and why Solve is greyed (the last from the
// engine). The page applies them through this module only.

// The five edit fields: control identifier, the job's key, and the length limit.
export const EDIT_FIELDS = [
  { id: 2001, key: 'indexConstant', limit: 6 },
  { id: 2002, key: 'feedConstant', limit: 33 },
  { id: 2007, key: 'feedRate', limit: 10 },
  { id: 2004, key: 'helixAngle', limit: 33 },
  { id: 2006, key: 'normalPitch', limit: 33 },
];

export const HOB_THREADS = { first: 1, last: 24 };
export const TEETH = { first: 1, last: 400 };

const dots = (text) => text.split('.').length - 1;

// A field holds unsigned decimal numbers only: digits and at most one point, up to
// the field's limit.
export function fieldAccepts(text, limit) {
  return text.length <= limit && /^[0-9.]*$/.test(text) && dots(text) <= 1;
}

// A paste is taken whole or not at all: digits and at most one point, a value from
// 1e-9 to 1000, and no second point beside one the field keeps outside the selection.
export function pasteAccepted(clip, fieldText, selectionStart, selectionEnd) {
  if (!clip || !/^[0-9.]*$/.test(clip) || dots(clip) > 1) return false;
  const value = parseFloat(clip);
  if (!(value >= 1e-9 && value <= 1000)) return false;
  const kept = fieldText.slice(0, selectionStart) + fieldText.slice(selectionEnd);
  return dots(clip) + dots(kept) <= 1;
}

// The text a field shows after a paste: the clip in place of the selection, cut to
// the field's limit.
export function pastedText(clip, fieldText, selectionStart, selectionEnd, limit) {
  return (fieldText.slice(0, selectionStart) + clip + fieldText.slice(selectionEnd)).slice(0, limit);
}

// The lines that say why Solve is greyed, from the engine; empty when it may run.
export function solveBlockedText(engine, job, running) {
  return engine.solveBlockedText(job, running);
}

// The job's texts as a run reads them.
export function cutToLimits(job) {
  const out = { ...job };
  for (const f of EDIT_FIELDS) out[f.key] = String(job[f.key] ?? '').slice(0, f.limit);
  return out;
}
