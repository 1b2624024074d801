'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const { Worker } = require('node:worker_threads');
const { addon, SqliteError, initialize, openDatabase, prepare, execAll, tempDir, filesHeldOpenIn, collectGarbage,
  modulePath, windowsLacks } = require('./harness');

const typeError = (message) => ({ name: 'TypeError', message });
const notOpen = typeError('The database connection is not open');
const busy = typeError('This database connection is busy executing a query');
const openFile = typeError('The destination is the file of an open database');

// A source of about 27 pages of 4096 bytes, so that a copy takes several steps.
function filledDatabase(file = path.join(tempDir(), 'source.db'), rows = 100) {
  const db = openDatabase(file);
  execAll(db, ['CREATE TABLE t(x BLOB)',
    `INSERT INTO t WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ${rows}) SELECT randomblob(1000) FROM n`]);
  return db;
}

function rows(db, table = 't') {
  return prepare(db, `SELECT x FROM ${table} ORDER BY rowid`).pluck().all();
}

// The rows of a finished copy, read through a connection of its own.
function copiedRows(file, table = 't') {
  const copy = openDatabase(file, { mustExist: true });
  try {
    assert.equal(prepare(copy, 'PRAGMA integrity_check').pluck().get(), 'ok');
    return rows(copy, table);
  } finally {
    copy.close();
  }
}

function caught(action) {
  try { action(); } catch (e) { return { value: e }; }
  return null;
}


test('Backup has transfer and close, and refuses foreign receivers', () => {
  assert.deepEqual(Object.keys(addon.Backup.prototype), ['transfer', 'close']);
  const db = filledDatabase();
  const b = db.backup(db, 'main', path.join(tempDir(), 'copy.db'), false);
  for (const call of [() => addon.Backup.prototype.transfer.call(db, 1), () => addon.Backup.prototype.close.call({}),
    () => addon.Database.prototype.backup.call(b, db, 'main', 'x.db', false)]) {
    assert.throws(call, typeError('Illegal invocation'));
  }
  db.close();
});

test('backup checks its four arguments in order, before it looks at the database', () => {
  const dir = tempDir();
  const dest = path.join(dir, 'never.db');
  const cases = [
    [[], 'Expected first argument to be an object'],
    [['db', 'main', dest, false], 'Expected first argument to be an object'],
    [[null, 'main', dest, false], 'Expected first argument to be an object'],
    [[{}], 'Expected second argument to be a string'],
    [[{}, 0, dest, false], 'Expected second argument to be a string'],
    [[{}, 'main'], 'Expected third argument to be a string'],
    [[() => {}, 'main', Buffer.from(dest), false], 'Expected third argument to be a string'],
    [[{}, 'main', dest], 'Expected fourth argument to be a boolean'],
    [[{}, 'main', dest, undefined], 'Expected fourth argument to be a boolean'],
    [[{}, 'main', dest, 'true'], 'Expected fourth argument to be a boolean'],
  ];
  const open = openDatabase(':memory:');
  const closed = openDatabase(':memory:');
  closed.close();
  for (const db of [open, closed]) {
    for (const [args, message] of cases) {
      assert.throws(() => db.backup(...args), typeError(message), `${db.open ? 'open' : 'closed'}: ${args.length} arguments`);
    }
  }
  assert.equal(fs.existsSync(dest), false);
  open.close();
});

test('Backup objects are made only by backup()', () => {
  assert.throws(() => new addon.Backup(), typeError('Disabled constructor'));
  // Script code that runs while backup() builds its object (here the error
  // constructor of a failed start) cannot build one from that call.
  const db = openDatabase(':memory:');
  let inner = null;
  class ProbingError extends SqliteError {
    constructor(message, code) {
      super(message, code);
      // Only once: a Backup built from the pending call would fail here again.
      if (inner === null) inner = caught(() => new addon.Backup());
    }
  }
  initialize({ errorConstructor: ProbingError });
  try {
    assert.throws(() => db.backup(db, 'nosuch', path.join(tempDir(), 'x.db'), false), ProbingError);
  } finally {
    initialize();
  }
  assert.equal(inner.value.message, 'Disabled constructor');
  db.close();
});

test('a closed or busy source refuses to start a backup, and no destination is made', () => {
  const dir = tempDir();
  const closed = openDatabase(':memory:');
  closed.close();
  assert.throws(() => closed.backup(closed, 'main', path.join(dir, 'closed.db'), false), notOpen);

  let refusal = null;
  const db = openDatabase(':memory:', {
    logger: () => { refusal = caught(() => db.backup(db, 'main', path.join(dir, 'busy.db'), false)); },
  });
  prepare(db, 'SELECT 1').get();
  assert.equal(refusal.value.message, busy.message);

  // Row functions run while the connection is busy too.
  initialize({ makeRowFactory: () => () => caught(() => db.backup(db, 'main', path.join(dir, 'row.db'), false)) });
  try {
    assert.equal(prepare(db, 'SELECT 1 AS a').get().value.message, busy.message);
  } finally {
    initialize();
  }
  assert.deepEqual(fs.readdirSync(dir), []);
  db.close();
});

test('a backup started from inside a user function is refused as busy', () => {
    const db = openDatabase(':memory:');
    let refusal = null;
    db.function(() => { refusal = caught(() => db.backup(db, 'main', path.join(tempDir(), 'f.db'), false)); return 1; },
      'try_backup', 0, 0, false, false);
    prepare(db, 'SELECT try_backup()').get();
    assert.equal(refusal.value.message, busy.message);
    db.close();
  });

