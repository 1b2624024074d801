'use strict';
// SQL functions, aggregates and window functions whose work script functions do.
const test = require('node:test');
const assert = require('node:assert/strict');
const { addon, SqliteError, openDatabase, prepare, execAll, collectGarbage } = require('./harness');

const typeError = (message) => ({ name: 'TypeError', message });
const rangeError = (message) => ({ name: 'RangeError', message });
const sqliteError = (code, message) => (e) => e instanceof SqliteError && e.code === code && e.message === message;
const BUSY = 'This database connection is busy executing a query';
const NOT_OPEN = 'The database connection is not open';
const MISUSE = sqliteError('SQLITE_MISUSE', 'bad parameter or other API misuse');

const identity = (x) => x;
const scalar = (db, name, fn, { argc = -1, safe = 0, deterministic = false, directOnly = false } = {}) =>
  db.function(fn, name, argc, safe, deterministic, directOnly);
const aggregate = (db, name, { start = 0, step, inverse = null, result = null, argc = -1, safe = 0 } = {}) =>
  db.aggregate(start, step, inverse, result, name, argc, safe, false, false);
const value = (db, sql, ...params) => prepare(db, sql).pluck().get(...params);
const column = (db, sql) => prepare(db, sql).pluck().all();

function numbersDb(values) {
  const db = openDatabase(':memory:');
  execAll(db, ['CREATE TABLE t(g, x)']);
  const insert = prepare(db, 'INSERT INTO t VALUES (?, ?)');
  for (const [g, x] of values) insert.run(g, x);
  return db;
}


test('function() checks its arguments in order, then the connection', () => {
  const db = openDatabase(':memory:');
  const cases = [
    [[], 'Expected first argument to be a function'],
    [[{}], 'Expected first argument to be a function'],
    [[identity], 'Expected second argument to be a string'],
    [[identity, 1], 'Expected second argument to be a string'],
    [[identity, 'f'], 'Expected third argument to be a 32-bit signed integer'],
    [[identity, 'f', 1.5], 'Expected third argument to be a 32-bit signed integer'],
    [[identity, 'f', 2 ** 31], 'Expected third argument to be a 32-bit signed integer'],
    [[identity, 'f', 1], 'Expected fourth argument to be a 32-bit signed integer'],
    [[identity, 'f', 1, 1n], 'Expected fourth argument to be a 32-bit signed integer'],
    [[identity, 'f', 1, 0], 'Expected fifth argument to be a boolean'],
    [[identity, 'f', 1, 0, 1], 'Expected fifth argument to be a boolean'],
    [[identity, 'f', 1, 0, false], 'Expected sixth argument to be a boolean'],
    [[identity, 'f', 1, 0, false, undefined], 'Expected sixth argument to be a boolean'],
  ];
  for (const [args, message] of cases) {
    assert.throws(() => db.function(...args), typeError(message), `${args.length} arguments`);
  }
  assert.throws(() => addon.Database.prototype.function.call({}, identity, 'f', 1, 0, false, false),
    typeError('Illegal invocation'));
  db.close();
  assert.throws(() => db.function(identity, 'f', 1), typeError('Expected fourth argument to be a 32-bit signed integer'),
    'the arguments come before the open guard');
  assert.throws(() => scalar(db, 'f', identity), typeError(NOT_OPEN));
});

test('aggregate() checks its arguments in order, then the connection', () => {
  const db = openDatabase(':memory:');
  const step = () => {};
  const cases = [
    [[], 'Expected a first argument'],
    [[undefined], 'Expected second argument to be a function'],
    [[0, 'step'], 'Expected second argument to be a function'],
    [[0, step], 'Expected a third argument'],
    [[undefined, step, undefined], 'Expected a fourth argument'],
    [[0, step, null, null], 'Expected fifth argument to be a string'],
    [[0, step, null, null, 5], 'Expected fifth argument to be a string'],
    [[0, step, null, null, 'a'], 'Expected sixth argument to be a 32-bit signed integer'],
    [[0, step, null, null, 'a', -0], 'Expected sixth argument to be a 32-bit signed integer'],
    [[0, step, null, null, 'a', 1], 'Expected seventh argument to be a 32-bit signed integer'],
    [[0, step, null, null, 'a', 1, 0], 'Expected eighth argument to be a boolean'],
    [[0, step, null, null, 'a', 1, 0, false], 'Expected ninth argument to be a boolean'],
    [[0, step, null, null, 'a', 1, 0, false, 'no'], 'Expected ninth argument to be a boolean'],
  ];
  for (const [args, message] of cases) {
    assert.throws(() => db.aggregate(...args), typeError(message), `${args.length} arguments`);
  }
  db.close();
  assert.throws(() => aggregate(db, 'a', { step }), typeError(NOT_OPEN));
});

