'use strict';
// Script code that the module calls may throw any value at all. Whatever it
// throws reaches the caller as the very same value, and the connection stays
// usable afterwards.
const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { initialize, openDatabase, prepare, execAll, tempDir } = require('./harness');

// A Proxy whose traps throw or answer: probing it (is it a wrapped error?)
// would run script code or swap the value for another.
function hostileProxy() {
  return new Proxy({}, {
    has() { throw new Error('the thrown value was probed'); },
    get() { return 'the thrown value was replaced'; },
    getPrototypeOf() { throw new Error('the thrown value was inspected'); },
  });
}

const THROWN = [
  ['undefined', () => undefined], ['null', () => null], ['0', () => 0], ['""', () => ''],
  ['a symbol', () => Symbol('thrown')], ['a hostile Proxy', hostileProxy],
];

function withHost(overrides, body) {
  initialize(overrides);
  try { return body(); } finally { initialize(); }
}

function caught(action) {
  try { action(); } catch (e) { return { value: e }; }
  return null;
}

function sqliteTable(db, rows) {
  execAll(db, ['CREATE TABLE t(x INTEGER)',
    `INSERT INTO t WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < ${rows}) SELECT x FROM n`]);
}

function stillUsable(db, label) {
  assert.equal(prepare(db, 'SELECT 1 AS one').pluck().get(), 1, `${label}: the connection is still usable`);
}