test('a backup may start and finish while an iterator is open', () => {
  const db = filledDatabase();
  const iterator = prepare(db, 'SELECT x FROM t').iterate();
  iterator.next();
  const dest = path.join(tempDir(), 'copy.db');
  const b = db.backup(db, 'main', dest, true);
  assert.equal(b.transfer(-1).remainingPages, 0);
  iterator.return();
  b.close();
  assert.deepEqual(copiedRows(dest), rows(db));
  db.close();
});

test('transfer(-1) copies main, temp and attached databases whole; the finished file stays', () => {
  const dir = tempDir();
  const db = filledDatabase(path.join(dir, 'main.db'));
  execAll(db, [
    'CREATE TEMP TABLE tt(x)', "INSERT INTO tt VALUES ('temporary'), (x'00ff')",
    `ATTACH '${path.join(dir, 'other.db')}' AS other`, 'CREATE TABLE other.o(x)', 'INSERT INTO other.o VALUES (42), (NULL)',
  ]);
  for (const [name, table] of [['main', 't'], ['temp', 'tt'], ['other', 'o']]) {
    const dest = path.join(dir, `${name}-copy.db`);
    const b = db.backup(db, name, dest, true);
    const progress = b.transfer(-1);
    assert.deepEqual(Object.keys(progress), ['totalPages', 'remainingPages'], name);
    assert.ok(progress.totalPages > 0 && progress.remainingPages === 0, `${name}: ${JSON.stringify(progress)}`);
    assert.deepEqual(b.transfer(-1), progress, `${name}: a finished copy stays finished`);
    assert.equal(b.close(), b);
    assert.equal(b.close(), b, 'closing again returns the Backup too');
    assert.deepEqual(copiedRows(dest, table), rows(db, name === 'main' ? table : `${name}.${table}`), name);
  }
  db.close();
});

test('the database property is the first argument, frozen', () => {
  const db = openDatabase(':memory:');
  const presented = () => {};
  const b = db.backup(presented, 'main', path.join(tempDir(), 'copy.db'), false);
  assert.deepEqual(Object.getOwnPropertyDescriptor(b, 'database'),
    { value: presented, writable: false, enumerable: true, configurable: false });
  assert.deepEqual(Object.keys(b), ['database']);
  assert.throws(() => { b.database = db; }, TypeError);
  db.close();
});

test('transfer copies page by page, and changes made to the source meanwhile are in the copy', () => {
  const db = filledDatabase();
  const dest = path.join(tempDir(), 'copy.db');
  const b = db.backup(db, 'main', dest, true);
  const start = b.transfer(0);
  assert.ok(start.totalPages > 10, `${start.totalPages} pages`);
  assert.equal(start.remainingPages, start.totalPages, 'transfer(0) copies nothing');
  const first = b.transfer(5);
  assert.deepEqual(first, { totalPages: start.totalPages, remainingPages: start.totalPages - 5 });
  // The source stays usable between two transfers.
  execAll(db, ['UPDATE t SET x = zeroblob(10) WHERE rowid = 1',
    'INSERT INTO t WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 50) SELECT randomblob(1000) FROM n']);
  let progress = b.transfer(3);
  while (progress.remainingPages > 0) progress = b.transfer(3);
  assert.ok(progress.totalPages > start.totalPages, 'the page count grew with the source');
  b.close();
  assert.deepEqual(copiedRows(dest), rows(db));
  assert.equal(copiedRows(dest).length, 150);
  db.close();
});

test('transfer takes a 32-bit signed integer page count', () => {
  const db = filledDatabase();
  const b = db.backup(db, 'main', path.join(tempDir(), 'copy.db'), false);
  for (const args of [[], [undefined], [1.5], ['1'], [1n], [-0], [NaN], [2147483648], [-2147483649], [null]]) {
    assert.throws(() => b.transfer(...args), typeError('Expected first argument to be a 32-bit signed integer'),
      String(args));
  }
  assert.equal(b.transfer(2147483647).remainingPages, 0);
  assert.equal(b.transfer(-2147483648).remainingPages, 0);
  db.close();
});

test('ending an unfinished backup removes the destination exactly when asked to', () => {
  const dir = tempDir();
  // Ending by close() or by the source's close; with unlink a destination that
  // existed before the backup is removed too.
  const cases = [
    ['close', true, false, false], ['close', false, false, true],
    ['close', true, true, false], ['close', false, true, true],
    ['source closed', true, false, false], ['source closed', false, false, true],
    ['source closed', true, true, false],
  ];
  for (const [ending, unlink, existed, kept] of cases) {
    const db = filledDatabase(path.join(tempDir(), 'source.db'));
    const dest = path.join(dir, `${ending}-${unlink}-${existed}.db`);
    if (existed) fs.writeFileSync(dest, '');
    const b = db.backup(db, 'main', dest, unlink);
    b.transfer(5);
    if (ending === 'close') assert.equal(b.close(), b);
    db.close();
    assert.equal(fs.existsSync(dest), kept, `${ending}, unlink ${unlink}, existed before ${existed}`);
    assert.equal(fs.existsSync(`${dest}-journal`), false, 'the journal goes with the unfinished copy');
  }
});

test('a source closed under a backup ends it; transfer then fails and close still answers', () => {
  const dir = tempDir();
  const db = filledDatabase();
  const unfinished = db.backup(db, 'main', path.join(dir, 'unfinished.db'), true);
  const finished = db.backup(db, 'main', path.join(dir, 'finished.db'), true);
  unfinished.transfer(1);
  finished.transfer(-1);
  db.close();
  assert.deepEqual(fs.readdirSync(dir), ['finished.db'], 'a finished copy stays even with unlink');
  for (const b of [unfinished, finished]) {
    assert.throws(() => b.transfer(1), notOpen);
    assert.equal(b.close(), b);
    assert.throws(() => b.transfer(1), notOpen, 'the source check comes first');
  }
});

