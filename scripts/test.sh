#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test in three
# configurations: the normal one (build/), with the address and
# undefined-behaviour sanitizers (build-sanitize/), and the module cross-built
# for Windows with its smoke suite under Wine (build-windows/). Give "normal",
# "sanitize" or "windows" to run only those.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

configs=("$@")
[ ${#configs[@]} -gt 0 ] || configs=(normal sanitize windows)
for config in "${configs[@]}"; do
  case "$config" in
    normal | sanitize | windows) ;;
    *) echo "test: unknown configuration '$config' (normal, sanitize or windows)" >&2; exit 2 ;;
  esac
done
scripts/setup.sh "${configs[@]}"

jobs=$(nproc)
for config in "${configs[@]}"; do
  case "$config" in
    normal)   dir=build;          flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIVO_SANITIZE=OFF) ;;
    sanitize) dir=build-sanitize; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIVO_SANITIZE=ON) ;;
    windows)  dir=build-windows;  flags=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake) ;;
  esac
  echo "== $config"
  cmake -S . -B "$dir" -G Ninja -DMIVO_WERROR=ON "${flags[@]}" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 600
done
