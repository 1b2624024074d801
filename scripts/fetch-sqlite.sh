#!/usr/bin/env bash
# Fetches the SQLite source tree from Debian's unstable source package and
# generates the amalgamation with the canonical build, so that the options that
# shape the generated parser (UPDATE/DELETE ... LIMIT, the OMIT options) take
# effect. The result lands in build/sqlite and is reused as long as the option
# list is unchanged, so a rebuild needs no network.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out="$top/build/sqlite"
options_file="$top/cmake/sqlite-options.txt"
preferred=3.54.1
oldest=3.53

mapfile -t options < <(sed -e '/^[[:space:]]*$/d' "$options_file")
defines=$(printf -- '-D%s ' "${options[@]}")

if [ -f "$out/sqlite3.c" ] && [ -f "$out/VERSION" ] && cmp -s "$options_file" "$out/options.txt"; then
  exit 0
fi
mkdir -p "$out/apt/lists/partial" "$out/downloads"

# A private source list made from the machine's own Debian mirror.
uri=$(grep -hE '^URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null | grep -v security | head -1 | awk '{print $2}' || true)
if [ -z "$uri" ]; then
  uri=$(grep -hE '^deb ' /etc/apt/sources.list 2>/dev/null | grep -v security | head -1 | awk '{print $2}' || true)
fi
[ -n "$uri" ] || { echo "fetch-sqlite: no Debian mirror found in the apt configuration" >&2; exit 1; }
echo "deb-src $uri unstable main" > "$out/apt/sources.list"
apt_opts=(-o "Dir::Etc::sourcelist=$out/apt/sources.list" -o Dir::Etc::sourceparts=/dev/null
          -o "Dir::State::Lists=$out/apt/lists")

tarball=$(ls "$out"/downloads/sqlite3_*.orig.tar.xz 2>/dev/null | head -1 || true)
if [ -z "$tarball" ]; then
  apt-get "${apt_opts[@]}" update -qq
  versions=$(apt-cache "${apt_opts[@]}" showsrc sqlite3 | awk '/^Version:/ {print $2}')
  chosen=$(printf '%s\n' $versions | grep -E "^$preferred(-|$)" | head -1 || true)
  if [ -z "$chosen" ]; then
    chosen=$(printf '%s\n' $versions | sort -V | tail -1)
  fi
  [ -n "$chosen" ] || { echo "fetch-sqlite: no sqlite3 source package offered" >&2; exit 1; }
  upstream=${chosen%%-*}
  if dpkg --compare-versions "$upstream" lt "$oldest"; then
    echo "fetch-sqlite: only SQLite $upstream is offered, older than $oldest" >&2
    exit 1
  fi
  (cd "$out/downloads" && apt-get "${apt_opts[@]}" source --download-only -qq "sqlite3=$chosen" 2>&1 \
     | grep -v 'unsandboxed as root' || true)
  tarball=$(ls "$out"/downloads/sqlite3_*.orig.tar.xz | head -1)
fi

rm -rf "$out/src" "$out/gen"
mkdir -p "$out/src" "$out/gen"
tar -xJf "$tarball" -C "$out/src" --strip-components=1
(
  cd "$out/gen"
  "$out/src/configure" --fts3 --fts4 --fts5 --rtree --geopoly --update-limit --column-metadata \
    CFLAGS="-O2 $defines" > configure.log 2>&1
  make sqlite3.c OPTS="$defines" > make.log 2>&1
) || { echo "fetch-sqlite: generating the amalgamation failed; see $out/gen" >&2; exit 1; }
cp "$out/gen/sqlite3.c" "$out/gen/sqlite3.h" "$out/gen/sqlite3ext.h" "$out/"
tr -d '[:space:]' < "$out/src/VERSION" > "$out/VERSION"
cp "$options_file" "$out/options.txt"
rm -rf "$out/src" "$out/gen"
echo "fetch-sqlite: SQLite $(cat "$out/VERSION") from $(basename "$tarball")"
