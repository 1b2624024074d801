#!/usr/bin/env bash
# Times mivo-hands' "type" into xterm (cat on a raw terminal) on an Xvfb
# server of its own: 1000 ASCII characters, and 200 distinct CJK characters
# (more than the spare keycodes of the server's map). Not a test and not run
# by CI; it prints, for each text, how long the run took and how long until
# the last character had reached the file. Give the program's path, or build
# it first (build/bin/mivo-hands).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
hands=${1:-$top/build/bin/mivo-hands}
[ -x "$hands" ] || { echo "bench-typing: no $hands (build mivo-hands first)" >&2; exit 2; }

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -noreset -nolisten tcp -fp built-ins -screen 0 1512x982x24 >/dev/null 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

typed="$work/typed"
xterm -name mivo-bench-xterm -fa "DejaVu Sans Mono" -u8 -geometry 80x24+0+0 \
  -e sh -c "stty raw -echo && exec cat > '$typed'" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 200); do [ -e "$typed" ] && break; sleep 0.1; done
[ -e "$typed" ] || { echo "bench-typing: xterm did not come up" >&2; exit 1; }
# Without a window manager the keys go to the window under the pointer.
echo '{"do":"move","x":100,"y":100}' | "$hands" >/dev/null
sleep 1

# Milliseconds since the epoch.
now() { echo $(($(date +%s%N) / 1000000)); }
seconds() { printf '%d.%02d' $(($1 / 1000)) $(($1 % 1000 / 10)); }

# bench NAME TEXT-AS-JSON BYTES
bench() {
  local before start ran
  before=$(stat -c %s "$typed")
  start=$(now)
  echo "{\"do\":\"type\",\"text\":\"$2\"}" | "$hands" >/dev/null
  ran=$(now)
  while [ "$(stat -c %s "$typed")" -lt $((before + $3)) ]; do
    if [ $(($(now) - ran)) -gt 30000 ]; then
      echo "$1: only $(($(stat -c %s "$typed") - before)) of $3 bytes arrived" >&2
      return 1
    fi
    sleep 0.01
  done
  echo "$1: run $(seconds $((ran - start))) s, all arrived after $(seconds $(($(now) - start))) s"
}

ascii=""
for i in $(seq 0 999); do
  code=$((0x21 + i % 94))
  case $code in 34 | 92) code=$((code + 1)) ;; esac  # no quotation mark or backslash
  ascii+=$(printf "\\x$(printf %x "$code")")
done
cjk=""
for i in $(seq 0 199); do cjk+=$(printf '\\u%04x' $((0x4e00 + i))); done

bench "1000 ASCII characters" "$ascii" 1000
bench "200 distinct CJK characters" "$cjk" 600
