#!/usr/bin/env bash
# Installs what Lorvenna needs from Debian's packages, when it is missing:
#   scripts/setup.sh          the program: cmake, g++
#   scripts/setup.sh tests    also GoogleTest, python3 and GNU parallel (tests, sweeps, acceptance checks)
#   scripts/setup.sh r        R with Rcpp, ggplot2 and testthat (the R package)
#   scripts/setup.sh python   Debian's Python with its headers, pybind11, NumPy, pandas, matplotlib,
#                             pytest, pip and setuptools (the Python package)
# As root it installs with apt-get; otherwise it names what to install and stops.
set -euo pipefail
missing=()
command -v cmake >/dev/null || missing+=(cmake)
command -v g++ >/dev/null || missing+=(g++)
if [ "${1:-}" = tests ]; then
  [ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
  command -v python3 >/dev/null || missing+=(python3)
  command -v parallel >/dev/null || missing+=(parallel)
fi
if [ "${1:-}" = r ]; then
  has_r_package() { command -v Rscript >/dev/null && Rscript -e "quit(status = !requireNamespace('$1', quietly = TRUE))" 2>/dev/null; }
  command -v R >/dev/null && [ -f "$(R RHOME 2>/dev/null)/etc/Makeconf" ] || missing+=(r-base-dev)
  has_r_package Rcpp || missing+=(r-cran-rcpp)
  has_r_package ggplot2 || missing+=(r-cran-ggplot2)
  has_r_package testthat || missing+=(r-cran-testthat)
fi
if [ "${1:-}" = python ]; then
  # Debian's interpreter: the python3 first on PATH may be another one.
  has_module() { [ -x /usr/bin/python3 ] && /usr/bin/python3 -c "import $1" 2>/dev/null; }
  [ -x /usr/bin/python3 ] || missing+=(python3)
  [ -f "$(/usr/bin/python3 -c 'import sysconfig; print(sysconfig.get_paths()["include"])' 2>/dev/null)/Python.h" ] ||
    missing+=(python3-dev)
  has_module pybind11 || missing+=(python3-pybind11)
  has_module numpy || missing+=(python3-numpy)
  has_module pandas || missing+=(python3-pandas)
  has_module matplotlib || missing+=(python3-matplotlib)
  has_module pytest || missing+=(python3-pytest)
  has_module pip || missing+=(python3-pip)
  has_module setuptools || missing+=(python3-setuptools)
fi
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -eq 0 ]; then
  echo "Installing ${missing[*]} from Debian's packages"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
else
  echo "Lorvenna needs ${missing[*]}; install them with:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
