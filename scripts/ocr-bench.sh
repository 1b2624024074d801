#!/usr/bin/env bash
# Reads the benchmark's screenshots (see/bench/pictures: screens of real
# programs captured under Xvfb and drawn pages, each with its true text) with
# mivo-see and with plain tesseract in its default, --psm 6 and --psm 11 modes,
# each on one core, and prints per picture and on average the character error
# rate, the true lines found whole, their reading order, the lines that
# resemble no true text, wall and CPU time and memory, then its targets; then
# reads hostile pictures (noise, rings, line patterns, photographs, blank
# pictures up to 2^28 pixels) and prints their cost against its limits.
# Not a test: the times depend on the machine. "screens" or "hostile" first
# runs only that part; names of pictures, if given, limit the run to them;
# --keep FOLDER keeps every text read, --jobs N reads N screens at once.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/setup.sh normal
missing=()
command -v tesseract >/dev/null || missing+=(tesseract-ocr)
[ -x /usr/bin/python3 ] || missing+=(python3)
# The hostile pictures are made with numpy and PIL.
/usr/bin/python3 -c "import numpy, PIL" 2>/dev/null || missing+=(python3-numpy python3-pil)
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIVO_WERROR=ON -DMIVO_SANITIZE=OFF >/dev/null
cmake --build build -j4 --target mivo-see >/dev/null
part=all
case "${1:-}" in screens | hostile) part=$1; shift ;; esac
if [ "$part" != hostile ]; then
  /usr/bin/python3 see/bench/measure.py build/bin/mivo-see see/bench/pictures "$@"
fi
if [ "$part" != screens ]; then
  echo
  /usr/bin/python3 see/bench/hostile.py build/bin/mivo-see
fi
