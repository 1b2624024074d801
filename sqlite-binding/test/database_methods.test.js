'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const { SqliteError, initialize, openDatabase, prepare, execAll } = require('./harness');

const typeError = (message) => ({ name: 'TypeError', message });
const BUSY = typeError('This database connection is busy executing a query');
const NOT_OPEN = typeError('The database connection is not open');
const EXTENSION = process.env.MIVO_TINY_EXTENSION;

test('exec runs each statement of a text in turn and reports each to the logger', () => {
  const logged = [];
  const db = openDatabase(':memory:', { logger: (sql) => logged.push(sql) });
  for (const sql of ['', '  \n;;\t ;', '-- only a comment', '/* only a comment */']) {
    assert.equal(db.exec(sql), undefined, JSON.stringify(sql));
  }
  assert.deepEqual(logged, []);
  db.exec(';; SELECT 1;;\n SELECT 2 ;;');
  assert.deepEqual(logged, ['SELECT 1;', 'SELECT 2 ;']);
  db.exec('CREATE TABLE t(x); INSERT INTO t VALUES (1); SELECT * FROM t; INSERT INTO t SELECT x + 1 FROM t');
  assert.deepEqual(prepare(db, 'SELECT x FROM t').pluck().all(), [1, 2], 'later statements see the earlier ones');
  db.close();
});

test('exec stops at the first failure and keeps what ran before', () => {
  const db = openDatabase(':memory:');
  assert.throws(() => db.exec('CREATE TABLE t(x); INSERT INTO t VALUES (1); INSERT INTO nowhere VALUES (2); INSERT INTO t VALUES (3)'),
    (e) => e instanceof SqliteError && e.code === 'SQLITE_ERROR' && e.message === 'no such table: nowhere');
  assert.deepEqual(prepare(db, 'SELECT x FROM t').pluck().all(), [1]);
  assert.throws(() => db.exec('SELECT 1; SELEC 2'), { code: 'SQLITE_ERROR', message: 'near "SELEC": syntax error' });
  db.exec('BEGIN; CREATE TABLE u(x)');
  assert.equal(db.inTransaction, true, 'nothing is rolled back by exec');
  db.exec('COMMIT');
  const own = new Error('logger');
  const logging = openDatabase(':memory:', { logger: (sql) => { if (sql.includes('2')) throw own; } });
  logging.exec('CREATE TABLE t(x)');
  assert.throws(() => logging.exec('INSERT INTO t VALUES (1); INSERT INTO t VALUES (2); INSERT INTO t VALUES (3)'),
    (e) => e === own);
  assert.deepEqual(prepare(logging, 'SELECT x FROM t').pluck().all(), [1]);
  logging.close();
  db.close();
});

test('exec refuses a text with a NUL character before running any of it', () => {
  const db = openDatabase(':memory:');
  db.exec('CREATE TABLE t(x)');
  assert.throws(() => db.exec('INSERT INTO t VALUES (1);\0DROP TABLE t'),
    typeError('Expected the SQL text to contain no NUL characters'));
  assert.deepEqual(prepare(db, 'SELECT count(*) FROM t').pluck().get(), 0);
  db.close();
});

test('exec checks its argument and guards', () => {
  const db = openDatabase(':memory:');
  assert.throws(() => db.exec(), typeError('Expected first argument to be a string'));
  assert.throws(() => db.exec(1), typeError('Expected first argument to be a string'));
  initialize({ makeRowFactory: () => () => { assert.throws(() => db.exec('SELECT 1'), BUSY); return 'row'; } });
  try {
    assert.equal(prepare(db, 'SELECT 1 AS x').get(), 'row');
  } finally {
    initialize();
  }
  db.close();
  assert.throws(() => db.exec('SELECT 1'), NOT_OPEN);
});

