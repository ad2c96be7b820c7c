#!/usr/bin/env bash
# Fails when any process but this one holds a file, a folder or its current
# folder at or below DRIVE (the folder mapped as the CD-ROM drive):
#   held_on_drive.sh DRIVE
# Run by the driver while setup asks for the next disc: under Wine the
# program's handles and current folder are descriptors of the wineserver and
# of the program's own process, so a drive that could not open shows here.
set -u
drive=$(realpath "$1")
held=0
for proc in /proc/[0-9]*; do
  pid=${proc#/proc/}
  [ "$pid" = $$ ] || [ "$pid" = "$PPID" ] && continue
  for link in "$proc"/cwd "$proc"/fd/*; do
    target=$(readlink "$link" 2>/dev/null) || continue
    case $target in
      "$drive" | "$drive"/*)
        echo "held on the drive: $target (process $pid, $(tr '\0' ' ' <"$proc/cmdline" | cut -c1-80), ${link#"$proc"/})"
        held=1
        ;;
    esac
  done
done
[ $held -eq 0 ] && echo "nothing is held on $drive"
exit $held
