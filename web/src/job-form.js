// The job's inputs: the five edit fields, hob threads, number of teeth, the set-up
// list and the three options. Reports every change; the field rules come from
// field-rules.js.
import { EDIT_FIELDS, HOB_THREADS, TEETH, fieldAccepts, pasteAccepted, pastedText } from './field-rules.js';
import { SETUP_COUNT, setupRow } from './setups.js';

const $ = (id) => document.getElementById(id);
const OPTION_IDS = { wholeOnly: 'f3015', finiteOnly: 'f3007', bypassDuplicates: 'f32781' };

export class JobForm {
  // onChange(what) runs after every change of an input; `what` is the job's key or
  // the option's name.
  constructor(onChange) {
    this.onChange = onChange;
    this.fields = new Map(EDIT_FIELDS.map((f) => [f.key, { ...f, input: $(`f${f.id}`), good: '' }]));
    for (const f of this.fields.values()) this.attachEdit(f);
    this.fillList($('f3002'), HOB_THREADS.first, HOB_THREADS.last);
    $('f2003').add(new Option('', ''));
    this.fillList($('f2003'), TEETH.first, TEETH.last);
    $('f3002').addEventListener('change', () => this.onChange('hobThreads'));
    $('f2003').addEventListener('change', () => this.onChange('teeth'));
    this.buildSetups();
    for (const [name, id] of Object.entries(OPTION_IDS)) $(id).addEventListener('change', () => this.optionClicked(name));
  }

  fillList(select, first, last) {
    for (let n = first; n <= last; n++) select.add(new Option(String(n), String(n)));
  }

  // Only what the field rules take gets in: a refused keystroke or paste changes nothing.
  attachEdit(f) {
    const input = f.input;
    input.maxLength = f.limit;
    input.addEventListener('paste', (e) => {
      const clip = e.clipboardData?.getData('text') ?? '';
      e.preventDefault();
      if (!pasteAccepted(clip, input.value, input.selectionStart, input.selectionEnd)) return;
      const at = input.selectionStart + clip.length;
      this.setText(f, pastedText(clip, input.value, input.selectionStart, input.selectionEnd, f.limit));
      input.setSelectionRange(at, at);
      this.onChange(f.key);
    });
    input.addEventListener('input', () => {
      if (fieldAccepts(input.value, f.limit)) {
        f.good = input.value;
        this.onChange(f.key);
        return;
      }
      const caret = Math.max(0, input.selectionStart - (input.value.length - f.good.length));
      input.value = f.good;
      input.setSelectionRange(caret, caret);
    });
  }

  setText(f, text) {
    f.input.value = text;
    f.good = text;
  }

  buildSetups() {
    const body = $('setup-rows');
    for (let item = 0; item < SETUP_COUNT; item++) {
      const r = setupRow(item);
      const tr = document.createElement('tr');
      const radio = Object.assign(document.createElement('input'), { type: 'radio', name: 'setup', value: String(item) });
      radio.setAttribute('aria-label', `Set-up ${item + 1}: ${r.hob} hob, ${r.gear} gear, ${r.cut}`);
      radio.addEventListener('change', () => this.setupPicked());
      for (const text of [r.hob, r.gear, r.cut, r.sign, r.work, r.indexStuds, r.feedStuds]) {
        const td = document.createElement('td');
        td.textContent = String(text);
        tr.append(td);
      }
      tr.cells[0].prepend(radio);
      tr.addEventListener('click', (e) => {
        if (e.target === radio || radio.disabled) return;
        radio.checked = true;
        radio.focus();
        this.setupPicked();
      });
      body.append(tr);
    }
    this.radios = [...body.querySelectorAll('input[type=radio]')];
  }

  setupPicked() {
    this.radios.forEach((radio) => radio.closest('tr').classList.toggle('picked', radio.checked));
    this.onChange('setupIndex');
  }

  // "Use Whole" and "Use Finite" are never both checked.
  optionClicked(name) {
    const other = { wholeOnly: 'finiteOnly', finiteOnly: 'wholeOnly' }[name];
    if (other && $(OPTION_IDS[name]).checked) $(OPTION_IDS[other]).checked = false;
    this.onChange(name);
  }

  job() {
    const job = {};
    for (const [key, f] of this.fields) job[key] = f.input.value;
    job.hobThreads = $('f3002').value;
    job.teeth = $('f2003').value;
    const picked = this.radios.findIndex((radio) => radio.checked);
    job.setupIndex = picked;
    return job;
  }

  options() {
    const out = {};
    for (const [name, id] of Object.entries(OPTION_IDS)) out[name] = $(id).checked;
    return out;
  }

  // Puts values in place (those given) without a change report.
  show(values) {
    for (const [key, f] of this.fields) if (typeof values[key] === 'string') this.setText(f, values[key].slice(0, f.limit));
    if (values.hobThreads) $('f3002').value = values.hobThreads;
    if (values.teeth !== undefined) $('f2003').value = values.teeth;
    if (Number.isInteger(values.setupIndex) && this.radios[values.setupIndex]) {
      this.radios[values.setupIndex].checked = true;
      this.radios.forEach((radio) => radio.closest('tr').classList.toggle('picked', radio.checked));
    }
    for (const [name, id] of Object.entries(OPTION_IDS)) if (typeof values[name] === 'boolean') $(id).checked = values[name];
  }

  setDisabled(disabled) {
    for (const f of this.fields.values()) f.input.disabled = disabled;
    for (const id of ['f3002', 'f2003', ...Object.values(OPTION_IDS)]) $(id).disabled = disabled;
    for (const radio of this.radios) radio.disabled = disabled;
  }
}
