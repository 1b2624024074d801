'use strict';
// Locking of databases opened on descriptors: between connections of this
// process (also on other threads), against other processes that use SQLite's
// ordinary file layer, across closes, and recovery after a writer was killed.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { Worker } = require('node:worker_threads');
const { openDatabase, prepare, execAll, tempDir } = require('./harness');
const {
  harnessPath, hostFds, openOnFds, descriptorsOf, value, outcomes, inChild, startChild, probeLocks, LOCKS,
  makeDatabase,
} = require('./fd_helpers');

test('two connections of one process: readers together, one writer, EXCLUSIVE after the readers', () => {
  const file = makeDatabase(path.join(tempDir(), 'two.db'));
  const fds = hostFds(file);
  const a = openDatabase(file, { ...fds, timeout: 0 });
  const b = openDatabase(file, { ...fds, timeout: 0 });
  assert.deepEqual(probeLocks(file), LOCKS.NONE);

  assert.deepEqual(outcomes(a, ['BEGIN', 'SELECT * FROM t']), ['ok', 'ok']);
  assert.deepEqual(outcomes(b, ['BEGIN', 'SELECT * FROM t']), ['ok', 'ok']);
  assert.deepEqual(probeLocks(file), LOCKS.SHARED);

  assert.deepEqual(outcomes(a, ["INSERT INTO t(v) VALUES ('a')"]), ['ok']);
  assert.deepEqual(probeLocks(file), LOCKS.RESERVED);
  assert.deepEqual(outcomes(b, ["INSERT INTO t(v) VALUES ('b')"]), ['SQLITE_BUSY'], 'one RESERVED at a time');
  assert.equal(value(b, 'SELECT count(*) FROM t'), 3, 'the reader goes on reading');

  assert.deepEqual(outcomes(a, ['COMMIT']), ['SQLITE_BUSY'], 'EXCLUSIVE waits for the reader');
  assert.deepEqual(probeLocks(file), LOCKS.PENDING);
  assert.deepEqual(outcomes(b, ['COMMIT']), ['ok']);
  assert.deepEqual(outcomes(a, ['COMMIT']), ['ok']);
  assert.deepEqual(probeLocks(file), LOCKS.NONE);
  assert.equal(value(b, 'SELECT count(*) FROM t'), 4);

  assert.deepEqual(outcomes(a, ['BEGIN EXCLUSIVE']), ['ok']);
  assert.deepEqual(probeLocks(file), LOCKS.EXCLUSIVE);
  assert.deepEqual(outcomes(b, ['SELECT * FROM t']), ['SQLITE_BUSY'], 'no reader while EXCLUSIVE');
  assert.deepEqual(outcomes(a, ['COMMIT']), ['ok']);
  a.close();
  b.close();
  fs.closeSync(fds.fd);
  fs.closeSync(fds.journalFd);
});

test('the busy timeout retries EXCLUSIVE until a reader on another thread lets go', async () => {
  const file = makeDatabase(path.join(tempDir(), 'thread.db'));
  const fds = hostFds(file);
  const state = new Int32Array(new SharedArrayBuffer(4));
  const source = `
    const { workerData } = require('node:worker_threads');
    const { openDatabase, prepare } = require(workerData.harnessPath);
    const db = openDatabase(workerData.file, { fd: workerData.fd, journalFd: workerData.journalFd });
    prepare(db, 'BEGIN').run();
    prepare(db, 'SELECT * FROM t').all();
    const state = new Int32Array(workerData.state);
    Atomics.store(state, 0, 1);
    Atomics.notify(state, 0);
    Atomics.wait(state, 0, 1, 300);  // holds SHARED a while
    Atomics.store(state, 0, 2);
    prepare(db, 'COMMIT').run();
    db.close();
  `;
  const worker = new Worker(source, { eval: true, workerData: { harnessPath, file, ...fds, state: state.buffer } });
  const ended = new Promise((resolve, reject) => { worker.once('exit', resolve); worker.once('error', reject); });

  const writer = openDatabase(file, { ...fds, timeout: 20000 });
  assert.notEqual(Atomics.wait(state, 0, 0, 20000), 'timed-out', 'the worker reads');
  execAll(writer, ['BEGIN IMMEDIATE', "INSERT INTO t(v) VALUES ('after the reader')", 'COMMIT']);
  assert.equal(Atomics.load(state, 0), 2, 'the commit went through only after the reader let go');
  await ended;
  assert.equal(value(writer, 'SELECT count(*) FROM t'), 4);
  writer.close();
  fs.closeSync(fds.fd);
  fs.closeSync(fds.journalFd);
});

