#!/usr/bin/env bash
# Installs what is missing (R, Rcpp, ggplot2, testthat, knitr, rmarkdown, roxygen2, pandoc from Debian's packages),
# builds the program and the R package (build/r-lib) and runs the package's
# tests against the program, checks that the help pages are roxygen2's, then
# R CMD check --as-cran on the source package.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/setup.sh r-docs
cmake --workflow --preset r