test('serialize gives the image of a database, which the constructor loads again', () => {
  const db = openDatabase(':memory:');
  assert.ok(Buffer.isBuffer(db.serialize('main')), 'an empty database serialises too');
  execAll(db, ['CREATE TABLE t(x)', "INSERT INTO t VALUES ('kept')"]);
  const image = db.serialize('main');
  assert.ok(image.length >= 4096 && image.subarray(0, 16).toString('latin1') === 'SQLite format 3\0');
  const copy = openDatabase(':memory:', { buffer: image });
  assert.equal(prepare(copy, 'SELECT x FROM t').pluck().get(), 'kept');
  copy.close();
  assert.throws(() => db.serialize('nope'), { name: 'Error', message: 'Out of memory' });
  assert.throws(() => db.serialize(), typeError('Expected first argument to be a string'));
  assert.throws(() => db.serialize('main\0x'), typeError('Expected the attached name to contain no NUL characters'));
  const it = prepare(db, 'SELECT x FROM t').iterate();
  db.unsafeMode();
  assert.throws(() => db.serialize('main'), BUSY);
  it.return();
  db.close();
  assert.throws(() => db.serialize('main'), NOT_OPEN);
});

test('loadExtension loads a library with its default or a named entry point', () => {
  const db = openDatabase(':memory:');
  db.loadExtension(EXTENSION);
  assert.equal(prepare(db, 'SELECT tiny_answer()').pluck().get(), 42);
  db.loadExtension(EXTENSION, 'tiny_other_init');
  assert.equal(prepare(db, 'SELECT tiny_other()').pluck().get(), 7);
  // SQLite reports a library or entry point it could not load with the system's
  // own text: dlerror()'s names it, Windows' ("Module not found.") does not,
  // and comes with a line break of its own, which is left off.
  const loadFailure = (name) => (e) => e instanceof SqliteError && e.code === 'SQLITE_ERROR' &&
    (process.platform === 'win32' || e.message.includes(name)) && e.message === e.message.trimEnd();
  assert.throws(() => db.loadExtension(EXTENSION, 'no_such_init'), loadFailure('no_such_init'));
  assert.throws(() => db.loadExtension('/nonexistent/extension.so'), loadFailure('/nonexistent/extension.so'));
  assert.throws(() => db.loadExtension(EXTENSION, undefined), typeError('Expected second argument to be a string'));
  assert.throws(() => db.loadExtension(), typeError('Expected first argument to be a string'));
  assert.throws(() => db.loadExtension(`${EXTENSION}\0.ignored`),
    typeError('Expected the extension path to contain no NUL characters'));
  assert.throws(() => db.loadExtension(EXTENSION, 'tiny_other_init\0junk'),
    typeError('Expected the entry point to contain no NUL characters'));
  const it = prepare(db, 'SELECT 1').iterate();
  db.unsafeMode();
  assert.throws(() => db.loadExtension(EXTENSION), BUSY);
  it.return();
  db.close();
  assert.throws(() => db.loadExtension(EXTENSION), NOT_OPEN);
});

test('defaultSafeIntegers sets the default of statements prepared later, also when closed', () => {
  const db = openDatabase(':memory:');
  const before = prepare(db, 'SELECT 1').pluck();
  db.defaultSafeIntegers();
  const after = prepare(db, 'SELECT 1').pluck();
  assert.deepEqual([before.get(), after.get()], [1, 1n]);
  db.defaultSafeIntegers(false);
  assert.equal(prepare(db, 'SELECT 1').pluck().get(), 1);
  assert.throws(() => db.defaultSafeIntegers(1), typeError('Expected first argument to be a boolean'));
  assert.throws(() => db.defaultSafeIntegers(undefined), typeError('Expected first argument to be a boolean'));
  db.close();
  assert.equal(db.defaultSafeIntegers(true), undefined);
});

test('unsafeMode switches SQLite defensive flag off and on again', () => {
  const db = openDatabase(':memory:');
  execAll(db, ['CREATE TABLE t(x)', 'PRAGMA writable_schema = ON']);
  const edit = "UPDATE sqlite_schema SET sql = 'CREATE TABLE t(x, y)' WHERE name = 't'";
  assert.throws(() => db.exec(edit), { code: 'SQLITE_ERROR' });
  db.unsafeMode();
  db.exec('PRAGMA writable_schema = ON');
  db.exec(edit);
  db.unsafeMode(false);
  assert.throws(() => db.exec(edit), { code: 'SQLITE_ERROR' });
  assert.throws(() => db.unsafeMode('yes'), typeError('Expected first argument to be a boolean'));
  db.close();
  assert.throws(() => db.unsafeMode(true), NOT_OPEN);
});
