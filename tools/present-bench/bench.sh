#!/usr/bin/env bash
# Converter throughput natively, then converters and the window renderer's
# drawing cost under Wine (needs a display: source scripts/test-env.sh first,
# or have DISPLAY set).
#   tools/present-bench/bench.sh [NATIVE_BUILD] [WIN32_BUILD]
#   (defaults build/native-release and build/win32; build the present-bench target in each)
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
root="$here/../.."
native="${1:-$root/build/native-release}"
win32="${2:-$root/build/win32}"
echo "== native ($(uname -m))"
"$native/tools/present-bench/present-bench"
echo "== win32 under Wine"
bash "$root/scripts/wine-run.sh" "$win32/tools/present-bench/present-bench.exe"
