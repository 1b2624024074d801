'use strict';
// A worker can be terminated at any moment, also while the module is building
// rows, iterating, running exec(), calling the logger or a host function, or
// raising an SQLite error. From
// then on every Node-API call in that worker fails; the module must unwind
// quietly, and the environment's teardown then closes what the worker left open.
const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { Worker } = require('node:worker_threads');
const { openDatabase, prepare, tempDir, filesHeldOpenIn, modulePath } = require('./harness');

const WORKER = `
  const { workerData, parentPort } = require('node:worker_threads');
  const { Database, initialize } = require(workerData.modulePath);
  class SqliteError extends Error { constructor(message, code) { super(message); this.code = code; } }
  initialize(SqliteError, (...values) => values, (array, ...rows) => { array.push(...rows); },
    (...names) => (...values) => { const row = {}; names.forEach((n, i) => { row[n] = values[i]; }); return row; },
    (value) => ({ value, done: false }));
  let logged = 0;
  const db = new Database(workerData.file, 'w', false, false, false, 1000, () => { logged++; }, null, null, null);
  const prepare = (sql) => db.prepare(sql, db, false, false);
  prepare('CREATE TABLE IF NOT EXISTS t(id INTEGER PRIMARY KEY, name TEXT, data BLOB)').run();
  prepare('CREATE TABLE IF NOT EXISTS u(x UNIQUE)').run();
  prepare('INSERT OR IGNORE INTO u VALUES (1)').run();
  if (prepare('SELECT count(*) FROM t').pluck().get() === 0) {
    prepare('INSERT INTO t(name, data) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000)' +
            " SELECT 'name ' || i, randomblob(16) FROM n").run();
  }
  const work = [
    () => prepare('SELECT * FROM t').all(),
    () => prepare('SELECT * FROM t').raw().all(),
    () => prepare('SELECT name FROM t').pluck().all(),
    () => prepare('SELECT * FROM t').expand().all(),
    () => prepare('WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200000) SELECT sum(i) AS s FROM n').get(),
    () => { try { prepare('INSERT INTO u VALUES (1)').run(); } catch (e) {} },
    () => { try { prepare('SELECT FROM nowhere'); } catch (e) {} },
    () => prepare('SELECT * FROM t WHERE id = ?').get(7),
    () => { for (const row of prepare('SELECT * FROM t').iterate()) if (row.id > 15000) break; },
    () => db.exec('SELECT count(*) FROM t; SELECT name FROM t WHERE id % 1000 = 0; SELECT 1'),
  ];
  parentPort.postMessage('ready');
  for (let round = 0; ; round++) work[round % work.length]();
`;

// The same, while SQLite calls the worker's own functions, aggregates and
// virtual tables back.
const CALLBACK_WORKER = `
  const { workerData, parentPort } = require('node:worker_threads');
  const { Database, initialize } = require(workerData.modulePath);
  class SqliteError extends Error { constructor(message, code) { super(message); this.code = code; } }
  initialize(SqliteError, (...values) => values, (array, ...rows) => { array.push(...rows); },
    (...names) => (...values) => { const row = {}; names.forEach((n, i) => { row[n] = values[i]; }); return row; },
    (value) => ({ value, done: false }));
  const db = new Database(workerData.file, 'w', false, false, false, 1000, null, null, null, null);
  const prepare = (sql) => db.prepare(sql, db, false, false);
  db.function((x) => x * 2, 'twice', 1, 0, true, false);
  db.aggregate(() => [], (list, x) => { list.push(x); }, (list) => { list.shift(); }, (list) => list.length,
    'gather', 1, 0, false, false);
  db.table(() => ['CREATE TABLE x(stop HIDDEN, value)',
    function* (stop) { for (let i = 1; i <= stop; i++) yield [stop, i]; }, ['stop'], 0, false], 'upto', true);
  prepare('CREATE TABLE IF NOT EXISTS n(i INTEGER PRIMARY KEY)').run();
  prepare('INSERT OR IGNORE INTO n WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 5000) SELECT i FROM c').run();
  const work = [
    () => prepare('SELECT twice(i) FROM n').pluck().all(),
    () => prepare('SELECT gather(i) FROM n').pluck().get(),
    () => prepare('SELECT gather(i) OVER (ORDER BY i ROWS BETWEEN 3 PRECEDING AND CURRENT ROW) FROM n').pluck().all(),
    () => prepare('SELECT value FROM upto(20000)').pluck().all(),
    () => prepare('SELECT count(*) FROM n, upto(n.i % 7)').pluck().get(),
    () => { for (const value of prepare('SELECT twice(i) FROM n').pluck().iterate()) if (value < 0) break; },
    () => db.exec('SELECT twice(i) FROM n; SELECT gather(i) FROM n; SELECT count(*) FROM upto(3000)'),
  ];
  parentPort.postMessage('ready');
  for (let round = 0; ; round++) work[round % work.length]();
`;

// A fixed sequence of delays, so that every run tries the same moments.
function delays(count) {
  let seed = 12345;
  const out = [];
  for (let i = 0; i < count; i++) {
    seed = (seed * 1103515245 + 12345) % 2147483648;
    out.push(seed % 40);
  }
  return out;
}

function terminateAfter(file, delay, script = WORKER) {
  return new Promise((resolve, reject) => {
    const worker = new Worker(script, { eval: true, workerData: { modulePath, file } });
    worker.on('error', reject);
    worker.once('message', () => setTimeout(() => worker.terminate(), delay));
    worker.on('exit', resolve);
  });
}

test('workers terminated in the middle of queries leave the process running and their databases closed', async () => {
  const dir = tempDir();
  const file = path.join(dir, 'shared.db');
  for (const delay of delays(40)) {
    const code = await terminateAfter(file, delay);
    assert.equal(code, 1, 'a terminated worker exits with 1');
    assert.deepEqual(filesHeldOpenIn(dir), [], `after a termination at ${delay} ms`);
  }
  const db = openDatabase(file);
  assert.equal(prepare(db, 'SELECT count(*) FROM t').pluck().get(), 20000);
  db.close();
});

test('workers terminated while SQLite calls their script functions back unwind quietly', async () => {
  const dir = tempDir();
  const file = path.join(dir, 'callbacks.db');
  for (const delay of delays(30)) {
    const code = await terminateAfter(file, delay, CALLBACK_WORKER);
    assert.equal(code, 1, 'a terminated worker exits with 1');
    assert.deepEqual(filesHeldOpenIn(dir), [], `after a termination at ${delay} ms`);
  }
  const db = openDatabase(file);
  assert.equal(prepare(db, 'SELECT count(*) FROM n').pluck().get(), 5000);
  db.close();
});
