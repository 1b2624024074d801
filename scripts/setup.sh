#!/usr/bin/env bash
# Installs what the build needs: Debian packages, the pinned npm packages and the
# SQLite amalgamation. Idempotent, and quiet when everything is already there.
# Given the configurations that will run (those of scripts/test.sh), it also
# installs what "windows" needs: its packages and Node for Windows.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

windows=false
for config in "$@"; do [ "$config" = windows ] && windows=true; done

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# Debian packages; those marked "windows:" only for the Windows configuration
list=$(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' scripts/apt-packages.txt)
if $windows; then
  list=$(sed -e 's/^windows:[[:space:]]*//' <<<"$list")
else
  list=$(sed -e '/^windows:/d' <<<"$list")
fi
mapfile -t packages <<<"$list"
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  as_root apt-get update -qq
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# npm packages, pinned by package-lock.json; reinstalled only when the lock changes
if ! command -v npm >/dev/null; then
  echo "setup: installing npm"
  as_root apt-get update -qq
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq npm >/dev/null
fi
stamp=node_modules/.lock-stamp
if [ ! -f "$stamp" ] || ! cmp -s package-lock.json "$stamp"; then
  echo "setup: installing npm packages"
  npm ci --no-audit --no-fund --loglevel=error >/dev/null
  cp package-lock.json "$stamp"
fi

# SQLite source
scripts/fetch-sqlite.sh

if $windows; then
  scripts/fetch-windows-node.sh
fi
