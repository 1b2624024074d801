#!/usr/bin/env bash
# Makes the benchmark's real X screens again: each scene is drawn by real X
# clients (xterm, xmessage, xedit, xcalc, xclock) on an Xvfb server of its
# own, with or without Openbox frames, and captured from the root window into
# pictures/NAME.png. The true texts beside them (pictures/NAME.txt) were
# written from the texts given to the clients here and checked against the
# captures by eye; a client that draws differently on another machine (fonts,
# versions) needs its true text checked again.
# Names of pictures, if given, limit the pictures written to them (a clock
# face shows the time of its capture, so the others would change).
# Needs: xvfb openbox xterm x11-apps (xcalc, xclock, xedit, xwd) x11-utils
# x11-xserver-utils (xsetroot) imagemagick fonts-dejavu-core xfonts-base.
set -euo pipefail
names=("$@")
here=$(cd "$(dirname "$0")" && pwd)
out="$here/pictures"
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

cat >"$work/openbox.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <theme>
    <name>Clearlooks</name>
    <font place="ActiveWindow"><name>DejaVu Sans</name><size>9</size><weight>bold</weight></font>
    <font place="InactiveWindow"><name>DejaVu Sans</name><size>9</size><weight>bold</weight></font>
  </theme>
  <placement><policy>Smart</policy></placement>
</openbox_config>
XML

# start_server WIDTHxHEIGHT: an Xvfb of that size; sets DISPLAY.
start_server() {
  Xvfb -displayfd 1 -noreset -nolisten tcp -screen 0 "$1x24" >"$work/display" 2>/dev/null &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -1 "$work/display")"
}

# run PROGRAM ARGS...: a client of the scene, ended with it.
run() {
  "$@" >/dev/null 2>&1 &
  pids+=($!)
}

with_openbox() {
  run openbox --sm-disable --config-file "$work/openbox.xml"
  sleep 1
}

