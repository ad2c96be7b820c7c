#!/usr/bin/env bash
# The test command: installs what is missing, builds every configuration and
# runs every test, natively and under Wine.
#
#   scripts/test.sh                       the road this machine has
#   TEST_I386=emulated scripts/test.sh    32-bit programs through qemu-user
#   TEST_I386=no-native scripts/test.sh   as a machine whose kernel cannot
#                                         run 32-bit code (then emulated)
#
# The Windows tests run twice: every one against the 64-bit build under
# wine64, which runs on any machine, and against the 32-bit build that ships,
# all of them where 32-bit code runs natively, the `emulated` ones (the unit
# test programs and the two-disc install) where it must be emulated. A forced
# road is undone at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
mode=${TEST_I386:-auto}
case $mode in
  auto | emulated | no-native) ;;
  *)
    echo "TEST_I386 is auto, emulated or no-native, not '$mode'" >&2
    exit 2
    ;;
esac
started=$SECONDS
tier() { printf '%s: %d s\n' "$1" $((SECONDS - $2)) >>"$root/build/tier-times.txt"; }

TEST_I386=$mode scripts/install-deps.sh
mkdir -p build
: >build/tier-times.txt

# The 32-bit road first: the prefix is booted on it, so that its 32-bit half
# is installed too (under qemu where it must be).
export WINE_BASE_PREFIX=$root/build/wine/base
road_state=$root/build/wine/i386-road.state
mkdir -p build/wine
cleanup() {
  local prefix
  [ -z "${boot_pid:-}" ] || kill "$boot_pid" 2>/dev/null || true
  for prefix in "$WINE_BASE_PREFIX" build/win64/wineprefix build/win32/wineprefix; do
    WINEPREFIX=$(realpath -m "$prefix") /usr/lib/wine/wineserver64 -k 2>/dev/null || true
  done
  scripts/i386-road.sh undo "$road_state" || true
}
trap cleanup EXIT
scripts/i386-road.sh undo "$road_state"
if [ "$mode" = no-native ]; then
  scripts/i386-road.sh refuse "$road_state"
  echo "== 32-bit x86 programs are refused for this run, as by a kernel without 32-bit emulation"
fi
road_mode=auto
[ "$mode" = emulated ] && road_mode=emulated
if road=$(scripts/i386-road.sh setup "$road_mode" "$road_state"); then
  if [ "$road" = native ]; then
    echo "== 32-bit x86 programs run natively here"
  else
    echo "== 32-bit x86 programs run emulated here: qemu-user, registered in binfmt_misc for this run where it was not"
  fi
else
  road=impossible
fi

# One prefix for every Windows test of the run; each test program and each
# end-to-end case gets a clone of it. It boots while the host builds.
echo "== Wine: booting one 64-bit prefix for the run, in the background"
boot_start=$SECONDS
xvfb-run -a -s "-screen 0 1024x768x24" scripts/wine-prefix.sh "$WINE_BASE_PREFIX" >build/wine/boot.log 2>&1 &
boot_pid=$!

t=$SECONDS
echo "== host build (sanitizers on)"
cmake --preset host >/dev/null
cmake --build --preset host
ctest --preset host
tier "host build and tests" $t

t=$SECONDS
echo "== gamedisc installed: cmake --install of host-release, its manual page, its Debian package"
scripts/check-package.sh
tier "gamedisc install and package" $t

t=$SECONDS
echo "== fuzz targets, a short pass"
scripts/fuzz.sh 6
tier "fuzz build and pass" $t

if ! wait "$boot_pid"; then
  boot_pid=
  cat build/wine/boot.log
  echo "The Wine prefix could not be made."
  exit 1
fi
boot_pid=
cat build/wine/boot.log
tier "Wine prefix (in the background, from its start)" $boot_start

t=$SECONDS
echo "== win64 cross build, every Windows test under wine64"
cmake --preset win64 >/dev/null
cmake --build --preset win64
status=0
xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset win64 || status=$?
tier "win64 build and tests" $t

t=$SECONDS
echo "== win32 cross build (what ships)"
if [ "$road" != impossible ]; then
  slowdown=1
  [ "$road" = native ] || slowdown=6
  # Where it must be emulated, the disc layouts come from the 64-bit disc
  # maker (the same discs), and every wait may take longer.
  discs_exe=
  [ "$road" = native ] || discs_exe=$root/build/win64/tests/e2e/e2e_discs.exe
  cmake --preset win32 -DWINE_SLOWDOWN=$slowdown "-DE2E_DISCS_EXE=$discs_exe" >/dev/null
  cmake --build --preset win32
  if [ "$road" = native ]; then
    echo "== win32 tests under Wine, natively"
    xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset win32 || status=$?
    line="native: every win32 test ran"
  else
    echo "== win32 tests under Wine, 32-bit code emulated by qemu-user (label 'emulated')"
    xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset win32 -L emulated || status=$?
    line="emulated by qemu-user ($mode): the win32 tests labelled 'emulated' ran"
  fi
else
  cmake --preset win32 >/dev/null
  cmake --build --preset win32
  status=1
  line="impossible: 32-bit programs neither run here nor can be emulated (said above); the 32-bit build is untested"
fi
tier "win32 build and tests ($road)" $t

echo
echo "== times"
sed 's/^/  /' build/tier-times.txt
echo "  in all: $((SECONDS - started)) s"
echo "== 32-bit Windows tier: $line"
exit $status
