#!/usr/bin/env bash
# Pictures of the camera setup sheet (each page), the preset dialog, the
# preset setup dialog with rows, the number and position dialogs, for a look
# by eye: runs the dialogs' Pictures tests inside a Wine virtual desktop (so
# Wine draws the title bars itself) and converts the bitmaps to PNG.
#   dialogs/tests/shots.sh [BUILD_DIR] [OUT_DIR]
# BUILD_DIR: a win32 or win64 build (default build/win32); OUT_DIR defaults
# to BUILD_DIR/dialog-shots. Without a DISPLAY a private Xvfb is started.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath "${1:-$root/build/win32}")
out=$(realpath -m "${2:-$build/dialog-shots}")
mkdir -p "$out"
cmake --build "$build" --target camera_setup_sheet_test preset_dialogs_test >/dev/null

started_env=0
if [ -z "${DISPLAY:-}" ]; then
  . "$root/scripts/test-env.sh"
  started_env=1
fi
run="$root/scripts/wine-run.sh"
# Hangul needs a font that has it: where one is installed (fonts-nanum), the
# dialog fonts fall back to it as they do on a Korean Windows.
link_korean() {
  local exe=$1 face
  [ -f /usr/share/fonts/truetype/nanum/NanumGothic.ttf ] || return 0
  for face in "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "MS Sans Serif" "Microsoft Sans Serif"; do
    bash "$run" --like "$exe" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d 'NanumGothic.ttf,NanumGothic' /f >/dev/null 2>&1 || true
  done
}
for exe in "$build/dialogs/camera_setup/tests/camera_setup_sheet_test.exe" \
           "$build/dialogs/preset/tests/preset_dialogs_test.exe"; do
  HALYARD_SHOT_DIR=$(bash "$run" --like "$exe" winepath -w "$out" 2>/dev/null | tr -d '\r' || echo "$out")
  export HALYARD_SHOT_DIR
  link_korean "$exe"
  bash "$run" --like "$exe" explorer /desktop=halyard,1024x768 "$exe" --gtest_filter='*Pictures*' >/dev/null 2>&1 || true
done
for bmp in "$out"/*.bmp; do
  convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
done
[ $started_env -eq 1 ] && halyard_test_env_stop
ls "$out"/*.png
