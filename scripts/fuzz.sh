#!/usr/bin/env bash
# Runs every fuzz target for a bounded time (seconds per target, default 60) from the committed
# seed corpus. Any finding fails the run; the input that found it is kept in build/fuzz/findings.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

status=0
mkdir -p build/fuzz/findings
for target in record_table_fuzz text_fuzz scale_factor_fuzz pipeline_fuzz; do
  work="build/fuzz/corpus/$target"
  mkdir -p "$work"
  log="build/fuzz/$target.log"
  if "build/fuzz/tests/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
       -artifact_prefix="build/fuzz/findings/$target-" "$work" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
    runs=$(grep -o 'number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$')
    rate=$(grep -o 'average_exec_per_sec: *[0-9]*' "$log" | grep -o '[0-9]*$')
    echo "fuzz $target: passed, $runs runs, $rate per second"
  else
    echo "fuzz $target: FAILED (see $log and build/fuzz/findings)"
    tail -n 30 "$log"
    status=1
  fi
done
exit $status
