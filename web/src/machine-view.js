// The shop's machines: the profiles imported from the window's files (kept in the
// browser beside the four settings), the one chosen, "Mountable Trains Only", and the
// drawing of how the result on display goes on the chosen machine's quadrants. The
// engine reads every profile (a damaged one is refused with the field named) and
// writes every text of a mount.
import { loadMachines, saveMachines } from './settings.js';

const $ = (id) => document.getElementById(id);
const MOST_PROFILES = 100;  // as the window keeps at most

function el(tag, text, attributes = {}) {
  const e = document.createElement(tag);
  if (text !== undefined) e.textContent = text;
  for (const [k, v] of Object.entries(attributes)) e.setAttribute(k, v);
  return e;
}

export class MachineView {
  // storage: localStorage or null; onChoose(profile | null) runs after a choice (the
  // page fills the constants and the stock and treats it as an input change);
  // onOption() after "Mountable Trains Only" is clicked; download(name, text, type).
  constructor(engine, storage, { onChoose, onOption, download }) {
    this.engine = engine;
    this.storage = storage;
    this.onChoose = onChoose;
    this.download = download;
    this.profiles = [];  // {name, indexConstant, feedConstant, stock, text, line}
    this.chosen = -1;
    this.disabled = false;
    const stored = loadMachines(storage);
    for (const [k, text] of stored.texts.entries()) {
      if (this.profiles.length >= MOST_PROFILES) break;
      const read = engine.readMachineProfile(text);
      if (!read.profile) continue;  // a damaged profile is left out
      if (k === stored.chosen) this.chosen = this.profiles.length;
      this.profiles.push(read.profile);
    }
    $('machine-help').textContent = engine.machineProfileHelp();
    $('machine-import').addEventListener('click', () => $('machine-file').click());
    $('machine-file').addEventListener('change', (e) => {
      const file = e.target.files[0];
      e.target.value = '';
      if (file) this.importFile(file);
    });
    $('machine-none').addEventListener('click', () => this.choose(-1));
    $('mountable').addEventListener('change', onOption);
    this.show();
  }

  chosenProfile() {
    return this.profiles[this.chosen] ?? null;
  }

  // What a run, the advisor and the train check take of the machine.
  runOptions() {
    const p = this.chosenProfile();
    return p ? { machine: p.text, mountable: $('mountable').checked } : {};
  }

  store() {
    saveMachines(this.storage, this.profiles.map((p) => p.text), this.chosen);
  }

  message(text) {
    $('machine-message').textContent = text;
  }

  // A profile file as the window exports it; a damaged one changes nothing.
  async importFile(file) {
    const limit = this.engine.machineProfileMaxBytes();
    const bytes = new Uint8Array(await file.slice(0, limit + 1).arrayBuffer());
    const read = this.engine.readMachineProfile(bytes);
    if (read.error !== undefined) return this.message(`${file.name}: ${read.error}`);
    if (this.profiles.length >= MOST_PROFILES) return this.message(`${MOST_PROFILES} profiles are kept at most: delete one first.`);
    this.profiles.push(read.profile);
    this.store();
    this.show();
    this.message(`Imported ${file.name}.`);
  }

  choose(k) {
    this.chosen = k >= 0 && k < this.profiles.length ? k : -1;
    if (this.chosen < 0) $('mountable').checked = false;
    this.store();
    this.show();
    this.onChoose(this.chosenProfile());
  }

  remove(k) {
    const wasChosen = k === this.chosen;
    this.profiles.splice(k, 1);
    if (wasChosen) return this.choose(-1);
    if (k < this.chosen) this.chosen--;
    this.store();
    this.show();
  }

  exportProfile(k) {
    const p = this.profiles[k];
    const name = (p.name.replace(/[^A-Za-z0-9._-]+/g, '-').replace(/^-+|-+$/g, '') || 'machine').slice(0, 60);
    this.download(`${name}.json`, p.text, 'application/json');
  }

