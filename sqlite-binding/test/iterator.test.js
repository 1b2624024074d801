'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const { spawnSync } = require('node:child_process');
const { addon, initialize, openDatabase, prepare, execAll, collectGarbage } = require('./harness');

const typeError = (message) => ({ name: 'TypeError', message });
const BUSY = typeError('This database connection is busy executing a query');
const LOCKED = typeError('This statement is busy executing a query');
const NOT_OPEN = typeError('The database connection is not open');
const DONE = { value: undefined, done: true };

function tableDb(options) {
  const db = openDatabase(':memory:', options);
  execAll(db, ['CREATE TABLE t(a INTEGER PRIMARY KEY, b TEXT)', "INSERT INTO t(b) VALUES ('one'), ('two'), ('three')"]);
  return db;
}

test('the StatementIterator prototype has next, return and the iterator symbol', () => {
  const proto = addon.StatementIterator.prototype;
  assert.deepEqual(Object.keys(proto), ['next', 'return']);
  assert.equal(typeof proto[Symbol.iterator], 'function');
  assert.deepEqual(Object.getOwnPropertyDescriptor(proto, Symbol.iterator).enumerable, true);
  assert.throws(() => new addon.StatementIterator(), typeError('Disabled constructor'));
});

test('iteration yields the rows in every mode, then fresh done records', () => {
  const db = tableDb();
  const s = prepare(db, 'SELECT a, b FROM t WHERE a >= ?');
  const iterator = s.iterate(2);
  assert.equal(iterator.statement, s);
  assert.equal(iterator[Symbol.iterator](), iterator);
  assert.deepEqual([...iterator], [{ a: 2, b: 'two' }, { a: 3, b: 'three' }]);
  const first = iterator.next();
  const second = iterator.next();
  assert.deepEqual(first, DONE);
  assert.notEqual(first, second);
  assert.deepEqual(Object.getOwnPropertyDescriptors(second), {
    value: { value: undefined, writable: true, enumerable: true, configurable: true },
    done: { value: true, writable: true, enumerable: true, configurable: true },
  });
  assert.deepEqual(iterator.return(), DONE);
  assert.deepEqual([...s.pluck().iterate(1)], [1, 2, 3]);
  assert.deepEqual([...s.raw().iterate(3)], [[3, 'three']]);
  assert.deepEqual([...s.expand().iterate(3)], [{ t: { a: 3, b: 'three' } }]);
  assert.deepEqual([...s.pluck().safeIntegers().iterate(3)], [3n]);
  db.close();
});

test('construction applies its guards in order', () => {
  const db = tableDb();
  const writer = prepare(db, "INSERT INTO t(b) VALUES ('x')");
  assert.throws(() => writer.iterate(), typeError('This statement does not return data. Use run() instead'));
  const s = prepare(db, 'SELECT a FROM t');
  const bound = prepare(db, 'SELECT a FROM t WHERE a > ?').bind(1);
  assert.throws(() => bound.iterate(1), typeError('This statement already has bound parameters'));
  const it = s.iterate();
  assert.throws(() => s.iterate(), LOCKED);
  it.return();
  // The busy guard: iterate from script code that a running statement calls.
  initialize({ makeRowFactory: () => () => { assert.throws(() => s.iterate(), BUSY); return 'row'; } });
  try {
    assert.equal(prepare(db, 'SELECT 1 AS x').get(), 'row');
  } finally {
    initialize();
  }
  db.close();
  assert.throws(() => writer.iterate(), typeError('This statement does not return data. Use run() instead'));
  assert.throws(() => s.iterate(), NOT_OPEN);
});

test('while an iteration is under way the statement is locked and the connection counts it', () => {
  const db = tableDb();
  const s = prepare(db, 'SELECT a FROM t').pluck();
  const other = prepare(db, 'SELECT count(*) FROM t').pluck();
  const writer = prepare(db, "INSERT INTO t(b) VALUES ('four')");
  const it = s.iterate();
  assert.equal(s.busy, true);
  assert.equal(other.busy, false);
  for (const call of [() => s.get(), () => s.all(), () => s.run(), () => s.bind(), () => s.raw(), () => s.safeIntegers()]) {
    assert.throws(call, LOCKED);
  }
  assert.equal(other.get(), 3);
  assert.throws(() => writer.run(), BUSY);
  assert.throws(() => db.exec('SELECT 1'), BUSY);
  assert.throws(() => db.close(), BUSY);
  assert.throws(() => prepare(db, 'SELECT 1', { reader: true }), BUSY);
  // Two statements are iterated side by side.
  const side = prepare(db, 'SELECT b FROM t').pluck().iterate();
  assert.deepEqual([it.next().value, side.next().value, it.next().value, side.next().value], [1, 'one', 2, 'two']);
  db.unsafeMode();
  assert.equal(writer.run().changes, 1);
  db.exec('SELECT 1');
  assert.throws(() => db.close(), BUSY, 'unsafe mode does not let close through');
  assert.throws(() => db.serialize('main'), BUSY);
  db.unsafeMode(false);
  it.return();
  side.return();
  assert.equal(s.busy, false);
  assert.deepEqual(s.all(), [1, 2, 3, 4]);
  db.close();
});

test('return ends early and unlocks; values bound for good stay', () => {
  const db = tableDb();
  const s = prepare(db, 'SELECT a FROM t WHERE a >= ?').pluck();
  const it = s.iterate(1);
  assert.deepEqual(it.next(), { value: 1, done: false });
  assert.deepEqual(it.return(), DONE);
  assert.deepEqual(it.next(), DONE);
  assert.equal(s.busy, false);
  assert.deepEqual(s.all(3), [3], 'the statement was reset and can run again');
  const kept = prepare(db, 'SELECT a FROM t WHERE a >= ?').pluck().bind(2);
  const early = kept.iterate();
  assert.deepEqual(early.next().value, 2);
  early.return();
  assert.deepEqual(kept.all(), [2, 3]);
  db.close();
});

