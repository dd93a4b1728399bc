// The page in Chromium: typed in and solved as a person would, its exports against the
// native program, Stop, the number of workers, phone width, a reload, and the site.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, test } from 'node:test';

import {
  BUILD, ROOT, SHOTS, SINGLE_FILE_URL, asJson, control, launchChromium, launchProfile, nativeOutput, openPage, runEnd,
  screenshot, serve, shownResult, solveByEnter, typeExampleJob, waitForEngine,
} from './support.mjs';

let browser;
before(async () => { browser = await launchChromium(); });
after(async () => { await browser?.close(); });

const downloaded = async (page, button) => {
  const [download] = await Promise.all([page.waitForEvent('download'), page.click(button)]);
  return readFileSync(await download.path(), 'utf8');
};
const isDisabled = (page, id) => page.isDisabled(control(id));

// The long job: pitch 360, helix angle 60, 7 gears of every tooth count.
async function typeLongJob(page) {
  await typeExampleJob(page);
  await page.fill(control(2006), '360');
  await page.fill(control(2004), '60');
  await page.selectOption('#whole-count', '7');
  await page.click('#whole-apply');
}

test('the single file, offline: the example job typed in and solved shows result 1 and the native exports', async () => {
  const { context, page, refused, errors } = await openPage(browser, SINGLE_FILE_URL, { offline: true });
  try {
    await typeExampleJob(page);
    assert.equal(await page.textContent('#blocked'), '');
    // By keyboard: the job's inputs in reading order, then Solve.
    await page.focus(control(2001));
    const order = [];
    for (let i = 0; i < 11; i++) {
      await page.keyboard.press('Tab');
      order.push(await page.evaluate(() => document.activeElement.dataset.control ?? document.activeElement.name));
    }
    assert.deepEqual(order, ['3002', '2007', '2002', '2004', '2006', '2003', 'setup', '3015', '3007', '32781', '1001']);
    await solveByEnter(page);
    const json = nativeOutput(['--example', '--json']);
    const known = JSON.parse(json);
    assert.deepEqual(asJson(await shownResult(page)), known.results[0]);
    assert.equal(await page.textContent(control(3008)), 'Index Error: None');
    // As in the window, Solve stays greyed after a run until an input is touched.
    assert.equal(await isDisabled(page, 1001), true);
    // Paging and the table agree with --json.
    assert.equal(await page.locator('#results-table tbody tr').count(), known.count);
    assert.equal(await page.textContent('#result-number'), `1 of ${known.count}`);
    await page.click('#next');
    assert.deepEqual(asJson(await shownResult(page)), known.results[1]);
    await page.click('#results-table tbody tr:nth-child(3)');
    assert.deepEqual(asJson(await shownResult(page)), known.results[2]);
    assert.equal(await downloaded(page, '#export-json'), json);
    assert.equal(await downloaded(page, '#export-csv'), nativeOutput(['--example', '--csv']));
    await page.click('#previous');
    await page.click('#previous');
    assert.deepEqual(asJson(await shownResult(page)), known.results[0]);
    await screenshot(page, 'desktop-1366x768.png');
    // The printed sheet: the job and both trains of the result on display.
    const pdf = join(SHOTS, 'sheet.pdf');
    await page.pdf({ path: pdf, format: 'Letter' });
    const printed = execFileSync('pdftotext', ['-layout', pdf, '-'], { encoding: 'utf8' });
    for (const line of ['Index Constant: 30', 'Feed Constant: 0.0625', 'Helix Angle: 23.5', 'Number of Teeth: 30',
      '51 x 52', '53 x 50', '32 x 42', '65 x 58'])
      assert.ok(printed.includes(line), line);
    // A key released in a field gives Solve back; any change of an input takes the
    // results away; whole and finite exclude each other.
    await page.focus(control(2001));
    await page.keyboard.press('End');
    assert.equal(await isDisabled(page, 1001), false);
    assert.equal(await page.textContent(control(3003)), '51');
    await page.check(control(3007));
    await page.check(control(3015));
    assert.deepEqual([await page.isChecked(control(3007)), await page.isChecked(control(3015))], [false, true]);
    assert.equal(await page.textContent(control(3003)), '');
    assert.equal(await page.locator('#results-table tbody tr').count(), 0);
    assert.deepEqual(refused, []);
    assert.deepEqual(errors, []);
  } finally {
    await context.close();
  }
});

