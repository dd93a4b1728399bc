// hobwise-solve for node against the native program: the same standard output (byte
// for byte), standard error and exit status on the same command lines.
import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, test } from 'node:test';

import { BUILD, ROOT, nativeProgram } from './support.mjs';

const native = nativeProgram();
const folder = mkdtempSync(join(tmpdir(), 'hobwise-node-cli-'));
after(() => rmSync(folder, { recursive: true, force: true }));

function run(command, args) {
  return new Promise((resolve) => {
    execFile(command[0], [...command.slice(1), ...args], { encoding: 'buffer', maxBuffer: 1 << 26 },
      (error, stdout, stderr) => resolve({ status: error ? error.code : 0, stdout, stderr: stderr.toString() }));
  });
}

// Both programs on each command line, two lines at a time.
async function compareAll(lines) {
  const node = [process.execPath, join(BUILD, 'hobwise-solve.mjs')];
  let next = 0;
  const one = async () => {
    for (let k = next++; k < lines.length; k = next++) {
      const [a, b] = await Promise.all([run([native], lines[k]), run(node, lines[k])]);
      const line = lines[k].join(' ');
      assert.equal(b.status, a.status, line);
      assert.equal(b.stderr, a.stderr, line);
      assert.ok(b.stdout.equals(a.stdout), `${line}\nnative: ${a.stdout.toString().slice(0, 300)}\nnode: ${b.stdout.toString().slice(0, 300)}`);
    }
  };
  await Promise.all([one(), one()]);
}

// A generator of numbers in [0, 1), the same every run.
function sequence(seed) {
  let x = seed;
  return () => {
    x = (x * 1103515245 + 12345) % 2147483648;
    return x / 2147483648;
  };
}

// Jobs inside the Solve ranges, on full, sparse and default stocks, every set-up, the
// whole and finite options and the duplicates bypass, as listing, JSON and CSV.
function jobs(count) {
  const random = sequence(18);
  const pick = (list) => list[Math.floor(random() * list.length)];
  const stock = (kind) => {
    if (kind === 'full') return ['--stock', '2'.repeat(154)];
    if (kind === 'default') return [];
    return ['--stock', Array.from({ length: 154 }, () => (random() < 0.35 ? pick('1123') : '0')).join('')];
  };
  const lines = [];
  for (let k = 0; k < count; k++) {
    lines.push([
      '--index-constant', pick(['30', '40', '24', '60', '20.5', '45']),
      '--feed-constant', pick(['0.0625', '.05', '0.1', '0.125', '0.08']),
      '--feed-rate', pick(['.025', '.02', '.03', '.04', '.01', '.035']),
      '--helix-angle', pick(['23.5', '15', '30', '45', '10.5', '60', '8.105']),
      '--pitch', pick(['8', '10', '12', '6', '20', '4.5']),
      '--teeth', String(10 + Math.floor(random() * 110)),
      '--setup', String(k % 8),
      ...(k % 5 === 1 ? ['--whole'] : k % 5 === 2 ? ['--finite'] : []),
      ...(k % 7 === 3 ? ['--bypass-duplicates'] : []),
      ...stock(k % 6 === 0 ? 'full' : k % 3 === 1 ? 'default' : 'sparse'),
      ...(k % 4 === 0 ? ['--csv'] : k % 4 === 1 ? [] : ['--json']),
    ]);
  }
  return lines;
}

test('32 jobs give the native output', async () => {
  const lines = jobs(32);
  // A job that finds nothing: one gear of each of 30 to 35 teeth.
  lines.push(['--example', '--stock', `${'0'.repeat(14)}${'1'.repeat(6)}${'0'.repeat(134)}`, '--json']);
  lines.push(['--example', '--exact', '--stock', `${'0'.repeat(14)}${'2'.repeat(30)}${'0'.repeat(110)}`, '--json']);
  await compareAll(lines);
});

test('--suggest, --check-train and --stock-file give the native output', async () => {
  const stockFile = join(folder, 'stock.txt');
  writeFileSync(stockFile, '# Hobwise gear stock\n30 1\n32 2\n36 1\n42 1\n50 2\n51 1\n52 1\n53 1\n56 1\n58 1\n65 1\n87 1\n');
  const damaged = join(folder, 'damaged.txt');
  writeFileSync(damaged, '# Hobwise gear stock\n30 1\n31 nine\n');
  const machine = join(ROOT, 'data', 'example-machine.json');
  const badMachine = join(folder, 'machine.json');
  writeFileSync(badMachine, '{"index": {"module": 0}}');
  await compareAll([
    ['--example', '--machine', machine],
    ['--example', '--machine', machine, '--mountable', '--json', '--setup', '6'],
    ['--example', '--machine', machine, '--mountable', '--stock', '2'.repeat(154), '--json', '--whole'],
    ['--example', '--machine', machine, '--mountable', '--suggest', '3'],
    ['--example', '--machine', machine, '--check-train', '51,52,53,50:32,42,65,58', '--json'],
    ['--example', '--machine', badMachine],
    ['--example', '--mountable'],
    ['--example', '--suggest'],
    ['--example', '--suggest', '3', '--json', '--stock-file', stockFile],
    ['--example', '--check-train', '51,52,53,50:32,42,65,58'],
    ['--example', '--check-train', '51,52,53,50:32,42,65,58', '--json', '--setup', '5'],
    ['--example', '--stock-file', stockFile, '--json'],
    ['--example', '--stock-file', damaged],
    ['--example', '--stock-file', join(folder, 'missing.txt')],
  ]);
});

test('bad input gets the native message and exit status', async () => {
  await compareAll([
    ['--example', '--teeth', '401'],
    ['--example', '--feed-rate', '.'],
    ['--index-constant', '30'],
    ['--example', '--whole', '--finite'],
    ['--example', '--stock', '123'],
    ['--example', '--check-train', '51,52,53,50:32,42,65'],
    ['--example', '--suggest', '0'],
    ['--example', '--frobnicate'],
    ['--help'],
    ['--version'],
  ]);
});

test('--sheet is refused by the program for node, before anything runs', async () => {
  const { status, stdout, stderr } = await run([process.execPath, join(BUILD, 'hobwise-solve.mjs')],
    ['--example', '--sheet', join(folder, 'sheet.pdf')]);
  assert.equal(status, 2);
  assert.equal(stdout.length, 0);
  assert.match(stderr, /^hobwise-solve: --sheet: the set-up sheet is written by the native program only/);
});