# wanted NAME: whether the picture NAME is to be made.
wanted() {
  [ ${#names[@]} -eq 0 ] || [[ " ${names[*]} " == *" $1 "* ]]
}

# capture NAME: the root window once two captures a second apart are the same.
capture() {
  local last="" now
  for _ in $(seq 30); do
    sleep 1
    now=$(xwd -root -silent | md5sum)
    [ "$now" = "$last" ] && break
    last=$now
  done
  xwd -root -silent | /usr/bin/convert xwd:- -strip "png:$out/$1.png"
  echo "made $1.png"
}

end_scene() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  pids=()
}

# terminal FILE ARGS...: an xterm that shows FILE and waits.
terminal() {
  local file=$1
  shift
  run xterm "$@" -e sh -c "cat '$file'; exec sleep 600"
}

cat >"$work/mail.txt" <<'TXT'
From: Lena Okafor <lena@example.org>
Subject: Keys for the flat on Saturday
Date: Fri, 28 Feb 2025 18:04

Hi Marvek,
I will leave the keys with Mrs Duval on the ground floor.
The heating is on a timer, please do not switch it off.
Rubbish goes out on Monday before 7 am.
Call me on 0612 448 190 if anything is wrong.
Thanks, Lena
TXT

cat >"$work/shell.txt" <<'TXT'
$ git status
On branch main
Your branch is ahead of 'origin/main' by 2 commits.
Changes not staged for commit:
  modified:   src/parser.c
  modified:   tests/run.sh
$ make test
cc -O2 -Wall -c src/parser.c -o build/parser.o
ran 48 tests, 47 passed, 1 failed
FAIL: parses_empty_header (tests/header.c:112)
TXT

cat >"$work/listing.txt" <<'TXT'
$ ls -l ~/invoices
total 1480
-rw-r--r-- 1 ann staff  48213 Jan 12 09:41 2025-01-acme.pdf
-rw-r--r-- 1 ann staff 112904 Feb  3 17:02 2025-02-water.pdf
-rw-r--r-- 1 ann staff   9120 Feb 20 11:15 notes.txt
drwxr-xr-x 2 ann staff   4096 Feb 28 08:30 receipts
-rw-r--r-- 1 ann staff 734002 Mar  1 10:05 tax-return-2024.pdf
TXT

cat >"$work/log.txt" <<'TXT'
Mar 01 10:12:01 backup[412]: starting run 1181
Mar 01 10:12:04 backup[412]: 1204 files to copy
Mar 01 10:14:37 backup[412]: copied 1204 files
Mar 01 10:14:38 backup[412]: run 1181 finished
TXT

cat >"$work/todo.txt" <<'TXT'
Shopping list for Saturday
- two loaves of rye bread
- oat milk and coffee beans
- batteries for the kitchen clock
Ask Tom about the bike rack
TXT

# 1. A light terminal with a mail, and a dialog beside it; no window manager.
if wanted x-light-terminal-dialog; then
  start_server 1512x982
  xsetroot -solid white
  terminal "$work/mail.txt" -fa "DejaVu Sans Mono" -fs 13 -bg white -fg black -geometry 70x14+20+20
  run xmessage -fn fixed -geometry +1000+420 -buttons Discard,Save "Save the draft before closing?"
  capture x-light-terminal-dialog
  end_scene
fi

# 2. A dark terminal on a black desktop, its right third empty.
if wanted x-dark-terminal-black-desktop; then
  start_server 1512x982
  xsetroot -solid black
  terminal "$work/shell.txt" -fa "DejaVu Sans Mono" -fs 14 -bg "#123d3a" -fg "#c8c8c8" -geometry 72x34+0+0
  capture x-dark-terminal-black-desktop
  end_scene
fi

# 3. The same beside a clock face.
if wanted x-dark-terminal-clock; then
  start_server 1512x982
  xsetroot -solid black
  terminal "$work/shell.txt" -fa "DejaVu Sans Mono" -fs 14 -bg "#123d3a" -fg "#c8c8c8" -geometry 72x34+0+0
  run xclock -geometry 320x320+1120+40
  capture x-dark-terminal-clock
  end_scene
fi

# 4. Small bitmap fonts under Openbox: an ls -l listing, and a log light on dark.
if wanted x-bitmap-terminals-openbox; then
  start_server 1512x982
  xsetroot -solid "#6b7b8c"
  with_openbox
  terminal "$work/listing.txt" -fn 6x13 -bg white -fg black -T invoices -geometry 70x9+30+40
  terminal "$work/log.txt" -fn 7x13 -bg "#202020" -fg "#e0e0e0" -T backup.log -geometry 56x6+640+420
  capture x-bitmap-terminals-openbox
  end_scene
fi

# 5. xedit with a list, under Openbox.
if wanted x-xedit-openbox; then
  cp "$work/todo.txt" "$work/saturday.txt"
  start_server 1512x982
  xsetroot -solid "#4a6a5a"
  with_openbox
  (cd "$work" && run xedit -fn 9x15 -geometry 640x420+200+120 saturday.txt)
  capture x-xedit-openbox
  end_scene
fi

# 6. A calculator beside a terminal note, under Openbox.
if wanted x-xcalc-terminal-openbox; then
  start_server 1512x982
  xsetroot -solid "#c8c8c8"
  with_openbox
  run xcalc -geometry 260x340+80+80
  terminal "$work/todo.txt" -fa "DejaVu Sans Mono" -fs 12 -bg "#fffff0" -fg "#202020" -T todo -geometry 46x7+520+100
  capture x-xcalc-terminal-openbox
  end_scene
fi

# 7. A 2560 x 1440 desktop under Openbox: a 12-point terminal, a small dialog
# in the fixed font beside it, a clock and a calculator, on a dark ground.
if wanted x-desktop-2560-openbox; then
  start_server 2560x1440
  xsetroot -solid "#1e2630"
  with_openbox
  terminal "$work/mail.txt" -fa "DejaVu Sans Mono" -fs 12 -bg white -fg black -T mail -geometry 76x16+60+80
  run xmessage -fn fixed -geometry +1100+200 -buttons OK "Backup finished: 1,204 files copied to /media/backup/2025-03-01"
  run xclock -geometry 220x220+2200+80
  run xcalc -geometry 240x320+2200+420
  capture x-desktop-2560-openbox
  end_scene
fi

# 8. A 2560 x 1440 desktop without frames: a dark and a light terminal, and
# xedit, on black.
if wanted x-desktop-2560-dark; then
  cp "$work/todo.txt" "$work/saturday.txt"
  start_server 2560x1440
  xsetroot -solid black
  terminal "$work/shell.txt" -fa "DejaVu Sans Mono" -fs 13 -bg "#1b1b2f" -fg "#d8d8d8" -geometry 70x14+40+40
  terminal "$work/listing.txt" -fa "DejaVu Sans Mono" -fs 11 -bg white -fg black -geometry 74x9+40+700
  (cd "$work" && run xedit -fn 9x15 -geometry 620x380+1500+60 saturday.txt)
  capture x-desktop-2560-dark
  end_scene
fi

# 9. A 2560 x 1440 desktop under Openbox: a 16-point terminal, and right
# beside it a small dialog in the fixed font whose line stands between two of
# the terminal's lines.
if wanted x-desktop-2560-dialog-beside-terminal; then
  start_server 2560x1440
  xsetroot -solid "#1e2630"
  with_openbox
  terminal "$work/mail.txt" -fa "DejaVu Sans Mono" -fs 16 -bg white -fg black -T mail -geometry 76x16+60+80
  run xmessage -fn fixed -geometry +1300+160 -buttons OK "Backup finished: 1,204 files copied to /media/backup/2025-03-01"
  capture x-desktop-2560-dialog-beside-terminal
  end_scene
fi
