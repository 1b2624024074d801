'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const { spawnSync } = require('node:child_process');
const {
  addon, SqliteError, initialize, openDatabase, tempDir, collectGarbage,
} = require('./harness');
const path = require('node:path');

const illegal = { name: 'TypeError', message: 'Illegal invocation' };

test('the exports are the four classes and initialize, in order', () => {
  assert.deepEqual(Object.keys(addon), ['Database', 'Statement', 'StatementIterator', 'Backup', 'initialize']);
  for (const name of ['Database', 'Statement', 'StatementIterator', 'Backup']) {
    assert.equal(typeof addon[name], 'function');
    assert.equal(addon[name].name, name);
  }
  assert.equal(addon.initialize.name, 'initialize');
});

test('prototype methods are writable, enumerable and configurable', () => {
  const descriptor = Object.getOwnPropertyDescriptor(addon.Database.prototype, 'close');
  assert.equal(typeof descriptor.value, 'function');
  assert.deepEqual([descriptor.writable, descriptor.enumerable, descriptor.configurable], [true, true, true]);
  assert.ok(Object.keys(addon.Database.prototype).includes('close'));
});

test('methods and getters refuse a foreign receiver', () => {
  const db = openDatabase(':memory:');
  const openGetter = Object.getOwnPropertyDescriptor(db, 'open').get;
  const cases = [
    () => addon.Database.prototype.close.call({}),
    () => addon.Database.prototype.close.call(undefined),
    () => addon.Database.prototype.close.call(null),
    () => addon.Database.prototype.close.call(42),
    () => addon.Database.prototype.close.call('db'),
    () => addon.Database.prototype.close.call(Object.create(db)),
    () => openGetter.call({}),
    () => openGetter.call(undefined),
  ];
  for (const call of cases) assert.throws(call, illegal, String(call));
  assert.equal(db.open, true, 'the database itself was not touched');
  db.close();
});

test('each call acts on its own receiver, whichever object was called before', async () => {
  const db = openDatabase(':memory:');
  const get = addon.Statement.prototype.get;
  const one = db.prepare('SELECT 1 AS v', db, false, false);
  const two = db.prepare('SELECT 2 AS v', db, false, false);
  const results = [one, one, two, one, two, two].map((s) => get.call(s).v);
  assert.deepEqual(results, [1, 1, 2, 1, 2, 2]);
  assert.throws(() => get.call(db), illegal, 'a Database right after a statement');
  assert.throws(() => get.call(new Proxy(one, {})), illegal, 'a Proxy of the statement called last');
  assert.throws(() => get.call(Object.create(one)), illegal);
  // Statements made after the last one called was collected are still told apart.
  (() => { db.prepare('SELECT 3 AS v', db, false, false).get(); })();
  await collectGarbage();
  const later = Array.from({ length: 50 }, (_, i) => db.prepare(`SELECT ${i} AS v`, db, false, false));
  assert.deepEqual(later.map((s) => s.get().v), later.map((_, i) => i));
  db.close();
});

test('constructors refuse direct construction', () => {
  const cases = [
    [() => new addon.Statement(), 'Statements can only be constructed by the db.prepare() method'],
    [() => new addon.StatementIterator(), 'Disabled constructor'],
    [() => new addon.Backup(), 'Disabled constructor'],
    [() => addon.Database(), "Class constructors cannot be invoked without 'new'"],
    [() => addon.Statement(), "Class constructors cannot be invoked without 'new'"],
  ];
  for (const [construct, message] of cases) {
    assert.throws(construct, { name: 'TypeError', message });
  }
});

test('initialize checks its five arguments in turn and keeps the old functions on failure', (t) => {
  const f = () => {};
  const cases = [
    [[], 'Expected first argument to be a function'],
    [[1, f, f, f, f], 'Expected first argument to be a function'],
    [[f], 'Expected second argument to be a function'],
    [[f, f, 'x'], 'Expected third argument to be a function'],
    [[f, f, f, undefined, f], 'Expected fourth argument to be a function'],
    [[f, f, f, f], 'Expected fifth argument to be a function'],
    [[f, f, f, f, {}], 'Expected fifth argument to be a function'],
  ];
  for (const [args, message] of cases) {
    assert.throws(() => addon.initialize(...args), { name: 'TypeError', message });
  }
  assert.equal(addon.initialize(SqliteError, f, f, f, f, 'ignored'), undefined);
  t.after(() => initialize());

  // The failed calls above stored nothing: errors still come from SqliteError.
  const missing = path.join(tempDir(), 'missing.db');
  assert.throws(() => openDatabase(missing, { mustExist: true }), SqliteError);

  class OtherError extends Error {}
  initialize({ errorConstructor: OtherError });
  assert.throws(() => openDatabase(missing, { mustExist: true }), OtherError);
});

test('errorConstructor is called with new and exactly the message and the code name', (t) => {
  const calls = [];
  function Recording(...args) {
    calls.push({ isNew: new.target === Recording, args });
    return Object.assign(Object.create(Recording.prototype), { args });
  }
  initialize({ errorConstructor: Recording });
  t.after(() => initialize());
  const missing = path.join(tempDir(), 'missing.db');
  assert.throws(() => openDatabase(missing, { mustExist: true }), (e) => e instanceof Recording);
  assert.deepEqual(calls, [{ isNew: true, args: ['unable to open database file', 'SQLITE_CANTOPEN'] }]);
});

