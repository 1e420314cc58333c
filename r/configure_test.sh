#!/usr/bin/env bash
# The package's configure stages the engine from the source tree: a changed
# header makes every object be compiled anew (R's make does not know which
# objects include it); a changed source only its own; nothing changed, none.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/r"
cp "$here/../CMakeLists.txt" "$work/"
cp -R "$here/../src" "$work/src"
cp -R "$here/lorvenna" "$work/r/lorvenna"
cd "$work/r/lorvenna"
rm -rf src/engine src/*.o src/*.so src/flags.stamp
stage() { sh configure >/dev/null; }
compiled() {  # pretends every object was compiled: one per source
  for c in src/*.cpp $(find src/engine -name '*.cpp'); do touch "${c%.cpp}.o"; done
}
objects() { find src -name '*.o' | wc -l; }
fail() { echo "FAIL: $1"; exit 1; }

stage && compiled
all=$(objects)
stage
[ "$(objects)" -eq "$all" ] || fail "nothing changed, yet objects were removed"
echo "// changed" >> "$work/src/reports/csv_row.cpp"
touch -d 2000-01-01 "$work/src/reports/csv_row.cpp"  # edited while an earlier install compiled
stage
[ "$(objects)" -eq "$all" ] || fail "a changed source removed other objects"
[ "$work/r/lorvenna/src/engine/reports/csv_row.cpp" -nt "$work/r/lorvenna/src/engine/reports/csv_row.o" ] ||
  fail "the changed source is not newer than its object"
echo "// changed" >> "$work/src/sampling/sample_evaluation.hpp"
stage
[ "$(objects)" -eq 0 ] || fail "a changed header left $(objects) objects compiled against its old text"
echo "ok: the staged engine is compiled anew where it changed"
