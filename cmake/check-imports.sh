#!/usr/bin/env bash
# check-imports.sh OBJDUMP FILE...: fails when a PE file imports a DLL that Windows does not ship.
set -euo pipefail
objdump=$1; shift
allowed='^((kernel32|user32|gdi32|advapi32|shell32|comctl32|comdlg32|winmm|msvcrt|ole32|oleaut32|shlwapi|version|uxtheme|ws2_32)\.dll|winspool\.drv)$'
status=0
for f in "$@"; do
  [ -n "$f" ] || continue
  while read -r dll; do
    lower=$(echo "$dll" | tr 'A-Z' 'a-z')
    if [[ ! $lower =~ $allowed ]]; then
      echo "$f imports $dll, which is not a system DLL"
      status=1
    fi
  done < <("$objdump" -p "$f" | sed -n 's/^\s*DLL Name: //p')
  echo "$f: imports checked"
done
exit $status
