'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const { addon, SqliteError, initialize, openDatabase, prepare, execAll } = require('./harness');

const typeError = (message) => ({ name: 'TypeError', message });
const rangeError = (message) => ({ name: 'RangeError', message });
const BUSY = 'This database connection is busy executing a query';
const NOT_OPEN = 'The database connection is not open';

function tableDb() {
  const db = openDatabase(':memory:');
  execAll(db, [
    'CREATE TABLE t(a INTEGER PRIMARY KEY, b TEXT)',
    "INSERT INTO t(b) VALUES ('one'), ('two'), ('three')",
  ]);
  return db;
}

test('the Statement prototype carries its methods in order', () => {
  assert.deepEqual(Object.keys(addon.Statement.prototype),
    ['run', 'get', 'all', 'iterate', 'bind', 'pluck', 'expand', 'raw', 'safeIntegers', 'columns', 'toString']);
  assert.deepEqual(Object.keys(addon.Database.prototype),
    ['prepare', 'exec', 'backup', 'serialize', 'function', 'aggregate', 'table', 'loadExtension', 'close',
     'defaultSafeIntegers', 'unsafeMode']);
  const db = openDatabase(':memory:');
  const statement = prepare(db, 'SELECT 1');
  assert.throws(() => addon.Statement.prototype.run.call(db), typeError('Illegal invocation'));
  assert.throws(() => addon.Database.prototype.close.call(statement), typeError('Illegal invocation'));
  db.close();
});

test('prepare checks its arguments in order', () => {
  const db = openDatabase(':memory:');
  const cases = [
    [[], 'Expected first argument to be a string'],
    [['SELECT 1'], 'Expected second argument to be an object'],
    [['SELECT 1', 'db', false, false], 'Expected second argument to be an object'],
    [['SELECT 1', db, 1, false], 'Expected third argument to be a boolean'],
    [['SELECT 1', db, false], 'Expected fourth argument to be a boolean'],
    [['SELECT 1', db, false, undefined], 'Expected fourth argument to be a boolean'],
  ];
  for (const [args, message] of cases) {
    assert.throws(() => db.prepare(...args), typeError(message), JSON.stringify(args.slice(0, 1)));
  }
  assert.equal(typeof db.prepare('SELECT 1', () => {}, false, false).get, 'function', 'a function counts as an object');
  db.close();
});

test('the SQL text must hold exactly one statement', () => {
  const db = openDatabase(':memory:');
  const accepted = [
    'SELECT 1', 'SELECT 1;', 'SELECT 1 ;;  ; ', 'SELECT 1; -- trailing comment',
    'SELECT 1; -- comment\n  ;', 'SELECT 1 /* block */ ;', 'SELECT 1; /* left open',
    'SELECT 1;\t\n\v\f\r', 'SELECT 1; -- comment without end',
  ];
  for (const sql of accepted) assert.equal(prepare(db, sql).pluck().get(), 1, JSON.stringify(sql));
  const more = [
    'SELECT 1; SELECT 2', 'SELECT 1; /', 'SELECT 1; -', 'SELECT 1; /* c */ SELECT 2',
    'SELECT 1;\u00a0', 'SELECT 1; -- c\nSELECT 2', 'SELECT 1;x',
  ];
  for (const sql of more) {
    assert.throws(() => prepare(db, sql), rangeError('The supplied SQL string contains more than one statement'), JSON.stringify(sql));
  }
  for (const sql of ['', ';', ' ; ;', '-- only a comment', '/* only */']) {
    assert.throws(() => prepare(db, sql), rangeError('The supplied SQL string contains no statements'), JSON.stringify(sql));
  }
  assert.throws(() => prepare(db, 'SELEC 1'), (e) => e instanceof SqliteError && e.code === 'SQLITE_ERROR' && /syntax error/.test(e.message));
  db.close();
});

