#!/usr/bin/env bash
# Remakes the small streams the decoder unit tests use (ffmpeg 5.1, Debian).
set -e
cd "$(dirname "$0")"
src="testsrc2=size=176x144:rate=25"
ffmpeg -v error -y -f lavfi -i "$src" -frames:v 12 -c:v mpeg4 -g 6 -ps 300 -qscale:v 4 -f m4v resync_qcif.m4v
ffmpeg -v error -y -f lavfi -i "$src" -frames:v 12 -c:v mpeg4 -g 6 -ps 300 -data_partitioning 1 -flags +mv4 -qscale:v 4 -f m4v partitioned_qcif.m4v
ffmpeg -v error -y -f lavfi -i "$src" -frames:v 12 -c:v h263 -g 6 -ps 300 -qscale:v 4 -f h263 gobs_qcif.h263
ffmpeg -v error -y -f lavfi -i "testsrc2=size=128x96:rate=25" -frames:v 6 -c:v h263 -g 3 -qscale:v 6 -f h263 gobs_sqcif.h263
# Power-of-two time bases: the increment field is as wide as resolution - 1 needs.
for r in 8 16 32; do
  ffmpeg -v error -y -f lavfi -i "testsrc2=size=96x64:rate=25" -frames:v 6 -c:v mpeg4 -r $r -g 3 -qscale:v 5 -f m4v rate${r}_96x64.m4v
done
# No encoder here writes reversible texture: this one comes from the tests' own
# writer (build the partitioned_stream test program first, e.g. in build/native).
writer="${PARTITIONED_STREAM:-../../../../build/native/codec/video/decoder_tests/partitioned_stream}"
"$writer" 3 reversible_qcif.m4v --pictures 12 --intra-period 6
