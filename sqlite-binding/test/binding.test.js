'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const { openDatabase, prepare, collectGarbage } = require('./harness');

const typeError = (message) => ({ name: 'TypeError', message });
const rangeError = (message) => ({ name: 'RangeError', message });
const TOO_FEW = rangeError('Too few parameter values were provided');
const TOO_MANY = rangeError('Too many parameter values were provided');
const CANNOT_BIND = typeError('SQLite3 can only bind numbers, strings, bigints, buffers, and null');
const NOT_PLAIN = typeError('Named parameters can only be passed within plain objects');
const NOT_OPEN = typeError('The database connection is not open');

class Instance { constructor() { this.a = 1; } }

test('arguments become parameter values', () => {
  const db = openDatabase(':memory:');
  // [sql, arguments, the row of values that were bound, or the error]
  const cases = [
    ['SELECT ? AS x', [], TOO_FEW],
    ['SELECT :a AS x', [], typeError('Missing named parameters')],
    ['SELECT ? AS x, ? AS y', [1, 2], { x: 1, y: 2 }],
    ['SELECT ? AS x, ? AS y', [[1, 2]], { x: 1, y: 2 }],
    ['SELECT ? AS x, ? AS y', [[1], 2], { x: 1, y: 2 }],
    ['SELECT ? AS x, ? AS y', [[], 1, [2]], { x: 1, y: 2 }],
    ['SELECT ? AS x, ? AS y', [[[1, 2]]], CANNOT_BIND],
    ['SELECT ? AS x', [1, 2], TOO_MANY],
    ['SELECT ? AS x', [[1, 2]], TOO_MANY],
    ['SELECT :a AS x, ? AS y', [{ a: 1 }, 2], { x: 1, y: 2 }],
    ['SELECT :a AS x, ? AS y', [2, { a: 1 }], { x: 1, y: 2 }],
    ['SELECT :a AS x, ? AS y', [{ a: 1 }, { a: 2 }], typeError('You cannot specify named parameters in two different objects')],
    ['SELECT :a AS x, $a AS y, @a AS z', [{ a: 1 }], { x: 1, y: 1, z: 1 }],
    ['SELECT ?1 AS x', [1], TOO_MANY],
    ['SELECT ?1 AS x', [{ 1: 7 }], { x: 7 }],
    ['SELECT ?5 AS x', [{ 5: 7 }], TOO_FEW],
    ['SELECT :a AS x', [{ b: 1 }], rangeError('Missing named parameter "a"')],
    ['SELECT :a AS x', [Object.assign(Object.create(null), { a: 1 })], { x: 1 }],
    ['SELECT :a AS x', [Object.create({ a: 1 })], NOT_PLAIN],
    ['SELECT :a AS x', [Object.assign(Object.create({ inherited: 1 }), { a: 1 })], NOT_PLAIN],
    ['SELECT :a AS x', [{ a: 1, unused: 2 }], { x: 1 }],
    ['SELECT :a AS x', [new Instance()], NOT_PLAIN],
    ['SELECT :a AS x', [new Date()], NOT_PLAIN],
    ['SELECT :a AS x', [new Map([['a', 1]])], NOT_PLAIN],
    ['SELECT :a AS x', [() => 1], NOT_PLAIN],
    ['SELECT ? AS x', [new Instance()], CANNOT_BIND],
    ['SELECT ? AS x', [new Date()], CANNOT_BIND],
    ['SELECT ? AS x', [() => 1], CANNOT_BIND],
    ['SELECT ? AS x', [{}], TOO_FEW],
    ['SELECT :a AS x', [{ a: [1] }], CANNOT_BIND],
    ['SELECT :a AS x', [{ a: { b: 1 } }], CANNOT_BIND],
    ['SELECT ? AS x', [true], CANNOT_BIND],
    ['SELECT ? AS x', [Symbol('s')], CANNOT_BIND],
    ['SELECT ? AS x', [2n ** 63n], rangeError('The bound string, buffer, or bigint is too big')],
    ['SELECT ? AS x', [-(2n ** 63n) - 1n], rangeError('The bound string, buffer, or bigint is too big')],
    ['SELECT ? AS x', [-(2n ** 63n)], { x: -(2 ** 63) }],
    ['SELECT ? AS x', [undefined], { x: null }],
    ['SELECT ? AS x, ? AS y', [[, 1]], { x: null, y: 1 }],  // eslint-disable-line no-sparse-arrays
    ['SELECT typeof(?) AS x, typeof(?) AS y', [1, 1n], { x: 'real', y: 'integer' }],
    ['SELECT typeof(?) AS x, length(?) AS y', [Buffer.alloc(0), Buffer.alloc(0)], { x: 'blob', y: 0 }],
    ['SELECT typeof(?) AS x, length(?) AS y', [new DataView(new ArrayBuffer(3)), new Float64Array(2)], { x: 'blob', y: 16 }],
  ];
  for (const [sql, args, expected] of cases) {
    const label = `${sql} with ${args.length} arguments`;
    if (expected.name) {
      assert.throws(() => prepare(db, sql).get(...args), expected, label);
    } else {
      assert.deepEqual(prepare(db, sql).get(...args), expected, label);
    }
  }
  db.close();
});

test('a value longer than the length limit is refused as too big', () => {
  const db = openDatabase(':memory:');
  const long = Buffer.alloc(536870888 + 1);
  assert.throws(() => prepare(db, 'SELECT length(?)').get(long), rangeError('The bound string, buffer, or bigint is too big'));
  db.close();
});