test('an errorConstructor that throws replaces the SQLite error', (t) => {
  const own = new RangeError('from the constructor');
  initialize({ errorConstructor: function Throwing() { throw own; } });
  t.after(() => initialize());
  const missing = path.join(tempDir(), 'missing.db');
  assert.throws(() => openDatabase(missing, { mustExist: true }), (e) => e === own);
});

// A fresh process, so that the module is registered without initialize().
function runChild(source, env = {}) {
  const result = spawnSync(process.execPath, ['-e', source], {
    env: { ...process.env, ...env }, encoding: 'utf8',
  });
  assert.equal(result.status, 0, result.stderr);
  return result.stdout;
}

test('before initialize, each call of a missing host function raises the failed Node-API call instead', () => {
  const out = runChild(`
    const { Database } = require(process.env.MIVO_SQLITE_MODULE);
    const db = new Database(':memory:', 'x', true, false, false, 0, null, null, null, null);
    const attempts = {
      'a failed open': () => new Database('/nonexistent/dir/x.db', 'x', false, false, true, 0, null, null, null, null),
      'a failed prepare': () => db.prepare('SELECT FROM', db, false, false),
      'an object row': () => db.prepare('SELECT 1 AS a', db, false, false).get(),
      'a raw row': () => db.prepare('SELECT 1 AS a', db, false, false).raw().get(),
      'the result of all()': () => db.prepare('SELECT 1 AS a', db, false, false).pluck().all(),
    };
    const seen = {};
    for (const [name, attempt] of Object.entries(attempts)) {
      try { attempt(); seen[name] = 'no error'; } catch (e) { seen[name] = [e.constructor.name, e.message]; }
    }
    console.log(JSON.stringify(seen));
  `);
  const expected = ['Error', 'Invalid argument'];
  assert.deepEqual(JSON.parse(out), {
    'a failed open': expected, 'a failed prepare': expected, 'an object row': expected, 'a raw row': expected,
    'the result of all()': expected,
  });
});

// With URI names on, "file:u.db?cache=private" creates u.db; off, SQLite takes
// the whole text as the file name, which Windows refuses (':' and '?'), so there
// nothing is made at all. The probe prints what its new folder holds.
const uriProbe = `
  const fs = require('node:fs');
  const { Database } = require(process.env.MIVO_SQLITE_MODULE);
  process.chdir(fs.mkdtempSync(require('node:os').tmpdir() + '/mivo-uri-'));
  try { new Database('file:u.db?cache=private', 'u', false, false, false, 0, null, null, null, null).close(); } catch {}
  console.log(fs.readdirSync('.').join(','));
`;
const uriOff = process.platform === 'win32' ? '' : 'file:u.db?cache=private';

test('SQLITE_USE_URI: "1" turns URI names on, "0" and anything else leave them off', () => {
  const cases = [
    ['1', 'u.db'], ['0', uriOff], ['', uriOff], ['yes', uriOff], ['1 ', uriOff], ['10', uriOff], [undefined, uriOff],
  ];
  for (const [value, file] of cases) {
    const env = { ...process.env };
    delete env.SQLITE_USE_URI;
    if (value !== undefined) env.SQLITE_USE_URI = value;
    const result = spawnSync(process.execPath, ['-e', uriProbe], { env, encoding: 'utf8' });
    assert.equal(result.status, 0, result.stderr);
    assert.equal(result.stdout.trim(), file, `SQLITE_USE_URI=${JSON.stringify(value)}`);
  }
});

// A script's assignment to process.env changes the process's environment, which
// the module reads (on Windows too, where the C runtime keeps a copy of its own
// from the start).
test('SQLITE_USE_URI that a script sets before the module is loaded is read', () => {
  const early = `
    process.env.SQLITE_USE_URI = '1';
    ${uriProbe}
  `;
  const env = { ...process.env };
  delete env.SQLITE_USE_URI;
  const result = spawnSync(process.execPath, ['-e', early], { env, encoding: 'utf8' });
  assert.equal(result.status, 0, result.stderr);
  assert.equal(result.stdout.trim(), 'u.db');
});

test('SQLITE_USE_URI set after the first registration is not read again, not even by a worker', () => {
  const late = `
    const fs = require('node:fs');
    const { Worker } = require('node:worker_threads');
    require(process.env.MIVO_SQLITE_MODULE);
    process.env.SQLITE_USE_URI = '1';
    process.chdir(fs.mkdtempSync(require('node:os').tmpdir() + '/mivo-uri-'));
    new Worker(\`
      const { Database } = require(process.env.MIVO_SQLITE_MODULE);
      try { new Database('file:u.db?cache=private', 'u', false, false, false, 0, null, null, null, null).close(); } catch {}
    \`, { eval: true }).on('exit', () => console.log(fs.readdirSync('.').join(',')));
  `;
  const env = { ...process.env };
  delete env.SQLITE_USE_URI;
  const result = spawnSync(process.execPath, ['-e', late], { env, encoding: 'utf8' });
  assert.equal(result.status, 0, result.stderr);
  assert.equal(result.stdout.trim(), uriOff);
});