test('transfer after close is refused and never steps the finished handle', () => {
  const db = filledDatabase();
  const dest = path.join(tempDir(), 'copy.db');
  const b = db.backup(db, 'main', dest, false);
  b.transfer(2);
  b.close();
  for (const pages of [1, -1, 0]) assert.throws(() => b.transfer(pages), typeError('The backup has been closed'));
  assert.equal(prepare(db, 'SELECT count(*) FROM t').pluck().get(), 100);
  db.close();
});

test('a backup onto the file of the database it copies is refused, and the database stays', () => {
  const dir = tempDir();
  const file = path.join(dir, 'self.db');
  const db = filledDatabase(file);
  const before = rows(db);
  const names = [file, path.join(dir, '.', 'self.db')];
  if (process.platform !== 'win32') {
    fs.symlinkSync(file, path.join(dir, 'link.db'));
    names.push(path.join(dir, 'link.db'));
  }
  for (const destination of names) {
    assert.throws(() => db.backup(db, 'main', destination, true),
      typeError('The destination is the file of the database being backed up'), destination);
  }
  db.close();
  assert.deepEqual(copiedRows(file), before);
});

test('a database opened on descriptors refuses a backup onto its own file', windowsLacks('databases on descriptors'), () => {
  const { openOnFds } = require('./fd_helpers');
  const dir = tempDir();
  const file = path.join(dir, 'self.db');
  filledDatabase(file).close();
  const before = copiedRows(file);
  const opened = openOnFds(file);
  assert.throws(() => opened.db.backup(opened.db, 'main', file, true),
    typeError('The destination is the file of the database being backed up'));
  opened.close();
  assert.deepEqual(copiedRows(file), before);
});

// Runs a script in a process of its own with URI names on and answers what it
// printed as JSON. The script has the harness in `harness` and starts in `dir`.
function withUriNames(dir, script) {
  const source = `
    const fs = require('node:fs');
    const harness = require(process.argv[1]);
    process.chdir(process.argv[2]);
    ${script}
  `;
  const result = spawnSync(process.execPath, ['-e', source, require.resolve('./harness'), dir],
    { env: { ...process.env, SQLITE_USE_URI: '1' }, encoding: 'utf8' });
  assert.equal(result.status, 0, result.stderr);
  return JSON.parse(result.stdout);
}

test('with URI names, a backup that cannot start keeps the file a URI names and takes away only what it made', () => {
  const seen = withUriNames(tempDir(), `
    const precious = harness.openDatabase('precious.db');
    harness.execAll(precious, ['CREATE TABLE p(x)', "INSERT INTO p VALUES ('kept')"]);
    precious.close();
    const image = fs.readFileSync('precious.db');
    const db = harness.openDatabase(':memory:');
    const seen = [];
    for (const name of ['file:precious.db', 'file:precious.db?mode=rw', 'file:precious.db?mode=rwc',
      'file:./precious.db?cache=private&mode=rw', 'file:precious.db?vfs=${process.platform === 'win32' ? 'win32-none' : 'unix-none'}', 'file:fresh.db',
      'file:fresh.db?mode=rwc', 'file:fresh.db?vfs=${process.platform === 'win32' ? 'win32' : 'unix'}',
      'file:fresh.db?mode=rwc&vfs=${process.platform === 'win32' ? 'win32-none' : 'unix-dotfile'}']) {
      for (const unlink of [false, true]) {
        let message = null;
        try { db.backup(db, 'nosuch', name, unlink); } catch (e) { message = e.message; }
        seen.push([name, unlink, message, fs.readdirSync('.').join(','),
          fs.existsSync('precious.db') && fs.readFileSync('precious.db').equals(image)]);
      }
    }
    console.log(JSON.stringify(seen));
  `);
  assert.equal(seen.length, 18);
  for (const [name, unlink, message, files, intact] of seen) {
    assert.deepEqual([message, files, intact], ['unknown database nosuch', 'precious.db', true], `${name}, unlink ${unlink}`);
  }
});

test('with URI names, a backup onto an open database\'s file named by a URI is refused', () => {
  const seen = withUriNames(tempDir(), `
    const db = harness.openDatabase('main.db');
    harness.execAll(db, ['CREATE TABLE m(x)', "INSERT INTO m VALUES ('kept')", 'CREATE TEMP TABLE tt(x)']);
    const seen = [];
    for (const [schema, name] of [['main', 'file:main.db'], ['temp', 'file:main.db'], ['temp', 'file:./main.db?mode=rw']]) {
      try { db.backup(db, schema, name, true).close(); seen.push([schema, name, null]); } catch (e) { seen.push([schema, name, e.message]); }
    }
    seen.push(harness.prepare(db, 'SELECT x FROM m').pluck().all(), fs.readdirSync('.'));
    db.close();
    console.log(JSON.stringify(seen));
  `);
  assert.deepEqual(seen, [
    ['main', 'file:main.db', 'The destination is the file of the database being backed up'],
    ['temp', 'file:main.db', openFile.message],
    ['temp', 'file:./main.db?mode=rw', openFile.message],
    ['kept'], ['main.db'],
  ]);
});

