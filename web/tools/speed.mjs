// Times jobs in Chromium (the page, one worker) beside the native program in the same
// run: the best of N runs of each, in milliseconds.
//
//   node web/tools/speed.mjs NATIVE_HOBWISE_SOLVE [RUNS]
import { execFileSync } from 'node:child_process';

import { EXAMPLE_FIELDS, SINGLE_FILE_URL, control, launchChromium, openPage } from '../tests/support.mjs';

// The example job first, on the fresh page's stock (one gear of each of 30 to 80).
const JOBS = [
  { name: 'example job', fields: {}, stock: null, args: [] },
  { name: 'full stock, 2 of each', fields: {}, stock: 2, args: ['--stock', '2'.repeat(154)] },
  { name: 'pitch 360, helix 60, 7 of each', fields: { 2006: '360', 2004: '60' }, stock: 7,
    args: ['--pitch', '360', '--helix-angle', '60', '--stock', '7'.repeat(154)] },
];

function nativeMs(program, args, workers, runs) {
  let best = Infinity;
  for (let i = 0; i < runs; i++) {
    const started = process.hrtime.bigint();
    execFileSync(program, ['--example', '--json', '--workers', String(workers), ...args], { stdio: ['ignore', 'ignore', 'inherit'] });
    best = Math.min(best, Number(process.hrtime.bigint() - started) / 1e6);
  }
  return best;
}

async function pageMs(page, job, runs) {
  for (const [id, text] of Object.entries({ ...EXAMPLE_FIELDS, ...job.fields })) await page.fill(control(id), text);
  await page.selectOption(control(2003), '30');
  if (job.stock !== null) {  // null: the stock a fresh page starts with
    await page.selectOption('#whole-count', String(job.stock));
    await page.click('#whole-apply');
  }
  const times = [];
  for (let i = 0; i < runs; i++) {
    await page.evaluate(() => { document.getElementById('run-state').dataset.ms = ''; });
    await page.click(control(1001));
    await page.waitForFunction(() => document.getElementById('run-state').dataset.ms !== '', null, { timeout: 600000 });
    times.push(Number(await page.evaluate(() => document.getElementById('run-state').dataset.ms)));
  }
  return { first: times[0], best: Math.min(...times) };
}

const [program, runsText] = process.argv.slice(2);
if (!program) {
  console.error('usage: node speed.mjs NATIVE_HOBWISE_SOLVE [RUNS]');
  process.exit(2);
}
const runs = Number(runsText ?? 5);
const browser = await launchChromium();
const { page } = await openPage(browser, SINGLE_FILE_URL);
console.log('job | Chromium, 1 worker: first run / best | native --workers 1 | native --workers 2 (best of ' + runs + ', ms)');
for (const job of JOBS) {
  const web = await pageMs(page, job, runs);
  const one = nativeMs(program, job.args, 1, runs);
  const two = nativeMs(program, job.args, 2, runs);
  console.log(`${job.name} | ${web.first} / ${web.best} | ${one.toFixed(0)} | ${two.toFixed(0)}`);
}
await browser.close();
