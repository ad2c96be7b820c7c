#!/usr/bin/env bash
# The requests setup.exe and a peer installer make to the Wine server while
# they write a game: server-requests.sh [work folder] (default
# build/requests). Wine's +server trace of setup.exe (the 64-bit build,
# driven by the UI driver through its dialogs) and of an NSIS zlib installer
# of the same game, run silent, each installing the seeded game of 902
# files. For each it prints the requests its writing thread makes from the
# game's first folder to the data folder's file, the last it writes, a file
# and by kind, and those of its whole run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
work=$(realpath -m "${1:-build/requests}")

scripts/install-deps.sh
command -v makensis >/dev/null || {
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends nsis
}
cmake --preset host-release >/dev/null
cmake --build --preset host-release --target gen_game gamedisc >/dev/null
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target setup ui_driver >/dev/null

. scripts/bench-game.sh
mkdir -p "$work"
if [ ! -f "$work/.ready" ]; then
  echo "preparing the game in $work"
  rm -rf "$work/all" "$work/game" "$work/built"
  build/host-release/bench/gen_game "$work/all" small >/dev/null
  mkdir -p "$work/game" && mv "$work/all"/* "$work/game"/ && rmdir "$work/all"
  printf 'MZ' >"$work/game/uninstall.exe"
  bench_project "$work/project"
  build/host-release/tools/gamedisc/gamedisc build --quiet --project "$work/project" --game "$work/game" \
    --out "$work/built"
  # The probe file goes to the data folder, as in the benchmark.
  mv "$work/game/kelvora.exe" "$work/kelvora.exe"
  peer_nsi "$work/peer.nsi" zlib peer.exe
  (cd "$work" && makensis -V2 peer.nsi)
  touch "$work/.ready"
fi
files=$(( $(find "$work/game" -type f | wc -l) + 1 ))

. scripts/xvfb-display.sh
start_display "$work" || { echo "server-requests: Xvfb did not start"; exit 1; }
export DISPLAY=$display
export WINEPREFIX=$work/prefix
WINE_BASE_PREFIX= scripts/wine-prefix.sh "$WINEPREFIX" >/dev/null
. scripts/wine-env.sh
trap '"$WINESERVER" -k 2>/dev/null; stop_display' EXIT
ln -sfn "$work/built/disc1" "$WINEPREFIX/dosdevices/e:"
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# count LABEL TRACE FIRST LAST: the calls (not the replies) of the thread
# that created FIRST, from that creation to the last creation of LAST.
count() {
  local label=$1 trace=$2 first=$3 last=$4 tid calls=$work/$1.calls from to
  tid=$(grep -a -m1 "create_file(.*$first\"" "$trace" | sed 's/^\([0-9a-f]*\):.*/\1/')
  grep -a -E "^$tid: [a-z_]+\( " "$trace" >"$calls"
  from=$(grep -a -n "$first\"" "$calls" | head -n1 | cut -d: -f1)
  to=$(grep -a -n "$last\"" "$calls" | tail -n1 | cut -d: -f1)
  printf '%s: %d requests writing %d files, %.2f a file (its whole run: %d)\n' "$label" \
    $((to - from + 1)) "$files" "$(echo "($to - $from + 1) / $files" | bc -l)" "$(wc -l <"$calls")"
  sed -n "${from},${to}p" "$calls" | sed 's/^[0-9a-f]*: \([a-z_]*\)(.*/\1/' | sort | uniq -c | sort -rn |
    head -n 12 | sed 's/^/  /'
}

cat >"$work/steps.txt" <<EOF
timeout 600
start "$(winpath "$root/build/win64/setup/setup.exe")"
window path "Bench Setup" 1006
click path 1004
box "" "Sucess!!" OK
answer OK
exit 0
EOF
echo "tracing setup.exe"
WINEDEBUG=+server "$WINE" build/win64/tests/e2e/ui_driver.exe "$(winpath "$work/steps.txt")" \
  >"$work/setup.transcript" 2>"$work/setup.trace" ||
  { cat "$work/setup.transcript"; exit 1; }
"$WINESERVER" -w
echo "tracing the peer installer"
WINEDEBUG=+server "$WINE" "$work/peer.exe" /S '/D=C:\peer\game' 2>"$work/peer.trace"
"$WINESERVER" -w

# In the trace a backslash of a path is written twice.
count setup.exe "$work/setup.trace" 'Game\\\\bin' 'Game\\\\kelvora.exe'
count "peer installer (NSIS zlib), silent" "$work/peer.trace" 'peer\\\\game' 'peer\\\\game\\\\kelvora.exe'
