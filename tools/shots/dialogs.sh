#!/usr/bin/env bash
# Pictures of the camera setup sheet (each page), the preset dialog, the
# preset setup dialog with rows, the number and position dialogs, for a look
# by eye: runs dialog_shots inside a Wine virtual desktop (so Wine draws the
# title bars itself) and converts the bitmaps to PNG.
#   tools/shots/dialogs.sh [BUILD_DIR [OUT_DIR]]
# BUILD_DIR: a win32 or win64 build (default build/win32; build the
# dialog_shots target first); OUT_DIR defaults to BUILD_DIR/dialog-shots.
# Without a DISPLAY a private Xvfb is started.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath "${1:-$root/build/win32}")
out=$(realpath -m "${2:-$build/dialog-shots}")
mkdir -p "$out"
if [ -z "${DISPLAY:-}" ]; then
  . "$root/scripts/test-env.sh"
  trap halyard_test_env_stop EXIT
fi
run="$root/scripts/wine-run.sh"
exe="$build/tools/shots/dialog_shots.exe"
# Hangul needs a font that has it: where one is installed (fonts-nanum), the
# dialog fonts fall back to it as they do on a Korean Windows.
if [ -f /usr/share/fonts/truetype/nanum/NanumGothic.ttf ]; then
  for face in "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "MS Sans Serif" "Microsoft Sans Serif"; do
    bash "$run" --like "$exe" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d 'NanumGothic.ttf,NanumGothic' /f >/dev/null 2>&1 || true
  done
fi
folder=$(bash "$run" --like "$exe" winepath -w "$out" 2>/dev/null | tr -d '\r' || echo "$out")
bash "$run" --like "$exe" explorer /desktop=halyard,1024x768 "$exe" "$folder" >/dev/null 2>&1 || true
for bmp in "$out"/*.bmp; do
  convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
done
ls "$out"/*.png
