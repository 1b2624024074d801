'use strict';
// The host side that the module expects: the five host functions handed to
// initialize(), and a way to construct a Database with its ten arguments.
const path = require('node:path');
const fs = require('node:fs');
const os = require('node:os');
const v8 = require('node:v8');
const vm = require('node:vm');

const modulePath = process.env.MIVO_SQLITE_MODULE;
if (!modulePath) throw new Error('MIVO_SQLITE_MODULE must name the built mivo_sqlite.node');

const addon = require(modulePath);

class SqliteError extends Error {
  constructor(message, code) {
    super(message);
    this.name = 'SqliteError';
    this.code = code;
  }
}

const hostFunctions = {
  errorConstructor: SqliteError,
  makeArray: (...values) => values,
  appendToArray: (array, ...rows) => { array.push(...rows); },
  makeRowFactory: (...names) => (...values) => {
    const row = {};
    names.forEach((name, i) => { row[name] = values[i]; });
    return row;
  },
  makeIteratorRecord: (value) => ({ value, done: false }),
};

function initialize(functions = {}) {
  const f = { ...hostFunctions, ...functions };
  addon.initialize(f.errorConstructor, f.makeArray, f.appendToArray, f.makeRowFactory,
                   f.makeIteratorRecord);
}

initialize();

// The ten constructor arguments, from named options with the host's defaults.
function databaseArguments(file, options = {}) {
  const o = {
    name: file, memory: file === ':memory:', readonly: false, mustExist: false, timeout: 5000,
    logger: null, buffer: null, fd: null, journalFd: null, ...options,
  };
  return [file, o.name, o.memory, o.readonly, o.mustExist, o.timeout, o.logger, o.buffer, o.fd,
          o.journalFd];
}

function openDatabase(file, options) {
  return new addon.Database(...databaseArguments(file, options));
}

// prepare() with the host's usual arguments: the database object itself, not a
// reader, not bound for good.
function prepare(db, sql, { reader = false, prebound = false } = {}) {
  return db.prepare(sql, db, reader, prebound);
}

// Runs each statement of a list, one prepare() each.
function execAll(db, statements) {
  for (const sql of statements) prepare(db, sql).run();
}

function tempDir() {
  return fs.mkdtempSync(path.join(os.tmpdir(), 'mivo-sqlite-'));
}

// Marks a test that needs something Linux has and Windows has not (the
// descriptor file layer, /proc/self/fd, POSIX signals): it is skipped there.
function windowsLacks(what) {
  return { skip: process.platform === 'win32' && `Windows has no ${what}` };
}

// Paths of this process's open descriptors, to see what a close really released.
// Under Wine /proc/self/fd would list Wine's own descriptors, and the check would
// pass without looking: a test that needs it must be marked windowsLacks.
function openFiles() {
  if (process.platform === 'win32') throw new Error('openFiles() reads /proc/self/fd, which Windows has not');
  return fs.readdirSync('/proc/self/fd').map((fd) => {
    try { return fs.readlinkSync(path.join('/proc/self/fd', fd)); } catch { return null; }
  }).filter(Boolean);
}

// The files in `dir` that this process holds open. Linux lists its descriptors;
// Windows has no such list, but there a file that SQLite holds open cannot be
// renamed, which tells the same.
function filesHeldOpenIn(dir) {
  if (process.platform !== 'win32') return openFiles().filter((f) => f.startsWith(dir));
  return fs.readdirSync(dir).map((name) => path.join(dir, name)).filter((file) => {
    try {
      fs.renameSync(file, `${file}.renamed`);
    } catch (e) {
      if (e.code === 'EBUSY' || e.code === 'EPERM') return true;
      throw e;
    }
    fs.renameSync(`${file}.renamed`, file);
    return false;
  });
}

v8.setFlagsFromString('--expose-gc');
const gc = vm.runInNewContext('gc');

// Finalizers of native objects run after the collection, from the event loop.
async function collectGarbage() {
  for (let i = 0; i < 3; i++) {
    gc();
    await new Promise(setImmediate);
  }
}

module.exports = {
  addon, SqliteError, hostFunctions, initialize, databaseArguments, openDatabase, prepare, execAll, tempDir,
  windowsLacks, openFiles, filesHeldOpenIn, collectGarbage, modulePath,
};