test('another process using the ordinary file layer is kept out while the module writes', () => {
  const file = makeDatabase(path.join(tempDir(), 'processes.db'));
  const { db, close } = openOnFds(file);
  execAll(db, ['BEGIN IMMEDIATE', "UPDATE t SET v = 'new' WHERE id = 1"]);
  assert.deepEqual(inChild(file, ['BEGIN IMMEDIATE', 'SELECT v FROM t WHERE id = 1']),
    ['SQLITE_BUSY', [{ v: 'old 0' }]], 'busy for writing, the committed row for reading');
  execAll(db, ['COMMIT']);
  assert.deepEqual(inChild(file, ['SELECT v FROM t WHERE id = 1', 'BEGIN IMMEDIATE', 'COMMIT']),
    [[{ v: 'new' }], 'ok', 'ok']);
  close();
});

test("the module waits for another process's locks; a peer in DELETE mode takes the journal away", async () => {
  const file = makeDatabase(path.join(tempDir(), 'theirs.db'));
  // A peer by path keeps the journal file in place with TRUNCATE.
  const holder = startChild(`
    const db = h.openDatabase(args[0]);
    h.execAll(db, ['PRAGMA journal_mode=TRUNCATE', 'BEGIN EXCLUSIVE', "UPDATE t SET v = 'theirs'"]);
    process.stdout.write('ready\\n');
    process.stdin.once('data', () => { h.execAll(db, ['COMMIT']); db.close(); });
  `, [file]);
  await holder.ready;
  const { db, close } = openOnFds(file, { timeout: 0 });
  assert.deepEqual(outcomes(db, ['SELECT * FROM t', 'BEGIN IMMEDIATE']), ['SQLITE_BUSY', 'SQLITE_BUSY']);
  holder.child.stdin.end('go');
  assert.deepEqual(await holder.exited, { code: 0, signal: null });
  assert.equal(value(db, "SELECT count(*) FROM t WHERE v = 'theirs'"), 3);

  // In DELETE mode the peer unlinks the journal at its commit: the connection on
  // descriptors then refuses to go on rather than run without its journal.
  assert.deepEqual(inChild(file, ["UPDATE t SET v = 'deleted mode'"]), ['ok']);
  assert.equal(fs.existsSync(`${file}-journal`), false);
  assert.throws(() => value(db, 'SELECT count(*) FROM t'), (e) => e.code === 'SQLITE_CANTOPEN' &&
    e.message === 'The database file or its journal file was deleted or replaced while the database was open (the database must be reopened)');
  close();
});

test('a connection closed while another holds a lock leaves that lock alone', () => {
  const file = makeDatabase(path.join(tempDir(), 'deferred.db'));
  const fds = hostFds(file);
  const files = [file, `${file}-journal`];
  const holder = openDatabase(file, fds);
  const leaver = openDatabase(file, fds);
  assert.equal(value(leaver, 'SELECT count(*) FROM t'), 3);
  execAll(holder, ['BEGIN IMMEDIATE', "INSERT INTO t(v) VALUES ('held')"]);
  const whileBoth = descriptorsOf([file], [fds.fd]).length;

  leaver.close();
  assert.deepEqual(probeLocks(file), LOCKS.RESERVED, 'the holder still holds RESERVED');
  assert.deepEqual(inChild(file, ['BEGIN IMMEDIATE']), ['SQLITE_BUSY']);
  assert.equal(descriptorsOf([file], [fds.fd]).length, whileBoth, "the leaver's descriptor waits");

  execAll(holder, ['COMMIT']);
  assert.equal(descriptorsOf([file], [fds.fd]).length, whileBoth - 1, 'and is closed once no lock is held');
  holder.close();
  assert.deepEqual(descriptorsOf(files, [fds.fd, fds.journalFd]), []);
  fs.closeSync(fds.fd);
  fs.closeSync(fds.journalFd);
});

