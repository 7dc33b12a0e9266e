#!/usr/bin/env bash
# Runs the sound tests under Wine against the PulseAudio server that
# scripts/test-env.sh starts: records the null sink's monitor while the tests
# run, makes the pipe source the default microphone and prepares 8 kHz speech
# for it. A missing server or source is a failure, not a skip.
#   sound_env.sh SOURCE_DIR TEST_EXE [test options...]
set -u
src=$1 exe=$2
shift 2
fail() {
  echo "sound_env: $*" >&2
  exit 1
}
[ -n "${HALYARD_RUN_DIR:-}" ] || fail "HALYARD_RUN_DIR is not set: source scripts/test-env.sh first"
pactl info >/dev/null 2>&1 || fail "no PulseAudio server: source scripts/test-env.sh first"
pactl list short sources | grep -q "[[:space:]]mic[[:space:]]" || fail "the sound server has no pipe source 'mic'"
[ -p "$HALYARD_RUN_DIR/mic.fifo" ] || fail "no FIFO $HALYARD_RUN_DIR/mic.fifo behind the pipe source"
pactl set-default-source mic || fail "cannot make 'mic' the default source"

work=$(mktemp -d "$HALYARD_RUN_DIR/sound.XXXXXX")
rec=""
cleanup() {
  [ -n "$rec" ] && kill "$rec" 2>/dev/null && wait "$rec" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

espeak-ng -v en -s 140 -w "$work/speech.wav" \
  "The quick brown fox jumps over the lazy dog, and the camera hears every word." || fail "espeak-ng failed"
sox "$work/speech.wav" -r 8000 -c 1 -b 16 -e signed-integer -t raw "$work/speech.raw" || fail "sox failed"
parec -d out.monitor --raw --format=s16le --rate=8000 --channels=1 --latency-msec=20 >"$work/monitor.raw" &
rec=$!

export HALYARD_MONITOR_FILE="$work/monitor.raw"
export HALYARD_MIC_FIFO="$HALYARD_RUN_DIR/mic.fifo"
export HALYARD_SPEECH_FILE="$work/speech.raw"
bash "$src/scripts/wine-run.sh" "$exe" "$@"
status=$?
exit $status
