#!/usr/bin/env bash
# A camera that restarts while halyard-cli watches or records it: by default
# the link comes back by itself, a recording goes on in the next numbered
# file (both files play) and each event is printed; with --no-reconnect the
# three attempts end before the camera is back and the watch fails.
#   reconnect_test.sh CLI SIM SOURCE_DIR [RUNNER]
set -uo pipefail
cli=$1 sim=$2 src=$3 runner=${4:-}
media=$src/tools/halyard-sim/media
work=$(mktemp -d); [ -n "${KEEP_WORK:-}" ] && echo "work: $work"
passed=0 failed=0
trap 'kill $sim_pid 2>/dev/null; wait 2>/dev/null; [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT

pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }
run() { $runner "$cli" "$@"; }

$runner "$sim" --control-port 0 --user demo:demo --camera CAM-1:0:test_320x240.m4v:speech_8k.wav \
  --media-dir "$media" </dev/null >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 300); do grep -q '^ready' "$work/sim.out" && break; sleep 0.1; done
grep -q '^ready' "$work/sim.out" || { cat "$work/sim.out"; echo "0 passed, 1 failed"; exit 1; }
port_of() { sed -n "s/^$1.*127\.0\.0\.1:\([0-9]*\).*/\1/p" "$work/sim.out" | tr -d '\r' | head -n1; }
control=$(port_of control)
D=(--camera 127.0.0.1:$(port_of "camera CAM-1") --user demo --password demo)
sim_cmd() {  # one control command, its reply lines up to ok/end/error
  exec 5<>"/dev/tcp/127.0.0.1/$control"
  printf '%s\n' "$*" >&5
  while read -r -t 10 line <&5; do line=${line%$'\r'}; echo "$line"; case $line in ok|end|error*) break;; esac; done
  exec 5>&-
}
# At the file's own times: ffmpeg's default re-times pictures to a guessed
# frame rate, where a burst a millisecond apart would collide.
decodes() { ffmpeg -v error -xerror -i "$1" -map 0:v -enc_time_base -1 -fps_mode passthrough -f null - >/dev/null 2>&1; }
frames() { ffprobe -v error -count_packets -select_streams v -show_entries stream=nb_read_packets -of csv=p=0 "$1" 2>/dev/null | tr -d '\r'; }
# Lines as printed, without the carriage returns of a Windows build.
lines() { tr -d '\r' <"$work/out"; }
events() { lines | grep '^event: [0-2][0-9]:[0-5][0-9]:[0-5][0-9] '; }
# Runs halyard-cli ARGS... in the background; once it streams (+1 s), or
# with --after FILE once FILE holds some seconds of pictures, the camera
# restarts and is away for DOWN seconds; sets status to the exit code.
with_restart() {
  local down=$1 after=""; shift
  if [ "$1" = --after ]; then after=$2; shift 2; fi
  run "$@" >"$work/out" 2>"$work/err" &
  local pid=$!
  for _ in $(seq 200); do lines 2>/dev/null | grep -q ' Connected$' && break; sleep 0.1; done
  sleep 1
  # A recording holds its first picture from the first intra picture on: on a
  # busy machine that may take longer than the second above.
  if [ -n "$after" ]; then
    for _ in $(seq 200); do [ "$(stat -c %s "$after" 2>/dev/null || echo 0)" -ge 40000 ] && break; sleep 0.1; done
  fi
  sim_cmd restart CAM-1 "$down" >/dev/null
  wait $pid
  status=$?
}

# 1. Recording while the camera restarts (down 3 s): two files, both whole.
with_restart 3 --after "$work/outage.mp4" "${D[@]}" record - "$work/outage.mp4" --seconds 14
[ "$status" = 0 ] && pass || fail "record across an outage: $(cat "$work/err")"
for f in outage.mp4 outage-2.mp4; do
  n=$(frames "$work/$f")
  [ "${n:-0}" -ge 5 ] && decodes "$work/$f" && pass || fail "$f: ${n:-no} pictures or does not decode"
done
[ ! -e "$work/outage-3.mp4" ] && pass || fail "the outage gave a third file"
events | grep -q ' Link lost$' && pass || fail "no 'Link lost' event: $(cat "$work/out")"
events | grep -q ' Video resumed after [0-9]* s$' && pass || fail "no 'Video resumed' event: $(cat "$work/out")"
events | grep -q " Recording continues in .*outage-2.mp4 after the gap$" && pass \
  || fail "the new file was not told: $(cat "$work/out")"

# 2. The same outage, watched with the old policy: three attempts 300 ms
# apart end while the camera is away, and the watch fails.
with_restart 3 "${D[@]}" --no-reconnect --retry-wait-ms 300 watch - --seconds 7
[ "$status" = 1 ] && pass || fail "watch --no-reconnect across an outage: exit $status"
events | grep -q ' Gave up after 3 attempts$' && pass || fail "no 'Gave up' event: $(cat "$work/out")"
events | grep -q 'Video resumed' && fail "--no-reconnect came back: $(cat "$work/out")" || pass

# 3. And kept reconnecting: the watch ends streaming.
with_restart 3 "${D[@]}" watch - --seconds 14
[ "$status" = 0 ] && pass || fail "watch across an outage: exit $status: $(cat "$work/err")"
events | grep -q ' Reconnect attempt [0-9]*' && pass || fail "no attempts told: $(cat "$work/out")"

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
