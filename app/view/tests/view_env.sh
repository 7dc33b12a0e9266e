#!/usr/bin/env bash
# Runs the camera view's window tests under Wine with a folder for their
# output, then reads every recording and snapshot they left with ffprobe
# and ffmpeg: a recording's video must decode completely, each picture
# file must be what its name says. Under ctest a missing ffprobe is a failure.
#   view_env.sh SOURCE_DIR TEST_EXE [test options...]
set -u
src=$1 exe=$2
shift 2
fail() {
  echo "view_env: $*" >&2
  exit 1
}
if ! command -v ffprobe >/dev/null 2>&1 || ! command -v ffmpeg >/dev/null 2>&1; then
  [ -n "${HALYARD_CTEST:-}" ] && fail "ffprobe and ffmpeg are needed"
  echo "view_env: no ffprobe, recordings are not read back" >&2
fi
out=$(mktemp -d "${TMPDIR:-/tmp}/halyard-view.XXXXXX")
trap 'rm -rf "$out"' EXIT
export HALYARD_VIEW_OUT="$out"
bash "$src/scripts/wine-test.sh" "$exe" "$@"
status=$?
[ $status -eq 0 ] || exit $status
command -v ffprobe >/dev/null 2>&1 || exit 0

checked=0
for f in "$out"/*.mp4; do
  [ -e "$f" ] || continue
  probe=$(ffprobe -v error -count_frames -select_streams v -show_entries \
    stream=codec_name,width,height,nb_frames,nb_read_frames -of default=noprint_wrappers=1 "$f") ||
    fail "ffprobe cannot read $(basename "$f")"
  echo "$probe" | grep -q '^codec_name=mpeg4$' || fail "$(basename "$f"): no MPEG-4 video: $probe"
  frames=$(echo "$probe" | sed -n 's/^nb_frames=//p')
  decoded=$(echo "$probe" | sed -n 's/^nb_read_frames=//p')
  [ -n "$frames" ] && [ "$frames" -gt 10 ] || fail "$(basename "$f"): too few frames: $probe"
  [ "$frames" = "$decoded" ] || fail "$(basename "$f"): $frames frames in the file, $decoded decoded"
  # The video must decode whole. ffmpeg has no decoder for the camera's
  # 3-bit ADPCM and takes its private object type 0xC1 for FLAC, so probing
  # the audio track fails in its FLAC decoder: those lines name ffmpeg's
  # gap, not the file; any other message fails.
  # Times must grow from picture to picture in the file itself. ffmpeg then
  # decodes at the file's own times: by default it re-times the pictures to
  # a frame rate it guesses, where two pictures a millisecond apart (a late
  # camera's burst) collide although the file is right.
  ffprobe -v error -select_streams v -show_entries packet=dts -of csv=p=0 "$f" |
    awk 'NR > 1 && $1 <= last { exit 1 } { last = $1 }' || fail "$(basename "$f"): the video's times do not grow"
  errors=$(ffmpeg -v error -i "$f" -map 0:v -enc_time_base -1 -fps_mode passthrough -f null - 2>&1 |
    grep -vE '^\[flac @ [0-9a-fx]+\] (invalid sync code|invalid frame header|decode_frame\(\) failed)$' || true)
  [ -z "$errors" ] || fail "$(basename "$f"): ffmpeg reported errors: $errors"
  echo "view_env: $(basename "$f"): $frames frames, all decoded"
  checked=$((checked + 1))
done
for f in "$out"/*.png "$out"/*.bmp; do
  [ -e "$f" ] || continue
  want=${f##*.}
  [ "$want" = "bmp" ] && want=bmp || want=png
  probe=$(ffprobe -v error -show_entries stream=codec_name,width,height -of default=noprint_wrappers=1 "$f") ||
    fail "ffprobe cannot read $(basename "$f")"
  echo "$probe" | grep -q "^codec_name=$want\$" || fail "$(basename "$f"): $probe"
  echo "$probe" | grep -q '^width=320$' || fail "$(basename "$f"): not the picture's full width: $probe"
  echo "view_env: $(basename "$f"): $(echo $probe)"
  checked=$((checked + 1))
done
# The full run leaves a recording and two snapshots; a filtered run may leave none.
case " $* " in
  *--gtest_filter*) ;;
  *) [ $checked -ge 3 ] || fail "expected a recording and two snapshots, read $checked files" ;;
esac
exit 0
