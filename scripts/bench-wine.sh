# The Windows tier of the benchmark, sourced by bench.sh --wine: wine_tier
# SHAPE... Uses bench.sh's root, work, bin, rounds, cold, timed and median,
# and the games that its prepare laid out.
#
# Every contestant of a round starts cold (bench.sh's timed). The Wine
# programs are timed by the UI driver's own clock: setup.exe from the press
# of OK in its path dialog to its "Sucess!!" box, xcopy from its start to
# its end, so that the start of Wine and of the driver is not counted.

# wine_time STEPS: runs the driver over a steps file, cold, and prints the
# seconds of its "[time]" line.
wine_time() {
  local steps=$1 transcript=${1%.txt}.transcript
  cold
  if ! "$WINE" "$driver" "$(winpath "$steps")" >"$transcript" 2>>"$work/wine/wine.log"; then
    sed 's/^/  | /' "$transcript" >&2
    echo "bench: the driver stopped; Wine's log: $work/wine/wine.log" >&2
    return 1
  fi
  sed -n 's/\r$//; s/^\[time\] [^ ]* //p' "$transcript"
}

winpath() { printf 'Z:%s' "${1//\//\\}"; }

# The folder setup.exe installed the game into (under either Program Files).
installed_dir() {
  find "$drive_c/Program Files/Bench" "$drive_c/Program Files (x86)/Bench" -maxdepth 2 -name install.log \
    -printf '%h\n' 2>/dev/null | head -n1 || true
}

clear_targets() {
  rm -rf "$drive_c/Program Files/Bench" "$drive_c/Program Files (x86)/Bench" "$drive_c/xcopy" "$work/wine/out"
}

wine_shape() {
  local shape=$1 dir=$work/$1
  local bytes; bytes=$(du -sb "$dir/game" | cut -f1)
  local files; files=$(find "$dir/game" -type f | wc -l)
  # Both discs in the drive: disc 1 as authored, and disc 2's archive.
  local disc=$dir/wine-disc d
  rm -rf "$disc"
  mkdir -p "$disc"
  ln -s "$dir"/built/disc1/* "$disc"/
  for d in "$dir"/built/disc*; do
    [ "$d" = "$dir/built/disc1" ] || ln -s "$d"/cd* "$disc"/
  done
  ln -sfn "$disc" "$prefix/dosdevices/e:"

  local who steps=$work/wine/steps-$shape
  for who in "${setups[@]}"; do
    cat >"$steps-$who.txt" <<EOF
timeout 900
start "$(winpath "${setup_exe[$who]}")"
window path "Bench Setup" 1006
clock
click path 1004
box "" "Sucess!!" OK
lap install
answer OK
exit 0
EOF
  done
  cat >"$steps-xcopy.txt" <<EOF
timeout 900
clock
run "xcopy /E /I $(winpath "$dir/game") C:\\xcopy\\game" 0
lap xcopy
EOF

  local contestants="${setups[*]} xcopy host cp"
  local -A times=()
  local round t
  for round in $(seq 0 "$rounds"); do
    for who in $contestants; do
      clear_targets
      mkdir -p "$work/wine/out"
      case $who in
        xcopy) t=$(wine_time "$steps-xcopy.txt") ;;
        host) t=$(timed "$bin/bench_install" install "$dir/discs" "$work/wine/out/game") ;;
        cp) t=$(timed cp -r "$dir/game" "$work/wine/out/game") ;;
        *) t=$(wine_time "$steps-$who.txt") ;;
      esac
      [ -n "$t" ] || { echo "bench: no time for $who"; exit 1; }
      # Round 0 warms up, and each installed tree is compared with the game
      # once. The data folder's files and setup's records come on top.
      if [ "$round" = 0 ]; then
        local installed=
        case $who in
          xcopy) installed=$drive_c/xcopy/game ;;
          host|cp) installed=$work/wine/out/game ;;
          *) installed=$(installed_dir) ;;
        esac
        if ! diff -r -x install.log -x uninstall.dat -x kelvora.exe "$dir/game" "$installed" >/dev/null; then
          echo "bench: the tree $who made in $installed differs from the game"
          exit 1
        fi
      else
        times[$who]="${times[$who]:-} $t"
      fi
    done
  done
  clear_targets

  printf '\n%s game under Wine: %d files, %.1f MB; median of %d cold runs\n' "$shape" "$files" \
    "$(echo "$bytes/1000000" | bc -l)" "$rounds"
  local base; base=$(echo ${times[xcopy]} | tr ' ' '\n' | median)
  printf '  %-40s %8s %9s %s\n' "" "seconds" "MB/s" "speed / xcopy's"
  local m label
  for who in $contestants; do
    m=$(echo ${times[$who]} | tr ' ' '\n' | median)
    case $who in
      32) label="setup.exe, 32-bit (what ships), native" ;;
      64) label="setup.exe, 64-bit build" ;;
      64z) label="setup.exe, 64-bit, zlib's inflate" ;;
      xcopy) label="xcopy /E /I of the plain game" ;;
      host) label="host build (bench_install), no Wine" ;;
      cp) label="cp -r of the plain game, no Wine" ;;
    esac
    printf '  %-40s %8.3f %9.1f %8.2f\n' "$label" "$m" "$(echo "$bytes/1000000/$m" | bc -l)" \
      "$(echo "$base/$m" | bc -l)"
  done
}

wine_tier() {
  local scripts=$root/scripts
  cmake --preset win64 >/dev/null
  cmake --build --preset win64 --target setup ui_driver >/dev/null
  # The same program with zlib's inflate, to show what the decompressor is
  # worth where the program runs.
  local zlib_build=$root/build/bench-win64-zlib
  cmake --preset win64 -B "$zlib_build" -DSETUP_LIBDEFLATE=OFF >/dev/null
  cmake --build "$zlib_build" --target setup >/dev/null
  local -a setups=(64 64z)
  local -A setup_exe=([64]=$root/build/win64/setup/setup.exe [64z]=$zlib_build/setup/setup.exe)
  # The shipped 32-bit program runs only where 32-bit code runs natively:
  # emulated, it would time the emulator.
  if [ "$("$scripts/i386-road.sh" status 2>/dev/null)" = native ]; then
    cmake --preset win32 >/dev/null
    cmake --build --preset win32 --target setup >/dev/null
    setups=(32 64 64z)
    setup_exe[32]=$root/build/win32/setup/setup.exe
  else
    echo "(32-bit programs do not run natively here: the 64-bit builds alone are timed)"
  fi
  local driver=$root/build/win64/tests/e2e/ui_driver.exe

  mkdir -p "$work/wine"
  : >"$work/wine/wine.log"
  . "$scripts/xvfb-display.sh"
  start_display "$work/wine" || { echo "bench: Xvfb did not start"; exit 1; }
  export DISPLAY=$display

  local prefix=$work/wine/prefix
  WINE_BASE_PREFIX= "$scripts/wine-prefix.sh" "$prefix" >/dev/null
  export WINEPREFIX=$prefix
  . "$scripts/wine-env.sh"
  local drive_c=$prefix/drive_c
  # One Wine session for every run: its start is no contestant's. It and
  # the display end with the benchmark, also when a run fails.
  "$WINESERVER" -p
  trap '"$WINESERVER" -k 2>/dev/null; stop_display' EXIT

  local shape
  for shape in "$@"; do wine_shape "$shape"; done
}
