#!/usr/bin/env bash
# R CMD check --no-manual on the source package built from r/lorvenna (its
# engine staged by an install before): fails on any ERROR or WARNING.
#   r/check_package.sh WORK_DIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$1"
if [ ! -f "$here/lorvenna/src/engine/VERSION" ]; then
  echo "The engine is not staged in r/lorvenna/src/engine: install the package first (cmake --build --preset r)" >&2
  exit 1
fi
rm -rf "$work"
mkdir -p "$work"
# A copy, so that building the source package does not clean the objects of the installed tree.
cp -R "$here/lorvenna" "$work/lorvenna"
cd "$work"
sh lorvenna/cleanup
R CMD build --no-manual lorvenna
tarball=$(ls lorvenna_*.tar.gz)
status=0
R CMD check --no-manual "$tarball" || status=$?
result=$(grep '^Status:' lorvenna.Rcheck/00check.log || echo "Status: no result")
echo "R CMD check: $result"
if [ "$status" -ne 0 ] || echo "$result" | grep -Eq 'ERROR|WARNING|no result'; then
  cat lorvenna.Rcheck/00check.log
  [ -f lorvenna.Rcheck/tests/testthat.Rout.fail ] && cat lorvenna.Rcheck/tests/testthat.Rout.fail
  exit 1
fi
