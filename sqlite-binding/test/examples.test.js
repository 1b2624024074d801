'use strict';
// The example host of docs/mivo_sqlite.md, run as a host runs: in a process of
// its own, on the module that MIVO_SQLITE_MODULE names. What it prints must be
// what the doc shows, and the script the doc shows must be the one that ran.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const { modulePath } = require('./harness');

const top = path.join(__dirname, '..', '..');
const doc = fs.readFileSync(path.join(top, 'docs', 'mivo_sqlite.md'), 'utf8');

test('each example host prints what the doc shows', () => {
  const rows = [
    {
      script: 'host.js',
      output: `run: { changes: 1, lastInsertRowid: 1 }
get: { id: 1, title: 'Pay the water bill', due: '2025-03-07' }
all: [ { id: 1, title: 'Pay the water bill' }, { id: 2, title: 'Call Marvek' } ]
pluck: [ 'Pay the water bill', 'Call Marvek' ]
raw: [ [ 1, '2025-03-07' ], [ 2, null ] ]
expand: { notes: { title: 'Pay the water bill' }, tags: { tag: 'bills' }, '$': { two: 2 } }
safeIntegers: 2n
iterate: { id: 1 }
iterate: { id: 2 }
columns: [ { name: 'title', column: 'title', table: 'notes', database: 'main', type: 'TEXT' }, { name: 'size', column: null, table: null, database: null, type: null } ]
function: 'PAY THE WATER BILL'
aggregate: 29
table: [ 1, 2, 3 ]
logger: SELECT typeof(1.0), typeof(1), typeof(NULL)
types: [ 'real', 'integer', 'null' ]
inTransaction: true
backup: { totalPages: 4, remainingPages: 0 }
serialize: [ 16384, 2 ]
unique: [ 'SqliteError', 'SQLITE_CONSTRAINT_UNIQUE', 'UNIQUE constraint failed: notes.title' ]
readonly: [ 'SqliteError', 'SQLITE_READONLY', 'attempt to write a readonly database' ]
two statements: [ 'RangeError', undefined, 'The supplied SQL string contains more than one statement' ]
no parameters: [ 'TypeError', undefined, 'Missing named parameters' ]
open: false
closed: [ 'TypeError', undefined, 'The database connection is not open' ]
`,
    },
  ];
  for (const { script, output } of rows) {
    const file = path.join(top, 'sqlite-binding', 'examples', script);
    const run = spawnSync(process.execPath, [file], {
      env: { ...process.env, MIVO_SQLITE_MODULE: modulePath }, encoding: 'utf8',
    });
    assert.equal(run.stderr, '', script);
    assert.equal(run.status, 0, script);
    assert.equal(run.stdout, output, script);
    assert.ok(doc.includes(fs.readFileSync(file, 'utf8')), `the doc shows ${script} as it is`);
    assert.ok(doc.includes(output), `the doc shows what ${script} prints`);
  }
});
