#!/bin/sh
# Runs the GUI test driver under Wine on a virtual display of its own, in the Chinese locale.
# Usage: run-gui-tests.sh WINE_RUN DRIVER_EXE DRIVER_ARGS...
# A missing Wine or X server fails the test; it is never skipped.
wine_run=$1
shift
command -v wine >/dev/null 2>&1 || { echo "run-gui-tests: wine is not installed" >&2; exit 127; }
command -v xvfb-run >/dev/null 2>&1 || { echo "run-gui-tests: xvfb-run is not installed" >&2; exit 127; }
command -v Xvfb >/dev/null 2>&1 || { echo "run-gui-tests: Xvfb is not installed" >&2; exit 127; }
locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$' || { echo "run-gui-tests: locale zh_CN.UTF-8 is missing" >&2; exit 1; }

export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEPREFIX="${EXPSCALE_GUI_WINEPREFIX:?set EXPSCALE_GUI_WINEPREFIX}"
# The prefix's Wine server and desktop belong to one display: end any left from an earlier run
# before, and this run's after, so each run has its own.
wineserver -k 2>/dev/null
exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
  sh -c '"$0" "$@"; status=$?; wineserver -k 2>/dev/null; exit $status' "$wine_run" "$@"
