#!/usr/bin/env bash
# Runs one test file with Node for Windows under Wine. MIVO_SQLITE_MODULE,
# MIVO_TINY_EXTENSION and MIVO_LOAD_COUNTER come as Unix paths and are handed
# on as Windows paths.
# Usage: run-under-wine.sh PREFIX NODE_EXE TEST_FILE
set -euo pipefail
export WINEPREFIX=$1 WINEDEBUG=-all
unset DISPLAY
node=$2
test_file=$3

# Wine shows the Unix root as drive Z:.
windows_path() { local p; p=$(realpath "$1"); printf 'Z:%s' "${p//\//\\}"; }
MIVO_SQLITE_MODULE=$(windows_path "${MIVO_SQLITE_MODULE:?names the Windows module}")
MIVO_TINY_EXTENSION=$(windows_path "${MIVO_TINY_EXTENSION:?names the test extension DLL}")
MIVO_LOAD_COUNTER=$(windows_path "${MIVO_LOAD_COUNTER:?names the program that loads the module and counts its draws}")
export MIVO_SQLITE_MODULE MIVO_TINY_EXTENSION MIVO_LOAD_COUNTER

echo "== under Wine (Node for Windows): $(basename "$test_file")"
# Node under Wine cannot write to a pipe (console.log fails with "open EBADF"),
# so its streams go to files that are printed afterwards.
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
status=0
wine "$node" --test --test-reporter=spec "$(windows_path "$test_file")" >"$out/stdout" 2>"$out/stderr" </dev/null \
  || status=$?
cat "$out/stdout"
cat "$out/stderr" >&2
exit "$status"
