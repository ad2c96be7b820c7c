#!/usr/bin/env bash
# Builds the shipped programs a second time, from a copy of the sources in
# another folder into another build folder, and compares them byte for byte
# with the build's own; also checks their headers: no link time, and
# setup.exe loaded whole from removable media.
#   check-reproducible.sh PRESET BUILD_DIR OBJDUMP
set -euo pipefail
preset=$1 build=$(realpath "$2") objdump=$3
root=$(cd "$(dirname "$0")/.." && pwd)
work=$build/reproduced
rm -rf "$work"
mkdir -p "$work/sources"
# The tree as it is, tracked and new files alike, without any build.
(cd "$root" && git ls-files -z -co --exclude-standard | grep -zv '^build/' | xargs -0 cp --parents -t "$work/sources")
(cd "$work/sources" && cmake --preset "$preset" -DSETUP_TESTS=OFF >"$work/configure.log" 2>&1 &&
  cmake --build --preset "$preset" --target setup uninstall gamedisc >"$work/build.log" 2>&1) ||
  { tail -n 30 "$work"/*.log; exit 1; }
status=0
for program in setup/setup.exe setup/uninstall.exe tools/gamedisc/gamedisc.exe; do
  a=$build/$program b=$work/sources/build/$preset/$program
  if cmp -s "$a" "$b"; then
    echo "$(basename "$program"): the same bytes from both trees ($(stat -c %s "$a") bytes, sha256 $(sha256sum "$a" | cut -c1-16)...)"
  else
    echo "$(basename "$program"): differs between $a and $b ($(cmp "$a" "$b" | head -n1))"
    status=1
  fi
  stamp=$("$objdump" -p "$a" | sed -n 's/^Time\/Date\s*//p')
  case $stamp in
    *1970*) ;;
    *) echo "$(basename "$program"): carries a link time: $stamp"; status=1 ;;
  esac
done
headers=$("$objdump" -p "$build/setup/setup.exe")
if [[ $headers == *'copy to swap file if on removable media'* ]]; then
  echo "setup.exe: IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP set"
else
  echo "setup.exe: IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP is not set"
  status=1
fi
rm -rf "$work"
exit $status
