#!/usr/bin/env bash
# Saves a picture of every Bollard window for a look by eye: runs the window
# tests inside a Wine virtual desktop (so Wine draws the title bars itself)
# with BOLLARD_SHOT_DIR set, and converts the bitmaps to PNG.
#   shots.sh BUILD_DIR OUT_DIR      (BUILD_DIR: a win32 or win64 build; needs DISPLAY)
set -euo pipefail
build=${1:?win32 build folder}
out=$(realpath -m "${2:?output folder}")
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"
exe=$(realpath "$build/config_tool/shell/tests/bollard_window_test.exe")
run="$here/../../../scripts/wine-run.sh"
export BOLLARD_SHOT_DIR=$(bash "$run" --like "$exe" winepath -w "$out" 2>/dev/null | tr -d '\r' || echo "$out")
bash "$run" --like "$exe" explorer /desktop=bollard,1024x768 "$exe" >/dev/null 2>&1 || true
for bmp in "$out"/*.bmp; do
  convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
done
ls "$out"
