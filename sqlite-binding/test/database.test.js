'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const {
  addon, SqliteError, databaseArguments, openDatabase, prepare, tempDir, windowsLacks, openFiles, collectGarbage,
} = require('./harness');

const typeError = (message) => ({ name: 'TypeError', message });

test('the constructor checks its ten arguments in order; the first failing check wins', () => {
  const good = databaseArguments(':memory:');
  const withArg = (i, value) => { const a = [...good]; a[i] = value; return a; };
  const cases = [
    [[], 'Expected first argument to be a string'],
    [withArg(0, 1), 'Expected first argument to be a string'],
    [[':memory:'], 'Expected second argument to be a string'],
    [withArg(1, null), 'Expected second argument to be a string'],
    [withArg(2, 'true'), 'Expected third argument to be a boolean'],
    [withArg(3, 0), 'Expected fourth argument to be a boolean'],
    [withArg(4, undefined), 'Expected fifth argument to be a boolean'],
    [withArg(5, 1.5), 'Expected sixth argument to be a 32-bit signed integer'],
    [withArg(5, '5'), 'Expected sixth argument to be a 32-bit signed integer'],
    [withArg(5, -0), 'Expected sixth argument to be a 32-bit signed integer'],
    [withArg(5, 2147483648), 'Expected sixth argument to be a 32-bit signed integer'],
    [withArg(5, -2147483649), 'Expected sixth argument to be a 32-bit signed integer'],
    [withArg(5, NaN), 'Expected sixth argument to be a 32-bit signed integer'],
    [withArg(5, Infinity), 'Expected sixth argument to be a 32-bit signed integer'],
    [withArg(5, 5n), 'Expected sixth argument to be a 32-bit signed integer'],
    [good.slice(0, 6), 'Expected a seventh argument'],
    [good.slice(0, 7), 'Expected a eighth argument'],
    [good.slice(0, 8), 'Expected a ninth argument'],
    [good.slice(0, 9), 'Expected a tenth argument'],
    // The first failure wins even when later arguments are wrong too.
    [[1, 2, 3], 'Expected first argument to be a string'],
    [[':memory:', ':memory:', false, false, false, 'x'], 'Expected sixth argument to be a 32-bit signed integer'],
    // Descriptors are checked before anything is opened.
    [withArg(8, 3).map((v, i) => (i === 9 ? -1 : v)), 'Expected file descriptors to be non-negative 32-bit integers'],
    [withArg(8, -1).map((v, i) => (i === 9 ? 4 : v)), 'Expected file descriptors to be non-negative 32-bit integers'],
    [withArg(8, 1.5).map((v, i) => (i === 9 ? 4 : v)), 'Expected file descriptors to be non-negative 32-bit integers'],
    [withArg(8, 3).map((v, i) => (i === 9 ? '4' : v)), 'Expected file descriptors to be non-negative 32-bit integers'],
  ];
  for (const [args, message] of cases) {
    assert.throws(() => new addon.Database(...args), typeError(message), JSON.stringify(args, (k, v) => typeof v === 'bigint' ? `${v}n` : v));
  }
});

test('timeouts at the ends of the 32-bit range, an explicit undefined and any logger are accepted', () => {
  for (const timeout of [0, -2147483648, 2147483647, -5]) {
    openDatabase(':memory:', { timeout }).close();
  }
  for (const logger of [null, 'log', 42, undefined]) {
    openDatabase(':memory:', { logger, buffer: undefined, fd: undefined, journalFd: undefined }).close();
  }
});

test('a descriptor given as a string is ignored and the path is opened', () => {
  const file = path.join(tempDir(), 'by-name.db');
  const db = openDatabase(file, { fd: '3', journalFd: -1 });
  assert.ok(fs.existsSync(file));
  db.close();
});

test('open flags: readonly and must-exist on missing and existing files', () => {
  const dir = tempDir();
  const existing = path.join(dir, 'existing.db');
  openDatabase(existing).close();
  assert.ok(fs.existsSync(existing), 'readwrite-create makes a missing file');

  const cases = [
    { readonly: true, mustExist: false, file: 'missing-ro.db' },
    { readonly: true, mustExist: true, file: 'missing-ro-must.db' },
    { readonly: false, mustExist: true, file: 'missing-must.db' },
  ];
  for (const { readonly, mustExist, file } of cases) {
    const missing = path.join(dir, file);
    assert.throws(() => openDatabase(missing, { readonly, mustExist }), (e) =>
      e instanceof SqliteError && e.code === 'SQLITE_CANTOPEN' && e.message === 'unable to open database file');
    assert.equal(fs.existsSync(missing), false, `${file} is not left behind`);
  }
  for (const { readonly, mustExist } of cases) {
    const db = openDatabase(existing, { readonly, mustExist });
    assert.equal(db.readonly, readonly);
    db.close();
  }
});

test('a file name with a NUL character is refused before anything is opened', () => {
  const dir = tempDir();
  for (const name of ['real.db\0.ignored', '\0', 'a\0b.db']) {
    assert.throws(() => openDatabase(path.join(dir, name)),
      typeError('Expected the database path to contain no NUL characters'), JSON.stringify(name));
  }
  assert.deepEqual(fs.readdirSync(dir), []);
});

test('a folder cannot be opened as a database', () => {
  assert.throws(() => openDatabase(tempDir()), (e) => e instanceof SqliteError && e.code.startsWith('SQLITE_CANTOPEN'));
});