test('with URI names, deciding on a destination that names a VFS opens nothing, so the live database keeps its locks',
  windowsLacks('POSIX record locks'), () => {
    const seen = withUriNames(tempDir(), `
      const { spawnSync } = require('node:child_process');
      const live = harness.openDatabase('live.db');
      harness.execAll(live, ['CREATE TABLE l(x)', 'BEGIN IMMEDIATE', 'INSERT INTO l VALUES (1)']);
      const other = harness.openDatabase(':memory:');
      const seen = [];
      for (const name of ['file:live.db?vfs=unix-dotfile', 'file:live.db?vfs=unix-none',
        'file:./live.db?mode=rw&vfs=unix-none', 'file:live.db?%76fs=unix-none', 'file:live.db?vfs=unix&vfs=unix-none',
        'file:live.db?cache=private&vfs=unix-none#fragment', 'file:live.db?x&y=1&vfs=unix-none',
        'file:live.db?vfs%00ignored=unix-none', 'file:live.db?&&=x&vfs=unix-none']) {
        let message = null;
        try { other.backup(other, 'main', name, true).close(); } catch (e) { message = e.message; }
        // Another process sees the write lock of the open transaction, unless
        // a descriptor of the file was closed meanwhile.
        const probe = spawnSync(process.env.MIVO_LOCK_PROBE, ['live.db'], { encoding: 'utf8' });
        seen.push([name, message, JSON.parse(probe.stdout).reserved]);
      }
      harness.execAll(live, ['COMMIT']);
      seen.push(harness.prepare(live, 'SELECT count(*) FROM l').pluck().get(), fs.readdirSync('.'));
      console.log(JSON.stringify(seen));
    `);
    const names = seen.slice(0, -2).map(([name]) => name);
    assert.deepEqual(seen, [...names.map((name) => [name, openFile.message, 'write']), 1, ['live.db']]);
  });

test('with unlink, a backup onto the file of any database open in the environment is refused; nothing is made or lost', () => {
  const dir = tempDir();
  const file = (name) => path.join(dir, name);
  const db = filledDatabase(file('main.db'));
  execAll(db, ['CREATE TEMP TABLE tt(x)', 'INSERT INTO tt VALUES (1)', `ATTACH '${file('other.db')}' AS other`,
    'CREATE TABLE other.o(x)', 'INSERT INTO other.o VALUES (42)']);
  const second = filledDatabase(file('second.db'), 10);
  const copying = second.backup(second, 'main', file('copying.db'), false);
  copying.transfer(1);
  fs.linkSync(file('other.db'), file('other-link.db'));
  const listing = fs.readdirSync(dir).sort();
  const cases = [
    // source schema, destination
    ['temp', file('main.db')],
    ['main', file('other.db')],
    ['main', file('other-link.db')],
    ['other', file('second.db')],
    ['temp', path.join(dir, '.', 'copying.db')],
  ];
  for (const [schema, destination] of cases) {
    assert.throws(() => db.backup(db, schema, destination, true), openFile, `${schema} onto ${destination}`);
    // Without unlink the backup starts as before.
    db.backup(db, schema, destination, false).close();
  }
  assert.deepEqual(fs.readdirSync(dir).sort(), listing);
  assert.equal(copying.transfer(-1).remainingPages, 0);
  copying.close();
  execAll(db, ['INSERT INTO other.o VALUES (43)']);
  assert.deepEqual(rows(db, 'other.o'), [42, 43]);
  db.close();
  second.close();
  assert.equal(copiedRows(file('main.db')).length, 100);
  assert.equal(copiedRows(file('copying.db')).length, 10);
  assert.deepEqual(copiedRows(file('other-link.db'), 'o'), [42, 43]);
});

test('with unlink, a backup onto the file of a database on descriptors is refused, until it closes',
  windowsLacks('databases on descriptors'), () => {
    const { openOnFds } = require('./fd_helpers');
    const dir = tempDir();
    const onFdsFile = path.join(dir, 'on-fds.db');
    filledDatabase(onFdsFile, 10).close();
    const opened = openOnFds(onFdsFile);
    const db = filledDatabase(path.join(dir, 'by-path.db'));
    assert.throws(() => db.backup(db, 'main', onFdsFile, true), openFile);
    assert.throws(() => opened.db.backup(opened.db, 'main', path.join(dir, 'by-path.db'), true), openFile);
    assert.equal(copiedRows(onFdsFile).length, 10);
    opened.close();
    const b = db.backup(db, 'main', onFdsFile, true);
    assert.equal(b.transfer(-1).remainingPages, 0);
    b.close();
    assert.equal(copiedRows(onFdsFile).length, 100);
    db.close();
  });

// Windows refuses to rename or unlink a file that SQLite holds open.
test('an open database is known by its file, however it is named now', windowsLacks('renaming of open files'), () => {
  const sourceFile = typeError('The destination is the file of the database being backed up');
  const moves = [
    ['the file renamed', (dir) => {
      fs.renameSync(path.join(dir, 'notes.db'), path.join(dir, 'renamed.db'));
      return path.join(dir, 'renamed.db');
    }],
    ['its folder renamed', (dir) => {
      fs.renameSync(dir, `${dir}-moved`);
      return path.join(`${dir}-moved`, 'notes.db');
    }],
    ['a new link, the old name removed', (dir) => {
      fs.linkSync(path.join(dir, 'notes.db'), path.join(dir, 'link.db'));
      fs.unlinkSync(path.join(dir, 'notes.db'));
      return path.join(dir, 'link.db');
    }],
  ];
  for (const [move, rename] of moves) {
    const dir = tempDir();
    const db = filledDatabase(path.join(dir, 'notes.db'));
    const other = openDatabase(':memory:');
    const name = rename(dir);
    assert.throws(() => other.backup(other, 'main', name, true), openFile, move);
    assert.throws(() => db.backup(db, 'main', name, true), sourceFile, move);
    assert.throws(() => db.backup(db, 'main', name, false), sourceFile, move);
    other.close();
    assert.equal(rows(db).length, 100, move);
    db.close();
    assert.equal(copiedRows(name).length, 100, move);
  }
});

