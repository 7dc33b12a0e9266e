#!/usr/bin/env bash
# Decodes the recording the start-up options test left, with tools that share
# no code with ours: every sample ffprobe counts decodes in ffmpeg without an
# error, and the time-to-sample total equals the number of samples.
#   probe_recording.sh FOLDER
set -euo pipefail
folder=$1
file=$(ls -t "$folder"/CAM-1_*.mp4 2>/dev/null | head -1)
[ -n "$file" ] || { echo "no recording in $folder" >&2; exit 1; }
# The video track is what is checked; ffmpeg has no decoder for the camera's
# audio track and says so while it probes.
probe=$(ffprobe -v error -count_packets -count_frames -select_streams v:0 \
        -show_entries stream=codec_name,nb_frames,nb_read_packets,nb_read_frames -of default=noprint_wrappers=1 \
        "$file" 2>/dev/null)
echo "$probe"
get() { printf '%s\n' "$probe" | sed -n "s/^$1=//p"; }
[ "$(get codec_name)" = mpeg4 ] || { echo "not an MPEG-4 video track" >&2; exit 1; }
frames=$(get nb_frames); packets=$(get nb_read_packets); decoded=$(get nb_read_frames)
[ "$packets" -ge 10 ] || { echo "only $packets pictures recorded" >&2; exit 1; }
[ "$frames" = "$packets" ] || { echo "time-to-sample total $frames, samples $packets" >&2; exit 1; }
[ "$decoded" = "$packets" ] || { echo "$decoded of $packets pictures decoded" >&2; exit 1; }
[ "$(ffprobe -v error -select_streams v:0 -show_entries packet=flags -of csv "$file" 2>/dev/null | grep -c K)" -ge 1 ] ||
  { echo "no intra picture recorded" >&2; exit 1; }
# Times must grow from picture to picture in the file itself; ffmpeg then
# decodes at the file's own times (its default re-times the pictures to a
# guessed frame rate, where a late camera's burst a millisecond apart
# collides although the file is right).
ffprobe -v error -select_streams v:0 -show_entries packet=dts -of csv=p=0 "$file" |
  awk 'NR > 1 && $1 <= last { exit 1 } { last = $1 }' || { echo "the video's times do not grow" >&2; exit 1; }
# The recorder starts with whatever picture comes next, so a recording begun
# between two intra pictures opens with pictures that need an earlier one;
# ffmpeg says so once. Anything else it reports is a fault of the file.
errors=$(ffmpeg -v error -i "$file" -map 0:v:0 -enc_time_base -1 -fps_mode passthrough -f null - 2>&1 | grep -v '^\[flac' |
         grep -v 'first frame is no keyframe' || true)
[ -z "$errors" ] || { echo "ffmpeg: $errors" >&2; exit 1; }
echo "ok: $file, $packets pictures"
