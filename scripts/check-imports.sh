#!/usr/bin/env bash
# Fails when a Windows program imports a DLL that is not part of Windows, or
# when a program that runs with administrator rights imports at load time a
# DLL that is not one of the system's KnownDLLs (the loader looks for those
# in the program's own folder first, before its first line runs):
#   check-imports.sh OBJDUMP program.exe... [--known elevated.exe...]
# (OBJDUMP: the cross build's)
set -euo pipefail
system='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comctl32|comdlg32|msvcrt|ws2_32|shlwapi|version|uuid)\.dll$'
# KnownDLLs of every Windows from 7 on (HKLM\System\CurrentControlSet\
# Control\Session Manager\KnownDLLs), less those that only some have.
known='^(advapi32|comdlg32|gdi32|imagehlp|imm32|kernel32|msctf|msvcrt|normaliz|nsi|ole32|oleaut32|psapi|rpcrt4|sechost|setupapi|shell32|shlwapi|user32|wldap32|ws2_32)\.dll$'
objdump=$1
shift
status=0
allowed=$system
kind="not a system DLL"
for exe in "$@"; do
  if [ "$exe" = --known ]; then
    allowed=$known
    kind="not a KnownDLL, so it may be taken from the program's folder"
    continue
  fi
  dlls=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
  echo "$(basename "$exe"): $(echo $dlls)"
  for dll in $dlls; do
    if ! [[ $dll =~ $allowed ]]; then
      echo "  $dll: $kind"
      status=1
    fi
  done
done
exit $status
