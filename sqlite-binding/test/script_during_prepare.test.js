'use strict';
// SQLite runs script code while it prepares a statement: a virtual table's
// factory when the statement first uses the table, and a deterministic function
// with constant arguments while the query is planned. That code may prepare and
// run other statements, but not close the connection or change its functions
// and modules under SQLite's parser.
const test = require('node:test');
const assert = require('node:assert/strict');
const { openDatabase, prepare, execAll } = require('./harness');

const BUSY = 'This database connection is busy executing a query';

// Tries each operation that must wait until the preparation is over.
function attemptChanges(db) {
  const outcomes = [];
  const attempt = (label, action) => {
    try { action(); outcomes.push(`${label}: done`); } catch (e) { outcomes.push(`${label}: ${e.message}`); }
  };
  attempt('function', () => db.function(() => 1, 'late', 0, 0, false, false));
  attempt('aggregate', () => db.aggregate(0, () => 1, null, null, 'late_sum', 1, 0, false, false));
  attempt('table', () => db.table(() => [], 'late_table', true));
  attempt('close', () => db.close());
  return outcomes;
}
const REFUSED = ['function', 'aggregate', 'table', 'close'].map((label) => `${label}: ${BUSY}`);

test('a factory that runs while its table is prepared cannot close the connection or change its registrations', () => {
  const db = openDatabase(':memory:');
  let outcomes = null;
  db.table(() => {
    outcomes = attemptChanges(db);
    return ['CREATE TABLE x(value)', function* () { yield [1]; }, [], 0, false];
  }, 'guarded', true);
  const statement = prepare(db, 'SELECT value FROM guarded');
  assert.deepEqual(outcomes, REFUSED);
  assert.equal(db.open, true);
  assert.deepEqual(statement.pluck().all(), [1]);
  db.function(() => 1, 'late', 0, 0, false, false);
  db.close();
  assert.equal(db.open, false, 'the mark ends with the preparation');
});

test('a deterministic function planned with constant arguments runs during prepare and is held back too', () => {
  const db = openDatabase(':memory:');
  execAll(db, ['CREATE TABLE s(a, b)', 'CREATE INDEX s_a ON s(a)',
    'INSERT INTO s WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100) SELECT i % 10, i FROM n',
    'ANALYZE']);
  const outcomes = [];
  db.function((x) => { outcomes.push(...attemptChanges(db)); return x; }, 'planned', 1, 0, true, false);
  const statement = prepare(db, 'SELECT count(*) FROM s WHERE a = planned(3)');
  assert.deepEqual(outcomes.slice(0, 4), REFUSED, 'the planner called the function while preparing');
  outcomes.length = 0;
  assert.equal(statement.pluck().get(), 10);
  assert.deepEqual(outcomes, REFUSED, 'while stepping, the busy guard holds them back');
  db.close();
});

test('a factory may prepare and run other statements; the mark outlasts a nested preparation', () => {
  const db = openDatabase(':memory:');
  execAll(db, ["CREATE TABLE settings(name, value)", "INSERT INTO settings VALUES ('limit', 3)"]);
  let afterNested = null;
  db.table(() => {
    const limit = prepare(db, "SELECT value FROM settings WHERE name = 'limit'").pluck().get();
    afterNested = attemptChanges(db);
    return ['CREATE TABLE x(value)', function* () { for (let i = 1; i <= limit; i++) yield [i]; }, [], 0, false];
  }, 'configured', true);
  assert.deepEqual(prepare(db, 'SELECT value FROM configured').pluck().all(), [1, 2, 3]);
  assert.deepEqual(afterNested, REFUSED);
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