test('a NUL character in the SQL text is refused before anything is prepared', () => {
  const db = tableDb();
  const refused = typeError('Expected the SQL text to contain no NUL characters');
  // SQLite would read each text only up to the NUL: another statement than the
  // one the source shows, or a second statement hidden behind it.
  for (const sql of ['DELETE FROM t\0 WHERE a = 1', 'SELECT b FROM t;\0DELETE FROM t', '\0', 'SELECT 1 -- \0\nx']) {
    assert.throws(() => prepare(db, sql), refused, JSON.stringify(sql));
    assert.throws(() => prepare(db, sql, { reader: true, prebound: true }), refused, JSON.stringify(sql));
  }
  assert.deepEqual(prepare(db, 'SELECT b FROM t ORDER BY a').pluck().all(), ['one', 'two', 'three']);
  assert.equal(prepare(db, "SELECT 'a' || char(0) || 'b'").pluck().get(), 'a\0b', 'a NUL made by SQL is a value');
  db.close();
  assert.throws(() => prepare(db, 'SELECT 1\0'), refused, 'the text is looked at before the connection');
});

test('statement properties', () => {
  const db = tableDb();
  const source = 'SELECT b FROM t WHERE a = ?';
  const holder = { db };
  const statement = db.prepare(source, holder, false, false);
  assert.deepEqual(Object.keys(statement), ['reader', 'readonly', 'source', 'database', 'busy']);
  assert.equal(statement.reader, true);
  assert.equal(statement.readonly, true);
  assert.equal(statement.source, source);
  assert.equal(statement.database, holder, 'the very value passed to prepare');
  assert.equal(statement.busy, false);
  const insert = prepare(db, "INSERT INTO t(b) VALUES ('x')");
  assert.deepEqual([insert.reader, insert.readonly], [false, false]);
  assert.equal(prepare(db, "INSERT INTO t(b) VALUES ('y')", { reader: true }).reader, true, 'as_reader makes a reader');
  const d = Object.getOwnPropertyDescriptor(statement, 'busy');
  assert.deepEqual([typeof d.get, d.set, d.enumerable, d.configurable], ['function', undefined, true, false]);
  db.close();
});

test('run reports changes and the last inserted rowid', () => {
  const db = tableDb();
  assert.deepEqual(prepare(db, "INSERT INTO t(b) VALUES ('four')").run(), { changes: 1, lastInsertRowid: 4 });
  assert.deepEqual(prepare(db, 'UPDATE t SET b = b').run(), { changes: 4, lastInsertRowid: 4 });
  // A statement that changes nothing reports 0, not the count of the one before.
  assert.deepEqual(prepare(db, 'SELECT * FROM t').run(), { changes: 0, lastInsertRowid: 4 });
  assert.deepEqual(prepare(db, 'UPDATE t SET b = b WHERE a > 100').run(), { changes: 0, lastInsertRowid: 4 });
  const result = prepare(db, 'SELECT 1').safeIntegers().run();
  assert.equal(result.lastInsertRowid, 4n);
  assert.deepEqual(Object.keys(result), ['changes', 'lastInsertRowid']);
  db.close();
});

test('get and all in every row mode', () => {
  const db = tableDb();
  const query = 'SELECT a, b FROM t ORDER BY a';
  assert.deepEqual(prepare(db, query).get(), { a: 1, b: 'one' });
  assert.deepEqual(prepare(db, query).all(), [{ a: 1, b: 'one' }, { a: 2, b: 'two' }, { a: 3, b: 'three' }]);
  assert.deepEqual(prepare(db, query).pluck().all(), [1, 2, 3]);
  assert.deepEqual(prepare(db, query).raw().all(), [[1, 'one'], [2, 'two'], [3, 'three']]);
  assert.deepEqual(prepare(db, query).expand().get(), { t: { a: 1, b: 'one' } });
  assert.equal(prepare(db, 'SELECT * FROM t WHERE a > 10').get(), undefined);
  assert.deepEqual(prepare(db, 'SELECT * FROM t WHERE a > 10').all(), []);

  // Mode switches: turning a mode off only resets that same mode.
  const s = prepare(db, query);
  assert.equal(s.pluck(), s);
  assert.equal(s.get(), 1);
  s.raw().pluck(false);
  assert.deepEqual(s.get(), [1, 'one'], 'pluck(false) keeps raw');
  s.raw(false);
  assert.deepEqual(s.get(), { a: 1, b: 'one' });
  s.expand(true).expand(false);
  assert.deepEqual(s.get(), { a: 1, b: 'one' });
  assert.throws(() => s.raw(undefined), typeError('Expected first argument to be a boolean'));
  assert.throws(() => s.safeIntegers('yes'), typeError('Expected first argument to be a boolean'));
  db.close();
});

