#!/usr/bin/env bash
# Makes a fresh 64-bit Wine prefix for tests: wine-prefix.sh PREFIX
#
# Where WINE_BASE_PREFIX names a prefix that this script has made, PREFIX is
# a clone of it, in a second or two; otherwise a prefix is booted (10 to 25 s,
# over 2 minutes on a machine that cannot run 32-bit code). Either way it is
# ready for the installer and its tests: windows unmanaged, Desktop and
# Documents real folders inside it, drive E: a CD-ROM drive (linked to a
# disc folder by whoever uses it) and free fonts standing in for Windows' own.
set -euo pipefail
scripts=$(cd "$(dirname "$0")" && pwd)
prefix=$(realpath -m "$1")
export WINEPREFIX="$prefix"
. "$scripts/wine-env.sh"
"$WINESERVER" -k 2>/dev/null || true
rm -rf "$prefix" "$HOME"
mkdir -p "$HOME"

base=${WINE_BASE_PREFIX:-}
if [ -n "$base" ] && [ -e "$base/.test-prefix" ]; then
  "$scripts/wine-clone.sh" "$base" "$prefix"
  echo "wine prefix cloned from $base: $prefix"
  exit 0
fi

start=$(date +%s)
log=$prefix.boot.log
"$WINE" wineboot.exe -i >"$log" 2>&1 || { cat "$log"; exit 1; }
# Without a window manager every DestroyWindow waits about 2 s; unmanaged
# windows do not.
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >>"$log" 2>&1
# Drive E: is a CD-ROM drive; the 64-bit view is where Wine's mount manager
# reads drive types.
"$WINE" reg add 'HKLM\Software\Wine\Drives' /v 'e:' /t REG_SZ /d cdrom /f /reg:64 >>"$log" 2>&1
# A Windows machine has Arial and Tahoma, and in Taiwan PMingLiU (新細明體);
# free fonts of the same metrics stand in for them. Without them Wine falls
# back by pitch alone and draws the installer's Arial texts in a typewriter
# face and Chinese titles as empty boxes.
for pair in "Arial=Liberation Sans" "Tahoma=Liberation Sans" \
  "PMingLiU=WenQuanYi Micro Hei" "新細明體=WenQuanYi Micro Hei"; do
  "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${pair%%=*}" /t REG_SZ /d "${pair#*=}" /f \
    >>"$log" 2>&1
done
"$WINESERVER" -w
# Desktop, Documents and the like point into $HOME: make them real folders
# of the prefix so that nothing is ever written outside it.
for link in "$prefix"/drive_c/users/*/*; do
  if [ -L "$link" ]; then
    rm "$link"
    mkdir -p "$link"
  fi
done
touch "$prefix/.test-prefix"
echo "wine prefix booted in $(($(date +%s) - start)) s: $prefix"
