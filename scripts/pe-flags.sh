#!/usr/bin/env bash
# Sets bits of the Characteristics field of a Windows program's file header:
#   pe-flags.sh FILE MASK      (MASK such as 0x0400)
# GNU ld has no switch for some of them (IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP).
# The PE checksum is left as the linker wrote it (zero): Windows checks it
# only for drivers, and a signature is made after this.
set -euo pipefail
file=$1 mask=$(($2))
pe=$(od -An -tu4 -j 60 -N 4 "$file" | tr -d ' ')
[ "$(od -An -c -j "$pe" -N 4 "$file" | tr -d ' ')" = 'PE\0\0' ] || { echo "$file: not a PE image" >&2; exit 1; }
at=$((pe + 22))
old=$(od -An -tu2 -j "$at" -N 2 "$file" | tr -d ' ')
new=$((old | mask))
printf "$(printf '\\%03o\\%03o' $((new & 255)) $((new >> 8)))" | dd of="$file" bs=1 seek="$at" conv=notrunc status=none
