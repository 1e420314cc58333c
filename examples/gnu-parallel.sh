#!/usr/bin/env bash
# A sweep in slices with GNU parallel, on the cores of this machine or on
# other machines, then merged into one folder.
#
#   examples/gnu-parallel.sh BATCH SLICES OUT LORVENNA-OPTIONS...
#   examples/gnu-parallel.sh sweep.txt 8 results --mode s --tidy --seed 7 --run-seeds --replicates 20
#
# Slice K runs the rows examples/slice_rows.sh gives it into OUT.slices/K with
# --resume, so a slice that failed or was killed goes on where it stopped when
# the script is run again.  `lorvenna merge` then joins the slices into OUT,
# byte for byte what one machine running every row would have written (this
# needs --run-seeds).  Options for GNU parallel go in PARALLEL_OPTIONS, e.g.
#   PARALLEL_OPTIONS="--sshlogin 4/node1,4/node2 --workdir ." (the batch file
# and the program must be on every machine; see `man parallel`); the program
# is LORVENNA (default: lorvenna on the PATH).
set -euo pipefail
batch=$1 slices=$2 out=$3
shift 3
here="$(cd "$(dirname "$0")" && pwd)"
lorvenna=${LORVENNA:-lorvenna}
mkdir -p "$out.slices"
# shellcheck disable=SC2086
seq 1 "$slices" | parallel ${PARALLEL_OPTIONS:-} --halt now,fail=1 \
    'rows=$('"$here"'/slice_rows.sh '"$batch"' {} '"$slices"'); [ -z "$rows" ] || '"$lorvenna"' --batch '"$batch"' --rows $rows --out '"$out"'.slices/{} --resume --quiet '"$*"
"$lorvenna" merge "$out" "$out".slices/*
