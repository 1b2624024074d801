'use strict';
// Read-only virtual tables whose rows a script generator yields.
const test = require('node:test');
const assert = require('node:assert/strict');
const { addon, SqliteError, openDatabase, prepare, execAll } = require('./harness');

const typeError = (message) => ({ name: 'TypeError', message });
const rangeError = (message) => ({ name: 'RangeError', message });
const sqliteError = (code, message) => (e) => e instanceof SqliteError && e.code === code && e.message === message;
const NOT_OPEN = 'The database connection is not open';

const rows = (db, sql, ...params) => prepare(db, sql).raw().all(...params);
const column = (db, sql, ...params) => prepare(db, sql).pluck().all(...params);

// series(start, stop): the numbers from start to stop. The parameter columns
// come first and are HIDDEN, so that the table is also a table-valued function.
// Every factory and generator call is written to `log`.
function series(log = [], { safe = 0 } = {}) {
  return (...args) => {
    log.push(['factory', ...args]);
    function* generate(start, stop) {
      log.push(['generator', start, stop]);
      for (let i = start; i <= stop; i++) yield [start, stop, i];
    }
    return ['CREATE TABLE x(start HIDDEN, stop HIDDEN, value)', generate, ['start', 'stop'], safe, false];
  };
}

// A table of one data column whose generator yields the given rows.
function yielding(values) {
  return () => ['CREATE TABLE x(value)', function* () { yield* values; }, [], 0, false];
}

test('table() checks its arguments in order, then the connection', () => {
  const db = openDatabase(':memory:');
  const cases = [
    [[], 'Expected first argument to be a function'],
    [['factory'], 'Expected first argument to be a function'],
    [[series()], 'Expected second argument to be a string'],
    [[series(), 5], 'Expected second argument to be a string'],
    [[series(), 's'], 'Expected third argument to be a boolean'],
    [[series(), 's', 1], 'Expected third argument to be a boolean'],
  ];
  for (const [args, message] of cases) {
    assert.throws(() => db.table(...args), typeError(message), `${args.length} arguments`);
  }
  assert.throws(() => addon.Database.prototype.table.call({}, series(), 's', true), typeError('Illegal invocation'));
  db.close();
  assert.throws(() => db.table(series(), 's', true), typeError(NOT_OPEN));
});

test('an eponymous table is a table-valued function, connected once', () => {
  const db = openDatabase(':memory:');
  const log = [];
  db.table(series(log), 'series', true);
  assert.deepEqual(column(db, 'SELECT value FROM series(1, 3)'), [1, 2, 3]);
  assert.deepEqual(column(db, 'SELECT value FROM series WHERE start = 2 AND stop = 4'), [2, 3, 4]);
  assert.deepEqual(rows(db, 'SELECT rowid, value FROM series(7, 9)'), [[1, 7], [2, 8], [3, 9]]);
  assert.deepEqual(log, [['factory', 'series', 'main', 'series'], ['generator', 1, 3], ['generator', 2, 4], ['generator', 7, 9]]);
  assert.throws(() => prepare(db, 'CREATE VIRTUAL TABLE v USING series').run(), sqliteError('SQLITE_ERROR', 'no such module: series'));
  db.close();
});

test('a table that is not eponymous is created with its module arguments as written', () => {
  const db = openDatabase(':memory:');
  const log = [];
  db.table((...args) => {
    log.push(args);
    return ['CREATE TABLE x(value)', function* () { yield [args.slice(3).join(' ')]; }, [], 0, false];
  }, 'm', false);
  prepare(db, "CREATE VIRTUAL TABLE v USING m(1, 'a')").run();
  assert.deepEqual(log, [['m', 'main', 'v', '1', "'a'"]]);
  assert.deepEqual(column(db, 'SELECT value FROM v'), ["1 'a'"]);
  assert.throws(() => prepare(db, 'SELECT * FROM m'), sqliteError('SQLITE_ERROR', 'no such table: m'));
  db.close();
});

