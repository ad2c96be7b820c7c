# The Windows tier of the benchmark, sourced by bench.sh --wine: wine_tier
# SHAPE... Uses bench.sh's root, work, bin, rounds, cold, timed and median,
# and the games that its prepare laid out.
#
# Every contestant of a round starts cold (bench.sh's timed). The Wine
# programs are timed by the UI driver's own clock, so that the start of Wine
# and of the driver is not counted: setup.exe from the press of OK in its
# path dialog to its "Sucess!!" box; xcopy and the peer installers from the
# creation of their process to its end.

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
  rm -rf "$drive_c/Program Files/Bench" "$drive_c/Program Files (x86)/Bench" "$drive_c/xcopy" "$drive_c/peer" \
    "$work/wine/out"
}

# prepare_peers DIR: the peer installers of the game in DIR, built once and
# kept: DIR/peer-zlib.exe (each file a zlib stream of its own) and
# DIR/peer-lzma.exe (the whole game one solid LZMA stream), made by Debian's
# NSIS (bench-game.sh's peer_nsi).
prepare_peers() {
  local dir=$1 kind compressor
  for kind in zlib lzma; do
    [ -f "$dir/peer-$kind.exe" ] && continue
    echo "building the NSIS installer ($kind) of the $(basename "$dir") game"
    compressor=zlib
    [ "$kind" = zlib ] || compressor="/SOLID lzma"
    peer_nsi "$dir/peer-$kind.nsi" "$compressor" "peer-$kind.exe.part"
    makensis -V2 "$dir/peer-$kind.nsi"
    mv "$dir/peer-$kind.exe.part" "$dir/peer-$kind.exe"
  done
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
  # Folders only: the extract tier leaves disc images beside them.
  for d in "$dir"/built/disc*/; do
    d=${d%/}
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
  # The peers are timed from the creation of their process to its end, as
  # xcopy is, not from a page: NSIS reads its whole file to check it before
  # it shows one, so a clock started there would leave that read out and
  # find the file in the cache. Silent, the driver runs the installer as a
  # command (the clock starts just before the process is made); with its
  # progress page, the driver starts it as the program under test (the
  # clock starts just after), sees the page come up and waits for the
  # program to end, at most 20 ms late.
  local kind
  for kind in zlib lzma; do
    cat >"$steps-peer-$kind.txt" <<EOF
timeout 900
clock
run "$(winpath "$dir/peer-$kind.exe") /S /D=C:\\peer\\game" 0
lap peer
EOF
    cat >"$steps-peer-$kind-page.txt" <<EOF
timeout 900
start "$(winpath "$dir/peer-$kind.exe")"
clock
window page "Game Setup: Installing" 1018
exit 0
lap peer
EOF
  done

  local contestants="${setups[*]} xcopy peer-zlib peer-zlib-page peer-lzma peer-lzma-page host cp"
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
      # once. The data folder's files and setup's records come on top; the
      # installers bring the data folder's probe file too.
      if [ "$round" = 0 ]; then
        local installed= probe=
        case $who in
          xcopy) installed=$drive_c/xcopy/game ;;
          host|cp) installed=$work/wine/out/game ;;
          peer-*) installed=$drive_c/peer/game probe=$dir/kelvora.exe ;;
          *) installed=$(installed_dir) probe=$dir/kelvora.exe ;;
        esac
        if ! diff -r -x install.log -x uninstall.dat -x kelvora.exe "$dir/game" "$installed" >/dev/null ||
          { [ -n "$probe" ] && ! cmp -s "$probe" "$installed/kelvora.exe"; }; then
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
  printf '  %-48s %8s %9s %s\n' "" "seconds" "MB/s" "speed / xcopy's"
  local m label
  for who in $contestants; do
    m=$(echo ${times[$who]} | tr ' ' '\n' | median)
    case $who in
      32) label="setup.exe, 32-bit (what ships), native" ;;
      64) label="setup.exe, 64-bit build" ;;
      64z) label="setup.exe, 64-bit, zlib's inflate" ;;
      xcopy) label="xcopy /E /I of the plain game" ;;
      peer-zlib) label="peer installer (NSIS zlib), silent" ;;
      peer-zlib-page) label="peer installer (NSIS zlib), progress page" ;;
      peer-lzma) label="peer installer (NSIS solid LZMA), silent" ;;
      peer-lzma-page) label="peer installer (NSIS solid LZMA), progress page" ;;
      host) label="host build (bench_install), no Wine" ;;
      cp) label="cp -r of the plain game, no Wine" ;;
    esac
    printf '  %-48s %8.3f %9.1f %8.2f\n' "$label" "$m" "$(echo "$bytes/1000000/$m" | bc -l)" \
      "$(echo "$base/$m" | bc -l)"
  done
  echo "  (setup.exe from OK to its last box; xcopy and the peers from their process's creation to its end)"
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
  local shape
  for shape in "$@"; do prepare_peers "$work/$shape"; done

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

  for shape in "$@"; do wine_shape "$shape"; done
}
