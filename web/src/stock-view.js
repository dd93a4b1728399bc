// The gear stock: one count 0 to 7 for each tooth count from 16 to 169. Each count is
// typed as one digit (the cursor then moves on) or stepped with the arrow keys.
const $ = (id) => document.getElementById(id);

export class StockView {
  // One cell per gear count rule (field-rules.js); onChange() runs after every change
  // of a count.
  constructor(rules, onChange) {
    this.rules = rules.gearCounts;
    this.onChange = onChange;
    this.inputs = [];
    this.grid = $('stock-grid');
    this.rules.forEach((rule, i) => this.addCell(rule, i));
    const whole = $('whole-count');
    for (let n = this.rules[0].low; n <= this.rules[0].high; n++) whole.add(new Option(String(n), String(n)));
    whole.value = '1';
  }

  addCell(rule, i) {
    const teeth = rule.label;
    const cell = document.createElement('label');
    cell.className = 'cell';
    const name = document.createElement('span');
    name.textContent = String(teeth);
    name.dataset.control = String(5400 + i);
    const input = document.createElement('input');
    input.dataset.control = String(rule.id);
    input.inputMode = 'numeric';
    input.autocomplete = 'off';
    input.value = '0';
    input.setAttribute('aria-label', `Gears of ${teeth} teeth`);
    input.addEventListener('keydown', (e) => this.onKey(e, i));
    input.addEventListener('beforeinput', (e) => this.onBeforeInput(e, i));
    input.addEventListener('input', () => this.onInput(i));
    input.addEventListener('focus', () => input.select());
    cell.append(name, input);
    this.grid.append(cell);
    this.inputs.push(input);
  }

  onKey(e, i) {
    const step = { ArrowUp: 1, ArrowDown: -1 }[e.key];
    if (step === undefined) return;
    e.preventDefault();
    this.setCount(i, Number(this.inputs[i].value) + step);
  }

  // A typed digit 0 to 7 becomes the count and the cursor moves on; deleting sets 0;
  // nothing else gets in.
  onBeforeInput(e, i) {
    if (!e.cancelable) return;  // composition: onInput puts it right
    e.preventDefault();
    if (e.inputType.startsWith('delete')) {
      this.setCount(i, 0);
    } else if (e.inputType.startsWith('insert')) {
      const digit = [...(e.data ?? '')].filter((c) => this.rules[i].characters.includes(c)).pop() ?? '';
      if (digit === '') return;
      this.setCount(i, Number(digit));
      this.inputs[i + 1]?.focus();
    }
  }

  onInput(i) {
    const input = this.inputs[i];
    const digit = [...input.value].filter((c) => this.rules[i].characters.includes(c)).pop() ?? '';
    input.value = digit === '' ? String(this.counts[i]) : digit;
    if (input.value !== String(this.counts[i])) this.refresh(i);
  }

  setCount(i, n) {
    const count = Math.max(this.rules[i].low, Math.min(this.rules[i].high, n));
    if (String(count) === this.inputs[i].value) return;
    this.inputs[i].value = String(count);
    this.refresh(i);
  }

  refresh(i) {
    this.inputs[i].parentElement.classList.toggle('held', this.inputs[i].value !== '0');
    this.counts = this.read();
    this.onChange();
  }

  read() {
    return this.inputs.map((input) => Number(input.value) || 0);
  }

  // Puts all 154 counts in place without a change report per count.
  show(counts) {
    counts.forEach((n, i) => {
      this.inputs[i].value = String(n);
      this.inputs[i].parentElement.classList.toggle('held', n !== 0);
    });
    this.counts = this.read();
  }

  setAll(n) {
    this.show(this.inputs.map(() => n));
    this.onChange();
  }

  setDisabled(disabled) {
    for (const input of this.inputs) input.disabled = disabled;
    for (const id of ['whole-apply', 'stock-load']) $(id).disabled = disabled;
  }
}