  show() {
    const p = this.chosenProfile();
    $('machine-line').textContent = p ? p.line : '';
    $('machine-line').hidden = !p;
    $('mountable').disabled = !p || this.disabled;
    $('machine-none').disabled = !p || this.disabled;
    $('machine-import').disabled = this.disabled;
    const rows = this.profiles.map((profile, k) => {
      const li = el('li', undefined, k === this.chosen ? { class: 'chosen', 'aria-current': 'true' } : {});
      const name = profile.line.replace(/^Machine: /, '');
      li.append(el('span', name, { class: 'machine-name' }));
      const button = (text, label, action, disabled = false) => {
        const b = el('button', text, { type: 'button', 'aria-label': `${label} ${name}` });
        b.disabled = disabled;
        b.addEventListener('click', action);
        return b;
      };
      li.append(button('Choose', 'Choose', () => this.choose(k), this.disabled || k === this.chosen),
        button('Export', 'Export', () => this.exportProfile(k)),
        button('Delete', 'Delete', () => this.remove(k), this.disabled));
      return li;
    });
    $('machine-list').replaceChildren(...rows);
    $('machine-list').hidden = rows.length === 0;
  }

  // While a run goes, the choice (which would change its inputs) waits.
  setDisabled(disabled) {
    this.disabled = disabled;
    this.show();
  }

  // How the result on display goes on the machine: the mount lines, and each train on
  // its quadrant.
  showMount(mount) {
    const lines = mount?.lines ?? [];
    const quadrants = mount?.quadrants ?? [];
    $('mount-lines').replaceChildren(...lines.map((line, i) => el('p', line, quadrants[i]?.mounts ? {} : { class: 'no' })));
    $('quadrants').replaceChildren(...quadrants.map((q, i) => quadrantSvg(q, ['Index', 'Feed'][i], lines[i])));
    $('quadrants-box').hidden = !mount;
  }
}

const SVG = 'http://www.w3.org/2000/svg';

function svgEl(tag, attributes, text) {
  const e = document.createElementNS(SVG, tag);
  for (const [k, v] of Object.entries(attributes)) e.setAttribute(k, String(v));
  if (text !== undefined) e.textContent = text;
  return e;
}

// One train on its quadrant to scale (mm; y upwards on the machine, so flipped here):
// the shafts filled, the gears as their outside circles with their tooth counts, rear
// plane solid, front plane dashed, the stud's slot as two arcs about the driving shaft;
// drawn in the warning colour when the train does not mount. `line`: its mount line.
function quadrantSvg(q, title, line) {
  const circles = [...q.shafts, ...q.gears];
  const box = {
    left: Math.min(...circles.map((c) => c.x - c.r)), right: Math.max(...circles.map((c) => c.x + c.r)),
    bottom: Math.min(...circles.map((c) => c.y - c.r)), top: Math.max(...circles.map((c) => c.y + c.r)),
  };
  const size = Math.max(box.right - box.left, box.top - box.bottom);
  const font = size / 22;
  const pad = size / 30;
  const head = 1.6 * font;
  const width = box.right - box.left + 2 * pad;
  const height = box.top - box.bottom + 2 * pad + head;
  const svg = svgEl('svg', { viewBox: `${box.left - pad} ${-box.top - pad - head} ${width} ${height}`, role: 'img',
    'aria-label': line ?? title });
  const stroke = size / 300;
  svg.append(svgEl('text', { x: box.left, y: -box.top - pad - head / 3, 'font-size': font, 'font-weight': 600 }, title));
  for (const r of q.slot ?? [])
    svg.append(svgEl('circle', { cx: 0, cy: 0, r, fill: 'none', stroke: '#c9d2da', 'stroke-width': stroke, 'stroke-dasharray': `${stroke} ${3 * stroke}` }));
  for (const g of q.gears) {
    svg.append(svgEl('circle', { cx: g.x, cy: -g.y, r: g.r, fill: g.plane === 'rear' ? 'rgba(58,101,148,.08)' : 'none',
      stroke: q.mounts ? '#1f3b5c' : '#8a4b00', 'stroke-width': stroke, 'stroke-dasharray': g.plane === 'front' ? `${4 * stroke} ${2 * stroke}` : 'none' }));
    svg.append(svgEl('text', { x: g.x, y: -g.y + (g.plane === 'rear' ? -g.r / 2 : g.r / 2), 'font-size': font, 'text-anchor': 'middle', 'dominant-baseline': 'middle' },
      String(g.teeth)));
  }
  for (const s of q.shafts) svg.append(svgEl('circle', { cx: s.x, cy: -s.y, r: s.r, fill: '#5a6772' }));
  if (q.stud) svg.append(svgEl('circle', { cx: q.stud.x, cy: -q.stud.y, r: 2 * stroke, fill: '#17212b' }));
  return svg;
}
