// The two tools beside a run: which gear to buy (the advisor, over the workers) and the
// check of a train the operator holds (on the page's engine). Their words are the
// window's "Suggest Gears to Buy" and "Check a Train" dialogs'.

const $ = (id) => document.getElementById(id);

function el(tag, text, attributes = {}) {
  const e = document.createElement(tag);
  if (text !== undefined) e.textContent = text;
  for (const [k, v] of Object.entries(attributes)) e.setAttribute(k, v);
  return e;
}

const plural = (n, one, many) => `${n} ${n === 1 ? one : many}`;

// The line above the table: the best result now, or why there is nothing to compare.
function nowText(a) {
  if (a.full) return 'Every tooth count holds 7 gears: no tooth count can take one more, so nothing was tried.';
  if (a.failed) return 'The job cannot be solved: a field of the Main page is not a number.';
  if (a.nowBest) return `Now: ${plural(a.nowCount, 'result', 'results')}, the best with a feed error of ${a.nowFeedError}.`;
  if (a.stopped && a.tried === 0) return 'Stopped before the first tooth count was tried.';
  return 'Now: no result.';
}

// The line below it: whether a stop came first, and what the suggestions are.
function outcomeText(a) {
  if (a.full || a.failed) return '';
  const parts = [];
  if (a.stopped) parts.push(`Stopped after ${a.tried} of ${a.candidates} tooth counts.`);
  if (a.suggestions.length > 0)
    parts.push(`${plural(a.suggestions.length, 'tooth count improves', 'tooth counts improve')} on the best result; press Add to Stock beside one.`);
  else if (a.stopped && a.tried > 0) parts.push('No suggestion among the tooth counts tried.');
  else if (!a.stopped)
    parts.push(a.nowBest ? 'Nothing improves: no one gear more gives a smaller feed error.'
      : 'Nothing improves: no one gear more finds a result.');
  return parts.join(' ');
}

// The progress while the advisor runs, and where it ended.
export function adviceProgressText(tried, candidates) {
  return `${tried} of ${candidates} tooth counts tried`;
}

function endText(a) {
  if (a.full) return 'No tooth count can take one more gear';
  if (a.failed) return 'The job cannot be solved';
  if (a.stopped) return `Stopped after ${a.tried} of ${a.candidates} tooth counts`;
  return adviceProgressText(a.tried, a.candidates);
}

// How a suggestion's best result mounts on the chosen machine (nothing without one).
function showSuggestionMount(s, row) {
  for (const tr of row?.parentElement.rows ?? []) tr.toggleAttribute('aria-selected', tr === row);
  const mount = s?.best.mount;
  $('advice-mount').replaceChildren(...(mount?.lines ?? []).map((line, i) => el('p', line, mount.quadrants[i].mounts ? {} : { class: 'no' })));
}

// The advisor's answer, each suggestion with a button that adds that gear to the stock;
// with a machine, a column (mountHeader) saying whether its best result mounts, and
// how for the suggestion picked.
export function showAdvice(a, mountHeader, onAdd) {
  const mounts = a.suggestions.some((s) => s.best.mount);
  $('advise-state').textContent = endText(a);
  const parts = [el('p', nowText(a))];
  if (a.suggestions.length > 0) {
    const table = el('table');
    table.append(el('thead'));
    table.tHead.append(el('tr'));
    const headers = ['Add (teeth)', 'Results', 'Feed Error Now', 'Feed Error', 'Lead Error', 'Index Gears', 'Feed Gears'];
    for (const h of [...headers, ...(mounts ? [mountHeader] : []), ''])
      table.tHead.rows[0].append(el('th', h, { scope: 'col' }));
    const body = el('tbody');
    for (const s of a.suggestions) {
      const tr = el('tr');
      const cells = [s.add, s.count, s.nowFeedError || 'none', s.feedError, s.leadError, s.best.indexGears, s.best.feedGears];
      for (const text of mounts ? [...cells, s.best.mount.cell] : cells) tr.append(el('td', String(text)));
      if (mounts) {
        tr.tabIndex = 0;
        tr.addEventListener('click', () => showSuggestionMount(s, tr));
        tr.addEventListener('keydown', (e) => { if (e.target === tr && e.key === 'Enter') showSuggestionMount(s, tr); });
      }
      const button = el('button', 'Add to Stock', { type: 'button', 'aria-label': `Add one gear of ${s.add} teeth to the stock` });
      button.addEventListener('click', () => {
        onAdd(s.add);
        $('advice-outcome').textContent = `One gear of ${s.add} teeth added to the stock. Solve again, or ask again to see what else would help.`;
      });
      tr.append(el('td'));
      tr.lastChild.append(button);
      body.append(tr);
    }
    table.append(body);
    const scroll = el('div', undefined, { class: 'scroll scroll-x', tabindex: '0', 'aria-label': 'Suggestions' });
    scroll.append(table);
    parts.push(scroll, el('div', undefined, { id: 'advice-mount', class: 'mount-lines' }));
  }
  parts.push(el('p', outcomeText(a), { id: 'advice-outcome' }));
  $('advice').replaceChildren(...parts);
  if (mounts) showSuggestionMount(a.suggestions[0], $('advice').querySelector('tbody tr'));
}

export function clearAdvice() {
  $('advice').replaceChildren();
  $('advise-state').textContent = '';
}

const trainText = (gears) => `${gears[0]} x ${gears[1]} / ${gears[2]} x ${gears[3]}`;

// The train check's answer: the texts a result with these gears shows, and the lines
// that sum it up (in stock, the notes).
export function showTrainCheck(check) {
  const box = $('train-check');
  if (check.error !== undefined) {
    box.replaceChildren(el('p', check.error));
    return;
  }
  if (check.unjudged) {
    box.replaceChildren(el('p', 'The job cannot be evaluated: a field of the job holds no number.'));
    return;
  }
  const t = check.texts;
  const lines = [
    `Index: ${trainText(t.gears.slice(0, 4))}    Feed: ${trainText(t.gears.slice(4))}`,
    t.status, t.indexError, t.feedError, t.feedLine.replace('   \r\n', '\n'), t.leadLine, ...check.summary,
    ...(t.mount?.lines ?? []),
  ];
  box.replaceChildren(...lines.filter((line) => line !== '').map((line) => el('p', line)));
}

export const clearTrainCheck = () => $('train-check').replaceChildren();
