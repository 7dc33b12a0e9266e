#!/usr/bin/env bash
# Recordings built by mp4rec from real ffmpeg streams, read back by tools
# that share no code with ours: ffprobe (no warnings; size, frame count,
# duration; nb_frames follows stts, nb_read_packets follows stsz), ffmpeg
# (the video track decodes to the same frames as the elementary stream) and
# mp4box.js (tools/mp4check: layout and table consistency).
#
# usage: mp4rec_test.sh SOURCE_DIR WORK_DIR RUNNER MP4REC ADPCM
# RUNNER runs the tools (e.g. scripts/wine-run.sh for the Windows build) or is "-".
set -euo pipefail

src=$1 work=$2 runner=$3 mp4rec=$4 adpcm=$5
run() { if [ "$runner" = "-" ]; then "$@"; else "$runner" "$@"; fi; }
fail() { echo "FAIL: $*"; exit 1; }

mkdir -p "$work"
cd "$work"
rm -f ./*.mp4 ./*.m4v ./*.txt
check="$src/tools/mp4check/mp4check.js"
[ -d "$src/tools/mp4check/node_modules/mp4box" ] || fail "mp4box.js missing: run scripts/setup.sh"

# ffprobe FILE KEYS...: prints "stream.N.key=value" lines; warnings go to FILE.warn.
probe() {
  local f=$1
  ffprobe -v warning -count_packets -show_entries stream=index,codec_type,width,height,nb_frames,nb_read_packets,duration,start_time,sample_rate,channels \
    -of flat "$f" 2>"$f.warn"
}
field() { grep -E "^streams\.stream\.$2\.$3=" "$1" | head -1 | cut -d= -f2 | tr -d '"'; }
expect() { [ "$2" = "$3" ] || fail "$1: got '$2', want '$3'"; }

# ffmpeg has no decoders for the scene description and object descriptor
# streams (codec id 0), and takes the private audio object type 0xC1 for FLAC,
# so probing the ADPCM track fails in its FLAC decoder. Those messages name
# ffmpeg's gaps, not the file; any other message fails the test.
warnings() {
  grep -vE 'Unsupported codec with id 0 for input stream [0-9]+$' "$1.warn" |
    grep -vE '^\[flac @ [0-9a-fx]+\] (invalid sync code|invalid frame header|decode_frame\(\) failed)$' |
    grep -vE "Could not find codec parameters for stream $2 \\(Audio: flac .*unspecified sample format$" |
    grep -vE "^Consider increasing the value for the 'analyzeduration'" || true
}
no_warnings() {
  local w
  w=$(warnings "$1" "${2:-none}")
  [ -z "$w" ] || { echo "$w"; fail "ffprobe warned about $1"; }
}

# Frame checksums of a video, without timestamps.
frames() { ffmpeg -v error -i "$1" -map 0:v:0 -f framemd5 - 2>/dev/null | grep -v '^#' | awk -F, '{print $6}'; }

# 1. 320x240, 25 fps, two seconds, an I picture every 12.
ffmpeg -v error -y -f lavfi -i testsrc=size=320x240:rate=25 -t 2 -c:v mpeg4 -g 12 -f m4v plain.m4v
run "$mp4rec" plain.m4v plain.mp4 >/dev/null
probe plain.mp4 > plain.txt
no_warnings plain.mp4
expect "plain width" "$(field plain.txt 0 width)" 320
expect "plain height" "$(field plain.txt 0 height)" 240
expect "plain nb_frames" "$(field plain.txt 0 nb_frames)" 50
expect "plain nb_read_packets" "$(field plain.txt 0 nb_read_packets)" 50
expect "plain duration" "$(field plain.txt 0 duration)" 2.000000
[ "$(frames plain.mp4)" = "$(frames plain.m4v)" ] || fail "plain.mp4 decodes to other frames than plain.m4v"
node "$check" plain.mp4 --tracks 200,1,2 --samples 200=50 > plain.layout.txt || { cat plain.layout.txt; fail "mp4check plain.mp4"; }

# 2. With ADPCM sound from a speech synthesiser, three seconds of it.
espeak-ng -w speech.wav "Front door camera. Somebody is waiting at the gate with a parcel."
sox speech.wav -r 8000 -c 1 -b 16 speech8k.wav trim 0 3
run "$adpcm" encode speech8k.wav speech.adpcm
frames_audio=$(( $(stat -c %s speech.adpcm) / 192 ))
run "$adpcm" decode speech.adpcm speech.raw
expect "decoded size" "$(stat -c %s speech.raw)" $(( $(stat -c %s speech.adpcm) * 8 / 3 * 2 ))
run "$mp4rec" --audio speech.adpcm plain.m4v sound.mp4 >/dev/null 2>&1
probe sound.mp4 > sound.txt
no_warnings sound.mp4 1
expect "sound video frames" "$(field sound.txt 0 nb_frames)" 50
expect "sound audio type" "$(field sound.txt 1 codec_type)" audio
expect "sound audio rate" "$(field sound.txt 1 sample_rate)" 8000
expect "sound audio channels" "$(field sound.txt 1 channels)" 1
expect "sound audio nb_frames" "$(field sound.txt 1 nb_frames)" $frames_audio
expect "sound audio nb_read_packets" "$(field sound.txt 1 nb_read_packets)" $frames_audio
expect "sound audio duration" "$(field sound.txt 1 duration)" "$(awk "BEGIN{printf \"%.6f\", $frames_audio * 0.064}")"
[ "$(frames sound.mp4)" = "$(frames plain.m4v)" ] || fail "sound.mp4 decodes to other frames than plain.m4v"
node "$check" sound.mp4 --tracks 200,201,1,2 --samples 200=50 --samples 201=$frames_audio > sound.layout.txt ||
  { cat sound.layout.txt; fail "mp4check sound.mp4"; }

# 3. 640x480 at 30 fps (deltas of 33 and 34 ms) with resync markers, whose
#    first picture comes half a second after the sound started.
ffmpeg -v error -y -f lavfi -i testsrc=size=640x480:rate=30 -t 1 -c:v mpeg4 -ps 600 -g 10 -f m4v late.m4v
run "$mp4rec" --fps 30 --start 500 --audio speech.adpcm late.m4v late.mp4 >/dev/null 2>&1
probe late.mp4 > late.txt
no_warnings late.mp4 1
expect "late audio start_time" "$(field late.txt 1 start_time)" 0.000000
expect "late audio nb_frames" "$(field late.txt 1 nb_frames)" $frames_audio
expect "late width" "$(field late.txt 0 width)" 640
expect "late height" "$(field late.txt 0 height)" 480
expect "late nb_frames" "$(field late.txt 0 nb_frames)" 30
expect "late nb_read_packets" "$(field late.txt 0 nb_read_packets)" 30
expect "late start_time" "$(field late.txt 0 start_time)" 0.500000
[ "$(frames late.mp4)" = "$(frames late.m4v)" ] || fail "late.mp4 decodes to other frames than late.m4v"
node "$check" late.mp4 --tracks 200,201,1,2 --samples 200=30 --samples 201=$frames_audio > late.layout.txt || { cat late.layout.txt; fail "mp4check late.mp4"; }
grep -q 'ctts (30, 500)' late.layout.txt || { cat late.layout.txt; fail "late.mp4: composition offset"; }

# 4. A stream without headers before its first picture cannot be recorded.
node -e 'const fs = require("fs"); const b = fs.readFileSync("plain.m4v");
         fs.writeFileSync("noheader.m4v", b.subarray(b.indexOf(Buffer.from([0, 0, 1, 0xb6]))));' 
if run "$mp4rec" noheader.m4v noheader.mp4 >/dev/null 2>&1; then fail "mp4rec accepted a stream without headers"; fi

echo "mp4rec: all recordings check out"
