#!/usr/bin/env bash
# The Windows module exports only the two Node-API entry points, at load time
# needs only system DLLs (node.exe is bound late, through the delay-load import,
# which the smoke suite exercises with a renamed host), and is stripped: no
# symbol table, whose names would hold the path of the folder it was built in.
# Usage: check-module-tables.sh MODULE
set -euo pipefail
tables=$(x86_64-w64-mingw32-objdump -p "$1")

symbols=$(x86_64-w64-mingw32-objdump -t "$1" | sed -n '/^SYMBOL TABLE:/,$p' | sed 1d)
echo "symbol table:" $(head -c 200 <<<"$symbols")
[ "$symbols" = "no symbols" ] || { echo "the module is not stripped" >&2; exit 1; }
build_dir=$(cd "$(dirname "$1")/.." && pwd)
for trace in "$build_dir" "$(tr -c 'A-Za-z0-9\n' '_' <<<"$build_dir")"; do
  if grep -a -q -F -e "$trace" "$1"; then echo "the module holds its build folder's path: $trace" >&2; exit 1; fi
done

exports=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$tables" | sed -n 's/^\s*\[\s*[0-9]*\]\s*//p' | sort)
echo "exports:" $exports
expected=$'napi_register_module_v1\nnode_api_module_get_api_version_v1'
[ "$exports" = "$expected" ] || { echo "expected only: " $expected >&2; exit 1; }

imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$tables" | tr 'A-Z' 'a-z' | sort -u)
echo "load-time imports:" $imports
for dll in $imports; do
  case "$dll" in
    advapi32.dll | bcrypt.dll | kernel32.dll | msvcrt.dll) ;;
    *) echo "unexpected load-time import: $dll" >&2; exit 1 ;;
  esac
done
