#!/usr/bin/env bash
# Installs the R package for good: what is missing from Debian's packages
# first (R, Rcpp, ggplot2, testthat), then the package itself, with the engine's
# sources staged into it, into R's first library (as root: the site library;
# otherwise your own, created when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/setup.sh r
export R_MAKEVARS_USER="$PWD/r/release.mk"  # the optimisation of the program's release build
if [ "$(id -u)" -ne 0 ]; then
  lib=$(Rscript -e 'cat(path.expand(Sys.getenv("R_LIBS_USER")))')
  mkdir -p "$lib"
  MAKEFLAGS=${MAKEFLAGS:--j2} R CMD INSTALL --library="$lib" r/lorvenna
else
  MAKEFLAGS=${MAKEFLAGS:--j2} R CMD INSTALL r/lorvenna
fi
