#!/usr/bin/env bash
# Fails when a Windows program imports a DLL that is not part of Windows:
# check-imports.sh OBJDUMP program.exe...   (OBJDUMP: the cross build's)
set -euo pipefail
system='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comctl32|comdlg32|msvcrt|ws2_32|shlwapi|version|uuid)\.dll$'
objdump=$1
shift
status=0
for exe in "$@"; do
  dlls=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
  echo "$(basename "$exe"): $(echo $dlls)"
  for dll in $dlls; do
    if ! [[ $dll =~ $system ]]; then
      echo "  not a system DLL: $dll"
      status=1
    fi
  done
done
exit $status
