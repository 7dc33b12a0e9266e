#!/usr/bin/env bash
# Load figures: halyard-sim streams N cameras of 640x480 at 30 fps, and
# node-load-bench opens one direct node on each for SECONDS.
#   bench.sh BUILD_DIR [N] [SECONDS]     (use the native-release build)
set -euo pipefail
build=$1 n=${2:-16} seconds=${3:-60}
out=$(mktemp)
"$build/tools/halyard-sim/halyard-sim" --user demo:demo --load "$n" --control-port 0 </dev/null >"$out" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null; rm -f "$out"' EXIT
for _ in $(seq 100); do grep -q '^ready' "$out" && break; sleep 0.1; done
ports=$(sed -n 's/^camera LOAD-[0-9]* 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$out")
"$build/tools/node-load-bench/node-load-bench" --seconds "$seconds" $ports
