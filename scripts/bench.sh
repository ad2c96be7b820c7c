#!/usr/bin/env bash
# Install throughput: the installer's copy engine against tar -xzf, unzip -q
# and cp -r, side by side, on a game of many files and on one of few large
# files. bench.sh [work folder] (default build/bench; needs about 5 GB).
#
# bench.sh --extract [work folder]: the extract tier. First the cost of a
# file: 10,000 files of 200 bytes (BENCH_FILES) built and extracted, in the
# archives and in the data folder, and extract's peak memory with twice as
# many. Then gamedisc extract (the optimised Linux build) gets both games off
# their disc folders, off ISO images of them (xorriso) and off the cue sheets
# made from those (image_kinds: a track a file, one file with audio,
# MODE1/2048, MODE2/2352) and CloneCD, Alcohol and Nero images, beside the
# installer's copy engine, tar -xzf, unzip -q and 7z x (7-Zip's own format,
# LZMA2) of the same tree.
#
# bench.sh --wine [work folder]: the Windows tier. setup.exe under Wine (the
# 64-bit build; the same with zlib's inflate in place of libdeflate; and the
# shipped 32-bit one where this machine runs 32-bit code natively) installs
# both games from a CD-ROM drive holding both discs, timed by the UI driver
# from the press of OK to the "Sucess!!" box; beside it, in the same rounds,
# Wine's xcopy /E /I of the plain game, peer installers of the game built
# with NSIS (zlib, and solid LZMA; each silent and with its progress page),
# the host build of the copy engine and cp -r. For a quick look, BENCH_SHAPES=large runs that game alone (Wine
# tier) and BENCH_ROUNDS=1 one round (either tier).
#
# Each game is generated (seeded, the same bytes every time), authored into
# a two-disc set (the wall time of that printed, with the jobs gamedisc
# packed on: one per core, or BENCH_JOBS), packed with gzip -6 and zip;
# then, after a warm-up round, five rounds run every contestant, in an order
# shuffled each round (the same every run), into
# an empty folder on the same file system, with the page cache written out
# and dropped between runs (not timed), so that each reads its input from
# the disk.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
tier=host
case ${1:-} in
  --wine) tier=wine; shift ;;
  --extract) tier=extract; shift ;;
esac
work=$(realpath -m "${1:-build/bench}")
rounds=${BENCH_ROUNDS:-5}

scripts/install-deps.sh
# The benchmark's own needs: the peers it runs against, bc for the figures,
# valgrind to count the progress view's instructions.
missing=()
for tool in zip unzip bc valgrind xorriso; do command -v $tool >/dev/null || missing+=("$tool"); done
if [ "$tier" = wine ]; then
  command -v makensis >/dev/null || missing+=(nsis)
fi
if [ "$tier" = extract ]; then
  command -v 7z >/dev/null || missing+=(p7zip-full)
  [ -x /usr/bin/time ] || missing+=(time)
fi
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
cmake --preset host-release >/dev/null
cmake --build --preset host-release --target gen_game bench_install gamedisc image_kinds >/dev/null
bin=$root/build/host-release/bench
gamedisc=$root/build/host-release/tools/gamedisc/gamedisc
mkdir -p "$work"

. "$root/scripts/bench-game.sh"
now() { date +%s.%N; }
# Every contestant starts cold: written data on disk, nothing cached (the
# cache can only be dropped as root; elsewhere the runs start warm).
cold() {
  sync
  echo 3 2>/dev/null >/proc/sys/vm/drop_caches || true
}
# Runs "$@" once, cold, and prints its wall time in seconds.
timed() {
  local start end
  cold
  start=$(now)
  "$@" >"$work/last.out" 2>&1 || { cat "$work/last.out"; return 1; }
  end=$(now)
  echo "$end - $start" | bc -l
}
median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