test('expand groups by source table, "$" for expressions, keeping any key as data', () => {
  const db = openDatabase(':memory:');
  execAll(db, [
    'CREATE TABLE t(x)', 'CREATE TABLE u(x)', 'CREATE TABLE "__proto__"(x)',
    'INSERT INTO t VALUES (1)', 'INSERT INTO u VALUES (2)', 'INSERT INTO "__proto__" VALUES (3)',
  ]);
  const row = prepare(db, 'SELECT t.x AS x, u.x AS x, 5 AS y FROM t, u').expand().get();
  assert.deepEqual(row, { t: { x: 1 }, u: { x: 2 }, $: { y: 5 } });

  const odd = prepare(db, 'SELECT x AS "__proto__", 4 AS "__proto__" FROM "__proto__"').expand().get();
  assert.equal(Object.getPrototypeOf(odd), Object.prototype, 'the row keeps its prototype');
  assert.deepEqual(Object.keys(odd), ['__proto__', '$']);
  const own = (object, key) => Object.getOwnPropertyDescriptor(object, key).value;
  assert.equal(own(own(odd, '__proto__'), '__proto__'), 3);
  assert.equal(own(odd.$, '__proto__'), 4);
  db.close();
});

test('values come back as they were stored', () => {
  const db = openDatabase(':memory:');
  execAll(db, ['CREATE TABLE v(x)']);
  const insert = prepare(db, 'INSERT INTO v VALUES (?)');
  const read = prepare(db, 'SELECT x, typeof(x) AS type FROM v WHERE rowid = ?');
  const big = 2n ** 53n + 1n;
  const cases = [
    // [bound, read without safe integers, read with safe integers, SQL type]
    [1, 1, 1, 'real'],
    [1.5, 1.5, 1.5, 'real'],
    [5n, 5, 5n, 'integer'],
    [big, 2 ** 53, big, 'integer'],
    [-(2n ** 63n), -(2 ** 63), -(2n ** 63n), 'integer'],
    ['a\u0000b', 'a\u0000b', 'a\u0000b', 'text'],
    ['ünïcødé ✓', 'ünïcødé ✓', 'ünïcødé ✓', 'text'],
    ['', '', '', 'text'],
    [null, null, null, 'null'],
    [undefined, null, null, 'null'],
    [Buffer.from([1, 2, 3]), Buffer.from([1, 2, 3]), Buffer.from([1, 2, 3]), 'blob'],
    [Buffer.alloc(0), Buffer.alloc(0), Buffer.alloc(0), 'blob'],
    [new Uint16Array([0x0201]), Buffer.from([1, 2]), Buffer.from([1, 2]), 'blob'],
    [new DataView(new Uint8Array([7, 8, 9]).buffer, 1, 2), Buffer.from([8, 9]), Buffer.from([8, 9]), 'blob'],
    [new DataView(new ArrayBuffer(0)), Buffer.alloc(0), Buffer.alloc(0), 'blob'],
  ];
  for (const [value, plain, safe, type] of cases) {
    const { lastInsertRowid } = insert.run(value);
    assert.deepEqual(read.safeIntegers(false).get(lastInsertRowid), { x: plain, type }, String(value));
    assert.deepEqual(read.safeIntegers(true).get(lastInsertRowid), { x: safe, type: type }, String(value));
  }
  // A blob is a copy: changing it changes nothing stored.
  const blob = prepare(db, 'SELECT x FROM v WHERE typeof(x) = \'blob\' LIMIT 1').pluck();
  const first = blob.get();
  first[0] = 99;
  assert.equal(blob.get()[0], 1);
  db.close();
});