test('an unfinished backup keeps a file renamed over its destination', windowsLacks('renaming of open files'), () => {
  const dir = tempDir();
  const db = filledDatabase(path.join(tempDir(), 'source.db'));
  // Each answer renames another file over the destination and answers what
  // confirms, once the backup has ended, that it is still that file.
  const files = [
    ['the file of an open database', (dest) => {
      const live = filledDatabase(path.join(dir, 'live.db'), 10);
      fs.renameSync(path.join(dir, 'live.db'), dest);
      return () => {
        assert.equal(rows(live).length, 10);
        live.close();
        assert.equal(copiedRows(dest).length, 10);
      };
    }],
    ['a file the backup never wrote', (dest) => {
      fs.writeFileSync(path.join(dir, 'plain'), 'plain');
      fs.renameSync(path.join(dir, 'plain'), dest);
      return () => assert.equal(fs.readFileSync(dest, 'utf8'), 'plain');
    }],
  ];
  for (const [what, renameOver] of files) {
    const dest = path.join(dir, `${what}.db`);
    const b = db.backup(db, 'main', dest, true);
    b.transfer(5);
    const confirm = renameOver(dest);
    b.close();
    assert.ok(fs.existsSync(dest), what);
    confirm();
  }
  db.close();
});

// Windows keeps a temporary database in a named file of its temporary folder
// (Linux unlinks it at once), which the folder in TMP decides.
test('with unlink, a backup onto the file of a temporary database is refused',
  { skip: process.platform !== 'win32' && 'Linux unlinks temporary files at once, so no name reaches them' }, () => {
    const dir = tempDir();
    const saved = { TMP: process.env.TMP, TEMP: process.env.TEMP };
    let db;
    try {
      process.env.TMP = process.env.TEMP = dir;
      db = openDatabase(':memory:');
      execAll(db, ['PRAGMA temp.cache_size = 2', 'CREATE TEMP TABLE tt(x)',
        'INSERT INTO tt WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200) SELECT randomblob(1000) FROM n']);
    } finally {
      Object.assign(process.env, saved);
    }
    const made = fs.readdirSync(dir);
    assert.equal(made.length, 1, `temporary files: ${made}`);
    const other = openDatabase(':memory:');
    for (const source of [db, other]) {
      assert.throws(() => source.backup(source, 'main', path.join(dir, made[0]), true), openFile);
    }
    assert.equal(prepare(db, 'SELECT count(*) FROM tt').pluck().get(), 200);
    other.close();
    db.close();
  });

test('an unfinished backup keeps a destination that a connection of the environment has opened since', () => {
  const dir = tempDir();
  // Each opener opens the destination as a database and answers what confirms,
  // once the backup has ended, that the file is still that database's.
  const openers = {
    'by path': (dest) => {
      const other = openDatabase(dest);
      return () => {
        execAll(other, ['CREATE TABLE w(x)', "INSERT INTO w VALUES ('written')"]);
        other.close();
        assert.deepEqual(copiedRows(dest, 'w'), ['written']);
      };
    },
    'attached to the source': (dest, db) => {
      execAll(db, [`ATTACH '${dest}' AS later`]);
      return () => {
        if (!db.open) return;
        execAll(db, ['CREATE TABLE later.w(x)', "INSERT INTO later.w VALUES ('written')", 'DETACH later']);
        assert.deepEqual(copiedRows(dest, 'w'), ['written']);
      };
    },
    'by another backup': (dest) => {
      const other = filledDatabase(path.join(tempDir(), 'other.db'), 10);
      const b = other.backup(other, 'main', dest, false);
      return () => {
        assert.equal(b.transfer(-1).remainingPages, 0);
        other.close();
        assert.equal(copiedRows(dest).length, 10);
      };
    },
  };
  for (const ending of ['close', 'source closed']) {
    for (const [how, open] of Object.entries(openers)) {
      const db = filledDatabase(path.join(tempDir(), 'source.db'));
      const dest = path.join(dir, `${ending}, ${how}.db`);
      const b = db.backup(db, 'main', dest, true);
      // Opened before the copy writes, which locks the file until it is done.
      const confirm = open(dest, db);
      b.transfer(5);
      if (ending === 'close') b.close();
      else db.close();
      assert.ok(fs.existsSync(dest), `${ending}, opened ${how}`);
      confirm();
      if (db.open) db.close();
    }
  }
});

test('a connection that closed or was collected before the backup ended keeps nothing', async () => {
  const dir = tempDir();
  const db = filledDatabase(path.join(dir, 'source.db'));
  const closedDest = path.join(dir, 'closed.db');
  const closing = db.backup(db, 'main', closedDest, true);
  closing.transfer(5);
  openDatabase(closedDest).close();
  const collectedDest = path.join(dir, 'collected.db');
  const collecting = db.backup(db, 'main', collectedDest, true);
  collecting.transfer(5);
  (() => { openDatabase(collectedDest); })();
  await collectGarbage();
  closing.close();
  collecting.close();
  assert.deepEqual(fs.readdirSync(dir), ['source.db']);
  db.close();
});