prepare() {
  local shape=$1 dir=$work/$1
  # Sets authored before the discs carried their list of files are made anew.
  if [ ! -f "$dir/.ready" ] || [ ! -f "$dir/built/disc1/setupdata/manifest.ini" ]; then
    echo "preparing the $shape game in $dir"
    rm -rf "$dir"; mkdir -p "$dir"
    "$bin/gen_game" "$dir/all" "$shape"
    # The probe file goes to the disc's data folder; the rest is the game
    # that every contestant installs.
    mkdir -p "$dir/game"
    mv "$dir/all"/* "$dir/game"/ && rmdir "$dir/all"
    bench_project "$dir/project"
    # A stand-in for the uninstaller, so that the game brings its own.
    printf 'MZ' >"$dir/game/uninstall.exe"
    # Two discs: each holds a little over half of the packed game.
    local bytes; bytes=$(du -sb "$dir/game" | cut -f1)
    local jobs=${BENCH_JOBS:-$(nproc)} start; jobs=$(( jobs > 64 ? 64 : jobs )); start=$(now)
    "$gamedisc" build --quiet --jobs "$jobs" --project "$dir/project" \
      --game "$dir/game" --out "$dir/built" --capacity $(( bytes * 2 / 5 + 4000000 ))
    printf '  authored in %.1f s (gamedisc build --jobs %d)\n' "$(echo "$(now) - $start" | bc -l)" "$jobs"
    mkdir -p "$dir/discs"
    for d in "$dir"/built/disc*; do ln -s "$(ls "$d"/cd* | head -1)" "$dir/discs/"; done
    ls "$dir/discs" | grep -q cd2 || { echo "bench: the $shape game did not make two discs"; exit 1; }
    # The same discs with disc 1's list of files: every file checked.
    mkdir -p "$dir/discs-listed/setupdata"
    ln -s "$dir"/discs/cd* "$dir/discs-listed/"
    ln -s "$dir/built/disc1/setupdata/manifest.ini" "$dir/discs-listed/setupdata/"
    mv "$dir/game/kelvora.exe" "$dir/kelvora.exe"
    (cd "$dir/game" && tar -cf - . | gzip -6 >"$dir/game.tar.gz")
    (cd "$dir/game" && zip -q -r -6 "$dir/game.zip" .)
    touch "$dir/.ready"
  fi
}

# ISO images of the built discs and a 7z archive of the game, for the
# extract tier.
prepare_extract() {
  local shape=$1 dir=$work/$1 d
  for d in "$dir"/built/disc*/; do
    d=${d%/}
    [ -f "$d.iso" ] || xorriso -as mkisofs -quiet -r -J -V "$(basename "$d")" -o "$d.iso" "$d" 2>/dev/null
    [ -f "$d.nrg" ] || "$bin/image_kinds" "$d.iso" "$d"
  done
  [ -f "$dir/game.7z" ] || (cd "$dir/game" && 7z a -bd -bso0 -mx=5 "$dir/game.7z" . >/dev/null)
}

# The extracted tree is the game and its probe file, byte for byte.
check_tree() {
  local dir=$1 tree=$2
  diff -r -x install.log -x kelvora.exe "$dir/game" "$tree" >/dev/null && cmp -s "$dir/kelvora.exe" "$tree/kelvora.exe" ||
    { echo "bench: the tree in $tree differs from the game"; exit 1; }
}

