// hobwise-solve on node, on the engine in WebAssembly. For now it solves the example
// job and prints the texts of its result 1 as the window shows them.
//
//   node build-web/hobwise-solve.mjs [--example]
import { createRequire } from 'node:module';

const require = createRequire(import.meta.url);
const createHobwiseEngine = require('./hobwise-engine.cjs');

export const EXAMPLE_JOB = {
  indexConstant: '30', feedConstant: '0.0625', feedRate: '.025', helixAngle: '23.5',
  normalPitch: '8', hobThreads: '1', teeth: '30', setupIndex: 0,
};

const args = process.argv.slice(2);
if (args.some((a) => a !== '--example')) {
  process.stderr.write('usage: node hobwise-solve.mjs [--example]\n');
  process.exit(2);
}

const engine = await createHobwiseEngine();
const report = engine.solve(EXAMPLE_JOB, engine.defaultStockText(), {}, null);
const total = report.results.length;
const plural = (n, word) => `${n} ${word}${n === 1 ? '' : 's'}`;
let out = `${plural(total, 'result')} from ${plural(report.cConstantCount, 'C constant')}\n`;
if (total > 0) {
  const t = report.results[0];
  out += `\nResult 1 of ${total}\n`;
  out += `  Index Change-Gears: ${t.gears[0]} x ${t.gears[1]} / ${t.gears[2]} x ${t.gears[3]}\n`;
  out += `  Feed Change-Gears: ${t.gears[4]} x ${t.gears[5]} / ${t.gears[6]} x ${t.gears[7]}\n`;
  for (const text of [t.status, t.indexError, t.feedError, t.feedLine.replace('   \r\n', '\n  '), t.leadLine])
    out += `  ${text}\n`;
}
process.stdout.write(out);
