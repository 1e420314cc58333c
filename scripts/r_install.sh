#!/usr/bin/env bash
# Installs the R package for good, its vignette included: what is missing
# from Debian's packages first (R, Rcpp, ggplot2, testthat, knitr, rmarkdown,
# pandoc), then the package itself, with the engine's sources staged into it,
# into R's first library (as root: the site library; otherwise your own,
# created when missing). The source package is built first, as R CMD build
# builds it, because only a built package carries its vignette; building the
# vignette compiles the engine once more, into a temporary library.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/setup.sh r
export R_MAKEVARS_USER="$PWD/r/release.mk"  # the optimisation of the program's release build
(cd r/lorvenna && sh configure >/dev/null)  # stages the engine's sources into the package
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -R r/lorvenna "$work/lorvenna"
(cd "$work" && sh lorvenna/cleanup && MAKEFLAGS=${MAKEFLAGS:--j2} R CMD build lorvenna)
library=()
if [ "$(id -u)" -ne 0 ]; then
  lib=$(Rscript -e 'cat(path.expand(Sys.getenv("R_LIBS_USER")))')
  mkdir -p "$lib"
  library=(--library="$lib")
fi
MAKEFLAGS=${MAKEFLAGS:--j2} R CMD INSTALL "${library[@]}" "$work"/lorvenna_*.tar.gz
