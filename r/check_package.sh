#!/usr/bin/env bash
# R CMD check --as-cran on the source package built from r/lorvenna (its
# engine staged by an install before), vignette included: fails on any ERROR
# or WARNING, and when a test was skipped. LORVENNA_BINARY, the command line
# built beside the package, is passed on to the package's tests, so that they
# compare with it under the check too. The PDF manual is left out
# (--no-manual): it needs LaTeX, which the project does not install; the Rd
# files' syntax, metadata, cross-references and usage are checked all the same.
#   LORVENNA_BINARY=build/r/lorvenna r/check_package.sh WORK_DIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$1"
if [ ! -f "$here/lorvenna/src/engine/VERSION" ]; then
  echo "The engine is not staged in r/lorvenna/src/engine: install the package first (cmake --build --preset r)" >&2
  exit 1
fi
if [ ! -x "${LORVENNA_BINARY:-}" ]; then
  echo "LORVENNA_BINARY does not name the command-line program; the tests' comparisons with it would be skipped" >&2
  exit 1
fi
LORVENNA_BINARY="$(cd "$(dirname "$LORVENNA_BINARY")" && pwd)/$(basename "$LORVENNA_BINARY")"
export LORVENNA_BINARY
rm -rf "$work"
mkdir -p "$work"
# A copy, so that building the source package does not clean the objects of the installed tree.
cp -R "$here/lorvenna" "$work/lorvenna"
cd "$work"
sh lorvenna/cleanup
# Building the vignette installs the package into a temporary library first.
R CMD build lorvenna
tarball=$(ls lorvenna_*.tar.gz)
status=0
R CMD check --as-cran --no-manual "$tarball" || status=$?
result=$(grep '^Status:' lorvenna.Rcheck/00check.log || echo "Status: no result")
echo "R CMD check: $result"
tests=$(grep -h '^\[ FAIL' lorvenna.Rcheck/tests/testthat.Rout* 2>/dev/null | tail -1)
echo "Tests under the check: ${tests:-no result}"
if [ "$status" -ne 0 ] || echo "$result" | grep -Eq 'ERROR|WARNING|no result'; then
  cat lorvenna.Rcheck/00check.log
  [ -f lorvenna.Rcheck/tests/testthat.Rout.fail ] && cat lorvenna.Rcheck/tests/testthat.Rout.fail
  exit 1
fi
if ! echo "$tests" | grep -Eq '^\[ FAIL 0 \| WARN [0-9]+ \| SKIP 0 \| PASS [1-9][0-9]* \]'; then
  echo "R CMD check: tests were skipped or did not report" >&2
  grep -h -B2 -A3 'Skipped\|SKIP' lorvenna.Rcheck/tests/testthat.Rout* >&2 || true
  exit 1
fi
