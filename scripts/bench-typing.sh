#!/usr/bin/env bash
# What typing costs: mivo-hands' "type" into xterm (cat on a raw terminal)
# under Openbox, on an Xvfb server of its own, beside xdotool's "type" (the
# tool a user would otherwise pick; installed when missing) and, when a second
# program is given, an older mivo-hands. Not a test and not run by CI. For
# each text and each typer it prints
#   run       how long the typing run took,
#   arrived   how long until the last character had reached the file,
#   notices   how many keyboard-map changes a client was told of (XKB events,
#             which Xlib passes on as MappingNotify; each makes every client
#             read the map again, and Openbox grab its keys anew),
#   wm delay  how long after the run ended a newly started xterm became
#             visible: the time Openbox still spent on the changes;
# and whether the text arrived whole.
#
#   scripts/bench-typing.sh [MIVO-HANDS [OLDER-MIVO-HANDS]]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
hands=${1:-$top/build/bin/mivo-hands}
older=${2:-}
[ -x "$hands" ] || { echo "bench-typing: no $hands (build mivo-hands first)" >&2; exit 2; }
[ -z "$older" ] || [ -x "$older" ] || { echo "bench-typing: no $older" >&2; exit 2; }
need=()
for tool in Xvfb:xvfb openbox:openbox xterm:xterm xwininfo:x11-utils xdotool:xdotool cc:gcc; do
  command -v "${tool%%:*}" >/dev/null || need+=("${tool#*:}")
done
if [ ${#need[@]} -gt 0 ]; then
  echo "bench-typing: installing ${need[*]}"
  apt-get install -y -qq "${need[@]}" >/dev/null
fi

work=$(mktemp -d)
pids=()
# Counts the changes of the keyboard map that a client is told of (as XKB
# events, which Xlib passes on as MappingNotify), until SIGTERM.
cat >"$work/count-notices.c" <<'EOF_C'
#include <X11/XKBlib.h>
#include <signal.h>
#include <stdio.h>
#include <unistd.h>
static volatile sig_atomic_t done = 0;
static void stop(int signal) { (void)signal; done = 1; }
int main(void) {
  Display *display = XOpenDisplay(NULL);
  if (display == NULL) return 1;
  signal(SIGTERM, stop);
  XkbSelectEvents(display, XkbUseCoreKbd, XkbMapNotifyMask, XkbMapNotifyMask);
  XSync(display, False);
  long count = 0;
  while (!done) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == MappingNotify && event.xmapping.request == MappingKeyboard) ++count;
    }
    usleep(10000);
  }
  printf("%ld\n", count);
  return 0;
}
EOF_C
cc -o "$work/count-notices" "$work/count-notices.c" -lX11
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
export LC_ALL=C.UTF-8
mkdir "$work/home"
HOME="$work/home" openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
sleep 1

typed="$work/typed"
xterm -name mivo-bench-xterm -fa "DejaVu Sans Mono" -u8 -geometry 80x24+0+0 \
  -e sh -c "stty raw -echo && exec cat > '$typed'" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 200); do [ -e "$typed" ] && break; sleep 0.1; done
[ -e "$typed" ] || { echo "bench-typing: xterm did not come up" >&2; exit 1; }
sleep 1

# Milliseconds since the epoch.
now() { echo $(($(date +%s%N) / 1000000)); }
seconds() { printf '%d.%02d' $(($1 / 1000)) $(($1 % 1000 / 10)); }
delayText() { if [ "$1" = never ]; then echo never; else echo "$(seconds "$1") s"; fi; }

# How long until a new xterm is visible, in milliseconds, or "never" when it
# is not within 60 s (a window manager that hangs must not hang the bench).
probes=0
wmDelay() {
  local start name pid
  probes=$((probes + 1))
  name="mivo-bench-probe-$probes"
  start=$(now)
  xterm -T "$name" -geometry 20x2+600+400 -e sleep 90 >/dev/null 2>&1 &
  pid=$!
  until xwininfo -name "$name" 2>/dev/null | grep -q IsViewable; do
    if [ $(($(now) - start)) -gt 60000 ]; then start=never; break; fi
    sleep 0.005
  done
  if [ "$start" = never ]; then echo never; else echo $(($(now) - start)); fi
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

# typeWith TYPER TEXT-FILE: types the text with "hands:PATH" or "xdotool".
typeWith() {
  case $1 in
    hands:*) /usr/bin/env python3 -c 'import json,sys; print(json.dumps({"do": "type", "text": open(sys.argv[1], encoding="utf-8").read()}))' "$2" |
               "${1#hands:}" >/dev/null ;;
    xdotool) xdotool type --file "$2" ;;
  esac
}

