#!/usr/bin/env bash
# The skin files are made reproducibly: drawing and packing them again gives
# the very bytes the build put beside the program.
#   reproducible.sh SKINART SKINPACK LAYOUT_DIR DIST_DIR WORK_DIR
set -euo pipefail
skinart=$1 skinpack=$2 layouts=$3 dist=$4 work=$5
rm -rf "$work" && mkdir -p "$work"
"$skinart" "$work" "$layouts"/*.layout
status=0
for layout in "$layouts"/*.layout; do
  name=$(basename "$layout" .layout)
  "$skinpack" "$layout" "$work" "$work/$name.skn"
  if ! cmp -s "$work/$name.skn" "$dist/$name.skn"; then
    echo "$name.skn differs from the build's copy"
    status=1
  fi
done
exit $status
