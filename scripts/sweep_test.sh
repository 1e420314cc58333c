#!/usr/bin/env bash
# A sweep of 12 rows with 3 replicates, run serially, with --jobs 2, as four
# slices through GNU parallel (examples/gnu-parallel.sh) and merged, and as a
# slice killed twice with SIGKILL (in the middle of a pass and between
# passes) and resumed: every report file and table is the same, byte for
# byte (timings.csv and the manifest aside).  Needs GNU parallel.
#   scripts/sweep_test.sh [PROGRAM]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="$(cd "$(dirname "${1:-$root/build/lorvenna}")" && pwd)/$(basename "${1:-$root/build/lorvenna}")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
designs=(seq ind oct dep lin)
{
  echo "Areal SampA maxSa minSa StepSa Sampfac Method Species maxD minD Dfluc Flucmy FlucStD DWD SWD Class SWDmy SWDStD DWDmy DWDStD Aggreg AreaHet NicheN RndHet FracM Scale1 Scale2 Range Gradient DivInd Permut GridHet"
  for i in $(seq 0 11); do
    echo "120 48 6 1 1 1 ${designs[i % 5]} 60 4 0 0.5 0.5 0.1 power normal 6 3 1 0.5 0 $((i % 4)) 1 0 fix dsq 2.5 1 $((i % 2 * 20)) 0 sha 2 fix"
  done
} > sweep.txt
opts=(--mode s --tidy --cells --seed 42 --run-seeds --replicates 3 --quiet)
exec 2> >(grep -v "^ Warning: species" >&2)  # shortfalls of single species are expected here

same() {  # same FOLDER FOLDER
  diff -r -q -x timings.csv -x lorvenna-manifest.txt "$1" "$2" >/dev/null || {
    echo "FAIL: $1 and $2 differ"; diff -r -q -x timings.csv -x lorvenna-manifest.txt "$1" "$2" | head; exit 1; }
}

"$bin" --batch sweep.txt --out serial "${opts[@]}"
[ "$(ls serial | wc -l)" -ge 8 ] || { echo "FAIL: the serial run wrote $(ls serial)"; exit 1; }
"$bin" --batch sweep.txt --out jobs --jobs 2 "${opts[@]}"
same serial jobs
echo "ok: --jobs 2 equals the serial run"

LORVENNA="$bin" "$root/examples/gnu-parallel.sh" sweep.txt 4 sliced "${opts[@]}" >/dev/null
same serial sliced
echo "ok: four slices through GNU parallel, merged, equal the serial run"

# A slice of rows 5 to 12 killed twice and resumed.
"$bin" --batch sweep.txt --rows 5:12 --out whole "${opts[@]}"
runs_done() { grep -c '^run	' "$1/lorvenna-manifest.txt" 2>/dev/null || true; }
"$bin" --batch sweep.txt --rows 5:12 --out killed "${opts[@]}" & pid=$!
while (( $(runs_done killed) + 0 < 4 )) && kill -0 $pid 2>/dev/null; do sleep 0.01; done
kill -9 $pid 2>/dev/null || true
wait $pid 2>/dev/null || true
unfinished() { ! grep -q '^end' killed/lorvenna-manifest.txt || { echo "FAIL: the slice ended before it was killed"; exit 1; }; }
unfinished
"$bin" --batch sweep.txt --rows 5:12 --out killed --resume "${opts[@]}" & pid=$!
while (( $(runs_done killed) + 0 < 12 )) && kill -0 $pid 2>/dev/null; do sleep 0.01; done
kill -STOP $pid 2>/dev/null || true   # between passes: the manifest has just grown
kill -9 $pid 2>/dev/null || true
wait $pid 2>/dev/null || true
unfinished
"$bin" --batch sweep.txt --rows 5:12 --out killed --resume "${opts[@]}"
same whole killed
[ "$(runs_done killed)" -eq 24 ] || { echo "FAIL: $(runs_done killed) runs in the resumed manifest, not 24"; exit 1; }
echo "ok: a slice killed twice and resumed equals the slice that ran through"
python3 "$root/scripts/check_tidy.py" serial