test('SQL values reach a function and its results come back by type', () => {
  const db = openDatabase(':memory:');
  scalar(db, 'echo', identity, { argc: 1 });
  scalar(db, 'arg_type', (x) => (x === null ? 'null' : Buffer.isBuffer(x) ? 'buffer' : typeof x), { argc: 1 });
  const inputs = [
    ['1', 'number'], ['1.5', 'number'], ["'text'", 'string'], ["x'00ff'", 'buffer'], ['NULL', 'null'],
  ];
  for (const [sql, type] of inputs) assert.equal(value(db, `SELECT arg_type(${sql})`), type, sql);
  assert.equal(value(db, 'SELECT echo(?)', 'a\0b'), 'a\0b', 'text with a NUL character comes through whole');
  assert.deepEqual(value(db, "SELECT echo(x'00ff')"), Buffer.from([0, 255]));

  const results = [
    [5, 'real', 5], [5n, 'integer', 5], [-(2n ** 63n), 'integer', -(2 ** 63)], ['s', 'text', 's'],
    [Buffer.from('ab'), 'blob', Buffer.from('ab')], [Buffer.alloc(0), 'blob', Buffer.alloc(0)],
    [null, 'null', null], [undefined, 'null', null],
  ];
  for (const [returned, type, back] of results) {
    scalar(db, 'give', () => returned, { argc: 0 });
    assert.equal(value(db, 'SELECT typeof(give())'), type, String(returned));
    assert.deepEqual(value(db, 'SELECT give()'), back, String(returned));
  }
  const refused = [
    [true, typeError('User-defined function give() returned an invalid value')],
    [{}, typeError('User-defined function give() returned an invalid value')],
    [[1], typeError('User-defined function give() returned an invalid value')],
    [Symbol('s'), typeError('User-defined function give() returned an invalid value')],
    [2n ** 63n, rangeError('User-defined function give() returned a bigint that was too big')],
    [2n ** 64n, rangeError('User-defined function give() returned a bigint that was too big')],
  ];
  for (const [returned, error] of refused) {
    scalar(db, 'give', () => returned, { argc: 0 });
    assert.throws(() => value(db, 'SELECT give()'), error, String(returned));
  }
  assert.equal(value(db, 'SELECT 1'), 1, 'the connection is still usable');
  db.close();
});

test('every argument count reaches the function, also past the four staged on the stack', () => {
  const db = openDatabase(':memory:');
  scalar(db, 'args', (...values) => values.join(','));
  for (const count of [0, 1, 4, 5, 9]) {
    const list = Array.from({ length: count }, (_, i) => i + 1);
    assert.equal(value(db, `SELECT args(${list.join(', ')})`), list.join(','), `${count} arguments`);
  }
  db.close();
});

test('the safe-integers choice: 0 off, 1 and negative values on, 2 or more the database default', () => {
  const db = openDatabase(':memory:');
  const rows = [[0, 'number'], [1, 'bigint'], [-1, 'bigint'], [-2147483648, 'bigint'], [2, 'number'], [7, 'number']];
  for (const [choice, type] of rows) {
    scalar(db, 'kind', (x) => typeof x, { argc: 1, safe: choice });
    assert.equal(value(db, `SELECT kind(${2 ** 53 + 1})`), type, `safeIntegers ${choice}`);
  }
  scalar(db, 'big', identity, { argc: 1, safe: 1 });
  assert.equal(value(db, `SELECT big(${2n ** 53n + 1n}) = ${2n ** 53n + 1n}`), 1, 'an exact BigInt round trip');
  scalar(db, 'near', identity, { argc: 1, safe: 0 });
  assert.equal(value(db, `SELECT near(${2n ** 53n + 1n})`), 2 ** 53, 'a Number loses the last bit');
  db.close();
});

