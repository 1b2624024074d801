#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: in the normal
# configuration (build/) and with the address and undefined-behaviour sanitizers
# (build-sanitize/). Give "normal" or "sanitize" to run only one of them.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/setup.sh

configs=("$@")
[ ${#configs[@]} -gt 0 ] || configs=(normal sanitize)
jobs=$(nproc)
for config in "${configs[@]}"; do
  case "$config" in
    normal)   dir=build;          flags=(-DMIVO_SANITIZE=OFF) ;;
    sanitize) dir=build-sanitize; flags=(-DMIVO_SANITIZE=ON) ;;
    *) echo "test: unknown configuration '$config' (normal or sanitize)" >&2; exit 2 ;;
  esac
  echo "== $config"
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIVO_WERROR=ON "${flags[@]}" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 600
done
