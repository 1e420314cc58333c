#!/usr/bin/env bash
# Prints the --rows range A:B of slice K of N for a batch file: the data rows
# (after the header, up to the first blank line) cut into N slices of nearly
# equal length.  Nothing is printed for a slice past the last row.
#   examples/slice_rows.sh BATCH K N
set -euo pipefail
batch=$1 k=$2 n=$3
rows=$(awk 'NR > 1 && NF == 0 { exit } NR > 1 { r++ } END { print r + 0 }' "$batch")
per=$(( (rows + n - 1) / n ))
a=$(( (k - 1) * per + 1 ))
b=$(( k * per < rows ? k * per : rows ))
if (( a <= b )); then echo "$a:$b"; fi