// Each source of script code: how to make it throw `value`, and the call that runs it.
const SOURCES = [
  ['the logger', (value) => {
    let armed = true;
    const db = openDatabase(':memory:', { logger: () => { if (armed) { armed = false; throw value; } } });
    return { db, action: () => prepare(db, 'SELECT 1').get() };
  }],
  ['the row function', (value) => {
    const db = openDatabase(':memory:');
    return withHost({ makeRowFactory: () => () => { throw value; } }, () => {
      const s = prepare(db, 'SELECT 1 AS a');
      return { db, action: () => s.get() };
    });
  }],
  ['the row function inside all()', (value) => {
    const db = openDatabase(':memory:');
    sqliteTable(db, 3);
    return withHost({ makeRowFactory: () => () => { throw value; } }, () => {
      const s = prepare(db, 'SELECT x FROM t');
      return { db, action: () => s.all() };
    });
  }],
  ['makeRowFactory', (value) => {
    const db = openDatabase(':memory:');
    return withHost({ makeRowFactory: () => { throw value; } }, () => {
      const s = prepare(db, 'SELECT 1 AS a');
      return { db, action: () => s.get() };
    });
  }],
  ['makeArray for a raw row', (value) => {
    const db = openDatabase(':memory:');
    return withHost({ makeArray: () => { throw value; } }, () => {
      const s = prepare(db, 'SELECT 1 AS a').raw();
      return { db, action: () => s.get() };
    });
  }],
  ['makeArray for the result of all()', (value) => {
    const db = openDatabase(':memory:');
    sqliteTable(db, 2);
    const s = prepare(db, 'SELECT x FROM t').pluck();
    return { db, action: () => withHost({ makeArray: () => { throw value; } }, () => s.all()) };
  }],
  ['appendToArray', (value) => {
    const db = openDatabase(':memory:');
    sqliteTable(db, 1500);
    const s = prepare(db, 'SELECT x FROM t').pluck();
    return { db, action: () => withHost({ appendToArray: () => { throw value; } }, () => s.all()) };
  }],
  ['errorConstructor for a failed step', (value) => {
    const db = openDatabase(':memory:');
    execAll(db, ['CREATE TABLE u(x UNIQUE)', 'INSERT INTO u VALUES (1)']);
    const s = prepare(db, 'INSERT INTO u VALUES (1)');
    return { db, action: () => withHost({ errorConstructor: function () { throw value; } }, () => s.run()) };
  }],
  ['errorConstructor for a failed prepare', (value) => {
    const db = openDatabase(':memory:');
    return { db, action: () => withHost({ errorConstructor: function () { throw value; } },
      () => prepare(db, 'SELECT FROM nowhere')) };
  }],
  ['errorConstructor for a failed open', (value) => {
    const missing = path.join(tempDir(), 'missing.db');
    return { db: null, action: () => withHost({ errorConstructor: function () { throw value; } },
      () => openDatabase(missing, { mustExist: true })) };
  }],
  ['makeIteratorRecord', (value) => {
    const db = openDatabase(':memory:');
    const it = prepare(db, 'SELECT 1').iterate();
    // A failed record does not end the iteration; return() ends it afterwards.
    return { db, action: () => {
      try { withHost({ makeIteratorRecord: () => { throw value; } }, () => it.next()); } finally { it.return(); }
    } };
  }],
  ['the logger at the first next()', (value) => {
    let armed = true;
    const db = openDatabase(':memory:', { logger: () => { if (armed) { armed = false; throw value; } } });
    const it = prepare(db, 'SELECT 1').iterate();
    return { db, action: () => it.next() };
  }],
  ['a parameter getter during iterate()', (value) => {
    const db = openDatabase(':memory:');
    const s = prepare(db, 'SELECT :a');
    return { db, action: () => s.iterate({ get a() { throw value; } }) };
  }],
  ['the row function inside next()', (value) => {
    const db = openDatabase(':memory:');
    return withHost({ makeRowFactory: () => () => { throw value; } }, () => {
      const it = prepare(db, 'SELECT 1 AS a').iterate();
      return { db, action: () => { try { it.next(); } finally { it.return(); } } };
    });
  }],
  ['makeRowFactory inside next()', (value) => {
    const db = openDatabase(':memory:');
    return withHost({ makeRowFactory: () => { throw value; } }, () => {
      const it = prepare(db, 'SELECT 1 AS a').iterate();
      return { db, action: () => { try { it.next(); } finally { it.return(); } } };
    });
  }],
  ['errorConstructor for a failed next()', (value) => {
    const db = openDatabase(':memory:');
    const it = prepare(db, 'SELECT abs(-9223372036854775807 - 1)').iterate();
    return { db, action: () => withHost({ errorConstructor: function () { throw value; } }, () => it.next()) };
  }],
  ['the logger inside exec()', (value) => {
    let armed = true;
    const db = openDatabase(':memory:', { logger: () => { if (armed) { armed = false; throw value; } } });
    return { db, action: () => db.exec('SELECT 1; SELECT 2') };
  }],
  ['errorConstructor for a failed exec()', (value) => {
    const db = openDatabase(':memory:');
    return { db, action: () => withHost({ errorConstructor: function () { throw value; } },
      () => db.exec('SELECT 1; SELECT FROM')) };
  }],
  ['errorConstructor for a failed loadExtension()', (value) => {
    const db = openDatabase(':memory:');
    return { db, action: () => withHost({ errorConstructor: function () { throw value; } },
      () => db.loadExtension('/nonexistent/extension.so')) };
  }],
  ['a parameter getter', (value) => {
    const db = openDatabase(':memory:');
    const s = prepare(db, 'SELECT :a');
    return { db, action: () => s.get({ get a() { throw value; } }) };
  }],
  ['an array element getter', (value) => {
    const db = openDatabase(':memory:');
    const s = prepare(db, 'SELECT ?');
    const values = [];
    Object.defineProperty(values, 0, { get() { throw value; } });
    return { db, action: () => s.get(values) };
  }],
  ['a scalar function', (value) => {
    const db = openDatabase(':memory:');
    db.function(() => { throw value; }, 'f', 0, 0, false, false);
    return { db, action: () => prepare(db, 'SELECT f()').get() };
  }],
  ...aggregateSources(),
  ...virtualTableSources(),
];

// Each script function of an aggregate or window function, and the query that calls it.
function aggregateSources() {
  const parts = {
    start: (thrower) => [thrower, (a, x) => a + x, null, null],
    step: (thrower) => [0, thrower, null, null],
    inverse: (thrower) => [0, (a, x) => a + x, thrower, null],
    result: (thrower) => [0, (a, x) => a + x, null, thrower],
    'window result': (thrower) => [0, (a, x) => a + x, (a, x) => a - x, thrower],
  };
  const windowed = 'SELECT s(x) OVER (ORDER BY x ROWS BETWEEN 1 PRECEDING AND CURRENT ROW) FROM t';
  return Object.entries(parts).map(([part, args]) => [`an aggregate's ${part} function`, (value) => {
    const db = openDatabase(':memory:');
    sqliteTable(db, 3);
    db.aggregate(...args(() => { throw value; }), 's', 1, 0, false, false);
    const sql = part === 'inverse' || part === 'window result' ? windowed : 'SELECT s(x) FROM t';
    return { db, action: () => prepare(db, sql).all() };
  }]);
}