test('safeIntegers defaults to the database setting and decides the integer form', () => {
  const db = openDatabase(':memory:');
  const s = prepare(db, 'SELECT 1 AS one');
  assert.deepEqual(s.get(), { one: 1 });
  assert.equal(s.safeIntegers(), s);
  assert.deepEqual(s.get(), { one: 1n });
  assert.deepEqual(s.raw().get(), [1n]);
  assert.deepEqual(s.safeIntegers(false).get(), [1]);
  db.close();
});

test('all hands rows to makeArray and appendToArray 1024 at a time', (t) => {
  const calls = [];
  initialize({
    makeArray: (...rows) => { calls.push(['makeArray', rows.length]); return rows; },
    appendToArray: (array, ...rows) => { calls.push(['appendToArray', rows.length]); array.push(...rows); },
  });
  t.after(() => initialize());
  const db = openDatabase(':memory:');
  const counting = prepare(db, 'WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) SELECT i FROM n WHERE i <= ?').pluck();
  const cases = [
    [0, [['makeArray', 0]]],
    [1, [['makeArray', 1]]],
    [1024, [['makeArray', 1024]]],
    [1025, [['makeArray', 1024], ['appendToArray', 1]]],
    [2049, [['makeArray', 1024], ['appendToArray', 1024], ['appendToArray', 1]]],
  ];
  for (const [count, expected] of cases) {
    calls.length = 0;
    const rows = counting.all(Math.max(count, 1), count);
    assert.deepEqual(calls, expected, `${count} rows`);
    assert.equal(rows.length, count);
    if (count) assert.deepEqual([rows[0], rows[count - 1]], [1, count]);
  }
  db.close();
});

test('a failing host function fails the call without handing over empty rows', (t) => {
  const failure = new Error('row function failed');
  let made = 0;
  initialize({
    makeArray: (...rows) => { made++; return rows; },
    makeRowFactory: () => () => { throw failure; },
  });
  t.after(() => initialize());
  const db = tableDb();
  assert.throws(() => prepare(db, 'SELECT * FROM t').all(), (e) => e === failure);
  assert.equal(made, 0, 'makeArray never sees the rows that failed');
  assert.throws(() => prepare(db, 'SELECT * FROM t').get(), (e) => e === failure);
  // The connection is not left busy and its next error is an SQLite error again.
  assert.throws(() => prepare(db, 'SELECT nope FROM t'), SqliteError);

  const appendFailure = new Error('append failed');
  initialize({ appendToArray: () => { throw appendFailure; } });
  assert.throws(() => prepare(db, 'WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) SELECT i FROM n').all(),
    (e) => e === appendFailure);
  assert.equal(prepare(db, 'SELECT 1 AS x').get().x, 1);
  db.close();
});

test('a factory that throws is asked again on the next row', (t) => {
  let attempts = 0;
  const failure = new Error('no factory yet');
  initialize({
    makeRowFactory: (...names) => {
      attempts++;
      if (attempts === 1) throw failure;
      return (...values) => Object.fromEntries(names.map((n, i) => [n, values[i]]));
    },
  });
  t.after(() => initialize());
  const db = tableDb();
  const s = prepare(db, 'SELECT a FROM t ORDER BY a');
  assert.throws(() => s.get(), (e) => e === failure);
  assert.deepEqual(s.get(), { a: 1 });
  assert.deepEqual(s.all(), [{ a: 1 }, { a: 2 }, { a: 3 }]);
  assert.equal(attempts, 2);
  db.close();
});

