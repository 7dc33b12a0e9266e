#!/usr/bin/env bash
# Runs a Windows executable under Wine for ctest and the tools.
# Uses one prefix for the whole run so Wine starts its server once.
export WINEPREFIX="${WINEPREFIX:-${HALYARD_WINEPREFIX:-$HOME/.cache/halyard-wine}}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEARCH=win32
# No Mono or Gecko installer dialogs in a test run.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
exec wine "$@"
