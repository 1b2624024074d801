'use strict';
// What only the Windows build does: its exports, its refusal of descriptors, and
// loading in a host executable that is not called node.exe.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const { addon, openDatabase, tempDir, modulePath } = require('../harness');

test('the exports are the four classes and initialize', () => {
  assert.deepEqual(Object.keys(addon), ['Database', 'Statement', 'StatementIterator', 'Backup', 'initialize']);
});

test('descriptors pass the two descriptor checks, then are refused; nothing is opened', () => {
  const dir = tempDir();
  const existing = path.join(dir, 'existing.db');
  openDatabase(existing).close();
  const image = fs.readFileSync(existing);
  const missing = path.join(dir, 'missing.db');

  const refused = { name: 'TypeError', message: 'Opening a database from a file descriptor is not supported on Windows' };
  const checks = { name: 'TypeError', message: 'Expected file descriptors to be non-negative 32-bit integers' };
  const cases = [
    // Any valid pair is refused: there is no descriptor file layer to ask.
    [{ fd: 3, journalFd: 4 }, refused],
    [{ fd: 0, journalFd: 0 }, refused],
    [{ fd: 2147483647, journalFd: 2147483647 }, refused],
    [{ fd: 3, journalFd: 4, readonly: true }, refused],
    [{ fd: 3, journalFd: 4, mustExist: true }, refused],
    [{ fd: 3, journalFd: 4, buffer: image }, refused],
    // The two checks come first, with their own message.
    [{ fd: -1, journalFd: 4 }, checks],
    [{ fd: 3, journalFd: -1 }, checks],
    [{ fd: 1.5, journalFd: 4 }, checks],
    [{ fd: -0, journalFd: 4 }, checks],
    [{ fd: 2147483648, journalFd: 4 }, checks],
    [{ fd: 3, journalFd: '4' }, checks],
    [{ fd: 3, journalFd: null }, checks],
  ];
  for (const [options, error] of cases) {
    for (const file of [missing, existing]) {
      assert.throws(() => openDatabase(file, options), error, JSON.stringify(options));
    }
  }
  assert.deepEqual(fs.readdirSync(dir), ['existing.db'], 'no file was made');
  assert.deepEqual(fs.readFileSync(existing), image, 'the existing file is unchanged');
});

// The module binds Node-API at its first call through the load hook, which
// answers "node.exe" with the process's own executable; without the hook the
// loader would look for a file called node.exe, and the host would crash.
test('the module works in a host executable that is not called node.exe', (t) => {
  const dir = tempDir();
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  const host = path.join(dir, 'renamed-host.exe');
  fs.copyFileSync(process.execPath, host);
  const harness = require.resolve('../harness');
  const result = spawnSync(host, ['-e', `
    const { openDatabase, prepare } = require(${JSON.stringify(harness)});
    const db = openDatabase(':memory:');
    prepare(db, 'CREATE TABLE t (v)').run();
    prepare(db, 'INSERT INTO t VALUES (?), (?)').run(6, 7);
    console.log(JSON.stringify(prepare(db, 'SELECT v FROM t').all()));
  `], { env: process.env, encoding: 'utf8' });
  assert.equal(result.status, 0, `status ${result.status}, signal ${result.signal}: ${result.stderr}`);
  assert.deepEqual(JSON.parse(result.stdout), [{ v: 6 }, { v: 7 }]);
});

// Loading runs the module's static initialisers inside DllMain, under the
// loader lock; the type tags are drawn at the first registration instead.
test('loading the module draws no random numbers', () => {
  const result = spawnSync(process.env.MIVO_LOAD_COUNTER, [modulePath], { encoding: 'utf8' });
  assert.equal(result.status, 0, `status ${result.status}: ${result.stdout}${result.stderr}`);
  assert.equal(result.stdout.trim(), 'random draws while loading the module: 0');
});
