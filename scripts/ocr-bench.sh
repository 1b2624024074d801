#!/usr/bin/env bash
# Reads the benchmark's screenshots (see/bench/pictures: real X screens and
# drawn pages, each with its true text) with mivo-see and with plain tesseract
# in its default, --psm 6 and --psm 11 modes, and prints per picture and on
# average the character error rate, the true lines found whole, their reading
# order, the lines that resemble no true text, and wall and CPU time.
# Not a test: the times depend on the machine. Names of pictures, if given,
# limit the run to them; --keep FOLDER keeps every text read.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/setup.sh normal
missing=()
command -v tesseract >/dev/null || missing+=(tesseract-ocr)
command -v python3 >/dev/null || missing+=(python3)
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIVO_WERROR=ON -DMIVO_SANITIZE=OFF >/dev/null
cmake --build build -j4 --target mivo-see >/dev/null
python3 see/bench/measure.py build/bin/mivo-see see/bench/pictures "$@"
