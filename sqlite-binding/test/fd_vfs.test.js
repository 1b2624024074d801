'use strict';
// Databases opened on two file descriptors: which descriptors are accepted,
// names, the caller's descriptors, journal modes, attached databases, files that
// go away, and journals that belong to one database only.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const { addon, SqliteError, openDatabase, prepare, execAll, tempDir, databaseArguments } = require('./harness');
const {
  harnessPath, O_CLOEXEC, hostFds, openOnFds, fdInfo, descriptorsOf, rows, value, inChild,
  makeDatabase,
} = require('./fd_helpers');

const typeError = (message) => ({ name: 'TypeError', message });
const sqliteError = (code, message) => (e) => {
  assert.ok(e instanceof SqliteError, `an SqliteError, not ${e}`);
  assert.equal(e.code, code);
  assert.equal(e.message, message);
  return true;
};

const DELETED_OR_REPLACED = 'The database file or its journal file was deleted or replaced while the database was open (the database must be reopened)';

test('descriptors are validated before anything is opened, each check with its message', () => {
  const dir = tempDir();
  const file = makeDatabase(path.join(dir, 'valid.db'));
  const { O_RDONLY, O_WRONLY, O_RDWR, O_APPEND, O_CREAT } = fs.constants;
  const open = (f, flags) => fs.openSync(f, flags);
  const rw = () => open(file, O_RDWR);
  const journal = () => open(`${file}-journal`, O_RDWR | O_CREAT);
  // Far above any descriptor limit, so never open.
  const closed = () => 2 ** 30;
  const unlinked = () => {
    const f = path.join(dir, `gone-${Math.random()}`);
    const fd = open(f, O_RDWR | O_CREAT);
    fs.unlinkSync(f);
    return fd;
  };
  const walFile = path.join(dir, 'wal.db');
  const walDb = openDatabase(walFile);
  execAll(walDb, ['PRAGMA journal_mode=WAL', 'CREATE TABLE t(x)']);
  walDb.close();
  const O_PATH = 0o10000000;
  const db = 'Cannot open database because the database file';
  const jr = 'Cannot open database because the journal file';
  const cases = [
    [closed, journal, false, `${db} descriptor is not open`],
    [() => open(dir, O_RDONLY), journal, true, `${db} descriptor does not refer to a regular file`],
    [() => open(file, O_WRONLY), journal, false, `${db} descriptor was not opened for reading`],
    [() => open(file, O_WRONLY), journal, true, `${db} descriptor was not opened for reading`],
    [() => open(file, O_PATH), journal, true, `${db} descriptor was not opened for reading`],
    [() => open(file, O_RDONLY), journal, false, `${db} descriptor was not opened for writing (use the "readonly" option)`],
    [() => open(file, O_RDWR | O_APPEND), journal, false, `${db} descriptor was opened in append mode`],
    [unlinked, journal, false, `${db} has been deleted`],
    [rw, closed, false, `${jr} descriptor is not open`],
    [rw, () => open(dir, O_RDONLY), false, `${jr} descriptor does not refer to a regular file`],
    [rw, () => open(`${file}-journal`, O_WRONLY | O_CREAT), true, `${jr} descriptor was not opened for reading`],
    [rw, () => open(`${file}-journal`, O_RDONLY | O_CREAT), false, `${jr} descriptor was not opened for writing (use the "readonly" option)`],
    [rw, () => open(`${file}-journal`, O_RDWR | O_APPEND), false, `${jr} descriptor was opened in append mode`],
    [rw, unlinked, false, `${jr} has been deleted`],
    [rw, rw, false, 'Cannot open database because the database and journal file descriptors refer to the same file'],
    [() => open(walFile, O_RDWR), () => open(`${walFile}-journal`, O_RDWR | O_CREAT), false,
      'Cannot open database from a file descriptor because it is in WAL mode'],
  ];
  const before = descriptorsOf([file, `${file}-journal`, walFile]).length;
  for (const [makeDatabaseFd, makeJournalFd, readonly, message] of cases) {
    const fd = makeDatabaseFd();
    const journalFd = makeJournalFd();
    assert.throws(() => openDatabase(file, { fd, journalFd, readonly }), typeError(message), message);
    for (const d of new Set([fd, journalFd])) if (d !== closed()) fs.closeSync(d);
  }
  assert.equal(descriptorsOf([file, `${file}-journal`, walFile]).length, before, 'nothing was duplicated');

  // The same descriptor twice is caught too, after every other check passed.
  const fd = rw();
  assert.throws(() => openDatabase(file, { fd, journalFd: fd }),
    typeError('Cannot open database because the database and journal file descriptors refer to the same file'));
  fs.closeSync(fd);
});