test('parameters: only equality gives a value; NULL matches nothing; the rest reach the generator as undefined', () => {
  const db = openDatabase(':memory:');
  const log = [];
  db.table(series(log), 'series', true);
  const message = (name) => `virtual table parameter "${name}" can only be constrained by the '=' operator`;
  for (const [where, name] of [['start > 1', 'start'], ['stop < 3', 'stop'], ["start LIKE '1'", 'start'],
    ['start IS 1', 'start'], ['start != 1', 'start']]) {
    assert.throws(() => prepare(db, `SELECT value FROM series WHERE stop = 3 AND ${where}`),
      sqliteError('SQLITE_ERROR', message(name)), where);
  }
  assert.deepEqual(column(db, 'SELECT value FROM series(NULL, 3)'), []);
  assert.deepEqual(column(db, 'SELECT value FROM series WHERE start = 1 AND stop = ?', null), []);
  assert.deepEqual(log.filter(([kind]) => kind === 'generator'), [], 'no generator call for a NULL parameter');

  assert.deepEqual(column(db, 'SELECT value FROM series WHERE stop = 2'), [], 'undefined <= 2 is false');
  assert.deepEqual(column(db, 'SELECT value FROM series WHERE start = 1 AND start = 2 AND stop = 3'), []);
  assert.deepEqual(column(db, 'SELECT value FROM series WHERE start = 1 AND start = 1 AND stop = 3'), [1, 2, 3],
    'a second equality on the same parameter is left to SQLite');
  assert.deepEqual(column(db, 'SELECT value FROM series(1, 9) LIMIT 2 OFFSET 3'), [4, 5]);
  assert.deepEqual(log.slice(1), [['generator', undefined, 2], ['generator', 1, 3], ['generator', 1, 9]]);
  const plan = (where) => rows(db, `EXPLAIN QUERY PLAN SELECT value FROM series ${where}`)[0][3];
  assert.equal(plan('WHERE start = 1 AND stop = 3'), 'SCAN series VIRTUAL TABLE INDEX 3:', 'one bit per given parameter');
  assert.equal(plan('WHERE stop = 3'), 'SCAN series VIRTUAL TABLE INDEX 2:');
  assert.equal(plan('WHERE value = 3'), 'SCAN series VIRTUAL TABLE INDEX 0:', 'data columns are SQLite\'s to check');
  db.close();
});

test('a join filters the table again for each outer row', () => {
  const db = openDatabase(':memory:');
  const log = [];
  db.table(series(log), 'series', true);
  execAll(db, ['CREATE TABLE n(k)', 'INSERT INTO n VALUES (1), (2), (3)']);
  assert.deepEqual(rows(db, 'SELECT k, s.rowid, value FROM n, series(1, n.k) AS s ORDER BY k, value'),
    [[1, 1, 1], [2, 1, 1], [2, 2, 2], [3, 1, 1], [3, 2, 2], [3, 3, 3]], 'each scan starts at rowid 1');
  assert.deepEqual(log.slice(1), [['generator', 1, 1], ['generator', 1, 2], ['generator', 1, 3]]);
  db.close();
});

test('a generator gets exactly one argument per parameter, also past the four staged on the stack', () => {
  const db = openDatabase(':memory:');
  const names = Array.from({ length: 32 }, (_, i) => `p${i}`);
  db.table(() => [`CREATE TABLE x(${names.map((n) => `${n} HIDDEN`).join(', ')}, value)`,
    (...args) => [[...args, args.length]][Symbol.iterator](), names, 0, false], 'wide', true);
  const [row] = rows(db, 'SELECT p0, p4, p31, value FROM wide WHERE p0 = 10 AND p4 = 14 AND p31 = 41');
  assert.deepEqual(row, [10, 14, 41, 32], 'parameter 31 is the last bit of the plan');

  db.table(() => [`CREATE TABLE x(${names.map((n) => `${n} HIDDEN`).join(', ')}, p32 HIDDEN, value)`,
    () => [][Symbol.iterator](), [...names, 'p32'], 0, false], 'wider', true);
  assert.throws(() => prepare(db, 'SELECT value FROM wider'),
    sqliteError('SQLITE_ERROR', 'virtual table "wider" has more than 32 parameters'));
  db.close();
});

test('a list of more than 32 parameter names is refused by its length, before any name is read', () => {
  const db = openDatabase(':memory:');
  // Real arrays whose every index a Proxy in the prototype chain answers, so
  // that a length of 2^32-1 costs no memory.
  let reads = 0;
  const everyIndex = new Proxy(Array.prototype, {
    get(target, key, receiver) {
      if (typeof key === 'string' && /^[0-9]+$/.test(key)) { reads++; return 'p'; }
      return Reflect.get(target, key, receiver);
    },
  });
  for (const length of [33, 1e7, 4294967295]) {
    const names = [];
    Object.setPrototypeOf(names, everyIndex);
    names.length = length;
    const name = `huge${length}`;
    db.table(() => ['CREATE TABLE x(value)', () => [][Symbol.iterator](), names, 0, false], name, true);
    assert.throws(() => prepare(db, `SELECT value FROM ${name}`),
      sqliteError('SQLITE_ERROR', `virtual table "${name}" has more than 32 parameters`));
    assert.equal(reads, 0, `${length} names`);
  }
  db.close();
});

test('the factory\'s safe-integers choice decides how parameters reach the generator', () => {
  const db = openDatabase(':memory:');
  for (const [choice, type] of [[0, 'number'], [1, 'bigint'], [-1, 'bigint'], [2, 'number']]) {
    const name = `kind${choice < 0 ? 'neg' : choice}`;
    db.table(() => ['CREATE TABLE x(p HIDDEN, value)', (p) => [[p, typeof p]][Symbol.iterator](), ['p'], choice, false], name, true);
    assert.deepEqual(column(db, `SELECT value FROM ${name}(1)`), [type], `choice ${choice}`);
  }
  db.close();
});

