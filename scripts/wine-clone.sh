#!/usr/bin/env bash
# Copies a Wine prefix made by wine-prefix.sh: wine-clone.sh BASE PREFIX
# The DLLs are only ever read: they are linked, not copied (half a gigabyte
# a prefix otherwise). The base's home folder (font caches) comes along.
set -euo pipefail
base=${1%/} dst=${2%/}
rm -rf "$dst" "$dst-home"
mkdir -p "$dst/drive_c/windows"
cp -a "$base/.update-timestamp" "$base/.test-prefix" "$base/dosdevices" "$base"/*.reg "$dst/"
for item in "$base"/drive_c/*; do
  [ "$(basename "$item")" = windows ] || cp -a "$item" "$dst/drive_c/"
done
for item in "$base"/drive_c/windows/*; do
  case $(basename "$item") in
    system32 | syswow64 | winsxs) cp -al "$item" "$dst/drive_c/windows/" ;;
    *) cp -a "$item" "$dst/drive_c/windows/" ;;
  esac
done
if [ -d "$base-home" ]; then cp -a "$base-home" "$dst-home"; else mkdir -p "$dst-home"; fi
