#!/usr/bin/env bash
# Writes the R package's generated files anew from their sources, to be
# committed with them:
#   - the help pages (r/lorvenna/man) and NAMESPACE, by roxygen2 from the
#     comments beside the code (RcppExports stay as Rcpp writes them);
#   - with the r preset's build (cmake --workflow --preset r): the example
#     output folder the help pages read (r/lorvenna/inst/extdata/sweep), run
#     by the command line, and the pictures of the manual (docs/img), drawn
#     by the vignette's own code.
#   scripts/r_document.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh r-docs
Rscript -e 'roxygen2::roxygenise("r/lorvenna", roclets = c("rd", "namespace"))'

binary=build/r/lorvenna
library=build/r-lib
if [ ! -x "$binary" ] || [ ! -d "$library/lorvenna" ]; then
  echo "r_document: help pages and NAMESPACE written; the example folder and the manual's pictures" \
       "need the r preset's build first (cmake --workflow --preset r)" >&2
  exit 1
fi

# The folder lv_read()'s example reads: two small rows, two replicates each.
sweep=r/lorvenna/inst/extdata/sweep
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$binary" --mode s --batch "$sweep/rows.txt" --tidy --seed 7 --run-seeds --replicates 2 --out "$work/out" --quiet
# timings.csv differs from run to run; the reports are not what lv_read() reads.
for table in runs species samples curve units estimates occurrences; do cp "$work/out/$table.csv" "$sweep/"; done

# The manual's pictures, from the vignette's code.
R_LIBS="$library" Rscript r/vignette_figures.R r/lorvenna/vignettes/lorvenna.Rmd docs/img
echo "r_document: help pages, NAMESPACE, $sweep and docs/img written"
