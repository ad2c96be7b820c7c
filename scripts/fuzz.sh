#!/usr/bin/env bash
# Runs every fuzz target for a fixed time: fuzz.sh [seconds per target]
# (10 by default, as in the test command; 600 or more for a real search).
# The checked-in seeds in tests/fuzz/corpus are copied, never changed; what
# a run finds is kept in build/fuzz/findings/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null

status=0
for target in disc package picture text stored_path install_log; do
  corpus=build/fuzz/corpus/$target
  findings=build/fuzz/findings/$target
  log=build/fuzz/$target.log
  rm -rf "$corpus" "$findings"
  mkdir -p "$corpus" "$findings"
  cp tests/fuzz/corpus/$target/* "$corpus"/
  if ! build/fuzz/tests/fuzz/fuzz_$target -max_total_time="$seconds" -max_len=8192 -timeout=10 \
       -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" >"$log" 2>&1; then
    status=1
    echo "fuzz_$target: FINDING (see $findings and $log)"
    tail -40 "$log"
    continue
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  edges=$(sed -n 's/.*DONE *cov: \([0-9]*\).*/\1/p' "$log" | tail -1)
  echo "fuzz_$target: $runs executions in ${seconds}s, coverage $edges, no findings"
done
exit $status