test('safeIntegers 2 takes the default of the moment of registration', () => {
  const db = openDatabase(':memory:');
  db.defaultSafeIntegers(true);
  scalar(db, 'kind', (x) => typeof x, { argc: 1, safe: 2 });
  db.defaultSafeIntegers(false);
  assert.equal(value(db, 'SELECT kind(1)'), 'bigint');
  scalar(db, 'kind', (x) => typeof x, { argc: 1, safe: 2 });
  db.defaultSafeIntegers(true);
  assert.equal(value(db, 'SELECT kind(1)'), 'number');
  db.close();
});

test('a throwing function fails the statement with its very exception, and the mark is cleared', () => {
  const db = openDatabase(':memory:');
  execAll(db, ['CREATE TABLE u(x UNIQUE)', 'INSERT INTO u VALUES (1)']);
  const thrown = new Error('from the function');
  scalar(db, 'boom', () => { throw thrown; });
  for (const call of [(s) => s.run(), (s) => s.get(), (s) => s.all()]) {
    assert.throws(() => call(prepare(db, 'SELECT boom()')), (e) => e === thrown);
    assert.throws(() => prepare(db, 'INSERT INTO u VALUES (1)').run(), sqliteError('SQLITE_CONSTRAINT_UNIQUE', 'UNIQUE constraint failed: u.x'));
  }
  db.close();
});

test('an exception pending while SQLite ends a live aggregate: the very exception, and no result call', () => {
  const db = numbersDb([[1, 1], [1, 2], [1, 3]]);
  const calls = [];
  aggregate(db, 'total', {
    step: (sum, x) => { calls.push(`step ${x}`); return sum + x; },
    result: (sum) => { calls.push(`result ${sum}`); return sum; },
    argc: 1,
  });
  const thrown = new Error('at the second row');
  scalar(db, 'fails_at_two', (x) => { if (x === 2) throw thrown; return 1; }, { argc: 1 });
  assert.throws(() => value(db, 'SELECT total(x) FROM t WHERE fails_at_two(x)'), (e) => e === thrown);
  assert.deepEqual(calls, ['step 1']);
  assert.equal(value(db, 'SELECT total(x) FROM t'), 6, 'the aggregate works again');
  db.close();
});

test('the deterministic and direct-only flags reach SQLite', () => {
  const db = openDatabase(':memory:');
  execAll(db, ['CREATE TABLE t(x)']);
  scalar(db, 'det', identity, { argc: 1, deterministic: true });
  scalar(db, 'nondet', identity, { argc: 1 });
  scalar(db, 'direct', identity, { argc: 1, directOnly: true });
  prepare(db, 'CREATE INDEX by_det ON t(det(x))').run();
  assert.throws(() => prepare(db, 'CREATE INDEX by_nondet ON t(nondet(x))').run(),
    sqliteError('SQLITE_ERROR', 'non-deterministic functions prohibited in index expressions'));
  execAll(db, ['CREATE VIEW plain_view AS SELECT nondet(1) AS v', 'CREATE VIEW direct_view AS SELECT direct(1) AS v']);
  assert.equal(value(db, 'SELECT v FROM plain_view'), 1);
  assert.equal(value(db, 'SELECT direct(1)'), 1, 'a direct call is allowed');
  assert.throws(() => prepare(db, 'SELECT v FROM direct_view'), sqliteError('SQLITE_ERROR', 'unsafe use of direct()'));
  db.close();
});

test('registering a name again replaces it at once; another argument count is an overload', async () => {
  const db = openDatabase(':memory:');
  const collected = [];
  const registry = new FinalizationRegistry((label) => collected.push(label));
  (() => {
    const first = () => 'first';
    const kept = () => 'kept';
    registry.register(first, 'first');
    registry.register(kept, 'kept');
    scalar(db, 'f', first, { argc: 0 });
    scalar(db, 'g', kept, { argc: 0 });
  })();
  scalar(db, 'f', () => 'second', { argc: 0 });
  scalar(db, 'f', (x) => `one argument: ${x}`, { argc: 1 });
  assert.equal(value(db, 'SELECT f()'), 'second');
  assert.equal(value(db, 'SELECT f(7)'), 'one argument: 7');
  await collectGarbage();
  assert.deepEqual(collected, ['first'], 'only the replaced function was let go');
  assert.equal(value(db, 'SELECT g()'), 'kept');
  db.close();
});

