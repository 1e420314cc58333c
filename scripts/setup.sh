#!/usr/bin/env bash
# Installs what Lorvenna needs from Debian's packages, when it is missing:
#   scripts/setup.sh          the program: cmake, g++
#   scripts/setup.sh tests    also GoogleTest, python3 and GNU parallel (tests, sweeps, acceptance checks)
#   scripts/setup.sh r        R with Rcpp, ggplot2, testthat, knitr, rmarkdown, vegan and pandoc (the R package,
#                             its vignette and its cross-check with vegan), and the tools R CMD check --as-cran asks for (checkbashisms, qpdf)
#   scripts/setup.sh r-docs   also roxygen2 (scripts/r_document.sh)
#   scripts/setup.sh python   Debian's Python with its headers, pybind11, NumPy, pandas, matplotlib,
#                             pytest, pip and setuptools (the Python package)
# As root it installs with apt-get; otherwise it names what to install and stops.
set -euo pipefail
missing=()
tools=()  # installed without the packages they recommend: only their own command is wanted
command -v cmake >/dev/null || missing+=(cmake)
command -v g++ >/dev/null || missing+=(g++)
if [ "${1:-}" = tests ]; then
  [ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
  command -v python3 >/dev/null || missing+=(python3)
  command -v parallel >/dev/null || missing+=(parallel)
fi
has_r_package() { command -v Rscript >/dev/null && Rscript -e "quit(status = !requireNamespace('$1', quietly = TRUE))" 2>/dev/null; }
if [ "${1:-}" = r ] || [ "${1:-}" = r-docs ]; then
  command -v R >/dev/null && [ -f "$(R RHOME 2>/dev/null)/etc/Makeconf" ] || missing+=(r-base-dev)
  has_r_package Rcpp || missing+=(r-cran-rcpp)
  has_r_package ggplot2 || missing+=(r-cran-ggplot2)
  has_r_package testthat || missing+=(r-cran-testthat)
  has_r_package knitr || missing+=(r-cran-knitr)
  has_r_package rmarkdown || missing+=(r-cran-rmarkdown)
  has_r_package vegan || missing+=(r-cran-vegan)
  command -v pandoc >/dev/null || missing+=(pandoc)
  command -v checkbashisms >/dev/null || tools+=(devscripts)
  command -v qpdf >/dev/null || tools+=(qpdf)
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
if [ "${1:-}" = r-docs ]; then
  has_r_package roxygen2 || missing+=(r-cran-roxygen2)
fi
[ ${#missing[@]} -eq 0 ] && [ ${#tools[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -eq 0 ]; then
  echo "Installing ${missing[*]} ${tools[*]} from Debian's packages"
  apt-get update -qq
  if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
  fi
  if [ ${#tools[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${tools[@]}" >/dev/null
  fi
else
  echo "Lorvenna needs ${missing[*]} ${tools[*]}; install them with:" >&2
  [ ${#missing[@]} -gt 0 ] && echo "  sudo apt-get install -y ${missing[*]}" >&2
  [ ${#tools[@]} -gt 0 ] && echo "  sudo apt-get install -y --no-install-recommends ${tools[*]}" >&2
  exit 1
fi
