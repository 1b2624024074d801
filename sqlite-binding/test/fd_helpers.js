'use strict';
// What the file-descriptor tests share: descriptors opened the way a host would,
// the module's own descriptors of a file, child processes that use SQLite's
// ordinary file layer, and the lock probe.
const fs = require('node:fs');
const path = require('node:path');
const { spawn, spawnSync } = require('node:child_process');
const { openDatabase, prepare, execAll } = require('./harness');

const harnessPath = path.join(__dirname, 'harness.js');
const O_CLOEXEC = 0o2000000;

// The database file and its journal, opened read-write (created when missing) or read-only.
function hostFds(file, { readonly = false } = {}) {
  const { O_RDONLY, O_RDWR, O_CREAT } = fs.constants;
  const flags = readonly ? O_RDONLY : O_RDWR | O_CREAT;
  return { fd: fs.openSync(file, flags), journalFd: fs.openSync(`${file}-journal`, flags) };
}

// A Database on fresh host descriptors of the file; close() closes both.
function openOnFds(file, options = {}) {
  const fds = hostFds(file, options);
  const db = openDatabase(file, { ...options, ...fds });
  return {
    db, ...fds,
    close() { db.close(); fs.closeSync(fds.fd); fs.closeSync(fds.journalFd); },
  };
}

function fdInfo(fd) {
  const text = fs.readFileSync(`/proc/self/fdinfo/${fd}`, 'utf8');
  return { pos: Number(/^pos:\s+(\d+)/m.exec(text)[1]), flags: parseInt(/^flags:\s+([0-7]+)/m.exec(text)[1], 8) };
}

// This process's descriptors of the given files, apart from the ones listed.
function descriptorsOf(files, except = []) {
  return fs.readdirSync('/proc/self/fd').map(Number).filter((fd) => {
    if (except.includes(fd)) return false;
    try { return files.includes(fs.readlinkSync(`/proc/self/fd/${fd}`)); } catch { return false; }
  });
}

function rows(db, sql) { return prepare(db, sql).all(); }
function value(db, sql) { return prepare(db, sql).pluck().get(); }

// Codes of a statement list run in order, 'ok' for those that succeeded.
function outcomes(db, statements) {
  return statements.map((sql) => {
    try { prepare(db, sql).run(); return 'ok'; } catch (e) { return e.code; }
  });
}

// A child process opens the file by path, through SQLite's ordinary file layer
// with no busy timeout, and runs the statements: the rows of each query, the
// code of each failure, 'ok' otherwise.
const CHILD = `
  const { openDatabase, prepare } = require(process.argv[1]);
  const db = openDatabase(process.argv[2], { timeout: 0 });
  const results = JSON.parse(process.argv[3]).map((sql) => {
    try {
      const statement = prepare(db, sql);
      return statement.reader ? statement.all() : (statement.run(), 'ok');
    } catch (e) { return e.code; }
  });
  process.stdout.write(JSON.stringify(results));
`;

function inChild(file, statements) {
  const child = spawnSync(process.execPath, ['-e', CHILD, harnessPath, file, JSON.stringify(statements)],
    { encoding: 'utf8' });
  if (child.status !== 0) throw new Error(`child failed: ${child.stderr}`);
  return JSON.parse(child.stdout);
}

// A child process that runs a script with the harness loaded as `h` and stays
// alive until killed or told to go on; resolves once it printed "ready".
function startChild(script, args = []) {
  const source = `const h = require(${JSON.stringify(harnessPath)}); const args = ${JSON.stringify(args)};\n${script}`;
  const child = spawn(process.execPath, ['-e', source], { stdio: ['pipe', 'pipe', 'inherit'] });
  const exited = new Promise((resolve) => child.once('exit', (code, signal) => resolve({ code, signal })));
  const ready = new Promise((resolve, reject) => {
    let out = '';
    child.stdout.on('data', (chunk) => { out += chunk; if (out.includes('ready')) resolve(); });
    exited.then(({ code, signal }) => reject(new Error(`child ended (${code ?? signal}) before it was ready`)));
  });
  return { child, ready, exited };
}

// The record locks that other processes see on the file's lock bytes.
function probeLocks(file) {
  const probe = spawnSync(process.env.MIVO_LOCK_PROBE, [file], { encoding: 'utf8' });
  if (probe.status !== 0) throw new Error(`lock probe failed: ${probe.stderr}`);
  return JSON.parse(probe.stdout);
}

// Lock bytes as the table of lock levels has them, for one process holding that level.
const LOCKS = {
  NONE: { pending: 'none', reserved: 'none', shared: 'none' },
  SHARED: { pending: 'none', reserved: 'none', shared: 'read' },
  RESERVED: { pending: 'none', reserved: 'write', shared: 'read' },
  PENDING: { pending: 'write', reserved: 'write', shared: 'read' },
  EXCLUSIVE: { pending: 'write', reserved: 'write', shared: 'write' },
};

// A database with one table of `count` rows, made by path and closed again.
function makeDatabase(file, count = 3) {
  const db = openDatabase(file);
  execAll(db, ['CREATE TABLE t(id INTEGER PRIMARY KEY, v)', 'BEGIN']);
  const insert = prepare(db, "INSERT INTO t(v) VALUES ('old ' || ?)");
  for (let i = 0; i < count; i++) insert.run(String(i));
  execAll(db, ['COMMIT']);
  db.close();
  return file;
}

module.exports = {
  makeDatabase,
  harnessPath, O_CLOEXEC, hostFds, openOnFds, fdInfo, descriptorsOf, rows, value, outcomes, inChild,
  startChild, probeLocks, LOCKS,
};
