#!/usr/bin/env bash
# Runs the fuzz targets for the given number of seconds each (default 600),
# growing the corpora in fuzz/corpus; crashes are written to fuzz/crashes/<target>.
# Targets run side by side, as many at a time as JOBS (default: the cores).
# Usage: fuzz/run_fuzzers.sh [SECONDS] [TARGET...]
# Needs clang 14 with libFuzzer: cmake --preset fuzz builds the targets.
set -euo pipefail
seconds="${1:-600}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(batch_rows rank_order console_session console_interrupt field_data)
jobs="${JOBS:-$(nproc)}"
root="$(cd "$(dirname "$0")/.." && pwd)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
# Allocation stacks are left out of reports: unwinding on every allocation
# costs more than a tenth of each execution.  A crash input replays with full
# reports through build/fuzz/<target>_fuzz FILE.
export ASAN_OPTIONS="${ASAN_OPTIONS:-malloc_context_size=0}"
# A console session runs on libFuzzer's plain schedule: the entropic one updates
# a frequency for every coverage feature after each execution, which costs it
# about a seventh of its executions.  The file targets run faster on the
# entropic schedule.  FUZZ_FLAGS replaces these defaults for every target.
target_flags() {
  if [ -n "${FUZZ_FLAGS+set}" ]; then echo "$FUZZ_FLAGS"
  elif [ "$1" = console_session ]; then echo "-entropic=0"
  fi
}
run_one() {
  local target="$1"
  mkdir -p "$root/fuzz/crashes/$target" "$root/build/fuzz/logs"
  local log="$root/build/fuzz/logs/$target.log"
  local flags
  read -r -a flags <<<"$(target_flags "$target")"
  "$root/build/fuzz/${target}_fuzz" -max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 \
    -artifact_prefix="$root/fuzz/crashes/$target/" -print_final_stats=1 "${flags[@]}" \
    "$root/fuzz/corpus/$target" >"$log" 2>&1 || true
  echo "== $target: $(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}') executions," \
       "$(grep -cE '^==[0-9]+==ERROR|^SUMMARY' "$log") reports (log: $log)"
}
running=0
for target in "${targets[@]}"; do
  run_one "$target" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then wait -n; running=$((running - 1)); fi
done
wait
