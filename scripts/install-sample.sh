#!/usr/bin/env bash
# The main job, end to end: builds everything, makes the sample game's
# two-disc set with gamedisc, and installs it with setup.exe under Wine from
# a folder mapped as the CD-ROM drive E:, changing discs when setup asks.
#
#   scripts/install-sample.sh [work folder]     (default build/sample)
#
# With a display (DISPLAY set, a terminal at hand, not under CI) you click
# through setup yourself; this script puts disc 2 in when you press Enter.
# Without one, setup runs on a private Xvfb display and the project's UI
# driver presses OK, changes the disc and answers the boxes, and pictures of
# both dialogs are saved. Either way it then shows where the game went, the
# uninstall key and the shortcuts made.
#
# setup.exe is the 32-bit program that ships. Where this machine cannot run
# 32-bit code, it runs emulated by qemu-user (set up here and taken back at
# the end, see i386-road.sh): it then takes minutes, not seconds.
# TEST_I386=emulated or no-native tries that road on any machine, as with
# scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
work=$(realpath -m "${1:-build/sample}")
step() { printf '\n== %s\n' "$*"; }
winpath() { printf 'Z:%s' "${1//\//\\}"; }
started=$SECONDS

step "Installing what is missing"
TEST_I386=${TEST_I386:-auto} scripts/install-deps.sh

step "The road of 32-bit programs on this machine"
road_state=$work.i386-road.state
prefix=
xvfb_pid=
cleanup() {
  [ -z "$prefix" ] || WINEPREFIX=$prefix /usr/lib/wine/wineserver64 -k 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  scripts/i386-road.sh undo "$road_state" || true
}
trap cleanup EXIT
scripts/i386-road.sh undo "$road_state"
mode=${TEST_I386:-auto}
case $mode in
  auto | emulated) ;;
  no-native)
    scripts/i386-road.sh refuse "$road_state"
    echo "  32-bit programs are refused for this run, as by a kernel without 32-bit emulation"
    mode=auto
    ;;
  *) echo "TEST_I386 is auto, emulated or no-native, not '$mode'"; exit 2 ;;
esac
road=$(scripts/i386-road.sh setup "$mode" "$road_state") || { echo "setup.exe cannot run here."; exit 1; }
slowdown=1
if [ "$road" = native ]; then
  echo "  native: 32-bit programs run as they are"
else
  slowdown=6
  echo "  emulated: this machine cannot run 32-bit code; qemu-user runs it, each Wine program starting in a minute or two"
fi

step "Building the authoring tool (native) and setup.exe, uninstall.exe, the sample game and the UI driver (Windows)"
cmake --preset host-release >/dev/null && cmake --build --preset host-release --target gamedisc >/dev/null
cmake --preset win32 >/dev/null && cmake --build --preset win32 --target setup uninstall sample_game ui_driver >/dev/null
gamedisc=$root/build/host-release/tools/gamedisc/gamedisc
setup_exe=$root/build/win32/setup/setup.exe
driver=$root/build/win32/tests/e2e/ui_driver.exe
echo "setup.exe: $setup_exe ($(stat -c %s "$setup_exe") bytes)"

step "Making the sample game's discs"
rm -rf "$work"
mkdir -p "$work"
build_start=$SECONDS
# A capacity small enough that the sample needs two discs.
"$gamedisc" build --project tools/sample/sample.project --game build/win32/tools/sample/game \
  --out "$work/discs" --setup "$setup_exe" --capacity 900000
"$gamedisc" verify --quiet "$work/discs"
du -sh "$work"/discs/disc* | sed 's/^/  /'
echo "  built in $((SECONDS - build_start)) s"

step "Preparing Wine: a prefix of its own, the disc folder as CD-ROM drive E:"
prefix=$work/prefix
drive=$work/drive  # what is "in the drive": disc 1 now, disc 2 when asked for
cp -a "$work/discs/disc1" "$drive"
headless=1
if [ -n "${DISPLAY:-}" ] && [ -t 0 ] && [ -z "${CI:-}" ]; then headless=0; fi
if [ $headless = 1 ]; then
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/.display" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 200); do [ -s "$work/.display" ] && break; sleep 0.05; done
  export DISPLAY=:$(head -n1 "$work/.display")
fi
scripts/wine-prefix.sh "$prefix"
export WINEPREFIX=$prefix
. scripts/wine-env.sh
ln -sfn "$drive" "$prefix/dosdevices/e:"
"$WINESERVER" -k 2>/dev/null || true

title="Star Harbor Setup"
step "Running setup.exe from E:"
install_start=$SECONDS
if [ $headless = 0 ]; then
  echo "  Setup opens on your display: check the folder and press OK."
  "$WINE" 'E:\setup.exe' >"$work/wine.log" 2>&1 &
  setup_pid=$!
  read -r -p "  When setup asks for disc 2, press Enter here to put it in the drive... " _
  cp "$work/discs/disc2/cd2" "$drive/"
  echo "  Disc 2 is in: press OK in setup's box."
  wait "$setup_pid" && rc=0 || rc=$?
else
  shots=$work/screenshots
  mkdir -p "$shots"
  cat >"$work/steps.txt" <<STEPS
timeout $((60 * slowdown))
start E:\\setup.exe
window path "$title" 1004
shot path "$(winpath "$shots/path-dialog.bmp")"
click path 1004
window progress "$title" 1009
box "Next Disc" "Please insert disc 2" OKCANCEL
move box 20 560
shot progress "$(winpath "$shots/progress-dialog.bmp")"
copy "$(winpath "$work/discs/disc2/cd2")" E:\\cd2
answer OK
box "" "Sucess!!" OK
answer OK
exit 0
STEPS
  "$WINE" "$driver" "$(winpath "$work/steps.txt")" >"$work/transcript.txt" 2>"$work/wine.log" && rc=0 || rc=$?
  sed 's/^/  | /' "$work/transcript.txt"
  for bmp in "$shots"/*.bmp; do convert "$bmp" "${bmp%.bmp}.png" 2>/dev/null && rm "$bmp" || true; done
fi
"$WINESERVER" -w
echo "  setup ended with exit code $rc after $((SECONDS - install_start)) s"
[ "$rc" = 0 ] || { echo "The installation did not complete."; exit 1; }

step "Where the game went"
game_dir="$prefix/drive_c/Program Files/Lumen Works/Star Harbor"
echo "  C:\\Program Files\\Lumen Works\\Star Harbor  =  $game_dir"
(cd "$game_dir" && find . -type f -printf '    %10s  %P\n' | sort -k2)
echo "  $(find "$game_dir" -type f | wc -l) files, $(du -sb "$game_dir" | cut -f1) bytes"

step "The uninstall key (32-bit view, where a 32-bit program's writes land)"
"$WINE" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\StarHarbor' /reg:32 2>/dev/null |
  tr -d '\r' | sed '/^$/d; s/^/  /'

step "Shortcuts made"
find "$prefix/drive_c/users" \( -name '*.lnk' -o -name '*.url' \) -printf '  %P\n' | sort
if [ $headless = 1 ]; then
  step "Pictures of the dialogs"
  ls "$work"/screenshots/* | sed 's/^/  /'
fi
echo
echo "Done in $((SECONDS - started)) s. Everything is in $work."