test('a read-write open after a read-only one brings a writable lock descriptor and keeps the read lock', () => {
  const file = makeDatabase(path.join(tempDir(), 'upgrade.db'));
  fs.writeFileSync(`${file}-journal`, '');
  const reader = openOnFds(file, { readonly: true, timeout: 0 });
  execAll(reader.db, ['BEGIN']);
  assert.equal(value(reader.db, 'SELECT count(*) FROM t'), 3);
  assert.deepEqual(probeLocks(file), LOCKS.SHARED);

  const writer = openOnFds(file, { timeout: 0 });
  assert.deepEqual(probeLocks(file), LOCKS.SHARED, 'the read lock survived the replacement');
  assert.deepEqual(outcomes(writer.db, ['BEGIN IMMEDIATE', "INSERT INTO t(v) VALUES ('w')"]), ['ok', 'ok']);
  assert.deepEqual(probeLocks(file), LOCKS.RESERVED);
  assert.deepEqual(outcomes(writer.db, ['COMMIT']), ['SQLITE_BUSY']);
  execAll(reader.db, ['COMMIT']);
  assert.deepEqual(outcomes(writer.db, ['COMMIT']), ['ok']);
  assert.equal(value(reader.db, 'SELECT count(*) FROM t'), 4);
  reader.close();
  writer.close();
});

test('a writer killed mid-transaction leaves a hot journal that the next open rolls back', async () => {
  const file = makeDatabase(path.join(tempDir(), 'killed.db'), 300);
  const committed = fs.readFileSync(file);
  const writer = startChild(`
    const fs = require('node:fs');
    const { fd, journalFd } = { fd: fs.openSync(args[0], 'r+'), journalFd: fs.openSync(args[0] + '-journal', 'w+') };
    const db = h.openDatabase(args[0], { fd, journalFd });
    h.execAll(db, ['PRAGMA cache_size=2', 'BEGIN', "UPDATE t SET v = 'uncommitted ' || randomblob(300)"]);
    process.stdout.write('ready\\n');
    setInterval(() => {}, 1000);
  `, [file]);
  await writer.ready;
  writer.child.kill('SIGKILL');
  assert.equal((await writer.exited).signal, 'SIGKILL');
  assert.ok(fs.statSync(`${file}-journal`).size > 0, 'a journal is left');
  assert.notDeepEqual(fs.readFileSync(file), committed, 'uncommitted pages reached the database file');

  const { db, close } = openOnFds(file);
  assert.equal(value(db, 'PRAGMA integrity_check'), 'ok');
  assert.equal(value(db, "SELECT count(*) FROM t WHERE v LIKE 'old %'"), 300);
  assert.equal(fs.statSync(`${file}-journal`).size, 0, 'the rolled-back journal is deleted (emptied)');
  close();
});

test('a worker terminated mid-transaction gives its locks and descriptors back', async () => {
  const file = makeDatabase(path.join(tempDir(), 'terminated.db'));
  const fds = hostFds(file);
  const source = `
    const { workerData, parentPort } = require('node:worker_threads');
    const { openDatabase, execAll } = require(workerData.harnessPath);
    const db = openDatabase(workerData.file, { fd: workerData.fd, journalFd: workerData.journalFd });
    execAll(db, ['BEGIN IMMEDIATE', "INSERT INTO t(v) VALUES ('never committed')"]);
    parentPort.postMessage('holding');
    setInterval(() => {}, 1000);
  `;
  const worker = new Worker(source, { eval: true, workerData: { harnessPath, file, ...fds } });
  await new Promise((resolve) => worker.once('message', resolve));
  assert.deepEqual(probeLocks(file), LOCKS.RESERVED);
  await worker.terminate();

  assert.deepEqual(probeLocks(file), LOCKS.NONE);
  assert.deepEqual(descriptorsOf([file, `${file}-journal`], [fds.fd, fds.journalFd]), []);
  assert.deepEqual(inChild(file, ['BEGIN IMMEDIATE', 'SELECT count(*) AS n FROM t', 'COMMIT']), ['ok', [{ n: 3 }], 'ok']);
  fs.closeSync(fds.fd);
  fs.closeSync(fds.journalFd);
});
