#!/usr/bin/env bash
# Builds the tool and starts it: the Windows program under Wine when there is a display,
# otherwise the command-line tool's help.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)"
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)"

gui=$(find build/windows -name expscale-gui.exe -print -quit)
if [ -n "${DISPLAY:-}" ] && [ -n "$gui" ]; then
  export WINEPREFIX="${WINEPREFIX:-$PWD/build/windows/wineprefix}" WINEDEBUG=-all LANG=zh_CN.UTF-8
  exec wine "$gui"
fi
echo "No display (or no window program built): here is the command-line tool." >&2
cli=$(find build/native -maxdepth 3 -type f -name expscale -perm -u+x -print -quit)
[ -n "$cli" ] && exec "$cli" --help
echo "The command-line tool is not built yet." >&2
exit 1