test('the row function is made once, and again after a re-preparation', (t) => {
  const factories = [];
  initialize({
    makeRowFactory: (...names) => {
      factories.push(names);
      return (...values) => Object.fromEntries(names.map((n, i) => [n, values[i]]));
    },
  });
  t.after(() => initialize());
  const db = openDatabase(':memory:');
  execAll(db, ['CREATE TABLE t(a)', 'INSERT INTO t VALUES (1)']);
  const s = prepare(db, 'SELECT * FROM t');
  assert.deepEqual(s.get(), { a: 1 });
  assert.deepEqual(s.all(), [{ a: 1 }]);
  assert.deepEqual(factories, [['a']]);
  execAll(db, ['ALTER TABLE t ADD COLUMN b DEFAULT 2']);
  assert.deepEqual(s.get(), { a: 1, b: 2 });
  assert.deepEqual(factories, [['a'], ['a', 'b']]);
  db.close();
});

test('a statement keeps the host functions that were current when it was prepared', (t) => {
  const db = tableDb();
  const before = prepare(db, 'SELECT a FROM t WHERE a = 1');
  initialize({
    makeRowFactory: () => () => 'new row',
    makeArray: () => 'new array',
  });
  t.after(() => initialize());
  const after = prepare(db, 'SELECT a FROM t WHERE a = 1');
  assert.deepEqual(before.get(), { a: 1 });
  assert.deepEqual(before.raw().get(), [1]);
  assert.equal(after.get(), 'new row');
  assert.equal(after.raw().get(), 'new array');
  db.close();
});

test('columns describes each result column', () => {
  const db = openDatabase(':memory:');
  execAll(db, ['CREATE TABLE t(a INTEGER, b TEXT)']);
  assert.deepEqual(prepare(db, 'SELECT a AS x, b || 1 AS y FROM t').columns(), [
    { name: 'x', column: 'a', table: 't', database: 'main', type: 'INTEGER' },
    { name: 'y', column: null, table: null, database: null, type: null },
  ]);
  db.close();
});

test('columns stays sound when an inherited setter closes the connection while it fills the descriptors', () => {
  // The setters take the assignment (no own property appears) and close the
  // connection, which finalises the statement that columns() is describing.
  const cases = [
    [Object.prototype, 'column', (columns) => {
      assert.deepEqual(columns, [
        { name: 'a', table: 't', database: 'main', type: 'INTEGER' },
        { name: 'b', table: 't', database: 'main', type: 'TEXT' },
      ]);
    }],
    [Array.prototype, '0', (columns) => {
      assert.equal(columns.length, 2);
      assert.equal(Object.hasOwn(columns, 0), false);
      assert.deepEqual(columns[1], { name: 'b', column: 'b', table: 't', database: 'main', type: 'TEXT' });
    }],
  ];
  for (const [prototype, key, check] of cases) {
    const db = openDatabase(':memory:');
    execAll(db, ['CREATE TABLE t(a INTEGER, b TEXT)']);
    const statement = prepare(db, 'SELECT a, b FROM t');
    Object.defineProperty(prototype, key, { configurable: true, set() { db.close(); } });
    let columns;
    try {
      columns = statement.columns();
    } finally {
      delete prototype[key];
    }
    assert.equal(db.open, false);
    check(columns);
  }
});

test('toString expands values bound for good, and is the source otherwise', () => {
  const db = openDatabase(':memory:');
  const source = 'SELECT ? AS v, :name AS n';
  const bound = prepare(db, source).bind(5, { name: 'it\'s' });
  assert.equal(bound.toString(), "SELECT 5.0 AS v, 'it''s' AS n");
  assert.deepEqual(bound.get(), { v: 5, n: "it's" });
  const perCall = prepare(db, source);
  assert.deepEqual(perCall.get(6, { name: 'x' }), { v: 6, n: 'x' });
  assert.equal(perCall.toString(), source);
  db.close();
  assert.equal(bound.toString(), source, 'after close');
});

