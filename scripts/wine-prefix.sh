#!/usr/bin/env bash
# Makes a fresh Wine prefix for one test run: wine-prefix.sh <prefix folder>
set -euo pipefail
prefix=$(realpath -m "$1")
export WINEPREFIX="$prefix"
. "$(dirname "$0")/wine-env.sh"
wineserver -k 2>/dev/null || true
rm -rf "$prefix" "$HOME"
mkdir -p "$HOME"

start=$(date +%s)
wineboot -i >"$prefix.boot.log" 2>&1 || { cat "$prefix.boot.log"; exit 1; }
# Without a window manager every DestroyWindow waits about 2 s; unmanaged
# windows do not.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >>"$prefix.boot.log" 2>&1
wineserver -w
# Desktop, Documents and the like point into $HOME: make them real folders
# of the prefix so that nothing is ever written outside it.
for link in "$prefix"/drive_c/users/*/*; do
  if [ -L "$link" ]; then
    rm "$link"
    mkdir -p "$link"
  fi
done
echo "wine prefix ready in $(( $(date +%s) - start )) s: $prefix"
