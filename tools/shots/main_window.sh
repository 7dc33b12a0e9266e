#!/usr/bin/env bash
# Pictures of Halyard's windows for a look by eye: the main window connected
# to halyard-sim (with the camera and file list beside it), the login dialog,
# the option sheet's network page and the server info dialog. Runs
# halyard_shots under Wine and turns its BMPs into PNGs.
#   tools/shots/main_window.sh [BUILD_DIR] [OUT_DIR]
# BUILD_DIR: a Windows build (default build/win32; halyard_shots is built if
# missing). OUT_DIR (default BUILD_DIR/halyard-shots) receives main.png,
# login.png, options.png, server_info.png and wall.png (a 3x3 wall of nine
# cameras). Without a DISPLAY a private Xvfb (and sound server) is started
# for the run. On a display of two monitors it adds two_monitors.png (a
# layout of views on the first and a wall on the second); Xvfb has only
# one, Xorg's dummy driver has several: xserver-xorg-video-dummy with a
# Virtual 2048x768 screen, then
#   xrandr --addmode DUMMY1 1024x768
#   xrandr --output DUMMY1 --mode 1024x768 --right-of DUMMY0
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath "${1:-$root/build/win32}")
out=$(realpath -m "${2:-$build/halyard-shots}")
mkdir -p "$out"
cmake --build "$build" --target halyard_shots >/dev/null

started_env=0
if [ -z "${DISPLAY:-}" ]; then
  . "$root/scripts/test-env.sh"
  started_env=1
fi
rm -f "$out"/*.bmp
# Without a window manager Wine leaves captions and frames to nobody: this
# program draws its own, so the dialogs are pictured with their captions.
bash "$root/scripts/wine-run.sh" --like "$build/tools/shots/halyard_shots.exe" reg add \
  'HKCU\Software\Wine\AppDefaults\halyard_shots.exe\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 || true
HALYARD_BINARY_DIR=$build bash "$root/scripts/wine-run.sh" "$build/tools/shots/halyard_shots.exe" "$out"
for bmp in "$out"/*.bmp; do
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
[ $started_env -eq 1 ] && halyard_test_env_stop
ls "$out"/*.png
