#!/usr/bin/env bash
# Times `lorvenna bias` on a merged sweep of RUNS runs (default 10000): two
# rows of a tiny grid (dep and seq, three sample sizes each, 30 species) run
# with --run-seeds and RUNS/2 replicates, as two slices merged into one
# folder, then summarised.  Prints the table sizes and the seconds of the
# summary (the median of three).
#   bench/bias_bench.sh [PROGRAM] [RUNS]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="$(cd "$(dirname "${1:-$root/build/lorvenna}")" && pwd)/$(basename "${1:-$root/build/lorvenna}")"
runs=${2:-10000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
{
  head -1 "$root/bench/scenarios/design_seq.txt"
  echo "24 16 6 2 2 2 dep 30 2 0 -1 0.5 0.1 power normal 8 4 1.5 1 0 2 1 0 fix dsq 2.5 1 0 0 sha 2 fix"
  echo "24 16 6 2 2 2 seq 30 2 0 -1 0.5 0.1 power normal 8 4 1.5 1 0 2 1 0 fix dsq 2.5 1 0 0 sha 1 fix"
} > sweep.txt
common=(--mode s --batch sweep.txt --tidy --seed 2026 --run-seeds --replicates $((runs / 2)) --quiet)
"$bin" "${common[@]}" --rows 1:1 --out slice1
"$bin" "${common[@]}" --rows 2:2 --out slice2
"$bin" merge merged slice1 slice2 --quiet
wc -l merged/runs.csv merged/samples.csv merged/estimates.csv | sed 's/^/  /'
du -h merged/estimates.csv merged/samples.csv | sed 's/^/  /'
times=()
for k in 1 2 3; do
  start=$EPOCHREALTIME
  "$bin" bias merged --quiet > /dev/null
  times+=("$(awk "BEGIN { print $EPOCHREALTIME - $start }")")
done
printf '%s\n' "${times[@]}" | sort -n | sed -n 2p | awk '{printf "lorvenna bias on %d runs: %.2f s (median of 3)\n", '"$runs"', $1}'
