#!/usr/bin/env bash
# Runs the whole test suite and the acceptance checks under valgrind memcheck:
# any invalid access, use of uninitialised memory or leak fails the run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/memcheck"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" -j2 --target lorvenna lorvenna_tests
vg=(valgrind --quiet --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect,possible
    --show-leak-kinds=definite,indirect,possible)
echo "== unit tests under memcheck"
"${vg[@]}" "$build/lorvenna_tests" --gtest_brief=1
echo "== acceptance checks under memcheck"
wrapper="$build/lorvenna-memcheck"
printf '#!/bin/sh\nexec %s --log-file=%s/memcheck-%%p.log "%s" "$@"\n' "${vg[*]}" "$build" "$build/lorvenna" > "$wrapper"
chmod +x "$wrapper"
rm -f "$build"/memcheck-*.log
python3 "$root/../shared/acceptance/run" --bin "$wrapper" --groups driver,community,placement,sampling,batch
if [ -n "$(find "$build" -name 'memcheck-*.log' -size +0)" ]; then  # --quiet logs only errors
  echo "memcheck found errors in the logs above"
  exit 1
fi
echo "memcheck: no errors, no leaks"