test('1, 2 and 3 workers give the same table and the native JSON', async () => {
  const stock = '2'.repeat(154);
  const json = nativeOutput(['--example', '--stock', stock, '--setup', '5', '--json']);
  const tables = [];
  for (const workers of [1, 2, 3]) {
    const { context, page, errors } = await openPage(browser, `${SINGLE_FILE_URL}?workers=${workers}`);
    try {
      assert.match(await page.textContent('#engine-state'), new RegExp(` ${workers} workers?$`));
      await typeExampleJob(page);
      await page.selectOption('#whole-count', '2');
      await page.click('#whole-apply');
      await page.check('input[name=setup][value="5"]');
      await solveByEnter(page);
      assert.equal(await downloaded(page, '#export-json'), json, `${workers} workers`);
      tables.push(await page.textContent('#results-table tbody'));
      assert.deepEqual(errors, []);
    } finally {
      await context.close();
    }
  }
  assert.equal(tables[1], tables[0]);
  assert.equal(tables[2], tables[0]);
});

test('Stop during a long run acts at once and keeps what was found; during the plan it keeps nothing', async () => {
  const { context, page, errors } = await openPage(browser, SINGLE_FILE_URL);
  const stopWhen = async (statusStart, wait) => {
    await page.evaluate(() => { document.getElementById('run-state').dataset.run = ''; });
    await page.click(control(1001));
    await page.waitForFunction((start) => document.querySelector('[data-control="3011"]').textContent.startsWith(start),
      statusStart);
    await page.waitForTimeout(wait);
    const stopped = Date.now();
    await page.click('#stop');
    await runEnd(page);
    return Date.now() - stopped;
  };
  try {
    await typeLongJob(page);
    const ms = await stopWhen('Processing', 50);
    console.log(`# stop to shown results: ${ms} ms`);
    assert.ok(ms < 2000, `${ms} ms`);
    assert.match(await page.textContent('#run-state'), /^\d+ results? from 24248 C constants in .* \(stopped\)\.$/);
    const kept = await page.locator('#results-table tbody tr').count();
    assert.ok(kept > 0);
    assert.equal(await page.textContent('#result-number'), `1 of ${kept}`);
    assert.equal(JSON.parse(await downloaded(page, '#export-json')).count, kept);
    await page.focus(control(2001));
    await page.keyboard.press('End');
    await stopWhen('Finding Applicable C Constants...', 0);
    assert.equal(await page.locator('#results-table tbody tr').count(), 0);
    assert.equal(await page.textContent('#why-nothing'), 'Stopped before a result was found');
    assert.equal(await page.textContent(control(3011)), '');
    assert.equal(await isDisabled(page, 2001), false);
    assert.deepEqual(errors, []);
  } finally {
    await context.close();
  }
});

test('Stop of the advisor keeps the tooth counts tried', async () => {
  const { context, page, errors } = await openPage(browser, SINGLE_FILE_URL);
  try {
    await typeExampleJob(page);
    await page.fill(control(2006), '360');
    await page.fill(control(2004), '60');
    await page.click('#advise');
    await page.waitForFunction(() => /^([5-9]|\d\d+) of 154 tooth counts tried$/.test(document.getElementById('advise-state').textContent));
    await page.click('#advise-stop');
    await page.waitForFunction(() => document.getElementById('advise-state').dataset.run === 'done');
    const [, tried] = (await page.textContent('#advise-state')).match(/^Stopped after (\d+) of 154 tooth counts$/);
    assert.ok(Number(tried) >= 5 && Number(tried) < 154);
    assert.match(await page.textContent('#advice'), new RegExp(`Stopped after ${tried} of 154 tooth counts\\.`));
    assert.equal(await page.isDisabled('#advise'), false);
    assert.deepEqual(errors, []);
  } finally {
    await context.close();
  }
});

// The document, the sections and every box that clips, whose content is wider than the
// box: cut off, or only to be seen by scrolling sideways. The results table and the
// advisor's table (.scroll-x) scroll sideways by design.
function overflowing(page) {
  return page.evaluate(() => [...document.querySelectorAll('html, body *')]
    .filter((e) => e.matches('html, section') || getComputedStyle(e).overflowX !== 'visible')
    .filter((e) => !e.matches('.scroll-x') && e.scrollWidth > e.clientWidth + 1)
    .map((e) => `${e.id || e.className || e.tagName}: ${e.scrollWidth} > ${e.clientWidth}`));
}