test('SQLite refuses argument counts outside -1..1000 and names over 255 bytes with its own text', () => {
  const db = openDatabase(':memory:');
  // A stale error of the connection must not be reported in their place.
  assert.throws(() => prepare(db, 'SELECT * FROM missing'), { code: 'SQLITE_ERROR' });
  const long = 'n'.repeat(256);
  assert.throws(() => scalar(db, 'x', identity, { argc: 1001 }), MISUSE);
  assert.throws(() => scalar(db, 'x', identity, { argc: -2 }), MISUSE);
  assert.throws(() => scalar(db, long, identity), MISUSE);
  assert.throws(() => aggregate(db, 'x', { step: identity, argc: 1001 }), MISUSE);
  assert.throws(() => aggregate(db, long, { step: identity }), MISUSE);
  scalar(db, 'n'.repeat(255), () => 'fits', { argc: 1000 });
  assert.equal(value(db, `SELECT ${'n'.repeat(255)}(${Array(1000).fill(0).join(',')})`), 'fits');
  db.close();
});

test('a name with a NUL character is refused before anything is registered', () => {
  const db = openDatabase(':memory:');
  const NUL = { name: 'TypeError', message: 'Expected the name to contain no NUL characters' };
  assert.throws(() => scalar(db, 'a\0b', identity), NUL);
  assert.throws(() => aggregate(db, 'a\0b', { step: identity }), NUL);
  assert.throws(() => db.table(() => ['CREATE TABLE x(v)', function* () {}, [], 0, false], 'a\0b', true), NUL);
  assert.throws(() => prepare(db, 'SELECT a(1)'), { code: 'SQLITE_ERROR', message: 'no such function: a' });
  assert.throws(() => prepare(db, 'SELECT * FROM a'), { code: 'SQLITE_ERROR', message: 'no such table: a' });
  db.close();
});

test('an aggregate with a start value and no result function', () => {
  const db = numbersDb([]);
  aggregate(db, 'total', { step: (sum, x) => sum + x, argc: 1 });
  assert.equal(value(db, 'SELECT total(x) FROM t'), 0, 'no rows: the start value');
  assert.equal(value(db, 'SELECT typeof(total(x)) FROM t'), 'real');
  execAll(db, ['INSERT INTO t VALUES (1, 2), (1, 3), (2, 10)']);
  assert.equal(value(db, 'SELECT total(x) FROM t'), 15);
  assert.deepEqual(column(db, 'SELECT total(x) FROM t GROUP BY g ORDER BY g'), [5, 10]);
  aggregate(db, 'unchanged', { start: 7, step: () => undefined, argc: 1 });
  assert.equal(value(db, 'SELECT unchanged(x) FROM t'), 7, 'a step returning undefined keeps the value');
  db.aggregate(undefined, (count, x) => (count ?? 0) + x, null, null, 'from_undefined', 1, 0, false, false);
  assert.equal(value(db, 'SELECT from_undefined(x) FROM t WHERE g = 9'), null, 'an undefined start is a value too');
  assert.equal(value(db, 'SELECT from_undefined(x) FROM t'), 15);
  db.close();
});

test('a start value is shared by every group; a start function gives each group its own, once', () => {
  const db = numbersDb([[1, 1], [1, 2], [2, 3], [2, 4]]);
  const shared = [];
  aggregate(db, 'shared', { start: shared, step: (list, x) => { list.push(x); }, result: (list) => list.length, argc: 1 });
  assert.deepEqual(column(db, 'SELECT shared(x) FROM t GROUP BY g ORDER BY g'), [2, 4]);
  assert.deepEqual(column(db, 'SELECT shared(x) FROM t GROUP BY g ORDER BY g'), [6, 8], 'and by later queries');
  assert.deepEqual(shared, [1, 2, 3, 4, 1, 2, 3, 4]);

  let starts = 0;
  aggregate(db, 'own', {
    start: () => { starts++; return []; }, step: (list, x) => { list.push(x); }, result: (list) => list.join('+'), argc: 1,
  });
  assert.deepEqual(column(db, 'SELECT own(x) FROM t GROUP BY g ORDER BY g'), ['1+2', '3+4']);
  assert.equal(starts, 2, 'once per group');
  assert.equal(value(db, 'SELECT own(x) FROM t WHERE g = 9'), '', 'no rows: the start function, in the final call');
  assert.equal(starts, 3);
  db.close();
});

