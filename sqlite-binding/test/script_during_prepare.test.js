'use strict';
// SQLite runs script code while it prepares a statement: a virtual table's
// factory when the statement first uses the table, and a deterministic function
// with constant arguments while the query is planned. That code may prepare
// other statements, but not run them, close the connection or change its
// functions and modules under SQLite's parser.
const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { openDatabase, prepare, execAll, tempDir } = require('./harness');

const BUSY = 'This database connection is busy executing a query';

// Tries each operation that must wait until the preparation is over.
function attemptChanges(db) {
  const outcomes = [];
  const attempt = (label, action) => {
    try { action(); outcomes.push(`${label}: done`); } catch (e) { outcomes.push(`${label}: ${e.message}`); }
  };
  const statement = prepare(db, 'SELECT 1');
  attempt('run', () => statement.run());
  attempt('get', () => statement.get());
  attempt('all', () => statement.all());
  attempt('function', () => db.function(() => 1, 'late', 0, 0, false, false));
  attempt('aggregate', () => db.aggregate(0, () => 1, null, null, 'late_sum', 1, 0, false, false));
  attempt('table', () => db.table(() => [], 'late_table', true));
  attempt('exec', () => db.exec('SELECT 1'));
  attempt('next', () => {
    const iterator = statement.iterate();
    try { iterator.next(); } finally { iterator.return(); }
  });
  attempt('loadExtension', () => db.loadExtension(process.env.MIVO_TINY_EXTENSION));
  attempt('close', () => db.close());
  return outcomes;
}
const LABELS = ['run', 'get', 'all', 'function', 'aggregate', 'table', 'exec', 'next', 'loadExtension', 'close'];
const REFUSED = LABELS.map((label) => `${label}: ${BUSY}`);

function table(body) {
  return () => {
    body();
    return ['CREATE TABLE x(value)', function* () { yield [1]; }, [], 0, false];
  };
}

test('a factory that runs while its table is prepared may prepare, but not run, close or register', () => {
  const db = openDatabase(':memory:');
  let outcomes = null;
  db.table(table(() => { outcomes = attemptChanges(db); }), 'guarded', true);
  const statement = prepare(db, 'SELECT value FROM guarded');
  assert.deepEqual(outcomes, REFUSED);
  assert.equal(db.open, true);
  assert.deepEqual(statement.pluck().all(), [1]);
  assert.deepEqual(attemptChanges(db), LABELS.map((l) => `${l}: done`), 'the mark ends with the preparation');
  assert.equal(db.open, false);
});

test('a deterministic function planned with constant arguments runs during prepare and is held back too', () => {
  const db = openDatabase(':memory:');
  execAll(db, ['CREATE TABLE s(a, b)', 'CREATE INDEX s_a ON s(a)',
    'INSERT INTO s WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100) SELECT i % 10, i FROM n',
    'ANALYZE']);
  let outcomes = null;
  let preparing = true;
  db.function((x) => { if (preparing) outcomes = attemptChanges(db); return x; }, 'planned', 1, 0, true, false);
  const statement = prepare(db, 'SELECT count(*) FROM s WHERE a = planned(3)');
  preparing = false;
  assert.deepEqual(outcomes, REFUSED, 'the planner called the function while preparing');
  assert.equal(statement.pluck().get(), 10);
  db.close();
});

test('a factory cannot drop or detach what the statement being prepared uses', () => {
  const dir = tempDir();
  const db = openDatabase(path.join(dir, 'main.db'));
  execAll(db, [`ATTACH '${path.join(dir, 'other.db')}' AS other`, 'CREATE TABLE other.s(a)', 'INSERT INTO other.s VALUES (1)',
    'CREATE TABLE target(value)']);
  const refusals = [];
  const tryRun = (sql) => { try { prepare(db, sql).run(); } catch (e) { refusals.push(`${sql}: ${e.message}`); } };
  db.table(() => {
    tryRun('DETACH other');
    tryRun('DROP TABLE target');
    return ['CREATE TABLE x(value)', function* () { for (let i = 0; i < 300; i++) yield [i]; }, [], 0, false];
  }, 'hostile', true);
  assert.deepEqual(prepare(db, 'SELECT a, value FROM other.s, hostile LIMIT 1').raw().get(), [1, 0]);
  prepare(db, 'INSERT INTO target SELECT value FROM hostile').run();
  assert.deepEqual(refusals, [`DETACH other: ${BUSY}`, `DROP TABLE target: ${BUSY}`]);
  assert.equal(prepare(db, 'SELECT count(*) FROM target').pluck().get(), 300);
  assert.deepEqual(prepare(db, 'PRAGMA integrity_check').pluck().all(), ['ok']);
  db.close();
});

test('statements prepared in a factory run once the outer preparation is over; the mark outlasts a nested one', () => {
  const db = openDatabase(':memory:');
  execAll(db, ["CREATE TABLE settings(name, value)", "INSERT INTO settings VALUES ('limit', 3)"]);
  let setting = null;
  let afterNested = null;
  db.table(() => {
    setting = prepare(db, "SELECT value FROM settings WHERE name = 'limit'").pluck();
    afterNested = attemptChanges(db);
    return ['CREATE TABLE x(value)', function* () { for (let i = 1; i <= 3; i++) yield [i]; }, [], 0, false];
  }, 'configured', true);
  assert.deepEqual(prepare(db, 'SELECT value FROM configured').pluck().all(), [1, 2, 3]);
  assert.deepEqual(afterNested, REFUSED);
  assert.equal(setting.get(), 3);
  db.close();
});

test('a factory that throws while its table is prepared: its exception, and the mark ends', () => {
  const db = openDatabase(':memory:');
  const thrown = new Error('no table today');
  db.table(() => { throw thrown; }, 'failing', true);
  assert.throws(() => prepare(db, 'SELECT * FROM failing'), (e) => e === thrown);
  db.function(() => 1, 'late', 0, 0, false, false);
  assert.throws(() => prepare(db, 'SELECT * FROM missing'), { code: 'SQLITE_ERROR', message: 'no such table: missing' });
  db.close();
  assert.equal(db.open, false);
});
