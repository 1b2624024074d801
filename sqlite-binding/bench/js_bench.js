'use strict';
// The benchmark workloads in script, on mivo_sqlite driven the way a real host
// drives it or on Node's built-in node:sqlite.
// Usage: node js_bench.js <module|node> <insert|all|get|iterate> <rows> <rounds>;
// prints one JSON array of the rounds' times in milliseconds.
const [engineName, workload, rowsText, roundsText] = process.argv.slice(2);
const rows = Number(rowsText);
const rounds = Number(roundsText);

// The host functions of a real host: one compiled object shape per column list.
function moduleEngine() {
  const addon = require(process.env.MIVO_SQLITE_MODULE);
  class SqliteError extends Error {
    constructor(message, code) { super(message); this.code = code; }
  }
  addon.initialize(
    SqliteError,
    (...values) => values,
    (array, ...values) => { for (const v of values) array.push(v); },
    (...names) => new Function(...names.map((_, i) => `c${i}`),
      `return {${names.map((n, i) => `${JSON.stringify(n)}: c${i}`).join(', ')}};`),
    (value) => ({ value, done: false }));
  return {
    open() {
      const db = new addon.Database(':memory:', ':memory:', true, false, false, 5000, null, null, null, null);
      return {
        exec: (sql) => db.exec(sql),
        prepare: (sql) => db.prepare(sql, db, false, false),
      };
    },
  };
}

function nodeEngine() {
  const { DatabaseSync } = require('node:sqlite');
  return {
    open() {
      const db = new DatabaseSync(':memory:');
      return { exec: (sql) => db.exec(sql), prepare: (sql) => db.prepare(sql) };
    },
  };
}

const engine = engineName === 'module' ? moduleEngine() : nodeEngine();

function openTable() {
  const db = engine.open();
  db.exec('CREATE TABLE t(id INTEGER PRIMARY KEY, name TEXT, score REAL, n INTEGER)');
  return db;
}

function insert(db) {
  db.exec('BEGIN');
  const statement = db.prepare('INSERT INTO t(name, score, n) VALUES (?, ?, ?)');
  for (let i = 1; i <= rows; i++) statement.run(`name ${i}`, i * 0.5, i);
  db.exec('COMMIT');
}

const touch = (row) => row.id + row.score + row.n + row.name.length;

const workloads = {
  insert: () => insert(openTable()),
  all: (db) => {
    let sum = 0;
    for (const row of db.prepare('SELECT id, name, score, n FROM t').all()) sum += touch(row);
    return sum;
  },
  get: (db) => {
    const statement = db.prepare('SELECT id, name, score, n FROM t WHERE id = ?');
    let sum = 0;
    for (let i = 0; i < 200000; i++) sum += touch(statement.get((i * 7919) % rows + 1));
    return sum;
  },
  iterate: (db) => {
    let sum = 0;
    for (const row of db.prepare('SELECT id, name, score, n FROM t').iterate()) sum += touch(row);
    return sum;
  },
};

const run = workloads[workload];
if (!run) throw new Error(`unknown workload ${workload}`);
let shared = null;
if (workload !== 'insert') {
  shared = openTable();
  insert(shared);
}
const times = [];
let sink = 0;
for (let round = 0; round < rounds; round++) {
  const start = process.hrtime.bigint();
  sink += run(shared) || 0;
  times.push(Number(process.hrtime.bigint() - start) / 1e6);
}
if (Number.isNaN(sink)) throw new Error('rows were not read');
console.log(JSON.stringify(times));