test('properties: frozen memory, readonly, name and the open and inTransaction getters', () => {
  const name = 'the name given';
  const db = openDatabase(':memory:', { name, memory: true });
  assert.deepEqual(Object.keys(db), ['memory', 'readonly', 'name', 'open', 'inTransaction']);
  assert.equal(db.name, name);
  assert.equal(db.memory, true);
  assert.equal(db.readonly, false);
  assert.equal(db.open, true);
  assert.equal(db.inTransaction, false);

  for (const key of ['memory', 'readonly', 'name']) {
    const d = Object.getOwnPropertyDescriptor(db, key);
    assert.deepEqual([d.writable, d.enumerable, d.configurable], [false, true, false], key);
    assert.throws(() => { 'use strict'; db[key] = 'changed'; }, TypeError);
    assert.throws(() => { 'use strict'; delete db[key]; }, TypeError);
    assert.throws(() => Object.defineProperty(db, key, { value: 1 }), TypeError);
  }
  for (const key of ['open', 'inTransaction']) {
    const d = Object.getOwnPropertyDescriptor(db, key);
    assert.equal(typeof d.get, 'function', key);
    assert.deepEqual([d.set, d.enumerable, d.configurable], [undefined, true, false], key);
  }
  db.close();
  assert.equal(db.open, false);
  assert.equal(db.inTransaction, false);
  assert.equal(db.close(), undefined, 'closing twice is harmless');
});

test('close and collection release the connection', windowsLacks('/proc/self/fd'), async () => {
  const file = path.join(tempDir(), 'released.db');
  const holding = () => openFiles().filter((f) => f === file).length;

  const db = openDatabase(file);
  assert.equal(holding(), 1);
  db.close();
  assert.equal(holding(), 0);

  (() => { openDatabase(file); })();
  assert.equal(holding(), 1);
  await collectGarbage();
  assert.equal(holding(), 0, 'collecting an open database closes it');
});

test('a failed construction leaves no connection open', windowsLacks('/proc/self/fd'), () => {
  const file = path.join(tempDir(), 'half.db');
  openDatabase(file).close();
  const before = openFiles().length;
  for (let i = 0; i < 20; i++) {
    assert.throws(() => openDatabase(file, { fd: 3, journalFd: -1 }), TypeError);
  }
  assert.equal(openFiles().length, before);
});

test('buffer images: any bytes, empty buffers, typed arrays and DataViews load', () => {
  const bytes = Buffer.from('not a database image at all');
  const images = [
    bytes,
    Buffer.alloc(0),
    new Uint8Array(0),
    new Uint16Array([1, 2, 3]),
    new DataView(new ArrayBuffer(8)),
    new DataView(new ArrayBuffer(0)),
    new Uint8Array(bytes.buffer, bytes.byteOffset + 2, 5),
  ];
  for (const buffer of images) {
    for (const readonly of [false, true]) {
      const db = openDatabase(':memory:', { buffer, readonly });
      assert.equal(db.open, true);
      db.close();
    }
  }
  // Values that are not buffers are ignored.
  for (const buffer of [new ArrayBuffer(4), 'bytes', [1, 2]]) {
    openDatabase(':memory:', { buffer }).close();
  }
});

test('a loaded image is the main database; readonly images and files refuse writes', () => {
  const file = path.join(tempDir(), 'image.db');
  const source = openDatabase(file);
  prepare(source, 'CREATE TABLE t(x)').run();
  prepare(source, "INSERT INTO t VALUES ('from the image')").run();
  source.close();
  const image = fs.readFileSync(file);
  const count = (db) => prepare(db, 'SELECT count(*) FROM t').pluck().get();

  const views = [image, new DataView(image.buffer, image.byteOffset, image.byteLength)];
  for (const buffer of views) {
    const db = openDatabase(':memory:', { buffer });
    assert.equal(prepare(db, 'SELECT x FROM t').pluck().get(), 'from the image');
    prepare(db, "INSERT INTO t VALUES ('more')").run();
    assert.equal(count(db), 2);
    db.close();
  }
  assert.equal(count(openDatabase(file)), 1, 'the file behind the image is untouched');

  const readonly = openDatabase(':memory:', { buffer: image, readonly: true });
  assert.throws(() => prepare(readonly, "INSERT INTO t VALUES ('no')").run(),
    (e) => e instanceof SqliteError && e.code === 'SQLITE_READONLY');
  readonly.close();

  const readonlyFile = openDatabase(file, { readonly: true });
  assert.throws(() => prepare(readonlyFile, "INSERT INTO t VALUES ('no')").run(),
    (e) => e instanceof SqliteError && e.code === 'SQLITE_READONLY');
  readonlyFile.close();

  const empty = openDatabase(':memory:', { buffer: Buffer.alloc(0) });
  assert.equal(prepare(empty, 'SELECT count(*) FROM sqlite_schema').pluck().get(), 0);
  prepare(empty, 'CREATE TABLE fresh(x)').run();
  empty.close();

  const garbage = openDatabase(':memory:', { buffer: Buffer.from('not a database image, but long enough to have a header') });
  assert.throws(() => prepare(garbage, 'SELECT * FROM sqlite_schema').all(),
    (e) => e instanceof SqliteError && e.code === 'SQLITE_NOTADB');
  garbage.close();
});