test('at 360 pixels nothing is cut off', async () => {
  const { context, page, errors } = await openPage(browser, SINGLE_FILE_URL, { width: 360, height: 740, offline: true });
  try {
    assert.deepEqual(await overflowing(page), []);
    await typeExampleJob(page);
    await page.evaluate(() => window.scrollTo(0, 0));
    await screenshot(page, 'phone-360x740.png');
    await solveByEnter(page);
    assert.deepEqual(await overflowing(page), []);
    await screenshot(page, 'phone-360x740-result.png');
    assert.deepEqual(errors, []);
  } finally {
    await context.close();
  }
});

test('the settings and what was typed survive a reload; a damaged stock file is refused', async () => {
  const { context, page } = await openPage(browser, SINGLE_FILE_URL);
  try {
    await typeExampleJob(page);
    await page.fill(control(2007), '.02');
    await page.locator(control(5000 + 14)).press('Digit3');  // 30 teeth: 3 gears
    await page.reload();
    await waitForEngine(page);
    const values = await page.evaluate(() => [2001, 2002, 2007, 2004, 2006, 2003, 5014, 5015]
      .map((id) => document.querySelector(`[data-control="${id}"]`).value));
    assert.deepEqual(values, ['30', '0.0625', '.02', '23.5', '8', '30', '3', '1']);
    // A damaged stock file is refused with its line named, and the stock stays.
    await page.setInputFiles('#stock-file', { name: 'bad.txt', mimeType: 'text/plain', buffer: Buffer.from('# stock\n30 1\n31 nine\n') });
    await page.waitForFunction(() => document.getElementById('stock-message').textContent !== '');
    assert.match(await page.textContent('#stock-message'), /^bad\.txt, line 3: /);
    assert.equal(await page.inputValue(control(5014)), '3');
    // Keys a field does not take change nothing.
    await page.fill(control(2001), '');
    await page.type(control(2001), '1a.2-. 3');
    assert.equal(await page.inputValue(control(2001)), '1.23');
    // A damaged stored stock: what is no digit 0 to 7 counts 0, as in the window.
    await page.evaluate(() => localStorage.setItem('Change gears', '9x7'));
    await page.reload();
    await waitForEngine(page);
    const counts = await page.evaluate(() => [5000, 5001, 5002, 5003].map((id) => document.querySelector(`[data-control="${id}"]`).value));
    assert.deepEqual(counts, ['0', '0', '7', '0']);
  } finally {
    await context.close();
  }
});

test('a reload during a run loses nothing typed; Escape stops a run and gives the inputs back', async () => {
  const { context, page } = await openPage(browser, SINGLE_FILE_URL);
  const running = () => page.waitForFunction(() => document.querySelector('[data-control="3011"]').textContent !== '');
  try {
    await typeLongJob(page);
    await page.click(control(1001));
    await running();
    await page.reload();
    await waitForEngine(page);
    const values = await page.evaluate(() => [2001, 2004, 2006, 2003, 5000, 5153]
      .map((id) => document.querySelector(`[data-control="${id}"]`).value));
    assert.deepEqual(values, ['30', '60', '360', '30', '7', '7']);
    await page.click(control(1001));
    await running();
    await page.keyboard.press('Escape');
    await runEnd(page);
    assert.match(await page.textContent('#run-state'), /\(stopped\)\.$|^0 results/);
    assert.equal(await isDisabled(page, 2001), false);
  } finally {
    await context.close();
  }
});