// Each piece of script code a virtual table runs: the factory while the query
// is prepared, the rest while it steps.
function virtualTableSources() {
  const table = (value, { factory, generator, iterator, record, row }) => {
    const db = openDatabase(':memory:');
    const throwing = () => { throw value; };
    const rowOf = row ?? (() => [1]);
    const recordOf = record ?? ((count) => ({ done: count > 1, value: rowOf() }));
    const iteratorOf = iterator ?? (() => {
      let count = 0;
      return { next: () => recordOf(++count) };
    });
    db.table(factory ?? (() => ['CREATE TABLE x(value)', generator ?? iteratorOf, [], 0, false]), 'v', true);
    return { db, action: () => prepare(db, 'SELECT value FROM v').all() };
  };
  const throwingGetter = (value, name, rest) => Object.defineProperty(rest, name, { get() { throw value; } });
  return [
    ['a virtual-table factory', (value) => table(value, { factory: () => { throw value; } })],
    ['a generator', (value) => table(value, { generator: () => { throw value; } })],
    ['the "next" getter of an iterator', (value) => table(value, { iterator: () => throwingGetter(value, 'next', {}) })],
    ['a next function', (value) => table(value, { iterator: () => ({ next() { throw value; } }) })],
    ['the "done" getter of a record', (value) => table(value, { record: () => throwingGetter(value, 'done', { value: [1] }) })],
    ['the "value" getter of a record', (value) => table(value, { record: () => throwingGetter(value, 'value', { done: false }) })],
    ['a row Proxy', (value) => table(value, { row: () => new Proxy([], { get() { throw value; } }) })],
  ];
}

test('every value that script code called by the module throws reaches the caller unchanged', () => {
  for (const [source, arrange] of SOURCES) {
    for (const [kind, make] of THROWN) {
      const value = make();
      const { db, action } = arrange(value);
      const result = caught(action);
      assert.ok(result !== null, `${source} throwing ${kind}: the call fails`);
      assert.ok(Object.is(result.value, value), `${source} throwing ${kind}: the very value arrives`);
      if (db !== null) stillUsable(db, `${source} throwing ${kind}`);
      if (db !== null) db.close();
    }
  }
});

test('after a thrown value, the next SQLite error of the connection is an SQLite error again', () => {
  const db = openDatabase(':memory:', { logger: (sql) => { if (sql.includes('boom')) throw undefined; } });
  assert.ok(Object.is(caught(() => prepare(db, "SELECT 'boom'").get()).value, undefined));
  execAll(db, ['CREATE TABLE u(x UNIQUE)', 'INSERT INTO u VALUES (1)']);
  assert.throws(() => prepare(db, 'INSERT INTO u VALUES (1)').run(), { code: 'SQLITE_CONSTRAINT_UNIQUE' });
  db.close();
});

test('setters on Object.prototype do not take the properties of run() results', () => {
  const db = openDatabase(':memory:');
  execAll(db, ['CREATE TABLE t(x)']);
  const s = prepare(db, 'INSERT INTO t VALUES (1)');
  const calls = [];
  const throwing = (name) => ({ configurable: true, set() { calls.push(name); throw null; } });
  Object.defineProperty(Object.prototype, 'changes', throwing('changes'));
  Object.defineProperty(Object.prototype, 'lastInsertRowid', throwing('lastInsertRowid'));
  let result;
  try {
    result = s.run();
  } finally {
    delete Object.prototype.changes;
    delete Object.prototype.lastInsertRowid;
  }
  assert.deepEqual(calls, []);
  assert.deepEqual(Object.getOwnPropertyDescriptors(result), {
    changes: { value: 1, writable: true, enumerable: true, configurable: true },
    lastInsertRowid: { value: 1, writable: true, enumerable: true, configurable: true },
  });
  db.close();
});
