#!/usr/bin/env bash
# check-exports.sh OBJDUMP DLL NAME...: the DLL exports exactly these names, undecorated.
set -euo pipefail
objdump=$1; dll=$2; shift 2
actual=$("$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
         sed -n 's/^\s*\[\s*[0-9]*\]\s*//p' | sort)
expected=$(printf '%s\n' "$@" | sort)
if [ "$actual" != "$expected" ]; then
  echo "exports of $dll differ:"
  diff <(echo "$expected") <(echo "$actual") || true
  exit 1
fi
echo "$dll exports: $(echo $actual)"