test('a destination named in any script is the file made, finished or removed', () => {
  const dir = tempDir();
  const db = filledDatabase();
  const finished = path.join(dir, 'é-копия-完成.db');
  const b = db.backup(db, 'main', finished, true);
  assert.equal(b.transfer(-1).remainingPages, 0);
  b.close();
  const unfinished = path.join(dir, 'é-копия.db');
  const u = db.backup(db, 'main', unfinished, true);
  u.transfer(1);
  assert.ok(fs.existsSync(unfinished));
  u.close();
  assert.throws(() => db.backup(db, 'nosuch', path.join(dir, 'ü-nie.db'), true),
    (e) => e instanceof SqliteError && e.message === 'unknown database nosuch');
  assert.deepEqual(fs.readdirSync(dir), ['é-копия-完成.db']);
  assert.deepEqual(copiedRows(finished), rows(db));
  db.close();
});

test('a backup that cannot start is an SQLite error of the destination, and leaves nothing behind', () => {
  const dir = tempDir();
  const db = filledDatabase(path.join(dir, 'source.db'));
  const fresh = path.join(dir, 'fresh.db');
  const existing = path.join(dir, 'existing.db');
  fs.writeFileSync(existing, 'kept as it was');
  for (const dest of [fresh, existing]) {
    assert.throws(() => db.backup(db, 'nosuch', dest, true),
      (e) => e instanceof SqliteError && e.message === 'unknown database nosuch' && e.code === 'SQLITE_ERROR');
  }
  assert.throws(() => db.backup(db, 'main', dir, false),
    // Windows' file layer names the failure with an extended code.
    (e) => e instanceof SqliteError && e.message === 'unable to open database file' && e.code.startsWith('SQLITE_CANTOPEN'));
  // A NUL would cut the name short: another database or file than the one named.
  assert.throws(() => db.backup(db, 'main\0x', fresh, false),
    typeError('Expected the attached name to contain no NUL characters'));
  assert.throws(() => db.backup(db, 'main', `${fresh}\0x`, false),
    typeError('Expected the destination path to contain no NUL characters'));
  assert.deepEqual(fs.readdirSync(dir).sort(), ['existing.db', 'source.db']);
  assert.equal(fs.readFileSync(existing, 'utf8'), 'kept as it was');
  db.close();
});

test('a failed step is an SQLite error with the generic text of its code', () => {
  const dir = tempDir();
  const db = filledDatabase(path.join(dir, 'source.db'));
  const junk = path.join(dir, 'junk.db');
  fs.writeFileSync(junk, Buffer.alloc(8192, 7));
  const b = db.backup(db, 'main', junk, false);
  for (let i = 0; i < 2; i++) {
    assert.throws(() => b.transfer(1),
      (e) => e instanceof SqliteError && e.message === 'file is not a database' && e.code === 'SQLITE_NOTADB');
  }
  assert.equal(b.close(), b);
  db.close();
});

test('a step held back by a lock is progress, and remainingPages is 0 only once the copy is done', () => {
  const dir = tempDir();
  const db = filledDatabase(path.join(dir, 'source.db'));
  const pages = prepare(db, 'PRAGMA page_count').pluck().get();
  // Each lock holds back the copy into `dest` before its first step, and
  // answers what releases it.
  const locks = [
    ['another connection holds the destination', (dest) => {
      const holder = openDatabase(dest);
      execAll(holder, ['CREATE TABLE q(x)', 'BEGIN EXCLUSIVE', 'INSERT INTO q VALUES (1)']);
      return () => { execAll(holder, ['COMMIT']); holder.close(); };
    }],
    ['the source is in a write transaction', () => {
      execAll(db, ['BEGIN', 'UPDATE t SET x = x WHERE rowid = 1']);
      return () => execAll(db, ['ROLLBACK']);
    }],
  ];
  for (const [lock, hold] of locks) {
    const dest = path.join(dir, `${lock}.db`);
    const b = db.backup(db, 'main', dest, false);
    const release = hold(dest);
    // Nothing is copied yet: every page is still to come.
    for (const n of [1, -1]) {
      assert.deepEqual(b.transfer(n), { totalPages: pages, remainingPages: pages }, `${lock}, transfer(${n})`);
    }
    assert.equal(prepare(db, 'PRAGMA busy_timeout').pluck().get(), 5000, `${lock}: the source's busy timeout stays`);
    release();
    let progress = b.transfer(5);
    assert.equal(progress.totalPages, pages, lock);
    while (progress.remainingPages > 0) progress = b.transfer(5);
    b.close();
    assert.deepEqual(copiedRows(dest), rows(db), lock);
  }
  db.close();
});

// A worker, an environment of its own, holds `file` locked in a transaction
// until release() rolls it back.
async function lockedInWorker(file) {
  const source = `
    const { workerData, parentPort } = require('node:worker_threads');
    const { Database } = require(workerData.modulePath);
    const db = new Database(workerData.file, 'w', false, false, false, 0, null, null, null, null);
    db.exec('BEGIN EXCLUSIVE; DELETE FROM t');
    parentPort.postMessage('locked');
    parentPort.once('message', () => { db.exec('ROLLBACK'); db.close(); parentPort.close(); });
  `;
  const worker = new Worker(source, { eval: true, workerData: { modulePath, file } });
  const exited = new Promise((resolve, reject) => { worker.on('error', reject); worker.on('exit', resolve); });
  await new Promise((resolve) => worker.once('message', resolve));
  return { release() { worker.postMessage('release'); return exited; } };
}

