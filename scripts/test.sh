#!/usr/bin/env bash
# Builds everything and runs every test: native, under the sanitizers, the Windows build under
# Wine (its unit tests, the converter oracle and the window tests in a virtual display), and
# each fuzz target for a minute.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
for preset in native sanitize windows; do
  echo "=== $preset: build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

# A Wine prefix of the build's own; creating it takes a while, so it is done before the tests.
export EXPSCALE_WINEPREFIX="$PWD/build/windows/wineprefix"
WINEPREFIX="$EXPSCALE_WINEPREFIX" WINEDEBUG=-all wineboot -i >/dev/null 2>&1 || true
WINEPREFIX="$EXPSCALE_WINEPREFIX" wineserver -w || true

status=0
passed=0
failed=0
for preset in native sanitize windows; do
  echo "=== $preset: test"
  log="build/$preset/ctest.log"
  ctest --preset "$preset" 2>&1 | tee "$log" || true
  summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$summary" ]; then
    echo "$preset: ctest gave no summary"
    status=1
    continue
  fi
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$summary")
  bad=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$summary")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  [ "$bad" -eq 0 ] || status=1
done

echo "=== fuzz"
scripts/fuzz.sh 60 || status=1

echo "tests: $passed passed, $failed failed"
exit $status