test('an array of any length is read no further than one element past the parameters', () => {
  const db = openDatabase(':memory:');
  // Real arrays whose every index a Proxy in the prototype chain answers.
  let reads = 0;
  const everyIndex = new Proxy(Array.prototype, {
    get(target, key, receiver) {
      if (typeof key === 'string' && /^[0-9]+$/.test(key)) { reads++; return 1; }
      return Reflect.get(target, key, receiver);
    },
  });
  for (const [sql, length, most] of [['SELECT ?', 2147483647, 2], ['SELECT ?, ?', 1e7, 3], ['SELECT ?', 4294967295, 0]]) {
    const values = [];
    Object.setPrototypeOf(values, everyIndex);
    values.length = length;
    reads = 0;
    assert.throws(() => prepare(db, sql).get(values), TOO_MANY, `${length} values`);
    assert.equal(reads, most, `${length} values`);
  }
  db.close();
});

test('a failed binding leaves nothing bound', () => {
  const db = openDatabase(':memory:');
  const s = prepare(db, 'SELECT ? AS x, ? AS y');
  assert.throws(() => s.bind(1, true), CANNOT_BIND);
  assert.equal(s.toString(), 'SELECT ? AS x, ? AS y');
  s.bind(3, 4);
  assert.equal(s.toString(), 'SELECT 3.0 AS x, 4.0 AS y');
  db.close();
});

test('exceptions of getters and prototype lookups surface unchanged', () => {
  const db = openDatabase(':memory:');
  const own = new Error('from a getter');
  const throwing = { get a() { throw own; } };
  const array = [1];
  Object.defineProperty(array, 0, { get() { throw own; } });
  const proxyHas = new Proxy({ a: 1 }, { getOwnPropertyDescriptor() { throw own; } });
  const proxyGet = new Proxy({ a: 1 }, { get() { throw own; } });
  const cases = [['SELECT :a', throwing], ['SELECT ?', array], ['SELECT :a', proxyHas], ['SELECT :a', proxyGet]];
  for (const [sql, arg] of cases) {
    assert.throws(() => prepare(db, sql).get(arg), (e) => e === own, sql);
  }
  db.close();
});

test('script code run while binding cannot make the statement run on a closed connection', () => {
  // Each getter closes the connection, which finalises the statement under the binder.
  const cases = [
    ['SELECT :a, :b', (db) => ({ get a() { db.close(); return 1; }, b: 2 })],
    ['SELECT :a', (db) => ({ get a() { db.close(); return 1; } })],
    ['SELECT ?, ?', (db) => { const a = [1, 2]; Object.defineProperty(a, 0, { get() { db.close(); return 1; } }); return a; }],
    ['SELECT :a, :b', (db) => new Proxy({ a: 1, b: 2 }, {
      getOwnPropertyDescriptor(target, key) { db.close(); return Reflect.getOwnPropertyDescriptor(target, key); },
    })],
    ['SELECT :a', (db) => new Proxy({ a: 1 }, { get(target, key) { db.close(); return target[key]; } })],
  ];
  for (const [sql, makeArgument] of cases) {
    for (const method of ['run', 'get', 'all', 'bind']) {
      const db = openDatabase(':memory:');
      const s = prepare(db, sql);
      assert.throws(() => s[method](makeArgument(db)), NOT_OPEN, `${method} ${sql}`);
      assert.equal(db.open, false);
    }
  }
});

test('script code run while binding finds the statement locked', () => {
  // The getters re-enter the very statement whose values they supply; their
  // calls are refused and the outer call binds and returns its own values.
  const LOCKED = typeError('This statement is busy executing a query');
  const reentries = [
    ['get', (s) => s.get(7, 8)], ['all', (s) => s.all(7, 8)], ['run', (s) => s.run(7, 8)],
    ['bind', (s) => s.bind(7, 8)], ['raw', (s) => s.raw()],
  ];
  for (const [name, reenter] of reentries) {
    const db = openDatabase(':memory:');
    const s = prepare(db, 'SELECT ? AS a, ? AS b');
    const refusals = [];
    const values = [1, 2];
    Object.defineProperty(values, 0, { get() {
      try { reenter(s); } catch (e) { refusals.push(e); }
      return 1;
    } });
    assert.deepEqual(s.get(values), { a: 1, b: 2 }, name);
    assert.equal(refusals.length, 1, name);
    assert.deepEqual({ name: refusals[0].name, message: refusals[0].message }, LOCKED, name);
    assert.deepEqual(s.get(3, 4), { a: 3, b: 4 }, `${name}: nothing stays bound`);
    db.close();
  }
  // A named-parameter getter that tries to bind the statement for good.
  const db = openDatabase(':memory:');
  const s = prepare(db, 'SELECT :a AS a, :b AS b');
  assert.deepEqual(s.get({ get a() { assert.throws(() => s.bind({ a: 10, b: 20 }), LOCKED); return 1; }, b: 2 }),
    { a: 1, b: 2 });
  assert.deepEqual(s.get({ a: 5, b: 6 }), { a: 5, b: 6 }, 'the statement was not bound for good');
  db.close();
});

test('a statement keeps its database alive', async () => {
  // The host passes another object as the statement's database: the statement
  // must still reach a live connection once the Database object is dropped.
  const statement = (() => {
    const db = openDatabase(':memory:');
    return db.prepare('SELECT 42 AS answer', {}, false, false);
  })();
  await collectGarbage();
  assert.deepEqual(statement.get(), { answer: 42 });
});
