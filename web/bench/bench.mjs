// The page's speed in Chromium beside the native program, in the same run: each job
// solved in the page (its workers as the browser's processors allow, or ?workers=N)
// and by the native program with one and with two workers; the best of RUNS runs of
// each, in milliseconds, and the page's first run (which starts its workers).
//
//   node web/bench/bench.mjs [NATIVE_HOBWISE_SOLVE] [RUNS] [WORKERS]
//
// The page's time runs from the click on Solve (or "Suggest Gears to Buy") to the
// shown results; the native time is the whole program, --json or --suggest --json.
import { execFileSync } from 'node:child_process';
import { join } from 'node:path';

import { EXAMPLE_FIELDS, ROOT, SINGLE_FILE_URL, control, launchChromium, openPage } from '../tests/support.mjs';

const JOBS = [
  { name: 'example job', fields: {}, stock: null, args: [] },
  { name: 'example job, 154 tooth counts at 2', fields: {}, stock: 2, args: ['--stock', '2'.repeat(154)] },
  { name: 'pitch 360, helix 60, 7 of each', fields: { 2006: '360', 2004: '60' }, stock: 7,
    args: ['--pitch', '360', '--helix-angle', '60', '--stock', '7'.repeat(154)] },
  { name: 'advisor, example job', fields: {}, stock: null, args: ['--suggest', '154'], advisor: true },
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

async function setJob(page, job) {
  await page.evaluate(() => localStorage.clear());
  await page.reload();
  await page.waitForFunction(() => /^Hobwise /.test(document.getElementById('engine-state').textContent));
  for (const [id, text] of Object.entries({ ...EXAMPLE_FIELDS, ...job.fields })) await page.fill(control(id), text);
  await page.selectOption(control(2003), '30');
  if (job.stock !== null) {  // null: the stock a fresh page starts with
    await page.selectOption('#whole-count', String(job.stock));
    await page.click('#whole-apply');
  }
}

// One run in the page: Solve is greyed after a run until a key is released in a
// field, as in the window.
async function pageRun(page, advisor) {
  const state = advisor ? 'advise-state' : 'run-state';
  await page.evaluate((id) => { document.getElementById(id).dataset.run = ''; }, state);
  if (advisor) {
    await page.click('#advise');
  } else {
    await page.focus(control(2006));
    await page.keyboard.press('End');
    await page.click(control(1001));
  }
  await page.waitForFunction((id) => document.getElementById(id).dataset.run === 'done', state, { timeout: 600000 });
  return Number(await page.evaluate((id) => document.getElementById(id).dataset.ms, state));
}

const [programArg, runsText, workers] = process.argv.slice(2);
const program = programArg ?? join(ROOT, 'build', 'cli', 'hobwise-solve');
const runs = Number(runsText ?? 5);
const browser = await launchChromium();
const { page } = await openPage(browser, SINGLE_FILE_URL + (workers ? `?workers=${workers}` : ''));
const pageWorkers = await page.evaluate(() => document.getElementById('engine-state').textContent);
console.log(`${pageWorkers}; best of ${runs} runs, ms`);
console.log('| job | Chromium, first run | Chromium, best | native, 1 worker | native, 2 workers | Chromium / native 2 |');
console.log('|---|---|---|---|---|---|');
for (const job of JOBS) {
  await setJob(page, job);
  const times = [];
  for (let i = 0; i < runs; i++) times.push(await pageRun(page, job.advisor));
  const best = Math.min(...times);
  const one = nativeMs(program, job.args, 1, runs);
  const two = nativeMs(program, job.args, 2, runs);
  console.log(`| ${job.name} | ${times[0]} | ${best} | ${one.toFixed(0)} | ${two.toFixed(0)} | ${(best / two).toFixed(2)} |`);
}
await browser.close();