test('with unlink, an unfinished backup removes only a regular file that it made or wrote into', async () => {
  const dir = tempDir();
  const db = filledDatabase(path.join(tempDir(), 'source.db'));
  const junk = Buffer.alloc(8192, 7);
  // Each destination is made before the backup starts; `check` confirms, once
  // the backup has ended and `release` has let go of what held it, that it is
  // as it was.
  const destinations = [
    ['a database that another environment holds locked', async (dest) => {
      filledDatabase(dest, 10).close();
      const lock = await lockedInWorker(dest);
      return { release: () => lock.release(), check: () => assert.equal(copiedRows(dest).length, 10) };
    }],
    ['a file that is not a database', (dest) => {
      fs.writeFileSync(dest, junk);
      return { check: () => assert.ok(fs.readFileSync(dest).equals(junk)) };
    }],
  ];
  if (process.platform !== 'win32' && process.getuid() === 0) {
    // Written into like a file, but no copy of a database stays in it.
    destinations.push(['a device', (dest) => {
      assert.equal(spawnSync('mknod', [dest, 'c', '1', '3']).status, 0);
      return { check: () => assert.ok(fs.statSync(dest).isCharacterDevice()) };
    }]);
  }
  for (const [what, make] of destinations) {
    const dest = path.join(dir, `${what}.db`);
    const { release = async () => {}, check } = await make(dest);
    try {
      const b = db.backup(db, 'main', dest, true);
      caught(() => b.transfer(5));
      b.close();
      assert.ok(fs.existsSync(dest), `${what} is kept`);
    } finally {
      await release();
    }
    check();
  }
  // What it made, and a file it wrote a part of a copy into, it removes.
  for (const existed of [false, true]) {
    const dest = path.join(dir, `existed ${existed}.db`);
    if (existed) fs.writeFileSync(dest, '');
    const b = db.backup(db, 'main', dest, true);
    b.transfer(5);
    b.close();
    assert.equal(fs.existsSync(dest), false, `existed before: ${existed}`);
  }
  db.close();
});

test('a backup never writes into or removes the journal, WAL or shared-memory file of an open database', () => {
  const dir = tempDir();
  const file = (name) => path.join(dir, name);
  const wal = filledDatabase(file('wal.db'), 10);
  execAll(wal, ['PRAGMA journal_mode = WAL', 'INSERT INTO t VALUES (1)']);
  const rollback = filledDatabase(file('rollback.db'), 10);
  execAll(rollback, ['BEGIN', 'DELETE FROM t']);
  const idle = filledDatabase(file('idle.db'), 10);
  const source = filledDatabase(path.join(tempDir(), 'source.db'));
  const before = new Map(fs.readdirSync(dir).map((name) => [name, fs.readFileSync(file(name))]));
  assert.deepEqual([...before.keys()].sort(),
    ['idle.db', 'rollback.db', 'rollback.db-journal', 'wal.db', 'wal.db-shm', 'wal.db-wal']);
  // The journal of the idle database is not there yet: a copy made under its
  // name would be taken for a journal the moment the database writes.
  for (const name of ['wal.db-wal', 'wal.db-shm', 'rollback.db-journal', 'idle.db-journal']) {
    for (const unlink of [true, false]) {
      assert.throws(() => source.backup(source, 'main', file(name), unlink), openFile, `${name}, unlink ${unlink}`);
    }
  }
  assert.deepEqual([...before.keys()].sort(), fs.readdirSync(dir).sort());
  for (const [name, bytes] of before) {
    if (name !== 'wal.db-shm') assert.ok(fs.readFileSync(file(name)).equals(bytes), `${name} unchanged`);
  }
  execAll(rollback, ['ROLLBACK']);
  assert.deepEqual([rows(wal).length, rows(rollback).length, rows(idle).length], [11, 10, 10]);

  // A copy begun under the journal name of a database opened only afterwards
  // stays: by then it is where that database looks for its journal.
  const early = source.backup(source, 'main', file('late.db-journal'), true);
  early.transfer(5);
  const late = openDatabase(file('late.db'));
  early.close();
  assert.ok(fs.existsSync(file('late.db-journal')));
  for (const db of [wal, rollback, idle, late, source]) db.close();
});

test('whatever the error constructor throws, undefined included, reaches the caller of backup and transfer', () => {
  const dir = tempDir();
  const db = filledDatabase(path.join(dir, 'source.db'));
  const junk = path.join(dir, 'junk.db');
  fs.writeFileSync(junk, Buffer.alloc(8192, 7));
  const failingStep = db.backup(db, 'main', junk, false);
  const failures = [
    ['a destination that cannot be opened', () => db.backup(db, 'main', dir, false)],
    ['a backup that cannot start', () => db.backup(db, 'nosuch', path.join(dir, 'fresh.db'), true)],
    ['a failed step', () => failingStep.transfer(1)],
  ];
  const thrown = [undefined, null, Symbol('thrown'), new Proxy({}, { get() { throw new Error('probed'); } })];
  for (const [failure, action] of failures) {
    for (const value of thrown) {
      initialize({ errorConstructor: function () { throw value; } });
      let result;
      try { result = caught(action); } finally { initialize(); }
      assert.ok(result !== null && Object.is(result.value, value), `${failure}: ${String(typeof value)}`);
    }
  }
  failingStep.close();
  assert.deepEqual(fs.readdirSync(dir).sort(), ['junk.db', 'source.db']);
  assert.equal(prepare(db, 'SELECT count(*) FROM t').pluck().get(), 100, 'the source is still usable');
  db.close();
});

