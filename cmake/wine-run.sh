#!/bin/sh
# Runs a Windows program under Wine in the build's own prefix, quietly.
# Wine must be there: a missing Wine is a failure, never a silent skip.
command -v wine >/dev/null 2>&1 || { echo "wine-run: wine is not installed" >&2; exit 127; }
: "${WINEPREFIX:=${EXPSCALE_WINEPREFIX:-$HOME/.expscale-wine}}"
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec wine "$@"