test('the logger is called once, at the first next(), and never for an iteration not advanced', () => {
  const logged = [];
  const db = tableDb({ logger: (sql) => logged.push(sql) });
  logged.length = 0;
  const s = prepare(db, 'SELECT a FROM t WHERE a >= ?').pluck();
  const idle = s.iterate(1);
  idle.return();
  assert.deepEqual(logged, []);
  assert.deepEqual([...s.iterate(2)], [2, 3]);
  assert.deepEqual(logged, ['SELECT a FROM t WHERE a >= 2.0']);
  db.close();
});

test('a failing step ends the iteration with its error; a failing row does not', () => {
  const db = tableDb();
  const failing = prepare(db, 'WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5) ' +
    'SELECT CASE WHEN i = 3 THEN abs(-9223372036854775807 - 1) ELSE i END FROM n').pluck();
  const it = failing.iterate();
  assert.deepEqual([it.next().value, it.next().value], [1, 2]);
  assert.throws(() => it.next(), { code: 'SQLITE_ERROR', message: 'integer overflow' });
  assert.equal(failing.busy, false);
  assert.deepEqual(it.next(), DONE);
  const again = failing.iterate();
  assert.deepEqual(again.next().value, 1, 'reset: a new iteration starts over');
  again.return();

  const own = new Error('row two');
  initialize({ makeRowFactory: () => (a) => { if (a === 2) throw own; return { a }; } });
  let rows;
  try {
    rows = prepare(db, 'SELECT a FROM t').iterate();
  } finally {
    initialize();
  }
  assert.deepEqual(rows.next().value, { a: 1 });
  assert.throws(() => rows.next(), (e) => e === own);
  assert.deepEqual(rows.next().value, { a: 3 }, 'the iteration goes on after the failed row');
  assert.deepEqual(rows.next(), DONE);
  db.close();
});

test('an iterator that is let go of keeps its statement locked until the connection closes', async () => {
  const db = tableDb();
  const s = prepare(db, 'SELECT a FROM t');
  (() => { s.iterate().next(); })();
  await collectGarbage();
  assert.equal(s.busy, true);
  assert.throws(() => db.close(), BUSY);
  assert.throws(() => s.get(), LOCKED);
});

test('script code run while iterate binds cannot leave a locked or counted statement behind', () => {
  // A getter that closes the connection: nothing is locked, counted or stepped.
  const db = tableDb();
  const s = prepare(db, 'SELECT a FROM t WHERE a >= :a');
  assert.throws(() => s.iterate({ get a() { db.close(); return 1; } }), NOT_OPEN);
  assert.equal(s.busy, false);
  // A getter that starts a second iteration of the same statement is refused,
  // and the outer iteration binds its own value.
  const db2 = tableDb();
  const s2 = prepare(db2, 'SELECT a FROM t WHERE a >= :a').pluck();
  const it = s2.iterate({ get a() { assert.throws(() => s2.iterate({ a: 3 }), LOCKED); return 2; } });
  assert.deepEqual([...it], [2, 3]);
  db2.close();
  // A row factory that ends the iteration and closes the connection before the
  // row is read: the row is refused, nothing reads the finalised statement.
  const db3 = tableDb();
  let iterator;
  initialize({ makeRowFactory: () => { iterator.return(); db3.close(); return (a) => ({ a }); } });
  try {
    iterator = prepare(db3, 'SELECT a FROM t').iterate();
  } finally {
    initialize();
  }
  assert.throws(() => iterator.next(), NOT_OPEN);
  assert.equal(db3.open, false);
  assert.deepEqual(iterator.next(), DONE);
});

test('run refuses when script code run by its binding opened an iteration', () => {
  const db = tableDb();
  const reader = prepare(db, 'SELECT a FROM t');
  const writer = prepare(db, 'INSERT INTO t(b) VALUES (:b)');
  let it;
  assert.throws(() => writer.run({ get b() { it = reader.iterate(); return 'four'; } }), BUSY);
  it.return();
  assert.equal(prepare(db, 'SELECT count(*) FROM t').pluck().get(), 3);
  db.close();
});

test('at most 65535 iterations of one connection are under way', () => {
  // One statement per iterator; a fresh process keeps the 65535 statements apart.
  const result = spawnSync(process.execPath, ['-e', `
    const { openDatabase, prepare } = require(${JSON.stringify(require.resolve('./harness'))});
    const db = openDatabase(':memory:');
    const statements = [];
    for (let i = 0; i < 65536; i++) statements.push(prepare(db, 'SELECT ?'));
    const open = [];
    for (let i = 0; i < 65534; i++) open.push(statements[i].iterate(i));
    const out = [];
    const attempt = (f) => { try { f(); out.push('ok'); } catch (e) { out.push(e.name + ': ' + e.message); } };
    // A getter that opens the 65535th iteration while the 65536th binds.
    const values = [];
    Object.defineProperty(values, 0, { get() { open.push(statements[65534].iterate(65534)); return 1; } });
    attempt(() => statements[65535].iterate(values));
    attempt(() => statements[65535].iterate(1));
    open.pop().return();
    attempt(() => open.push(statements[65535].iterate(1)));
    attempt(() => statements[65534].iterate(1));
    console.log(JSON.stringify(out));
  `], { env: process.env, encoding: 'utf8' });
  assert.equal(result.status, 0, result.stderr);
  const full = 'RangeError: Too many active database iterators';
  assert.deepEqual(JSON.parse(result.stdout), [full, full, 'ok', full]);
});