test('bind is once for good, and then calls take no arguments', () => {
  const db = openDatabase(':memory:');
  const s = prepare(db, 'SELECT ? AS v');
  assert.throws(() => s.bind(), rangeError('Too few parameter values were provided'));
  assert.equal(s.bind(1), s, 'a failed bind may be retried');
  assert.throws(() => s.bind(2), typeError('The bind() method can only be invoked once per statement object'));
  assert.throws(() => s.get(2), typeError('This statement already has bound parameters'));
  assert.deepEqual(s.get(), { v: 1 });
  assert.deepEqual(s.all(), [{ v: 1 }], 'values bound for good are kept after a call');

  const pre = prepare(db, 'SELECT 1 AS v', { prebound: true });
  assert.throws(() => pre.bind(), typeError('The bind() method can only be invoked once per statement object'));
  assert.throws(() => pre.run(1), typeError('This statement already has bound parameters'));
  assert.deepEqual(pre.run(), { changes: 0, lastInsertRowid: 0 });

  // Values bound for one call are cleared afterwards.
  const once = prepare(db, 'SELECT ? AS v');
  assert.deepEqual(once.get(7), { v: 7 });
  assert.equal(once.toString(), 'SELECT ? AS v');
  db.close();
});

test('guards refuse in their order', () => {
  const db = tableDb();
  const reader = prepare(db, 'SELECT * FROM t');
  const writer = prepare(db, "INSERT INTO t(b) VALUES ('w')");
  const noData = (method) => `The ${method}() method is only for statements that return data`;
  const writerCases = [
    [() => writer.get(), 'This statement does not return data. Use run() instead'],
    [() => writer.all(), 'This statement does not return data. Use run() instead'],
    [() => writer.pluck(), noData('pluck')],
    [() => writer.expand(), noData('expand')],
    [() => writer.raw(), noData('raw')],
    [() => writer.columns(), noData('columns')],
  ];
  for (const [call, message] of writerCases) assert.throws(call, typeError(message));
  writer.run();

  db.close();
  const closedCases = [
    [() => reader.run(), NOT_OPEN],
    [() => reader.get(), NOT_OPEN],
    [() => reader.all(), NOT_OPEN],
    [() => reader.bind(), NOT_OPEN],
    [() => reader.columns(), NOT_OPEN],
    [() => writer.get(), 'This statement does not return data. Use run() instead'],
    [() => writer.run(), NOT_OPEN],
    [() => prepare(db, 'SELECT 1'), NOT_OPEN],
  ];
  for (const [call, message] of closedCases) assert.throws(call, typeError(message), String(call));
  // The settings still work on a closed connection.
  assert.equal(reader.pluck(), reader);
  assert.equal(reader.safeIntegers(), reader);
  assert.equal(reader.busy, false);
});

test('a connection busy with a query refuses to be used from script code it calls', () => {
  const attempts = [];
  const db = openDatabase(':memory:', {
    logger: () => {
      for (const attempt of [
        () => prepare(db, 'SELECT 2'),
        () => statement.get(),
        () => statement.pluck(),
        () => statement.safeIntegers(),
        () => statement.columns(),
        () => db.close(),
      ]) {
        try { attempt(); attempts.push('ran'); } catch (e) { attempts.push(e.message); }
      }
    },
  });
  const statement = prepare(db, 'SELECT 1 AS x');
  assert.deepEqual(statement.get(), { x: 1 });
  assert.deepEqual(attempts, Array(6).fill(BUSY));
  assert.equal(db.open, true);
  db.close();
});

