#!/usr/bin/env bash
# Decoding speed of m4vdec against ffmpeg (single-threaded) on the same stream:
# 640x480, 30 fps, 300 pictures of ffmpeg's mpeg4 at 1.5 Mbit/s.
#   tools/m4vdec/bench.sh [path/to/m4vdec]   (use the native-release build)
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
m4vdec="${1:-$here/../../build/native-release/tools/m4vdec/m4vdec}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
stream="$work/bench.m4v"
ffmpeg -v error -y -f lavfi -i "testsrc2=size=640x480:rate=30" -frames:v 300 \
  -c:v mpeg4 -b:v 1500k -g 30 -f m4v "$stream"

# Each figure is the best of three runs, so that a busy machine disturbs it less.
best() { sort -g | tail -1; }

# ffmpeg: ten passes over the stream in one run, timed by its own benchmark line.
ffmpeg_fps="$(for i in 1 2 3; do
  rtime="$(ffmpeg -threads 1 -benchmark -stream_loop 9 -i "$stream" -f null - 2>&1 |
           sed -n 's/.*rtime=\([0-9.]*\)s.*/\1/p' | tail -1)"
  awk -v t="$rtime" 'BEGIN{printf "%.1f\n", 3000 / t}'
done | best)"

ours="$(for i in 1 2 3; do "$m4vdec" --bench "$stream" | sed -n 's/^fps //p' | tail -1; done | best)"
ours_pf="$(for i in 1 2 3; do "$m4vdec" --postfilter --bench "$stream" | sed -n 's/^fps //p' | tail -1; done | best)"

echo "stream: 640x480, 300 pictures, $(stat -c %s "$stream") bytes"
echo "ffmpeg -threads 1: fps $ffmpeg_fps"
echo "m4vdec: fps $ours (ratio $(awk -v a="$ours" -v b="$ffmpeg_fps" 'BEGIN{printf "%.2f", a / b}'))"
echo "m4vdec --postfilter: fps $ours_pf (ratio $(awk -v a="$ours_pf" -v b="$ffmpeg_fps" 'BEGIN{printf "%.2f", a / b}'))"