test('read-only descriptors open with readonly; an empty file opens as an empty database', () => {
  const dir = tempDir();
  const file = makeDatabase(path.join(dir, 'ro.db'));
  fs.writeFileSync(`${file}-journal`, '');
  const ro = openOnFds(file, { readonly: true });
  assert.equal(value(ro.db, 'SELECT count(*) FROM t'), 3);
  assert.throws(() => prepare(ro.db, "INSERT INTO t(v) VALUES ('no')").run(),
    (e) => e instanceof SqliteError && e.code === 'SQLITE_READONLY');
  ro.close();

  const empty = openOnFds(path.join(dir, 'empty.db'));
  assert.equal(value(empty.db, 'SELECT count(*) FROM sqlite_schema'), 0);
  execAll(empty.db, ['CREATE TABLE fresh(x)', "INSERT INTO fresh VALUES ('made on descriptors')"]);
  empty.close();
  assert.deepEqual(inChild(path.join(dir, 'empty.db'), ['SELECT x FROM fresh']), [[{ x: 'made on descriptors' }]]);
});

test('names are fd:<descriptor>:<n>, numbered from 0 in a fresh process and never reused', () => {
  const dir = tempDir();
  const files = [makeDatabase(path.join(dir, 'a.db')), makeDatabase(path.join(dir, 'b.db'))];
  const source = `
    const { openDatabase, prepare } = require(${JSON.stringify(harnessPath)});
    const { hostFds } = require(${JSON.stringify(path.join(__dirname, 'fd_helpers.js'))});
    const [a, b] = ${JSON.stringify(files)}.map((f) => hostFds(f));
    const names = [a, a, b, a].map((fds) => {
      const db = openDatabase('x', fds);
      const name = prepare(db, 'PRAGMA database_list').get().file;
      db.close();
      return name;
    });
    process.stdout.write(JSON.stringify({ names, a: a.fd, b: b.fd }));
  `;
  const child = spawnSync(process.execPath, ['-e', source], { encoding: 'utf8' });
  assert.equal(child.status, 0, child.stderr);
  const { names, a, b } = JSON.parse(child.stdout);
  assert.deepEqual(names, [`fd:${a}:0`, `fd:${a}:1`, `fd:${b}:2`, `fd:${a}:3`]);
});

test('what is written through descriptors is read by path, and the other way round', () => {
  const file = makeDatabase(path.join(tempDir(), 'round.db'));
  const onFds = openOnFds(file);
  execAll(onFds.db, ['BEGIN', "INSERT INTO t(v) VALUES ('through descriptors')", 'COMMIT']);
  onFds.close();

  const byPath = openDatabase(file);
  assert.deepEqual(rows(byPath, 'SELECT v FROM t WHERE id = 4'), [{ v: 'through descriptors' }]);
  execAll(byPath, ["UPDATE t SET v = 'by path' WHERE id = 1"]);
  byPath.close();

  const again = openOnFds(file);
  assert.deepEqual(rows(again.db, 'SELECT v FROM t ORDER BY id'),
    [{ v: 'by path' }, { v: 'old 1' }, { v: 'old 2' }, { v: 'through descriptors' }]);
  assert.equal(value(again.db, 'PRAGMA integrity_check'), 'ok');
  again.close();
});

