#!/usr/bin/env bash
# Runs every fuzz target.
#
#   scripts/fuzz.sh [seconds]       each target for a time (10 s by default, as
#                                   in the test command), from the checked-in
#                                   seeds, which it does not change
#   scripts/fuzz.sh --runs N        the long run: each target until N
#   scripts/fuzz.sh --time SECONDS  executions, or for a time; two at a time
#                                   (FUZZ_JOBS), from the kept corpus and the
#                                   seeds
#
# The short runs use the `fuzz` build (AddressSanitizer and
# UndefinedBehaviorSanitizer). The long run searches with the `fuzz-fast`
# build (UndefinedBehaviorSanitizer alone: three times the executions), then
# runs every input it kept once more under the `fuzz` build, so that each
# input that reached new code is also checked for bad memory accesses.
#
# The long run keeps what it finds in the corpus at $FUZZ_KEPT (by default
# build/fuzz/kept/<target>, outside the tree's seeds), merged to a minimal
# set after each target, and adds to tests/fuzz/corpus/<target> only the
# inputs of the kept corpus that reach code the seeds do not (merged by edges
# alone, at most FUZZ_SEED_MAX bytes each). Findings go to
# build/fuzz/findings/<target>/; a finding fails the run. Every run prints
# each target's executions, executions per second and coverage.
# FUZZ_TARGETS names some of the targets only.
set -euo pipefail
cd "$(dirname "$0")/.."

targets=${FUZZ_TARGETS:-image_volume install_log disc extract manifest text picture art package stored_path cue_sheet image_descriptor}  # slowest first
mode=time
limit=${1:-10}
case ${1:-} in
  --runs) mode=runs limit=${2:?--runs needs a count} ;;
  --time) mode=long-time limit=${2:?--time needs seconds} ;;
esac
jobs=${FUZZ_JOBS:-2}
kept_root=${FUZZ_KEPT:-build/fuzz/kept}
seed_max=${FUZZ_SEED_MAX:-2048}
# Allocation stacks are left out of a report, and a freed block stays
# poisoned for the next 4 MB of frees (some runs' worth) instead of 256 MB:
# both cost a quarter of the time of a run that allocates much. Run a
# finding again without this setting to see where its block came from.
export ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=0:quarantine_size_mb=4}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null
if [ "$mode" != time ]; then
  cmake --preset fuzz-fast >/dev/null
  cmake --build --preset fuzz-fast >/dev/null
fi

# fuzz_one <target>: one target, its log in build/fuzz/<target>.log.
fuzz_one() {
  local target=$1 exe=build/fuzz/tests/fuzz/fuzz_$1 checked=build/fuzz/tests/fuzz/fuzz_$1
  local corpus findings=build/fuzz/findings/$1 log=build/fuzz/$1.log
  local -a stop dirs
  # An install log of 4 KB holds a hundred rows of every kind; a longer one
  # repeats them, at the cost of a check of every folder on each row's way.
  # 4 KB also holds a whole message file: three languages of every text.
  local max_len=8192
  [ "$target" = install_log ] || [ "$target" = text ] && max_len=4096
  # An image's records from sector 16 on: its descriptors, path tables,
  # folders and a few small files.
  [ "$target" = image_volume ] && max_len=40960
  rm -rf "$findings"
  mkdir -p "$findings"
  if [ "$mode" = time ]; then
    corpus=build/fuzz/corpus/$target
    rm -rf "$corpus"
    mkdir -p "$corpus"
    cp tests/fuzz/corpus/$target/* "$corpus"/
    stop=(-max_total_time="$limit")
    dirs=("$corpus")
  else
    corpus=$kept_root/$target
    mkdir -p "$corpus"
    if [ "$mode" = runs ]; then stop=(-runs="$limit"); else stop=(-max_total_time="$limit"); fi
    dirs=("$corpus" tests/fuzz/corpus/$target)
    exe=build/fuzz-fast/tests/fuzz/fuzz_$target
  fi
  if ! "$exe" "${stop[@]}" -max_len="$max_len" -timeout=10 -print_final_stats=1 \
       -artifact_prefix="$findings/" "${dirs[@]}" >"$log" 2>&1; then
    echo "fuzz_$target: FINDING (see $findings and $log)"
    tail -40 "$log"
    return 1
  fi
  local runs rate edges
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  edges=$(sed -n 's/.*DONE *cov: \([0-9]*\).*/\1/p' "$log" | tail -1)
  echo "fuzz_$target: $runs executions, $rate per second, coverage $edges, no findings"
  [ "$mode" = time ] && return 0

  if ! "$checked" -runs=0 -max_len="$max_len" -timeout=10 -artifact_prefix="$findings/" "$corpus" \
       >"$log.checked" 2>&1; then
    echo "fuzz_$target: FINDING when the kept inputs ran under AddressSanitizer (see $findings and $log.checked)"
    tail -40 "$log.checked"
    return 1
  fi
  echo "fuzz_$target: $(ls "$corpus" | wc -l) kept inputs run again under AddressSanitizer, no findings"

  # The kept corpus, merged down to the inputs that each add something; then
  # the seeds, given the inputs that reach new edges.
  local merged=$corpus.merging
  rm -rf "$merged"
  mkdir -p "$merged"
  "$exe" -merge=1 -max_len="$max_len" "$merged" "$corpus" >"$log.merge" 2>&1
  rm -rf "$corpus"
  mv "$merged" "$corpus"
  local before after
  before=$(ls tests/fuzz/corpus/$target | wc -l)
  "$exe" -merge=1 -use_counters=0 -max_len="$seed_max" tests/fuzz/corpus/$target "$corpus" \
    >>"$log.merge" 2>&1
  after=$(ls tests/fuzz/corpus/$target | wc -l)
  echo "fuzz_$target: kept corpus $(ls "$corpus" | wc -l) inputs; $((after - before)) added to the seeds"
}

status=0
if [ "$mode" = time ]; then
  for target in $targets; do fuzz_one "$target" || status=1; done
else
  started=$SECONDS
  for target in $targets; do
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
    rm -f build/fuzz/$target.status
    (
      code=0
      fuzz_one "$target" || code=$?
      echo $code >build/fuzz/$target.status
    ) &
  done
  wait
  for target in $targets; do
    [ "$(cat build/fuzz/$target.status 2>/dev/null)" = 0 ] || status=1
  done
  echo "long run: $((SECONDS - started)) s in all, $jobs at a time"
fi
exit $status
