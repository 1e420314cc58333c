#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the suite
# in the developer build, then again under ASan + UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh tests
cmake --workflow --preset test
cmake --workflow --preset sanitize
