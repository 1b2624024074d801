#!/usr/bin/env bash
# Builds mivo-see and runs it once on the example screenshot in the repository,
# as the host runs it: the request on standard input, the answer printed from
# standard output.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/setup.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target mivo-see

request='{"file":"see/examples/screenshot.png","source":"Mac","taken":"2025-03-01 09:12","today":"2025-03-01"}'
echo "request: $request"
printf 'answer:  '
printf '%s' "$request" | build/bin/mivo-see
# The answer ends without a line feed; this one is for the terminal.
echo
