#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the suite
# in the developer build, again under ASan + UBSan, the sweeps through GNU
# parallel and a one-node Slurm cluster, and the R package's tests with
# R CMD check.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh tests
cmake --workflow --preset test
cmake --workflow --preset sanitize
scripts/sweep_test.sh build/lorvenna
scripts/slurm_sweep_test.sh build/lorvenna
scripts/r_test.sh
