'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { Worker } = require('node:worker_threads');
const { addon, openDatabase, prepare, tempDir, filesHeldOpenIn, modulePath } = require('./harness');

// A worker registers the module in an environment of its own and leaves its
// databases open; the environment's teardown must close every one of them.
function runWorker(files, ending) {
  const source = `
    const { workerData, parentPort } = require('node:worker_threads');
    const { Database } = require(workerData.modulePath);
    const open = (file) => new Database(file, file, false, false, false, 0, () => {}, null, null, null);
    globalThis.kept = workerData.files.map(open);
    globalThis.kept.push(open(':memory:'));
    open(workerData.files[0]);  // dropped without closing
    parentPort.postMessage(typeof Database === 'function');
    if (workerData.ending === 'exit') process.exit(0);
    if (workerData.ending === 'throw') throw new Error('worker failed');
    if (workerData.ending === 'wait') setInterval(() => {}, 1000);
  `;
  return new Promise((resolve) => {
    const worker = new Worker(source, { eval: true, workerData: { modulePath, files, ending } });
    worker.on('error', () => {});
    worker.once('message', () => { if (ending === 'wait') worker.terminate(); });
    worker.on('exit', resolve);
  });
}

test('an environment that goes away closes the databases it left open', async () => {
  const dir = tempDir();
  const files = ['a.db', 'b.db'].map((f) => path.join(dir, f));
  for (const ending of ['end', 'exit', 'throw', 'wait', 'end', 'exit']) {
    await runWorker(files, ending);
    const held = filesHeldOpenIn(dir);
    assert.deepEqual(held, [], `after a worker that ended by '${ending}'`);
  }
  // The main environment's module is untouched by the workers' teardown.
  const db = openDatabase(files[0]);
  assert.equal(db.open, true);
  db.close();
});

test('each environment has classes of its own', async () => {
  const source = `
    const { parentPort, workerData } = require('node:worker_threads');
    const { Database } = require(workerData.modulePath);
    const db = new Database(':memory:', 'w', true, false, false, 0, null, null, null, null);
    parentPort.postMessage(Object.keys(db));
  `;
  const keys = await new Promise((resolve, reject) => {
    const worker = new Worker(source, { eval: true, workerData: { modulePath } });
    worker.once('message', resolve);
    worker.once('error', reject);
  });
  assert.deepEqual(keys, ['memory', 'readonly', 'name', 'open', 'inTransaction']);
  assert.equal(typeof addon.Database, 'function');
});

test('a worker that leaves in the middle of a transaction leaves a consistent database', async () => {
  const file = path.join(tempDir(), 'consistent.db');
  const source = `
    const { workerData } = require('node:worker_threads');
    const { Database } = require(workerData.modulePath);
    const db = new Database(workerData.file, 'c', false, false, false, 0, null, null, null, null);
    const run = (sql, ...values) => db.prepare(sql, db, false, false).run(...values);
    run('CREATE TABLE IF NOT EXISTS t(i INTEGER, pad TEXT)');
    run('INSERT INTO t VALUES (?, ?)', workerData.round, 'committed');
    run('BEGIN');
    const insert = db.prepare('INSERT INTO t VALUES (?, zeroblob(4000))', db, false, false);
    for (let i = 0; i < 2000; i++) insert.run(-1);
    globalThis.live = db.prepare('SELECT count(*) FROM t', db, false, false);
    if (workerData.ending === 'exit') process.exit(0);
    if (workerData.ending === 'wait') { require('node:worker_threads').parentPort.postMessage('ready'); setInterval(() => {}, 1000); }
  `;
  const endings = ['end', 'exit', 'wait', 'end', 'exit', 'wait'];
  for (const [round, ending] of endings.entries()) {
    await new Promise((resolve) => {
      const worker = new Worker(source, { eval: true, workerData: { modulePath, file, round, ending } });
      worker.once('message', () => worker.terminate());
      worker.on('exit', resolve);
    });
    const db = openDatabase(file);
    const get = (sql) => prepare(db, sql).pluck().get();
    assert.equal(get('PRAGMA integrity_check'), 'ok', `after round ${round} (${ending})`);
    assert.equal(get('SELECT count(*) FROM t'), round + 1, 'only the committed rows are there');
    assert.equal(get('SELECT count(*) FROM t WHERE i = -1'), 0);
    db.close();
  }
});