# run_shape SHAPE CONTESTANT...: a warm-up, then the rounds, then the table.
run_shape() {
  local shape=$1 dir=$work/$1 out=$work/$1/out
  shift
  local contestants="$*"
  local bytes; bytes=$(du -sb "$dir/game" | cut -f1)
  local files; files=$(find "$dir/game" -type f | wc -l)
  local -A times=()
  local rss=""
  run_one() {
    local who=$1
    rm -rf "$out"; mkdir -p "$out"
    case $who in
      installer) timed "$bin/bench_install" install "$dir/discs" "$out/game" ;;
      listed)    timed "$bin/bench_install" install "$dir/discs-listed" "$out/game" ;;
      noview)    timed "$bin/bench_install" install "$dir/discs" "$out/game" noview ;;
      tar)       timed tar -xzf "$dir/game.tar.gz" -C "$out" ;;
      unzip)     timed unzip -q "$dir/game.zip" -d "$out" ;;
      cp)        timed cp -r "$dir/game" "$out/game" ;;
      unpack)    timed "$bin/bench_install" unpack "$dir/discs" ;;
      extract)   timed "$gamedisc" extract --quiet "$dir/built" --out "$out/game" ;;
      extract-iso) timed "$gamedisc" extract --quiet "$dir"/built/disc*.iso --out "$out/game" ;;
      extract-split|extract-onebin|extract-2048|extract-mode2)
        timed "$gamedisc" extract --quiet "$dir"/built/disc*-"${who#extract-}".cue --out "$out/game" ;;
      extract-ccd|extract-mds|extract-nrg)
        timed "$gamedisc" extract --quiet "$dir"/built/disc*."${who#extract-}" --out "$out/game" ;;
      7z)        timed 7z x -bd -bso0 "$dir/game.7z" -o"$out" ;;
    esac
  }
  for who in $contestants; do run_one "$who" >/dev/null; done  # warm-up
  for round in $(seq $rounds); do
    # Each round in its own order (the same every run): a stall of the
    # machine's that comes at the same point of every round falls on a
    # different contestant each time, not on one.
    for who in $(shuf -e $contestants --random-source=<(yes "$round")); do
      t=$(run_one "$who")
      times[$who]="${times[$who]:-} $t"
      if [ "$who" = installer ] || [ "$who" = listed ]; then
        rss=$(sed -n 's/.*peak \([0-9]*\) KB.*/\1/p' "$work/last.out")
        if [ "$round" = 1 ]; then
          # The install log is setup's own record, not the game's.
          diff -r -x install.log "$dir/game" "$out/game" >/dev/null ||
            { echo "bench: installed tree differs from the game"; exit 1; }
        fi
      fi
      case $who in extract*) [ "$round" != 1 ] || check_tree "$dir" "$out/game" ;; esac
    done
  done
  printf '\n%s game: %d files, %.1f MB installed; median of %d runs\n' "$shape" "$files" "$(echo "$bytes/1000000" | bc -l)" "$rounds"
  local base; base=$(echo ${times[installer]} | tr ' ' '\n' | median)
  printf '  %-28s %8s %9s %s\n' "" "seconds" "MB/s" "installer's speed / its"
  for who in $contestants; do
    local m; m=$(echo ${times[$who]} | tr ' ' '\n' | median)
    local label=$who
    case $who in
      installer) label="installer (copy engine)";; listed) label="installer, files checked";; tar) label="tar -xzf (gzip -6)";; unzip) label="unzip -q";;
      cp) label="cp -r (no decompression)";; unpack) label="unpack only, in memory";; noview) label="installer, no progress view";;
      extract) label="gamedisc extract, folders";; extract-iso) label="gamedisc extract, ISO images";; 7z) label="7z x (LZMA2)";;
      extract-split) label="extract, BIN/CUE split";; extract-onebin) label="extract, BIN/CUE + audio";;
      extract-2048) label="extract, BIN/CUE MODE1/2048";; extract-mode2) label="extract, BIN/CUE MODE2/2352";;
      extract-ccd) label="extract, CloneCD";; extract-mds) label="extract, Alcohol (2,448)";; extract-nrg) label="extract, Nero";;
    esac
    printf '  %-28s %8.3f %9.1f %8.2f\n' "$label" "$m" "$(echo "$bytes/1000000/$m" | bc -l)" "$(echo "$m/$base" | bc -l)"
  done
  [ -z "${times[listed]:-}" ] && return
  echo "  installer's peak resident memory: $rss KB"
  "$bin/bench_install" crc "$dir/discs" | sed -n '1s/^/  /p'
  local checked; checked=$(echo ${times[listed]} | tr ' ' '\n' | median)
  printf '  the check of every file against the list of files: %+.1f %% of the install\n' \
    "$(echo "($checked - $base) * 100 / $base" | bc -l)"
}

if [ "$tier" = wine ]; then
  . "$root/scripts/bench-wine.sh"
  shapes=${BENCH_SHAPES:-many large}
  for shape in $shapes; do prepare "$shape"; done
  wine_tier $shapes
  exit
fi

# small_files DIR N: a game of N files of 200 bytes in one folder ("files"),
# the same bytes every time, and two projects: the files in the archives,
# and the files in disc 1's data folder.
small_files() {
  local dir=$1 n=$2 i
  rm -rf "$dir"; mkdir -p "$dir/game/files"
  printf 'MZ' >"$dir/game/kelvora.exe"
  printf 'MZ' >"$dir/game/uninstall.exe"
  for ((i = 0; i < n; i++)); do printf '%0200d' "$i" >"$dir/game/files/f$i.dat"; done
  bench_project "$dir/archives.project"
  { cat "$dir/archives.project"; echo "data = files"; } >"$dir/data.project"
}

