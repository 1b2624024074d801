#!/usr/bin/env bash
# The Windows module exports only the two Node-API entry points, and at load
# time needs only system DLLs: node.exe is bound late, through the delay-load
# import (which the smoke suite exercises with a renamed host).
# Usage: check-module-tables.sh MODULE
set -euo pipefail
tables=$(x86_64-w64-mingw32-objdump -p "$1")

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