test('safe integers 2 takes the default at connect time', () => {
  const db = openDatabase(':memory:');
  db.table(() => ['CREATE TABLE x(p HIDDEN, value)', (p) => [[p, typeof p]][Symbol.iterator](), ['p'], 2, false], 'kind', true);
  db.defaultSafeIntegers(true);
  assert.deepEqual(column(db, 'SELECT value FROM kind(1)'), ['bigint']);
  db.defaultSafeIntegers(false);
  assert.deepEqual(column(db, 'SELECT value FROM kind(1)'), ['bigint'], 'the connected table keeps its choice');
  db.close();
});

test('yielded values become columns by index; values that cannot be SQL values are refused', () => {
  const db = openDatabase(':memory:');
  db.table(yielding([[1], [1n], ['t'], [Buffer.from('b')], [null], [undefined], []]), 'kinds', true);
  assert.deepEqual(column(db, 'SELECT typeof(value) FROM kinds'), ['real', 'integer', 'text', 'blob', 'null', 'null', 'null']);
  const refused = [
    [[true], typeError('Virtual table module "bad" yielded an invalid value')],
    [[{}], typeError('Virtual table module "bad" yielded an invalid value')],
    [[2n ** 63n], rangeError('Virtual table module "bad" yielded a bigint that was too big')],
    [null, { name: 'TypeError' }],
    [undefined, { name: 'TypeError' }],
  ];
  for (const [row, error] of refused) {
    db.table(yielding([row]), 'bad', true);
    assert.throws(() => column(db, 'SELECT value FROM bad'), error, String(row));
  }
  assert.deepEqual(column(db, 'SELECT value FROM kinds LIMIT 1'), [1], 'the connection is still usable');
  db.close();
});

test('a generator, iterator or record of the wrong kind fails the statement', () => {
  const db = openDatabase(':memory:');
  for (const record of [{ value: [1] }, { done: 0, value: [1] }, undefined, 5]) {
    db.table(() => ['CREATE TABLE x(value)', () => ({ next: () => record }), [], 0, false], 'odd', true);
    assert.throws(() => column(db, 'SELECT value FROM odd'), { name: 'TypeError' }, JSON.stringify(record));
  }
  for (const [generator, label] of [[5, 'a generator that is no function'], [() => ({}), 'an iterator without next'],
    [() => null, 'a generator returning null']]) {
    db.table(() => ['CREATE TABLE x(value)', generator, [], 0, false], 'odd', true);
    assert.throws(() => column(db, 'SELECT value FROM odd'), (e) => e instanceof Error && !(e instanceof SqliteError), label);
  }
  let calls = 0;
  db.table(() => ['CREATE TABLE x(value)', () => ({ next() { calls++; return { done: calls > 2, value: [calls] }; } }), [], 0, false],
    'counted', true);
  assert.deepEqual(column(db, 'SELECT value FROM counted'), [1, 2], 'a next function is called with the iterator as this');
  db.close();
});

test('a factory answer that cannot be read or declared fails the statement', () => {
  const db = openDatabase(':memory:');
  const generator = function* () {};
  const answers = [
    [null, { name: 'TypeError' }],
    [5, typeError('A string was expected')],
    [[1, generator, [], 0, false], typeError('A string was expected')],
    [['CREATE TABLE x(a)', generator, 'a', 0, false], { name: 'Error' }],
    [['CREATE TABLE x(a)', generator, [1], 0, false], typeError('A string was expected')],
    [['CREATE TABLE x(a)', generator, [], '0', false], typeError('A number was expected')],
    [['CREATE TABLE x(a)', generator, [], 0, 'no'], typeError('A boolean was expected')],
    [['NOT SQL', generator, [], 0, false], sqliteError('SQLITE_ERROR', 'failed to declare virtual table "odd"')],
    // Declared up to the NUL, the table would silently lose the columns after it.
    [['CREATE TABLE x(a)\0, b', generator, [], 0, false], typeError('Expected the SQL text to contain no NUL characters')],
  ];
  for (const [answer, error] of answers) {
    db.table(() => answer, 'odd', true);
    assert.throws(() => prepare(db, 'SELECT * FROM odd'), error, JSON.stringify(answer));
  }
  assert.equal(prepare(db, 'SELECT 1').pluck().get(), 1);
  db.close();
});

test('a direct-only table cannot be used from a view', () => {
  const db = openDatabase(':memory:');
  db.table(() => ['CREATE TABLE x(value)', function* () { yield [1]; }, [], 0, true], 'direct', true);
  assert.deepEqual(column(db, 'SELECT value FROM direct'), [1]);
  prepare(db, 'CREATE VIEW v AS SELECT value FROM direct').run();
  assert.throws(() => prepare(db, 'SELECT value FROM v'), sqliteError('SQLITE_ERROR', 'unsafe use of virtual table "direct"'));
  db.close();
});

test('registering a module name again: tables connected afterwards use the new factory', () => {
  const db = openDatabase(':memory:');
  db.table(yielding([['first']]), 'again', true);
  assert.deepEqual(column(db, 'SELECT value FROM again'), ['first']);
  db.table(yielding([['second']]), 'again', true);
  assert.deepEqual(column(db, 'SELECT value FROM again'), ['second']);
  db.close();
});
