#!/usr/bin/env bash
# Quick start: installs what is missing, builds the program and runs the demo.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --workflow --preset demo
