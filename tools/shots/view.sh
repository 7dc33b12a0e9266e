#!/usr/bin/env bash
# Screenshots of the camera view under Wine: one view, four docked views,
# full screen and the pop-up menu, as PNG files in OUTPUT_DIR.
#   tools/shots/view.sh [BUILD_DIR [OUTPUT_DIR]]
# BUILD_DIR defaults to build/win32 (build the view_shots target first);
# without a display, Xvfb and a sound server are started for the run.
set -e
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-$root/build/win32}
out=${2:-$build/view-shots}
mkdir -p "$out"
out=$(cd "$out" && pwd)
if [ -z "${DISPLAY:-}" ]; then
  . "$root/scripts/test-env.sh"
  trap halyard_test_env_stop EXIT
fi
# The program folder (skins) of the build, as the tests have it.
export HALYARD_BINARY_DIR="$(cd "$build" && pwd)"
bash "$root/scripts/wine-run.sh" "$build/tools/shots/view_shots.exe" "$out"
ls -l "$out"/view_*.png
