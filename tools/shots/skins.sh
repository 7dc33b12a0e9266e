#!/usr/bin/env bash
# Pictures of the four skinned windows for a look by eye: runs skin_preview
# under Wine, captures the screen with ImageMagick's `import -window root`
# and cuts one picture per window.
#   tools/shots/skins.sh [BUILD_DIR] [OUT_DIR]
# BUILD_DIR: a win32 build (default build/win32; the target skin_preview is
# built if missing). OUT_DIR (default BUILD_DIR/skin-shots) receives
# desktop.png, main.png, login.png, files.png and seek.png, and faces.png:
# some buttons, a check box and the thumb in each of their states (normal,
# pointer over, pressed or checked, disabled), drawn twice their size.
# Without a DISPLAY a private Xvfb is started for the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath "${1:-$root/build/win32}")
out=$(realpath -m "${2:-$build/skin-shots}")
mkdir -p "$out"

cmake --build "$build" --target skin_preview >/dev/null

started_env=0
if [ -z "${DISPLAY:-}" ]; then
  . "$root/scripts/test-env.sh"
  started_env=1
fi

log="$out/preview.log"
bash "$root/scripts/wine-run.sh" "$build/tools/shots/skin_preview.exe" "$build/dist/Halyard" 12 >"$log" 2>/dev/null &
preview=$!
for _ in $(seq 300); do
  grep -q '^ready' "$log" 2>/dev/null && break
  sleep 0.1
done
if ! grep -q '^ready' "$log"; then
  echo "shots: the preview did not come up" >&2
  kill "$preview" 2>/dev/null || true
  exit 1
fi

import -window root "$out/desktop.png"
while read -r kind name x y w h; do
  [ "$kind" = window ] || continue
  # A margin of 12 pixels shows the rounded outline against the backdrop.
  convert "$out/desktop.png" -crop "$((w + 24))x$((h + 24))+$((x - 12))+$((y - 12))" +repage "$out/$name.png"
done < <(tr -d '\r' <"$log")
art="$build/skin/artwork/bitmaps"
rows=()
for face in main_connect main_close main_sort main_exit main_help login_x; do
  rows+=( "(" "$art/${face}_n.bmp" "$art/${face}_o.bmp" "$art/${face}_p.bmp" "$art/${face}_d.bmp" -bordercolor '#3b4452' -border 6 +append ")" )
done
rows+=( "(" "$art/main_list_n.bmp" "$art/main_list_c.bmp" "$art/main_list_d.bmp" -bordercolor '#3b4452' -border 6 +append ")" )
rows+=( "(" "$art/seek_thumb_n.bmp" "$art/seek_thumb_f.bmp" "$art/seek_thumb_g.bmp" -bordercolor '#3b4452' -border 6 +append ")" )
convert -background '#3b4452' "${rows[@]}" -gravity west -append -scale 200% "$out/faces.png"
wait "$preview" || { echo "shots: the preview reported messages:" >&2; grep '^message' "$log" >&2; }
[ $started_env -eq 1 ] && halyard_test_env_stop
ls "$out"/*.png
