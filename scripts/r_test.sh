#!/usr/bin/env bash
# Installs what is missing (R, Rcpp, ggplot2, testthat, knitr, rmarkdown, pandoc from Debian's packages),
# builds the program and the R package (build/r-lib) and runs the package's
# tests against the program, then R CMD check on the source package.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/setup.sh r
cmake --workflow --preset r
