'use strict';
// Runs every workload on the three engines, each in a process of its own, and
// prints each median with its spread and the ratios module/raw and
// module/node:sqlite. Usage: node run.js [rounds]
const { execFileSync } = require('node:child_process');
const path = require('node:path');

const rounds = Number(process.argv[2] || 5);
const raw = process.env.MIVO_RAW_BENCH;
const script = path.join(__dirname, 'js_bench.js');

const cases = [
  ['insert', 1000000], ['all', 1000000], ['get', 1000000], ['iterate', 1000000],
  ['insert', 10000], ['insert', 100000], ['all', 10000], ['all', 100000],
];

function times(engine, workload, rows) {
  const out = engine === 'raw'
    ? execFileSync(raw, [workload, String(rows), String(rounds)], { encoding: 'utf8' })
    : execFileSync(process.execPath, ['--max-old-space-size=8192', script, engine, workload, String(rows), String(rounds)],
      { encoding: 'utf8', env: process.env });
  return JSON.parse(out);
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

const format = (ms) => ms.toFixed(1).padStart(9);
const spread = (values) => `${Math.min(...values).toFixed(0)}-${Math.max(...values).toFixed(0)}`.padStart(13);

console.log(`${rounds} rounds each; median ms (min-max)`);
console.log(`${'workload'.padEnd(16)}${'raw C'.padStart(22)}${'mivo_sqlite'.padStart(22)}${'node:sqlite'.padStart(22)}` +
  `${'module/raw'.padStart(12)}${'module/node'.padStart(13)}`);
const medians = {};
for (const [workload, rows] of cases) {
  const row = {};
  for (const engine of ['raw', 'module', 'node']) row[engine] = times(engine, workload, rows);
  const m = Object.fromEntries(Object.entries(row).map(([k, v]) => [k, median(v)]));
  medians[`${workload} ${rows}`] = m;
  const cell = (engine) => `${format(m[engine])}${spread(row[engine])}`;
  console.log(`${`${workload} ${rows}`.padEnd(16)}${cell('raw')}${cell('module')}${cell('node')}` +
    `${(m.module / m.raw).toFixed(2).padStart(12)}${(m.module / m.node).toFixed(2).padStart(13)}`);
}
const allM = medians['all 1000000'];
const iterateM = medians['iterate 1000000'];
console.log(`iterate/all (module): ${(iterateM.module / allM.module).toFixed(2)}`);