# The cost of a file: as many small files in the archives and in the data
# folder, built and extracted (the medians of the rounds, warm), and the
# peak memory of extract with twice as many in the archives.
files_rows() {
  local dir=$work/files n=${BENCH_FILES:-10000} where kind round
  small_files "$dir" "$n"
  for where in archives data; do
    for kind in build extract; do
      for ((round = 0; round < rounds; round++)); do
        rm -rf "$dir/$where.out" "$dir/$where.x"
        [ "$kind" = extract ] && "$gamedisc" build --quiet --project "$dir/$where.project" --game "$dir/game" \
          --out "$dir/$where.out" >/dev/null 2>&1
        local start; start=$(now)
        if [ "$kind" = build ]; then
          "$gamedisc" build --quiet --project "$dir/$where.project" --game "$dir/game" --out "$dir/$where.out" >/dev/null 2>&1
        else
          "$gamedisc" extract --quiet "$dir/$where.out" --out "$dir/$where.x" >/dev/null
        fi
        echo "$(now) - $start" | bc -l
      done | median >"$dir/$where.$kind"
    done
  done
  printf '  %d files of 200 bytes, build: %.2f s in the archives, %.2f s in the data folder\n' "$n" \
    "$(cat "$dir/archives.build")" "$(cat "$dir/data.build")"
  printf '  %d files of 200 bytes, extract: %.2f s from the archives, %.2f s from the data folder\n' "$n" \
    "$(cat "$dir/archives.extract")" "$(cat "$dir/data.extract")"
  small_files "$dir" $((n * 2))
  "$gamedisc" build --quiet --project "$dir/archives.project" --game "$dir/game" --out "$dir/archives.out" >/dev/null 2>&1
  /usr/bin/time -f "  $((n * 2)) files in the archives, extract's peak resident memory: %M KB" \
    "$gamedisc" extract --quiet "$dir/archives.out" --out "$dir/archives.x" >/dev/null
  rm -rf "$dir"
}

if [ "$tier" = extract ]; then
  files_rows
  for shape in ${BENCH_SHAPES:-many large}; do
    prepare "$shape"
    prepare_extract "$shape"
    run_shape "$shape" installer extract extract-iso extract-split extract-onebin extract-2048 extract-mode2 extract-ccd extract-mds extract-nrg tar unzip 7z
    # The peak resident memory, from an image.
    rm -rf "$work/$shape/out"
    /usr/bin/time -f "  gamedisc extract's peak resident memory: %M KB" \
      "$gamedisc" extract --quiet "$work/$shape"/built/disc*.iso --out "$work/$shape/out/game" >/dev/null
  done
  rm -rf "$work"/*/out
  exit
fi

for shape in many large small; do prepare "$shape"; done
for shape in many large; do run_shape "$shape" installer listed tar unzip cp unpack noview; done
# The peak resident memory must not grow with the game.
"$bin/bench_install" install "$work/small/discs" "$work/small/out-rss" | sed 's/^/  40 MB game: /'
rm -rf "$work/small/out-rss"
# What the progress view and the message pump cost, counted in instructions
# (wall times of runs this short vary by more than the view costs).
if command -v valgrind >/dev/null; then
  count() {
    local discs=$1; shift
    rm -rf "$work/small/out-cg"
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$bin/bench_install" install \
      "$work/small/$discs" "$work/small/out-cg" "$@" 2>&1 | sed -n 's/.*I *refs: *//p' | tr -d ,
  }
  with=$(count discs) without=$(count discs noview) listed=$(count discs-listed)
  printf '  progress view and message pump: %d of %d instructions (%.2f %%), 40 MB game\n' \
    $((with - without)) "$with" "$(echo "($with - $without) * 100 / $with" | bc -l)"
  printf '  the check against the list of files: %d more instructions (%.2f %%), 40 MB game\n' \
    $((listed - with)) "$(echo "($listed - $with) * 100 / $with" | bc -l)"
else
  echo "  (valgrind not found: the progress view's cost is not counted)"
fi
rm -rf "$work/small/out-cg" "$work"/*/out