test("the caller's descriptors stay open and in place; the module's own are close-on-exec and go with close", () => {
  const file = makeDatabase(path.join(tempDir(), 'fds.db'));
  const files = [file, `${file}-journal`];
  const { fd, journalFd } = hostFds(file);
  // Offsets that any unpositioned read or write would move.
  fs.readSync(fd, Buffer.alloc(7), 0, 7, null);
  fs.writeSync(journalFd, 'abc');
  fs.ftruncateSync(journalFd, 0);
  const offsets = [fdInfo(fd).pos, fdInfo(journalFd).pos];
  assert.deepEqual(offsets, [7, 3]);

  const db = openDatabase(file, { fd, journalFd });
  execAll(db, ['BEGIN', "INSERT INTO t(v) SELECT 'more' FROM t", 'UPDATE t SET v = v || v']);
  const own = descriptorsOf(files, [fd, journalFd]);
  assert.ok(own.length >= 3, `database, lock and journal duplicates while writing: ${own}`);
  for (const d of own) {
    assert.ok(d >= 3);
    assert.equal(fdInfo(d).flags & O_CLOEXEC, O_CLOEXEC, `descriptor ${d} is close-on-exec`);
  }
  execAll(db, ['COMMIT']);
  assert.equal(value(db, 'SELECT count(*) FROM t'), 6);
  db.close();

  assert.deepEqual(descriptorsOf(files, [fd, journalFd]), [], 'nothing of the module is left');
  assert.deepEqual([fdInfo(fd).pos, fdInfo(journalFd).pos], offsets);
  assert.equal(fs.fstatSync(fd).size, fs.statSync(file).size, "the caller's descriptors still work");
  fs.closeSync(fd);
  fs.closeSync(journalFd);
});

test('the host may close its own descriptors once the database is open', () => {
  const file = makeDatabase(path.join(tempDir(), 'handed-over.db'));
  const { fd, journalFd } = hostFds(file);
  const db = openDatabase(file, { fd, journalFd });
  fs.closeSync(fd);
  fs.closeSync(journalFd);
  execAll(db, ['BEGIN', "INSERT INTO t(v) VALUES ('after the host let go')", 'COMMIT']);
  assert.equal(value(db, 'SELECT count(*) FROM t'), 4);
  db.close();
  assert.deepEqual(inChild(file, ['SELECT count(*) AS n FROM t']), [[{ n: 4 }]]);
});

test('WAL is refused by the pragma in any letter case; every other journal mode works', () => {
  const dir = tempDir();
  const file = makeDatabase(path.join(dir, 'modes.db'));
  const { db, close } = openOnFds(file);
  const walMessage = 'journal_mode WAL is not supported for databases opened from file descriptors';
  for (const sql of ['PRAGMA journal_mode=WAL', 'PRAGMA journal_mode=wal', "PRAGMA main.journal_mode = 'Wal'"]) {
    assert.throws(() => prepare(db, sql).get(), sqliteError('SQLITE_ERROR', walMessage), sql);
  }
  assert.equal(value(db, 'PRAGMA journal_mode'), 'delete');

  const journalSize = () => fs.statSync(`${file}-journal`).size;
  // (OFF is out of reach: the connection's defensive setting keeps the journal on.)
  const modes = [['truncate', 0], ['persist', null], ['memory', 0], ['delete', 0]];
  for (const [mode, sizeAfter] of modes) {
    assert.equal(value(db, `PRAGMA journal_mode=${mode}`), mode);
    execAll(db, ['BEGIN', `INSERT INTO t(v) VALUES ('${mode}')`, 'COMMIT']);
    assert.equal(value(db, 'SELECT v FROM t ORDER BY id DESC LIMIT 1'), mode);
    if (sizeAfter === null) assert.ok(journalSize() > 0, 'persist keeps the journal');
    else assert.equal(journalSize(), sizeAfter, mode);
  }
  // The journal that persist left behind is not hot.
  assert.deepEqual(inChild(file, ['SELECT count(*) AS n FROM t']), [[{ n: 7 }]]);
  close();
});

