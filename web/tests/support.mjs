// What the tests share: where the build is, the example job and its known answer, the
// engine in node, Chromium through playwright-core, and a server for the site.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync, mkdirSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { createRequire } from 'node:module';
import { join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

export const ROOT = resolve(fileURLToPath(new URL('../..', import.meta.url)));
export const BUILD = resolve(process.env.HOBWISE_WEB_BUILD ?? join(ROOT, 'build-web'));
export const SHOTS = join(BUILD, 'screenshots');
export const SINGLE_FILE_URL = pathToFileURL(join(BUILD, 'hobwise.html')).href;

export const EXAMPLE_JOB = {
  indexConstant: '30', feedConstant: '0.0625', feedRate: '.025', helixAngle: '23.5',
  normalPitch: '8', hobThreads: '1', teeth: '30', setupIndex: 0,
};
// The example job's fields by control identifier, as a person types them.
export const EXAMPLE_FIELDS = { 2001: '30', 2002: '0.0625', 2007: '.025', 2004: '23.5', 2006: '8' };

export function loadEngine() {
  const require = createRequire(import.meta.url);
  return require(join(BUILD, 'hobwise-engine.cjs'))();
}

// The native program the page and the node program are held to: HOBWISE_SOLVE, or
// build/cli/hobwise-solve.
export function nativeProgram() {
  const native = process.env.HOBWISE_SOLVE ?? join(ROOT, 'build', 'cli', 'hobwise-solve');
  if (!existsSync(native)) throw new Error(`no native program at ${native}: build it (cmake --build build) or set HOBWISE_SOLVE`);
  return native;
}

// What the native program prints for a command line.
export const nativeOutput = (args) => execFileSync(nativeProgram(), args, { encoding: 'utf8', maxBuffer: 1 << 26 });
export const nativeJson = (args) => JSON.parse(nativeOutput([...args, '--json']));

// The known answers for the example job, as `hobwise-solve --json` writes them: from
// the native program and from the golden file of an independent implementation
// (HOBWISE_GOLDEN, or ../shared/golden, where it is).
export function expectedExample() {
  const answers = [{ source: nativeProgram(), json: nativeJson(['--example']) }];
  const golden = process.env.HOBWISE_GOLDEN ?? join(ROOT, '..', 'shared', 'golden', 'example-job.json');
  if (existsSync(golden)) answers.push({ source: golden, json: JSON.parse(readFileSync(golden, 'utf8')) });
  return answers;
}

// A run in parts on several engine instances, as the page's workers make it: the plan
// on the first, the pieces handed out in `order` (indices into the pieces, or all of
// them in turn) to the instances by turns, the merge on the last. The report and the
// JSON of --json.
export function solveInParts(engines, job, stock, options = {}, order = null) {
  const plan = engines.length === 1 ? engines[0].planRun(job, stock, options, 1, null, null)
    : planWithSharedCConstants(engines, job, stock, options);
  for (const e of engines.slice(1)) assert.ok(e.takePlan(plan.text));
  const pieces = order ?? plan.pieces.map((_, i) => i);
  const partials = pieces.map((piece, k) => engines[k % engines.length].searchPiece(piece, null));
  const report = engines.at(-1).mergeRun(partials, false, job, stock, options);
  return { plan, report, json: engines[0].reportJson(plan.text, partials, false, job, options) };
}

// The plan as the page makes it with several workers: the index trains on the first
// instance, their C constants in ranges over all of them (the last range first), the
// plan from those on the first.
function planWithSharedCConstants(engines, job, stock, options) {
  const pending = engines[0].planUpToCConstants(job, stock, options, engines.length, null, null);
  assert.ok(pending.pending && pending.indexTrains > 0);
  for (const e of engines.slice(1)) assert.ok(e.takePlan(pending.text));
  const n = pending.indexTrains;
  const parts = Math.min(n, 5);
  const texts = [];
  for (let k = parts - 1; k >= 0; k--)
    texts[k] = engines[k % engines.length].cConstantsPiece(Math.floor((n * k) / parts), Math.floor((n * (k + 1)) / parts));
  return engines[0].finishPlan(texts, true);
}

// A result of the page or the engine in the layout of --json.
export function asJson(result) {
  return {
    index: result.gears.slice(0, 4).map(Number),
    feed: result.gears.slice(4).map(Number),
    c: result.status,
    feedError: result.feedError,
    feedLine: result.feedLine,
    leadLine: result.leadLine,
  };
}

// ------------------------------------------------------------------ Chromium

const CHROMIUM_FLAGS = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

const launchOptions = () => ({ executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium', headless: true, args: CHROMIUM_FLAGS });

// Chromium with a fresh, empty profile that playwright makes (contexts are incognito).
export async function launchChromium() {
  const { chromium } = await import('playwright-core');
  return chromium.launch(launchOptions());
}

// Chromium with a profile of its own in an empty folder, as a person's browser is
// (what can be installed as an app, for one); resolves to {context, close}.
export async function launchProfile() {
  const { chromium } = await import('playwright-core');
  const folder = mkdtempSync(join(tmpdir(), 'hobwise-chromium-'));
  const context = await chromium.launchPersistentContext(folder, launchOptions());
  return { context, close: async () => { await context.close(); rmSync(folder, { recursive: true, force: true }); } };
}

// A page in a context of its own. offline: the network is off and every request but
// file:, data: and blob: is refused; `refused` lists them.
export async function openPage(browser, url, { width = 1366, height = 768, offline = false } = {}) {
  const context = await browser.newContext({ viewport: { width, height }, acceptDownloads: true });
  const refused = [];
  const errors = [];
  if (offline) {
    await context.setOffline(true);
    await context.route('**/*', (route) => {
      const u = route.request().url();
      if (/^(file|data|blob):/.test(u)) return route.continue();
      refused.push(u);
      return route.abort();
    });
  }
  const page = await context.newPage();
  page.on('pageerror', (e) => errors.push(e.message));
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  await page.goto(url);
  await waitForEngine(page);
  return { context, page, refused, errors };
}

export const control = (id) => `[data-control="${id}"]`;

export function waitForEngine(page) {
  return page.waitForFunction(() => /^Hobwise /.test(document.getElementById('engine-state').textContent));
}

export async function typeExampleJob(page) {
  for (const [id, text] of Object.entries(EXAMPLE_FIELDS)) {
    await page.fill(control(id), '');
    await page.type(control(id), text);
  }
  await page.selectOption(control(2003), '30');
}

// Waits for the end of the run under way.
export const runEnd = (page, timeout = 120000) =>
  page.waitForFunction(() => document.getElementById('run-state').dataset.run === 'done', null, { timeout });

// Presses Enter in a field of the job and waits for the run's end.
export async function solveByEnter(page) {
  await page.evaluate(() => { document.getElementById('run-state').dataset.run = ''; });
  await page.focus(control(2006));
  await page.keyboard.press('Enter');
  await runEnd(page);
}

// The texts of the result on display, read from the fields by control identifier.
export function shownResult(page) {
  return page.evaluate(() => {
    const text = (id) => document.querySelector(`[data-control="${id}"]`).textContent;
    return {
      gears: [3003, 3005, 3004, 3006, 3024, 3026, 3025, 3027].map(text),
      status: text(3011), indexError: text(3008), feedError: text(3012), feedLine: text(3013), leadLine: text(3014),
    };
  });
}

export function screenshot(page, name) {
  mkdirSync(SHOTS, { recursive: true });
  return page.screenshot({ path: join(SHOTS, name), fullPage: false });
}

export { serve } from '../tools/serve.mjs';
