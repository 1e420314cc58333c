#!/usr/bin/env bash
# Runs every fuzz target for the given number of seconds each (default 600),
# growing the corpora in fuzz/corpus; crashes are written to fuzz/crashes/<target>.
# Needs clang 14 with libFuzzer: cmake --preset fuzz builds the targets.
set -euo pipefail
seconds="${1:-600}"
root="$(cd "$(dirname "$0")/.." && pwd)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
for target in batch_rows rank_order console_session; do
  echo "== $target for $seconds s"
  mkdir -p "$root/fuzz/crashes/$target"
  "$root/build/fuzz/${target}_fuzz" -max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 \
    -artifact_prefix="$root/fuzz/crashes/$target/" -print_final_stats=1 \
    "$root/fuzz/corpus/$target" 2>&1 | grep -E '^(#|stat::number_of_executed_units|==|SUMMARY|Done)' | tail -5
done
