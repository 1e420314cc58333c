#!/usr/bin/env bash
# Installs the Python package for good: what is missing from Debian's packages
# first (python3-dev, pybind11, NumPy, pandas, matplotlib, pytest, pip,
# setuptools, cmake, g++), then the package itself, its engine module compiled
# from the sources of the command line, for Debian's /usr/bin/python3.
# As root it goes to /usr/local (site-wide); otherwise to your user site.
# Inside a virtual environment made with --system-site-packages, run
#   pip install --no-build-isolation ./python
# instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/setup.sh python
# Debian marks its Python as managed by apt; the package goes beside apt's
# files (/usr/local or ~/.local), never over them, and needs nothing from the
# network: its dependencies are Debian's.
if [ "$(id -u)" -eq 0 ]; then
  /usr/bin/python3 -m pip install --no-build-isolation --no-deps --break-system-packages --upgrade ./python
else
  /usr/bin/python3 -m pip install --no-build-isolation --no-deps --break-system-packages --user --upgrade ./python
fi
