// The job's inputs: the five number fields, hob threads, number of teeth, the set-up
// list and the three options. Every key and paste goes by the field rules
// (field-rules.js); every change is reported.

const $ = (id) => document.getElementById(id);
const OPTION_IDS = { wholeOnly: 'f3015', finiteOnly: 'f3007', bypassDuplicates: 'f32781' };
const SETUP_HEADER_IDS = [3028, 3029, 3030, 3031, 3032, 3033, 3034];

export class JobForm {
  // onChange(what, clearsResults) runs after every change of an input (`what`: the
  // job's key or the option's name); onTouch() after a key is released in a number
  // field or it loses the focus (the window then judges Solve again).
  constructor(rules, onChange, onTouch) {
    this.rules = rules;
    this.onChange = onChange;
    this.onTouch = onTouch;
    this.fields = new Map(rules.numberFields.map((f) => [f.key, { ...f, input: $(`f${f.id}`), clears: true }]));
    for (const f of this.fields.values()) this.attachNumberField(f);
    this.fillList($('f3002'), rules.hobThreads);
    $('f2003').add(new Option('', ''));
    this.fillList($('f2003'), rules.teeth);
    $('f3002').addEventListener('change', () => this.onChange('hobThreads', true));
    $('f2003').addEventListener('change', () => this.onChange('teeth', true));
    this.buildSetups();
    for (const [name, id] of Object.entries(OPTION_IDS)) $(id).addEventListener('change', () => this.optionClicked(name));
  }

  fillList(select, rule) {
    for (let n = rule.low; n <= rule.high; n++) select.add(new Option(String(n), String(n)));
  }

  // A key goes in only when the field's rule takes it; a paste only whole, when the
  // rule of the fields' Paste takes it (then cut to the field's length).
  attachNumberField(f) {
    const input = f.input;
    input.maxLength = f.limit;
    input.addEventListener('beforeinput', (e) => {
      const type = e.inputType;
      if (type === 'insertFromPaste' || type === 'insertFromDrop') return;  // the paste handler's
      let keys = [];
      if (type === 'insertText' && e.data) keys = [...e.data];  // several: as typed one by one
      else if (type.startsWith('deleteContentBackward') || type.startsWith('deleteWordBackward')) keys = ['Backspace'];
      else if (type.startsWith('deleteContentForward') || type.startsWith('deleteWordForward')) keys = ['Delete'];
      const outcome = this.typed(input, keys);
      if (!outcome.accepted) {
        e.preventDefault();
        return;
      }
      f.clears = outcome.clearsResults;
    });
    input.addEventListener('paste', (e) => {
      e.preventDefault();
      const clip = e.clipboardData?.getData('text') ?? '';
      const { selectionStart: start, selectionEnd: end, value } = input;
      if (!this.rules.pasteTaken(value, start, end, clip)) return;
      input.value = (value.slice(0, start) + clip + value.slice(end)).slice(0, f.limit);
      const at = Math.min(start + clip.length, input.value.length);
      input.setSelectionRange(at, at);
      this.onChange(f.key, true);
    });
    input.addEventListener('drop', (e) => e.preventDefault());
    input.addEventListener('input', () => {
      this.onChange(f.key, f.clears);
      f.clears = true;
    });
    input.addEventListener('keyup', () => this.onTouch());
    input.addEventListener('blur', () => this.onTouch());
  }

  // What the field does with `keys` typed one after another over its selection: taken
  // only when it takes every one.
  typed(input, keys) {
    let text = input.value;
    let start = input.selectionStart;
    let end = input.selectionEnd;
    const outcome = { accepted: keys.length > 0, clearsResults: false };
    for (const key of keys) {
      const one = this.rules.key(text, start, end, key);
      if (!one.accepted) return { accepted: false };
      outcome.clearsResults ||= one.clearsResults;
      if (key.length !== 1) break;  // an erasing key comes alone
      text = text.slice(0, start) + key + text.slice(end);
      start = end = start + 1;
    }
    return outcome;
  }

  buildSetups() {
    const headers = this.rules.setupHeaders;
    SETUP_HEADER_IDS.forEach((id, i) => { document.querySelector(`[data-control="${id}"]`).textContent = headers.columns[i]; });
    document.querySelector('[data-control="3035"]').textContent = headers.studs;
    const body = $('setup-rows');
    this.rules.setupItems.forEach((r, item) => {
      const tr = document.createElement('tr');
      const radio = Object.assign(document.createElement('input'), { type: 'radio', name: 'setup', value: String(item) });
      radio.setAttribute('aria-label', `Set-up ${item}: ${r.hob} hob, ${r.gear} gear, ${r.cut}`);
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
    });
    this.radios = [...body.querySelectorAll('input[type=radio]')];
  }

  setupPicked() {
    this.radios.forEach((radio) => radio.closest('tr').classList.toggle('picked', radio.checked));
    this.onChange('setupIndex', true);
  }

  // "Use Whole" and "Use Finite" are never both checked.
  optionClicked(name) {
    const other = { wholeOnly: 'finiteOnly', finiteOnly: 'wholeOnly' }[name];
    if (other && $(OPTION_IDS[name]).checked) $(OPTION_IDS[other]).checked = false;
    this.onChange(name, true);
  }

  job() {
    const job = {};
    for (const [key, f] of this.fields) job[key] = f.input.value;
    job.hobThreads = $('f3002').value;
    job.teeth = $('f2003').value;
    job.setupIndex = this.radios.findIndex((radio) => radio.checked);
    return job;
  }

  options() {
    const out = {};
    for (const [name, id] of Object.entries(OPTION_IDS)) out[name] = $(id).checked;
    return out;
  }

  // Puts values in place (those given) without a change report.
  show(values) {
    for (const [key, f] of this.fields) if (typeof values[key] === 'string') f.input.value = values[key].slice(0, f.limit);
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
