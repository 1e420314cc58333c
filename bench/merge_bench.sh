#!/usr/bin/env bash
# Times `lorvenna merge` on SLICES folders of RUNS runs each (default 1000 of
# 100): one slice is run, its folder copied SLICES times with the runs of each
# copy renumbered in its manifest, and the copies merged.  Prints the bytes
# merged, the seconds and the seconds per GB.
#   bench/merge_bench.sh [PROGRAM] [SLICES] [RUNS]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="$(cd "$(dirname "${1:-$root/build/lorvenna}")" && pwd)/$(basename "${1:-$root/build/lorvenna}")"
slices=${2:-1000} runs=${3:-100}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
{
  head -1 "$root/bench/scenarios/design_seq.txt"
  for i in $(seq 1 "$runs"); do
    echo "40 20 4 1 1 1 seq 20 1 0 -1 0.5 0.1 rnd normal 3 2 1 1 0 0 0 0 fix rmd 2 1 0 0 sha 1 fix"
  done
} > rows.txt
{ head -1 rows.txt; for k in $(seq 1 "$slices"); do tail -n +2 rows.txt; done; } > sweep.txt
"$bin" --mode s --batch sweep.txt --rows "1:$runs" --tidy --cells --seed 1 --run-seeds --out s1 --quiet
python3 - "$slices" "$runs" <<'PY'
import os, shutil, sys
slices, runs = int(sys.argv[1]), int(sys.argv[2])
lines = open("s1/lorvenna-manifest.txt").read().splitlines(True)
for k in range(2, slices + 1):
    d = f"s{k}"
    os.mkdir(d)
    for name in os.listdir("s1"):
        if name != "lorvenna-manifest.txt":
            os.link(f"s1/{name}", f"{d}/{name}")  # same bytes, no copy on disk
    out = []
    for line in lines:
        f = line.rstrip("\n").split("\t")
        if f[0] == "rows":
            f[1], f[2] = str((k - 1) * runs + 1), str(k * runs)
        elif f[0] == "run":
            f[1] = str(int(f[1]) + (k - 1) * runs)
            f[2] = str(int(f[2]) + (k - 1) * runs)
        out.append("\t".join(f) + "\n")
    open(f"{d}/lorvenna-manifest.txt", "w").write("".join(out))
PY
start=$(date +%s.%N)
"$bin" merge merged $(seq -f "s%g" 1 "$slices") >/dev/null
end=$(date +%s.%N)
bytes=$(du -sb merged | cut -f1)
python3 -c "b=$bytes; t=$end-$start; print(f'merged $slices slices of $runs runs: {b/1e9:.3f} GB in {t:.2f} s, {t/(b/1e9):.2f} s per GB')"
