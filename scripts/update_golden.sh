#!/usr/bin/env bash
# Writes the golden sessions anew from the current build: every report file,
# every tidy table and the console transcript under tests/golden/<session>/out.  Run it only
# when a change of results is intended, read `git diff tests/golden`, and say
# in the commit why the results changed.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset dev >/dev/null
cmake --build --preset dev --target lorvenna_tests
LORVENNA_UPDATE_GOLDEN=1 build/dev/lorvenna_tests --gtest_filter='Sessions/Golden.*' --gtest_brief=1
git status --short tests/golden || true