test('a backup keeps its source alive whatever object it was given as the database', async () => {
  const dir = tempDir();
  // Nothing but the Backup refers to the source Database once this returns.
  const start = (name) => {
    const db = filledDatabase(path.join(dir, `${name}-source.db`));
    const b = db.backup({}, 'main', path.join(dir, `${name}-copy.db`), true);
    b.transfer(3);
    return b;
  };
  let b = start('kept');
  await collectGarbage();
  assert.equal(b.transfer(-1).remainingPages, 0, 'the source is still there and open');
  b.close();
  assert.equal(copiedRows(path.join(dir, 'kept-copy.db')).length, 100);

  // Once the Backup goes, so does its source, and its file is released.
  b = start('dropped');
  b = null;
  await collectGarbage();
  assert.deepEqual(filesHeldOpenIn(dir), []);
  assert.equal(fs.existsSync(path.join(dir, 'dropped-copy.db')), false,
    'collecting an unfinished backup removes its destination');
});

test('a collected Backup leaves its source, which closes normally afterwards', async () => {
  const dir = tempDir();
  const db = filledDatabase(path.join(dir, 'source.db'));
  const finished = path.join(dir, 'finished.db');
  (() => {
    db.backup(db, 'main', path.join(dir, 'unfinished.db'), true).transfer(1);
    db.backup(db, 'main', finished, true).transfer(-1);
  })();
  await collectGarbage();
  assert.deepEqual(fs.readdirSync(dir).sort(), ['finished.db', 'source.db']);
  db.close();
  assert.equal(copiedRows(finished).length, 100);
});

// A worker that leaves a backup behind: its environment's teardown ends it.
function runBackupWorker(workerData) {
  const source = `
    const { workerData, parentPort } = require('node:worker_threads');
    const { Database, initialize } = require(workerData.modulePath);
    const open = (file) => new Database(file, 's', false, false, false, 0, null, null, null, null);
    // Another connection, made before or after the source, opens the
    // destination once the backup has started.
    const before = workerData.openDest === 'before' ? open(':memory:') : null;
    const db = open(workerData.source);
    globalThis.kept = db.backup(db, 'main', workerData.dest, workerData.unlink);
    if (before) before.exec("ATTACH '" + workerData.dest + "' AS d");
    globalThis.others = [before, workerData.openDest === 'after' ? open(workerData.dest) : null];
    globalThis.kept.transfer(workerData.pages);
    parentPort.postMessage('ready');
    if (workerData.ending === 'exit') process.exit(0);
    if (workerData.ending === 'wait') setInterval(() => {}, 1000);
  `;
  return new Promise((resolve, reject) => {
    const worker = new Worker(source, { eval: true, workerData: { modulePath, ...workerData } });
    worker.on('error', reject);
    worker.once('message', () => { if (workerData.ending === 'wait') worker.terminate(); });
    worker.on('exit', resolve);
  });
}

test('a worker that goes away with a backup ends it; an unfinished one loses its destination if asked to', async () => {
  const dir = tempDir();
  const sourceFile = path.join(dir, 'source.db');
  filledDatabase(sourceFile).close();
  const cases = [
    // ending, unlink, pages, destination kept
    ['end', true, 1, false], ['exit', true, 1, false], ['wait', true, 1, false],
    ['exit', false, 1, true], ['exit', true, -1, true], ['wait', true, -1, true],
    // A destination another connection of the worker has open stays.
    ['exit', true, 1, true, 'before'], ['exit', true, 1, true, 'after'], ['wait', true, 1, true, 'before'],
    ['wait', true, 1, true, 'after'],
  ];
  for (const [ending, unlink, pages, kept, openDest = null] of cases) {
    const dest = path.join(dir, `${ending}-${unlink}-${pages}-${openDest}.db`);
    await runBackupWorker({ source: sourceFile, dest, unlink, pages, ending, openDest });
    const label = `${ending}, unlink ${unlink}, ${pages} pages, destination opened ${openDest}`;
    assert.equal(fs.existsSync(dest), kept, label);
    assert.deepEqual(filesHeldOpenIn(dir), [], `${label}: nothing held open`);
    if (kept && pages === -1) assert.equal(copiedRows(dest).length, 100, label);
    if (openDest !== null) {
      const reopened = openDatabase(dest, { mustExist: true });
      assert.equal(prepare(reopened, 'PRAGMA integrity_check').pluck().get(), 'ok', label);
      reopened.close();
    }
  }
});

test('workers terminated in the middle of backups unwind quietly and release everything', async () => {
  const dir = tempDir();
  const sourceFile = path.join(dir, 'source.db');
  filledDatabase(sourceFile, 400).close();
  const source = `
    const { workerData, parentPort } = require('node:worker_threads');
    const { Database, initialize } = require(workerData.modulePath);
    class SqliteError extends Error { constructor(message, code) { super(message); this.code = code; } }
    const f = (...values) => values;
    initialize(SqliteError, f, f, f, f);
    const db = new Database(workerData.source, 's', false, false, false, 0, null, null, null, null);
    parentPort.postMessage('ready');
    for (let round = 0; ; round++) {
      const b = db.backup(db, 'main', workerData.dir + '/copy-' + (round % 4) + '.db', true);
      while (b.transfer(7).remainingPages > 0) {}
      b.close();
      try { db.backup(db, 'nosuch', workerData.dir + '/never.db', true); } catch (e) {}
    }
  `;
  for (const delay of [0, 3, 7, 12, 20, 33, 5, 9, 16, 27]) {
    const code = await new Promise((resolve, reject) => {
      const worker = new Worker(source, { eval: true, workerData: { modulePath, source: sourceFile, dir } });
      worker.on('error', reject);
      worker.once('message', () => setTimeout(() => worker.terminate(), delay));
      worker.on('exit', resolve);
    });
    assert.equal(code, 1, 'a terminated worker exits with 1');
    assert.deepEqual(filesHeldOpenIn(dir), [], `after a termination at ${delay} ms`);
    assert.equal(fs.existsSync(path.join(dir, 'never.db')), false);
  }
});
