#!/usr/bin/env bash
# Recordings that lose nothing, as a user makes them with halyard-cli from
# halyard-sim: started between two intra pictures, the sound and the pictures
# of the file start and end together; a taken name is never replaced; a size
# limit continues in numbered files that all play; (natively, as root) a
# small disk that fills ends the recording with a playable file and a
# non-zero exit that says why; and recording on motion in a scene where a
# square crosses a still picture 8 s in, beside one where nothing moves.
#   record_test.sh CLI SIM SOURCE_DIR [RUNNER]
set -uo pipefail
cli=$1 sim=$2 src=$3 runner=${4:-}
media=$src/tools/halyard-sim/media
interval=0.04  # one picture at the test camera's 25 pictures per second
work=$(mktemp -d)
passed=0 failed=0
trap 'kill $sim_pid 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT

pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }
run() { $runner "$cli" "$@"; }

$runner "$sim" --hosting-port 0 --control-port 0 --user demo:demo --camera CAM-1:0:test_320x240.m4v:speech_8k.wav \
  --camera CAM-M:0:motion_320x240.m4v:speech_8k.wav --camera CAM-S:0:still_320x240.m4v \
  --media-dir "$media" </dev/null >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 300); do grep -q '^ready' "$work/sim.out" && break; sleep 0.1; done
grep -q '^ready' "$work/sim.out" || { cat "$work/sim.out"; echo "0 passed, 1 failed"; exit 1; }
port_of() { sed -n "s/^camera $1 .*127\.0\.0\.1:\([0-9]*\).*/\1/p" "$work/sim.out" | tr -d '\r' | head -n1; }
D=(--camera 127.0.0.1:$(port_of CAM-1) --user demo --password demo)
M=(--camera 127.0.0.1:$(port_of CAM-M) --user demo --password demo)
S=(--camera 127.0.0.1:$(port_of CAM-S) --user demo --password demo)

# "start end" of a stream in seconds, as players place it.
span() {
  ffprobe -v error -select_streams "$2" -show_entries stream=start_time,duration -of csv=p=0 "$1" 2>/dev/null |
    tr -d '\r' | awk -F, '{ printf "%s %.6f\n", $1, $1 + $2 }'
}
within() { awk -v a="$1" -v b="$2" -v d="$3" 'BEGIN { x = a - b; if (x < 0) x = -x; exit !(x <= d + 0.0005) }'; }
# At the file's own times: ffmpeg's default re-times pictures to a guessed
# frame rate, where a burst a millisecond apart would collide.
decodes() { ffmpeg -v error -xerror -i "$1" -map 0:v -enc_time_base -1 -fps_mode passthrough -f null - >/dev/null 2>&1; }
. "$(dirname "$0")/probe_warnings.sh"

# 1. Started 0.7 s in, between two intra pictures. The file holds no sound
# from before its first picture, so the sound starts within one of its
# 64 ms frames of the pictures; both end within one picture of each other.
run "${D[@]}" record - "$work/step.mp4" --seconds 4 --start-after 0.7 >"$work/out" 2>"$work/err" \
  && pass || fail "record: $(cat "$work/err")"
read -r vs ve <<<"$(span "$work/step.mp4" v)"
read -r as ae <<<"$(span "$work/step.mp4" a)"
if [ -n "${vs:-}" ] && [ -n "${as:-}" ]; then
  within "$vs" "$as" 0.064 && pass || fail "pictures start at $vs s, sound at $as s"
  within "$ve" "$ae" $interval && pass || fail "pictures end at $ve s, sound at $ae s"
else
  fail "ffprobe found no video or no sound stream in step.mp4"
fi
decodes "$work/step.mp4" && pass || fail "step.mp4 does not decode"

# 2. The same name again: the first recording keeps its bytes.
before=$(md5sum <"$work/step.mp4")
run "${D[@]}" record - "$work/step.mp4" --seconds 1 >"$work/out" 2>"$work/err" \
  && pass || fail "second record: $(cat "$work/err")"
[ "$(md5sum <"$work/step.mp4")" = "$before" ] && pass || fail "the first recording was overwritten"
grep -q "^recorded .*step-2.mp4" "$work/out" && [ -s "$work/step-2.mp4" ] && pass \
  || fail "the second recording did not take step-2.mp4: $(cat "$work/out")"

# 3. A size limit: numbered files, each under it, each playable from its start.
# The camera sends about 24 KB a second: ten seconds fill more than one file
# even when a busy machine lets the recording start a few seconds late.
run "${D[@]}" record - "$work/part.mp4" --seconds 10 --file-limit 120000 >"$work/out" 2>"$work/err" \
  && pass || fail "record with a size limit: $(cat "$work/err")"
parts=$(ls "$work"/part*.mp4 2>/dev/null | wc -l)
[ "$parts" -ge 2 ] && pass || fail "the size limit gave $parts file(s)"
for f in "$work"/part*.mp4; do
  [ "$(stat -c %s "$f")" -le 124096 ] && decodes "$f" && pass || fail "$(basename "$f"): too large or does not decode"