test('ATTACH of an fd name fails; attached files and temporary tables work, but not a commit to both', () => {
  const dir = tempDir();
  const file = makeDatabase(path.join(dir, 'main.db'));
  const other = makeDatabase(path.join(dir, 'other.db'));
  const { db, fd, close } = openOnFds(file);
  const own = prepare(db, 'PRAGMA database_list').get().file;
  for (const name of [own, `fd:${fd}:999`]) {
    assert.throws(() => prepare(db, `ATTACH '${name}' AS x`).run(),
      (e) => e instanceof SqliteError && e.code === 'SQLITE_CANTOPEN' && e.message === `unable to open database: ${name}`);
  }

  execAll(db, [`ATTACH '${other}' AS other`, 'CREATE TEMP TABLE scratch(x)', 'INSERT INTO scratch VALUES (1)',
    "INSERT INTO other.t(v) VALUES ('attached alone')"]);
  assert.equal(value(db, 'SELECT count(*) FROM scratch'), 1);
  execAll(db, ['BEGIN', "INSERT INTO t(v) VALUES ('main')", "INSERT INTO other.t(v) VALUES ('other')"]);
  assert.throws(() => prepare(db, 'COMMIT').run(), sqliteError('SQLITE_CANTOPEN',
    'Transactions that write to multiple databases are not supported by databases opened from file descriptors'));
  assert.equal(db.inTransaction, false, 'the failed commit rolled both back');
  assert.equal(value(db, 'SELECT count(*) FROM main.t'), 3);
  assert.equal(value(db, 'SELECT count(*) FROM other.t'), 4);
  // The recorded reason was used once: a later failure carries SQLite's own message.
  assert.throws(() => prepare(db, `ATTACH '${own}' AS y`).run(),
    (e) => e.code === 'SQLITE_CANTOPEN' && e.message === `unable to open database: ${own}`);
  close();
});

test('a database or journal deleted or replaced while open fails the next transaction with the reason', () => {
  const dir = tempDir();
  const cases = [
    ['database unlinked', (f) => fs.unlinkSync(f)],
    ['journal unlinked', (f) => fs.unlinkSync(`${f}-journal`)],
    ['database renamed over', (f) => { fs.writeFileSync(`${f}.new`, ''); fs.renameSync(`${f}.new`, f); }],
    ['journal renamed over', (f) => { fs.writeFileSync(`${f}.new`, ''); fs.renameSync(`${f}.new`, `${f}-journal`); }],
  ];
  for (const [what, change] of cases) {
    const file = makeDatabase(path.join(dir, `${what.replace(/ /g, '-')}.db`));
    const { db, close } = openOnFds(file);
    const read = prepare(db, 'SELECT count(*) FROM t').pluck();
    const write = prepare(db, "INSERT INTO t(v) VALUES ('after')");
    assert.equal(read.get(), 3);
    change(file);
    assert.throws(() => read.get(), sqliteError('SQLITE_CANTOPEN', DELETED_OR_REPLACED), what);
    assert.throws(() => write.run(), sqliteError('SQLITE_CANTOPEN', DELETED_OR_REPLACED), what);
    assert.equal(db.inTransaction, false);
    close();
  }
});