test('the logger sees each statement with its values, and its exception ends the call', () => {
  const logged = [];
  let failWith = null;
  const db = openDatabase(':memory:', {
    logger(text) { assert.equal(this, undefined); logged.push(text); if (failWith) throw failWith; },
  });
  prepare(db, 'CREATE TABLE t(a UNIQUE)').run();
  prepare(db, 'INSERT INTO t VALUES (?)').run(1);
  assert.deepEqual(prepare(db, 'SELECT a FROM t WHERE a = :a').pluck().all({ a: 1 }), [1]);
  assert.deepEqual(logged, ['CREATE TABLE t(a UNIQUE)', 'INSERT INTO t VALUES (1.0)', 'SELECT a FROM t WHERE a = 1.0']);

  failWith = { thrown: 'exactly this value' };
  for (const call of [() => prepare(db, 'INSERT INTO t VALUES (2)').run(), () => prepare(db, 'SELECT 1').get(), () => prepare(db, 'SELECT 1').all()]) {
    assert.throws(call, (e) => e === failWith);
  }
  failWith = null;
  assert.deepEqual(prepare(db, 'SELECT count(*) AS n FROM t').get(), { n: 1 }, 'the failed insert did not run');
  // The next failure is an SQLite error again.
  assert.throws(() => prepare(db, 'INSERT INTO t VALUES (1)').run(), (e) => e instanceof SqliteError && e.code === 'SQLITE_CONSTRAINT_UNIQUE');
  db.close();
});

test('constraint failures carry their result-code names', () => {
  const db = openDatabase(':memory:');
  execAll(db, [
    'CREATE TABLE p(id INTEGER PRIMARY KEY)',
    'CREATE TABLE c(id TEXT PRIMARY KEY, u UNIQUE, n NOT NULL, k CHECK (k > 0), p REFERENCES p(id))',
    "INSERT INTO p VALUES (1)",
    "INSERT INTO c VALUES ('a', 1, 1, 1, 1)",
  ]);
  const cases = [
    ["INSERT INTO c VALUES ('b', 1, 1, 1, 1)", 'SQLITE_CONSTRAINT_UNIQUE', 'UNIQUE constraint failed: c.u'],
    ["INSERT INTO c VALUES ('b', 2, NULL, 1, 1)", 'SQLITE_CONSTRAINT_NOTNULL', 'NOT NULL constraint failed: c.n'],
    ["INSERT INTO c VALUES ('a', 2, 1, 1, 1)", 'SQLITE_CONSTRAINT_PRIMARYKEY', 'UNIQUE constraint failed: c.id'],
    ["INSERT INTO c VALUES ('b', 2, 1, 0, 1)", 'SQLITE_CONSTRAINT_CHECK', 'CHECK constraint failed: k > 0'],
    ["INSERT INTO c VALUES ('b', 2, 1, 1, 9)", 'SQLITE_CONSTRAINT_FOREIGNKEY', 'FOREIGN KEY constraint failed'],
    ['INSERT INTO p VALUES (1)', 'SQLITE_CONSTRAINT_PRIMARYKEY', 'UNIQUE constraint failed: p.id'],
  ];
  for (const [sql, code, message] of cases) {
    assert.throws(() => prepare(db, sql).run(), (e) => e instanceof SqliteError && e.code === code && e.message === message, sql);
  }
  db.close();
});

test('inTransaction follows BEGIN and COMMIT', () => {
  const db = openDatabase(':memory:');
  prepare(db, 'BEGIN').run();
  assert.equal(db.inTransaction, true);
  prepare(db, 'COMMIT').run();
  assert.equal(db.inTransaction, false);
  prepare(db, 'BEGIN').run();
  db.close();
  assert.equal(db.inTransaction, false, 'never true once closed');
});

test('closing finalises the statements and later calls are refused', () => {
  const db = tableDb();
  const statements = [prepare(db, 'SELECT * FROM t'), prepare(db, 'SELECT 1'), prepare(db, 'SELECT 2')];
  db.close();
  for (const s of statements) assert.throws(() => s.get(), typeError(NOT_OPEN));
});
