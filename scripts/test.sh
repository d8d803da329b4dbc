#!/usr/bin/env bash
# Builds everything and runs every test: native, under the sanitizers, and the Windows build
# under Wine (its unit tests, the converter oracle and the window tests in a virtual display).
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
for preset in native sanitize windows; do
  echo "=== $preset: test"
  ctest --preset "$preset" || status=1
done
echo "=== fuzz"
scripts/fuzz.sh 60 || status=1
exit $status