test('an aggregate takes more than four SQL arguments', () => {
  const db = numbersDb([[1, 1], [2, 2]]);
  aggregate(db, 'wide', { start: '', step: (text, ...values) => `${text}[${values.join(',')}]` });
  assert.equal(value(db, 'SELECT wide(x, 2, 3, 4, 5, 6) FROM t ORDER BY x'), '[1,2,3,4,5,6][2,2,3,4,5,6]');
  db.close();
});

test('a window function with an inverse: step, inverse and current value in SQLite order', () => {
  const db = numbersDb([[1, 1], [1, 2], [1, 3], [1, 4]]);
  const calls = [];
  aggregate(db, 'wsum', {
    step: (sum, x) => { calls.push(`step ${x}`); return sum + x; },
    inverse: (sum, x) => { calls.push(`inverse ${x}`); return sum - x; },
    result: (sum) => { calls.push(`value ${sum}`); return sum; },
    argc: 1,
  });
  const sql = 'SELECT wsum(x) OVER (ORDER BY x ROWS BETWEEN 1 PRECEDING AND CURRENT ROW) FROM t';
  assert.deepEqual(column(db, sql), [1, 3, 5, 7]);
  assert.deepEqual(calls, ['step 1', 'value 1', 'step 2', 'value 3', 'inverse 1', 'step 3', 'value 5',
    'inverse 2', 'step 4', 'value 7'], 'the final call of the partition only releases');
  assert.equal(value(db, 'SELECT wsum(x) FROM t'), 10, 'also an ordinary aggregate');

  aggregate(db, 'plain', { step: (sum, x) => sum + x, argc: 1 });
  assert.throws(() => prepare(db, 'SELECT plain(x) OVER () FROM t'),
    sqliteError('SQLITE_ERROR', 'plain() may not be used as a window function'));
  db.close();
});

test('an aggregate result that cannot be an SQL value fails with the function\'s prefix', () => {
  const db = numbersDb([[1, 1]]);
  aggregate(db, 'yes', { step: () => true, argc: 1 });
  assert.throws(() => value(db, 'SELECT yes(x) FROM t'), typeError('User-defined function yes() returned an invalid value'));
  aggregate(db, 'huge', { step: () => 2n ** 70n, inverse: identity, argc: 1 });
  assert.throws(() => value(db, 'SELECT huge(x) FROM t'), rangeError('User-defined function huge() returned a bigint that was too big'));
  assert.throws(() => value(db, 'SELECT huge(x) OVER () FROM t'), rangeError('User-defined function huge() returned a bigint that was too big'),
    'also a window\'s current value');
  db.close();
});

test('script code inside a function cannot re-enter the running connection', () => {
  const db = numbersDb([[1, 1]]);
  const refusals = [];
  const attempt = (label, action) => {
    try { action(); refusals.push(`${label}: allowed`); } catch (e) { refusals.push(`${label}: ${e.message}`); }
  };
  scalar(db, 'reenter', () => {
    attempt('close', () => db.close());
    attempt('function', () => scalar(db, 'other', identity));
    attempt('aggregate', () => aggregate(db, 'other', { step: identity }));
    attempt('table', () => db.table(() => [], 'other', true));
    attempt('prepare', () => prepare(db, 'SELECT 1'));
    return 1;
  });
  assert.equal(value(db, 'SELECT reenter() FROM t'), 1);
  assert.deepEqual(refusals, ['close', 'function', 'aggregate', 'table', 'prepare'].map((label) => `${label}: ${BUSY}`));
  assert.equal(db.open, true);
  db.close();
});

test('function(), aggregate() and table() are refused while an iterator is open, also in unsafe mode', () => {
  const db = numbersDb([[1, 1], [2, 2]]);
  const iterator = prepare(db, 'SELECT x FROM t').iterate();
  iterator.next();
  for (const unsafe of [false, true]) {
    if (unsafe) db.unsafeMode(true);
    assert.throws(() => scalar(db, 'f', identity), typeError(BUSY), `function, unsafe ${unsafe}`);
    assert.throws(() => aggregate(db, 'a', { step: identity }), typeError(BUSY), `aggregate, unsafe ${unsafe}`);
    assert.throws(() => db.table(() => [], 't2', true), typeError(BUSY), `table, unsafe ${unsafe}`);
  }
  iterator.return();
  scalar(db, 'f', identity);
  db.close();
});