# bench NAME TEXT-FILE: each typer in turn, into the xterm with the focus.
bench() {
  local bytes typer before start ran arrived notices delay watcher whole
  bytes=$(stat -c %s "$2")
  printf '%s (%d bytes)\n' "$1" "$bytes"
  for typer in "hands:$hands" ${older:+"hands:$older"} xdotool; do
    echo '{"do":"click","x":200,"y":150}' | "$hands" >/dev/null
    sleep 0.3
    "$work/count-notices" >"$work/notices" &
    watcher=$!
    sleep 0.3
    before=$(stat -c %s "$typed")
    start=$(now)
    typeWith "$typer" "$2"
    ran=$(now)
    delay=$(wmDelay)
    arrived=""
    while [ "$(stat -c %s "$typed")" -lt $((before + bytes)) ]; do
      if [ $(($(now) - ran)) -gt 30000 ]; then arrived="never"; break; fi
      sleep 0.01
    done
    [ -n "$arrived" ] || arrived="$(seconds $(($(now) - start))) s"
    sleep 0.5
    kill -TERM "$watcher"
    wait "$watcher" 2>/dev/null || true
    notices=$(cat "$work/notices")
    whole=whole
    tail -c "$bytes" "$typed" | cmp -s - "$2" || whole="NOT whole"
    printf '  %-8s run %s s, arrived %s, notices %4d, wm delay %s, %s\n' \
      "$(case $typer in "hands:$hands") echo new ;; hands:*) echo older ;; *) echo xdotool ;; esac)" \
      "$(seconds $((ran - start)))" "$arrived" "$notices" "$(delayText "$delay")" "$whole"
    sleep 1
  done
}

echo "wm delay with nothing typed: $(delayText "$(wmDelay)")"
/usr/bin/env python3 - "$work" <<'EOF'
import sys
work = sys.argv[1]
ascii = "".join(chr(0x21 + i % 94) for i in range(1000))
european = ("Größe, Übermaß und Straße; Zażółć gęślą jaźń; Blåbærsyltetøj, Ærø og Øresund; "
            "ça va très bien, garçon, crème brûlée à la forêt.")
cjk50 = "".join(chr(0x4e00 + 37 * i) for i in range(50))
cjk200 = "".join(chr(0x4e00 + i) for i in range(200))
# The typing test's mixed text: printable ASCII, a sentence, European
# letters, 35 distinct CJK characters and ten emoji, taken in turn.
pieces = ["".join(chr(c) for c in range(0x21, 0x7f)),
          "Well, that's it: (almost) 100% done -- isn't it? \"Yes\"; #7 & @home.",
          "Größe, Übermaß und Straße; Zażółć gęślą jaźń; Blåbærsyltetøj, Ærø og Øresund.",
          "我们在这个美丽的城市里一起学习中文和日本語、朝鮮語の文字を書く練習をします。",
          "😀🙂🚀🎉🌍👍🧪🦊🐙🍕"]
mixed = ""
while len(mixed) < 2000:
    mixed += pieces[0] + " "
    pieces = pieces[1:] + pieces[:1]
mixed = mixed[:2000]
for name, text in [("ascii", ascii), ("european", european), ("cjk50", cjk50),
                   ("cjk200", cjk200), ("mixed", mixed)]:
    with open(f"{work}/{name}.txt", "w", encoding="utf-8") as out:
        out.write(text)
EOF
bench "1000 ASCII characters" "$work/ascii.txt"
bench "a line of European letters" "$work/european.txt"
bench "50 distinct CJK characters" "$work/cjk50.txt"
bench "200 distinct CJK characters" "$work/cjk200.txt"
bench "2000 mixed characters" "$work/mixed.txt"
