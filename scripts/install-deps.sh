#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and the tests need and
# this machine lacks. Does nothing (and needs no network) when all is there.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q '^install ok installed$'; }

# The fonts stand in for Arial and PMingLiU when the installer's dialogs run
# under Wine in the end-to-end tests.
for p in cmake g++ make zlib1g-dev libgtest-dev googletest \
         libdeflate-dev g++-mingw-w64-i686 gcc-mingw-w64-i686 binutils-mingw-w64-i686 libz-mingw-w64-dev \
         wine xvfb xauth locales imagemagick x11-utils clang libfuzzer-14-dev xorriso \
         fonts-liberation fonts-wqy-microhei; do
  have_pkg "$p" || need+=("$p")
done

i386=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  i386=1
fi
have_pkg wine32:i386 || need+=("wine32:i386")

if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${need[*]}"
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
if [ $i386 -eq 1 ]; then $SUDO dpkg --add-architecture i386; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${need[@]}"
