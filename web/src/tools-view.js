// The two tools beside a run: which gear to buy (the advisor, in a worker) and the
// check of a train the operator holds (on the page's engine).

const $ = (id) => document.getElementById(id);

function el(tag, text, attributes = {}) {
  const e = document.createElement(tag);
  if (text !== undefined) e.textContent = text;
  for (const [k, v] of Object.entries(attributes)) e.setAttribute(k, v);
  return e;
}

const trainText = (gears) => `${gears[0]} x ${gears[1]} / ${gears[2]} x ${gears[3]}`;

// The advisor's answer: what the stock keeps now, and each addition that beats it,
// with a button that adds that gear to the stock.
export function showAdvice(report, onAdd) {
  const box = $('advice');
  const now = report.nowBest
    ? `Now: ${report.nowCount} results, the best with ${report.nowBest.feedError}.`
    : 'Now: no result.';
  const parts = [el('p', `${now} ${report.tried} of ${report.candidates} additions tried${report.stopped ? ' (stopped)' : ''}.`)];
  if (report.failed) parts.push(el('p', 'A run failed: a field is no number, or memory ran out.'));
  if (report.suggestions.length === 0) {
    parts.push(el('p', 'No single gear more gives a better result.'));
  } else {
    const table = el('table');
    table.append(el('thead'));
    table.tHead.append(el('tr'));
    for (const h of ['Add', 'Results', 'Index', 'Feed', 'Best', ''])
      table.tHead.rows[0].append(el('th', h, { scope: 'col' }));
    const body = el('tbody');
    for (const s of report.suggestions) {
      const tr = el('tr');
      const button = el('button', 'Add to Stock', { type: 'button' });
      button.addEventListener('click', () => onAdd(s.add));
      tr.append(el('td', `${s.add} teeth`), el('td', String(s.count)), el('td', trainText(s.best.gears.slice(0, 4))),
        el('td', trainText(s.best.gears.slice(4))), el('td', s.best.feedError));
      tr.append(el('td'));
      tr.lastChild.append(button);
      body.append(tr);
    }
    table.append(body);
    const scroll = el('div', undefined, { class: 'scroll scroll-x', tabindex: '0' });
    scroll.append(table);
    parts.push(scroll);
  }
  box.replaceChildren(...parts);
}

export function clearAdvice() {
  $('advice').replaceChildren();
  $('advise-state').textContent = '';
}

// The train check's answer: the texts a result with these gears shows, and the notes.
export function showTrainCheck(check) {
  const box = $('train-check');
  if (check.error) {
    box.replaceChildren(el('p', check.error));
    return;
  }
  const t = check.texts;
  const lines = [
    `Index: ${trainText(t.gears.slice(0, 4))}    Feed: ${trainText(t.gears.slice(4))}`,
    t.status, t.indexError, t.feedError, t.feedLine.replace('   \r\n', '\n'), t.leadLine,
  ];
  const parts = lines.filter((line) => line !== '').map((line) => el('p', line));
  if (check.inStock && check.notes.length === 0) parts.push(el('p', 'In stock, and within every limit of a run.'));
  else if (check.inStock) parts.push(el('p', 'In stock.'));
  for (const note of check.notes) parts.push(el('p', note));
  box.replaceChildren(...parts);
}

export const clearTrainCheck = () => $('train-check').replaceChildren();
