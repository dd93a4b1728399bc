// The kept results: the table of all of them, and the selected one in full with the
// window's texts in the window's fields (by control identifier).

const $ = (id) => document.getElementById(id);
const field = (id) => document.querySelector(`[data-control="${id}"]`);

// Control identifiers of the eight gears, in the order of a result's gears.
export const GEAR_FIELDS = [3003, 3005, 3004, 3006, 3024, 3026, 3025, 3027];
const TEXT_FIELDS = { indexError: 3008, feedError: 3012, feedLine: 3013, leadLine: 3014 };

// Every text of a shown result (the status line is the page's).
export function clearResultFields() {
  for (const id of [...GEAR_FIELDS, ...Object.values(TEXT_FIELDS)]) field(id).textContent = '';
  $('result-body').hidden = true;
  $('result-number').textContent = '';
}

export function showResultFields(result, k, count) {
  result.gears.forEach((text, i) => { field(GEAR_FIELDS[i]).textContent = text; });
  field(3011).textContent = result.status;
  for (const [key, id] of Object.entries(TEXT_FIELDS)) field(id).textContent = result[key];
  $('result-number').textContent = `${k + 1} of ${count}`;
  $('previous').disabled = k <= 0;
  $('next').disabled = k >= count - 1;
  $('result-body').hidden = false;
}

export class ResultsTable {
  // onPick(k) runs when the user picks result k (0-based) in the table.
  constructor(onPick) {
    this.onPick = onPick;
    this.table = $('results-table');
    this.body = this.table.tBodies[0];
    this.body.addEventListener('click', (e) => {
      const row = e.target.closest('tr');
      if (row) this.onPick(row.sectionRowIndex);
    });
    this.body.addEventListener('keydown', (e) => {
      if ((e.key === 'Enter' || e.key === ' ') && e.target.closest('tr')) {
        e.preventDefault();
        this.onPick(e.target.closest('tr').sectionRowIndex);
      }
    });
  }

  // The table's columns, as the engine names them.
  setHeaders(headers) {
    this.headers = headers;
    this.showHeaders(headers);
  }

  showHeaders(headers) {
    const row = document.createElement('tr');
    for (const h of headers) {
      const th = document.createElement('th');
      th.scope = 'col';
      th.textContent = h;
      row.append(th);
    }
    this.table.tHead.replaceChildren(row);
  }

  // The results' rows; with mountHeader (a machine chosen), a last column of that name
  // with each result's mount cell.
  show(results, mountHeader = null) {
    this.showHeaders(mountHeader ? [...this.headers, mountHeader] : this.headers);
    const rows = results.map((r) => {
      const tr = document.createElement('tr');
      tr.tabIndex = -1;
      for (const text of mountHeader ? [...r.row, r.mount.cell] : r.row) {
        const td = document.createElement('td');
        td.textContent = text;
        tr.append(td);
      }
      return tr;
    });
    this.body.replaceChildren(...rows);
  }

  select(k) {
    for (const tr of this.body.rows) tr.removeAttribute('aria-selected');
    const row = this.body.rows[k];
    if (!row) return;
    row.setAttribute('aria-selected', 'true');
    row.tabIndex = 0;
    const box = row.closest('.table-scroll');
    if (box && (row.offsetTop < box.scrollTop || row.offsetTop > box.scrollTop + box.clientHeight - row.offsetHeight))
      box.scrollTop = row.offsetTop - box.clientHeight / 2;
  }
}
