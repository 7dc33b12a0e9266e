#!/usr/bin/env bash
# Runs a Windows program, or one of Wine's own tools, under Wine, for ctest and
# the scripts.
#   wine-run.sh [--arch win32|win64 | --like PROGRAM] PROGRAM|TOOL [ARGS...]
# A program runs under the loader and prefix of its own machine type (PE32+
# under the 64-bit Wine, PE32 under the 32-bit one). Wine's tools (winepath,
# cmd, explorer, wineboot) have no machine type of their own: they must run in
# the Wine of the program they serve, named by --arch, by --like PROGRAM or by
# HALYARD_WINE_ARCH; without any of these they use the 32-bit Wine.
# One prefix per bitness for the whole run, so Wine starts its server once.
set -e
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"

arch=""
case "${1:-}" in
  --arch) arch=$2; shift 2 ;;
  --like) arch=$(halyard_wine_arch_of "$2"); shift 2 ;;
esac
[ -n "$arch" ] || arch=$(halyard_wine_arch_of "${1:-}")
[ -n "$arch" ] || arch=${HALYARD_WINE_ARCH:-win32}
case "$arch" in
  win32|win64) ;;
  *) echo "wine-run.sh: unknown architecture '$arch' (win32 or win64)" >&2; exit 2 ;;
esac
halyard_wine_use "$arch"

export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installer dialogs in a test run.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  if ! out=$("$HALYARD_WINE_LOADER" wineboot -i 2>&1); then
    echo "wine-run.sh: cannot prepare the $arch prefix $WINEPREFIX: $(printf '%s\n' "$out" | tail -1)" >&2
    exit 1
  fi
  wineserver -w
fi
exec "$HALYARD_WINE_LOADER" "$@"
