#!/usr/bin/env bash
# Makes the Wine prefix the smoke suite runs in, once: a new prefix reports
# Windows 7, which Node refuses, so it is switched to Windows 10.
# Usage: make-wine-prefix.sh PREFIX
set -euo pipefail
export WINEPREFIX=$1 WINEDEBUG=-all
unset DISPLAY
ready=$WINEPREFIX/.windows-10
[ -f "$ready" ] && exit 0
rm -rf "$WINEPREFIX"
wineboot --init >/dev/null 2>&1
winecfg /v win10 >/dev/null 2>&1
wineserver -w
touch "$ready"
echo "wine prefix ready: $WINEPREFIX ($(wine --version))"
