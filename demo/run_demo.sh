#!/usr/bin/env bash
# Runs the demonstration batch: one sampling run per design on a 65 x 65 grid.
set -euo pipefail
bin="$1"
here="$(cd "$(dirname "$0")" && pwd)"
out="$here/../build/demo"
rm -rf "$out" && mkdir -p "$out"
cp "$here/designs.txt" "$out/"
cd "$out"
# Answers: sampling mode, no grid file, generated assemblages, batch file, no map, sample contents.
printf 's\nno\ng\nyes\ndesigns.txt\n0\nyes\n' | "$bin" --seed 2026
echo
echo "Demo results are in $(pwd): Distribution.txt, Sample.txt, Analysis.txt, Cells.txt"
