#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the suite
# in the developer build, again under ASan + UBSan, the sweeps through GNU
# parallel and a one-node Slurm cluster, the R package's tests with
# R CMD check, and the Python package's tests.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh tests
cmake --workflow --preset test
cmake --workflow --preset sanitize
scripts/sweep_test.sh build/lorvenna
scripts/slurm_sweep_test.sh build/lorvenna
scripts/r_test.sh
scripts/setup.sh python && cmake --workflow --preset python