test('a read transaction whose database or journal goes away cannot turn into a write', () => {
  const dir = tempDir();
  for (const gone of ['database', 'journal']) {
    const file = makeDatabase(path.join(dir, `mid-${gone}.db`));
    const { db, close } = openOnFds(file);
    execAll(db, ['BEGIN']);
    assert.equal(value(db, 'SELECT count(*) FROM t'), 3);
    fs.unlinkSync(gone === 'database' ? file : `${file}-journal`);
    assert.throws(() => prepare(db, "INSERT INTO t(v) VALUES ('x')").run(),
      sqliteError('SQLITE_CANTOPEN', DELETED_OR_REPLACED), gone);
    execAll(db, ['ROLLBACK']);
    close();
  }
});

test('a database keeps its journal: other journals, shared journals and swapped roles are refused', () => {
  const dir = tempDir();
  const a = makeDatabase(path.join(dir, 'a.db'), 300);
  const b = makeDatabase(path.join(dir, 'b.db'), 300);
  const bBefore = fs.readFileSync(b);
  const x = openOnFds(a);
  // Enough changed pages to spill into a.db before the transaction ends, so that
  // the journal holds the only copy of a's committed pages.
  execAll(x.db, ['PRAGMA cache_size=2', 'BEGIN', "UPDATE t SET v = 'uncommitted ' || randomblob(200)"]);
  assert.ok(fs.statSync(`${a}-journal`).size > 0);

  const { O_RDWR, O_CREAT } = fs.constants;
  const open = (f) => fs.openSync(f, O_RDWR | O_CREAT);
  const cases = [
    [a, `${dir}/other-journal`, 'Cannot open database because a different journal file is already being used for this database'],
    [b, `${a}-journal`, 'Cannot open database because the journal file is already being used for another database'],
    [b, a, 'Cannot open database because the journal file is a database that is already open'],
    [`${a}-journal`, `${dir}/k-journal`, 'Cannot open database because the database file is already being used as the journal of another database'],
  ];
  // The host's own descriptors of a.db stay open until x is done: closing one
  // would drop x's locks.
  const hostFdsOfCases = [];
  for (const [database, journal, message] of cases) {
    const fd = open(database);
    const journalFd = open(journal);
    hostFdsOfCases.push(fd, journalFd);
    assert.throws(() => openDatabase(database, { fd, journalFd }), sqliteError('SQLITE_CANTOPEN', message), message);
  }

  // The refused opens dropped none of x's locks (x spilled pages, so it holds
  // EXCLUSIVE): another process can neither write nor read.
  assert.deepEqual(inChild(a, ['BEGIN IMMEDIATE', "SELECT count(*) AS n FROM t WHERE v LIKE 'old %'"]),
    ['SQLITE_BUSY', 'SQLITE_BUSY']);
  execAll(x.db, ['ROLLBACK']);
  assert.equal(value(x.db, "SELECT count(*) FROM t WHERE v LIKE 'old %'"), 300);
  assert.equal(value(x.db, 'PRAGMA integrity_check'), 'ok');
  x.close();
  for (const fd of hostFdsOfCases) fs.closeSync(fd);
  assert.deepEqual(fs.readFileSync(b), bBefore, 'b.db is untouched');
  assert.deepEqual(descriptorsOf([a, b, `${a}-journal`]), [], 'the refused duplicates were closed in the end');
  assert.deepEqual(inChild(a, ["SELECT count(*) AS n FROM t WHERE v LIKE 'old %'"]), [[{ n: 300 }]]);
});

test('the descriptor arguments: a string path with descriptors given opens on the descriptors', () => {
  const file = makeDatabase(path.join(tempDir(), 'args.db'));
  const { fd, journalFd } = hostFds(file);
  const args = databaseArguments('not a file at all', { fd, journalFd });
  const db = new addon.Database(...args);
  assert.equal(db.name, 'not a file at all');
  assert.equal(value(db, 'SELECT count(*) FROM t'), 3);
  db.close();
  assert.equal(fs.existsSync(path.join(process.cwd(), 'not a file at all')), false, 'the path is not opened');
  fs.closeSync(fd);
  fs.closeSync(journalFd);
});