test('a machine profile: imported, chosen, a Mountable run as --mountable gives it, a damaged one refused, kept', async () => {
  const { context, page, errors } = await openPage(browser, SINGLE_FILE_URL);
  const machine = join(ROOT, 'data', 'example-machine.json');
  const profile = JSON.parse(readFileSync(machine, 'utf8'));
  const texts = (selector) => page.$$eval(selector, (list) => list.map((e) => e.textContent));
  const values = (ids) => page.evaluate((list) => list.map((id) => document.querySelector(`[data-control="${id}"]`).value), ids);
  const stockIds = Array.from({ length: 154 }, (_, i) => 5000 + i);
  try {
    await page.fill(control(2001), '40');
    assert.equal(await page.isDisabled('#mountable'), true);
    await page.setInputFiles('#machine-file', machine);
    await page.click('#machine-list li:first-child button:text-is("Choose")');
    assert.deepEqual(await values([2001, 2002]), [profile.indexConstant, profile.feedConstant]);
    assert.equal((await values(stockIds)).join(''), profile.stock);
    assert.equal(await page.textContent('#machine-line'), `Machine: ${profile.name}`);
    assert.deepEqual(JSON.parse(await downloaded(page, '#machine-list li:first-child button:text-is("Export")')), profile);
    await typeExampleJob(page);
    await page.check('#mountable');
    await solveByEnter(page);
    const json = nativeOutput(['--example', '--machine', machine, '--mountable', '--json']);
    assert.equal(await downloaded(page, '#export-json'), json);
    const known = JSON.parse(json);
    assert.equal((await texts('#results-table th')).at(-1), 'Mounts');
    assert.deepEqual(await texts('#results-table td:last-child'), known.results.map(() => 'Yes'));
    const listing = nativeOutput(['--example', '--machine', machine, '--mountable', '--results', '1']);
    const lines = listing.split('\n').filter((l) => / mounts: | does not mount: /.test(l)).map((l) => l.trim());
    assert.equal(lines.length, 2);
    assert.deepEqual(await texts('#mount-lines p'), lines);
    const sheet = (await texts('#sheet-page text')).join(' ');
    for (const line of lines) assert.ok(sheet.includes(line.replace(/^(Index|Feed) mounts: /, 'Mounts: ')), line);
    assert.equal(await page.locator('#quadrants svg').count(), 2);
    await page.pdf({ path: join(SHOTS, 'sheet-machine.pdf'), format: 'Letter' });
    await page.click('#train-from-result');
    await page.click('#check-train');
    assert.deepEqual((await texts('#train-check p')).slice(-2), lines);
    await page.evaluate(() => window.scrollTo(0, 0));
    await screenshot(page, 'machine-desktop-1366x768.png');
    await page.setViewportSize({ width: 360, height: 740 });
    assert.deepEqual(await overflowing(page), []);
    await page.locator('#mount-lines').scrollIntoViewIfNeeded();
    await screenshot(page, 'machine-phone-360x740.png');
    // A damaged profile file is refused, the field named; profiles and job stay.
    const damaged = { ...profile, index: { ...profile.index, module: -2 } };
    await page.setInputFiles('#machine-file', { name: 'bad.json', mimeType: 'application/json', buffer: Buffer.from(JSON.stringify(damaged)) });
    await page.waitForFunction(() => document.getElementById('machine-message').textContent.startsWith('bad.json'));
    assert.match(await page.textContent('#machine-message'), /^bad\.json: index\.module: /);
    assert.equal(await page.locator('#machine-list li').count(), 1);
    assert.equal(await page.locator('#results-table tbody tr').count(), known.count);
    // The choice and the option survive a reload; a damaged stored list is ignored and
    // the four settings stay.
    await page.reload();
    await waitForEngine(page);
    assert.equal(await page.textContent('#machine-line'), `Machine: ${profile.name}`);
    assert.deepEqual([await page.isChecked('#mountable'), await page.isDisabled('#mountable')], [true, false]);
    await page.evaluate(() => localStorage.setItem('Machine profiles', '{"damaged'));
    await page.reload();
    await waitForEngine(page);
    assert.deepEqual([await page.locator('#machine-list li').count(), await page.isHidden('#machine-line')], [0, true]);
    assert.deepEqual(await values([2001, 2002, 2007]), ['30', '0.0625', '.025']);
    assert.equal((await values(stockIds)).join(''), profile.stock);
    // Deleting the chosen profile leaves no machine.
    await page.setInputFiles('#machine-file', machine);
    await page.click('#machine-list li:first-child button:text-is("Choose")');
    await page.click('#machine-list li:first-child button:text-is("Delete")');
    assert.deepEqual([await page.isHidden('#machine-line'), await page.isDisabled('#mountable')], [true, true]);
    assert.deepEqual(errors, []);
  } finally {
    await context.close();
  }
});

test('the site can be installed and works offline once visited', async () => {
  const site = await serve(join(BUILD, 'site'));
  const profile = await launchProfile();
  try {
    const page = await profile.context.newPage();
    await page.goto(site.url);
    await waitForEngine(page);
    await page.evaluate(() => navigator.serviceWorker.ready);
    const cdp = await profile.context.newCDPSession(page);
    assert.deepEqual((await cdp.send('Page.getInstallabilityErrors')).installabilityErrors, []);
    await site.close();
    await profile.context.setOffline(true);
    await page.reload();
    await waitForEngine(page);
    await typeExampleJob(page);
    await solveByEnter(page);
    assert.equal(await page.textContent(control(3011)), JSON.parse(nativeOutput(['--example', '--json'])).results[0].c);
  } finally {
    await profile.close();
    await site.close();
  }
});