done

# 4. A small disk that fills (its own tmpfs, in a mount namespace of its own).
if [ -n "$runner" ]; then
  echo "record_test: the full-disk case runs natively only"
elif [ "$(id -u)" != 0 ] || ! unshare -m true 2>/dev/null; then
  echo "record_test: the full-disk case needs root and mount namespaces; not run"
else
  mkdir -p "$work/small"
  unshare -m bash -c "mount -t tmpfs -o size=256k tmpfs '$work/small' &&
    '$cli' ${D[*]} record - '$work/small/full.mp4' --seconds 60 >'$work/out' 2>'$work/err'
    echo \$? >'$work/rc'; cp '$work/small/full.mp4' '$work/full.mp4'; ls '$work/small' >'$work/left'"
  rc=$(cat "$work/rc" 2>/dev/null || echo none)
  [ "$rc" = 1 ] && grep -q "disk full" "$work/err" && pass || fail "full disk: exit $rc: $(cat "$work/err")"
  ! grep -q journal "$work/left" && pass || fail "the full recording kept its journal: $(cat "$work/left")"
  warnings=$(probe_warnings "$work/full.mp4")
  [ -z "$warnings" ] && decodes "$work/full.mp4" && pass || fail "the full disk's recording: $warnings"
  seconds=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$work/full.mp4" 2>/dev/null | tr -d "\r")
  echo "record_test: a 256 KiB disk held $(stat -c %s "$work/full.mp4") bytes, ${seconds} s of recording"
fi

# 5. Motion: one event for the crossing, recorded from 3 s before it to 10 s
# after, and alerted; the still scene gives none.
# Natively the motion's alert runs a script, which writes down its arguments.
mkdir -p "$work/motion"
alert=()
if [ -z "$runner" ]; then
  printf '#!/bin/sh\nprintf "[%%s]" "$@" >"%s/alerted"\n' "$work" >"$work/alert.sh"
  chmod +x "$work/alert.sh"
  alert=(--on-alert "$work/alert.sh" --cooldown 60)
fi
run "${M[@]}" record - "$work/motion" --on-motion "${alert[@]}" --seconds 26 >"$work/out" 2>"$work/err" \
  && pass || fail "record --on-motion: $(cat "$work/err")"
if [ -z "$runner" ]; then
  grep -q "^alert: [0-9:]* CAM-M motion: ran $work/alert.sh" "$work/out" &&
    grep -q '^\[CAM-M\]\[20[0-9][0-9]-[01][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]\]\[motion\]$' "$work/alerted" &&
    pass || fail "the motion's alert: $(grep '^alert' "$work/out"), the program got $(cat "$work/alerted" 2>&1)"
fi
starts=$(grep -c '^motion: [0-2][0-9]:[0-5][0-9]:[0-5][0-9] start' "$work/out")
ends=$(grep -c '^motion: [0-2][0-9]:[0-5][0-9]:[0-5][0-9] end ' "$work/out")
[ "$starts" = 1 ] && [ "$ends" = 1 ] && pass || fail "the crossing gave $starts starts, $ends ends: $(grep motion "$work/out")"
# The motion is an event of the event log too, with its length and area.
grep -q '^event: [0-9:]* .* Motion started' "$work/out" &&
  grep -q '^event: [0-9:]* .* Motion ended after [0-9.]* s, at most [0-9]*% of the picture changed' "$work/out" &&
  pass || fail "no motion events: $(grep '^event' "$work/out")"
files=("$work"/motion/*_motion.mp4)
if [ ${#files[@]} = 1 ] && [ -f "${files[0]}" ]; then
  length=$(ffprobe -v error -select_streams v -show_entries stream=duration -of csv=p=0 "${files[0]}" 2>/dev/null | tr -d '\r')
  # From an intra picture 3 to 4 s before 8 s, to 10 s after the motion's
  # end (2 s after the square left at 11 s): 16 to 19 s.
  awk -v l="$length" 'BEGIN { exit !(l >= 15.5 && l <= 19.5) }' && decodes "${files[0]}" && pass \
    || fail "the motion recording lasts ${length} s or does not decode"
  read -r vs ve <<<"$(span "${files[0]}" v)"
  read -r as ae <<<"$(span "${files[0]}" a)"
  # The recording closes at a picture; the sound that goes with it comes in
  # frames of 64 ms, and on a busy machine the last one may not have come yet.
  within "$ve" "${ae:-0}" 0.064 && pass || fail "motion recording: pictures end at $ve s, sound at ${ae:-none}"
else
  fail "wanted one motion recording, found: $(ls "$work/motion")"
fi
run "${S[@]}" watch - --motion --seconds 12 >"$work/out" 2>"$work/err"
grep -q '^motion:' "$work/out" && fail "the still scene gave motion: $(grep motion "$work/out")" || pass

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
