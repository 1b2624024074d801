#!/usr/bin/env bash
# What mivo-see costs on the largest pictures it reads: for screens of
# 1512 x 982 and 2560 x 1440 (from see/bench/pictures), a long scrolling
# capture, pictures at the 2^28-pixel limit in each common format, and a small
# GIF with a long comment before its picture, prints the wall and CPU time and the peak
# memory (resident set) of one run each, and its status.
# Not a test: the times depend on the machine, and the pictures take a few
# minutes and about 2 GB of disk to make (kept in build/memory-bench, made
# once). Names of pictures, if given, limit the run to them.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/setup.sh normal
missing=()
[ -x /usr/bin/time ] || missing+=(time)
command -v python3 >/dev/null || missing+=(python3)
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIVO_WERROR=ON -DMIVO_SANITIZE=OFF >/dev/null
cmake --build build -j4 --target mivo-see >/dev/null
pictures=build/memory-bench
mkdir -p "$pictures"
if [ ! -f "$pictures/done" ]; then
  echo "memory-bench: making the pictures in $pictures" >&2
  cc -O2 -o "$pictures/make-large-pictures" see/bench/make-large-pictures.c $(pkg-config --cflags --libs lept)
  "$pictures/make-large-pictures" "$pictures"
  python3 - "$pictures" <<'PY'
import struct, sys, zlib
folder = sys.argv[1]

def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

# A 16-bit RGB PNG at the limit: soft bands of colour.
size = 16384
compressor = zlib.compressobj(1)
parts = []
for y in range(size):
    band = (y // 512) % 8
    pixel = struct.pack(">HHH", 40000 + band * 3000, 50000 - band * 2000, 60000)
    parts.append(compressor.compress(b"\0" + pixel * size))
parts.append(compressor.flush())
with open(folder + "/limit-16bit.png", "wb") as out:
    out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 16, 2, 0, 0, 0)))
    out.write(chunk(b"IDAT", b"".join(parts)) + chunk(b"IEND", b""))

# The small GIF with a comment of 80 MB in one-byte sub-blocks before its
# picture.
gif = open(folder + "/comment-base.gif", "rb").read()
flags = gif[10]
start = 13 + (3 << ((flags & 7) + 1) if flags & 0x80 else 0)
comment = b"\x21\xfe" + b"\x01c" * 40_000_000 + b"\x00"
open(folder + "/long-comment.gif", "wb").write(gif[:start] + comment + gif[start:])
PY
  touch "$pictures/done"
fi
# Made on its own, so that a folder of pictures made without it gets it.
if [ ! -f "$pictures/limit.ppm" ]; then
  cc -O2 -o "$pictures/make-large-pictures" see/bench/make-large-pictures.c $(pkg-config --cflags --libs lept)
  "$pictures/make-large-pictures" "$pictures" limit-ppm
fi
runs=(
  "screen-1512x982:see/bench/pictures/page-chat.png"
  "screen-2560x1440:see/bench/pictures/x-desktop-2560-openbox.png"
  "long-capture-1512x11784:$pictures/long-capture.png"
  "limit-colour-png:$pictures/limit.png"
  "limit-16bit-png:$pictures/limit-16bit.png"
  "limit-jpeg:$pictures/limit.jpg"
  "limit-tiff:$pictures/limit.tif"
  "limit-webp-16383:$pictures/limit.webp"
  "limit-ppm:$pictures/limit.ppm"
  "limit-grey-png:$pictures/limit-grey.png"
  "limit-white-png:$pictures/limit-white.png"
  "gif-80MB-comment:$pictures/long-comment.gif"
)
printf '%-26s %8s %8s %9s  %s\n' picture wall_s cpu_s peak_MB answer
for run in "${runs[@]}"; do
  name=${run%%:*}
  file=${run#*:}
  if [ $# -gt 0 ] && [[ ! " $* " == *" $name "* ]]; then continue; fi
  request=$(printf '{"file":"%s","source":"bench","taken":"now","today":"today","sort":false}' "$file")
  stats=$(mktemp)
  set +e
  answer=$(/usr/bin/time -o "$stats" -f '%e %U %S %M' build/bin/mivo-see <<<"$request" 2>/dev/null)
  status=$?
  set -e
  read -r wall user system peak <"$stats"
  rm -f "$stats"
  lines=$(python3 -c 'import json,sys; a=json.loads(sys.argv[1]); print(len(a["text"].splitlines()), "lines,", a["model"])' "$answer" 2>/dev/null || echo "none")
  printf '%-26s %8.1f %8.1f %9d  status %d, %s\n' "$name" "$wall" "$(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }')" $((peak / 1024)) "$status" "$lines"
done
