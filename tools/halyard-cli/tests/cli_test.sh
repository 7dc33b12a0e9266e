#!/usr/bin/env bash
# halyard-cli against halyard-sim on loopback: every command, exit codes,
# Ctrl+C during a recording, speaker audio, and watch/record through the real
# proxies of the ctest fixture.
#   cli_test.sh CLI SIM ADPCM [RUNNER]   (RUNNER runs Windows programs, e.g. wine)
set -uo pipefail
cli=$1 sim=$2 adpcm=$3 runner=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
media=$here/../../halyard-sim/media
work=$(mktemp -d)
passed=0 failed=0
trap 'kill $sim_pid 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT

pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }
run() { $runner "$cli" "$@"; }

$runner "$sim" --hosting-port 0 --ddns-port 0 --control-port 0 --user demo:demo \
  --camera CAM-1:0:test_320x240.m4v:speech_8k.wav --ddns-name gate:CAM-1 \
  --file rec/one.mp4:CAM-1:test_176x144.m4v:voice \
  --file rec/cam1/odd.mp4:CAM-1:test_176x144.m4v --file-times rec/cam1/odd.mp4:91.99.7295.77.88.99:7.12.2026.20.0.10 \
  --media-dir "$media" </dev/null >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 200); do grep -q '^ready' "$work/sim.out" && break; sleep 0.1; done
grep -q '^ready' "$work/sim.out" || { cat "$work/sim.out"; echo "0 passed, 1 failed"; exit 1; }
port_of() { sed -n "s/^$1.*127\.0\.0\.1:\([0-9]*\).*/\1/p" "$work/sim.out" | tr -d '\r' | head -n1; }
hosting=$(port_of hosting) camera=$(port_of "camera CAM-1") ddns=$(port_of ddns) control=$(port_of control)
H=(--host 127.0.0.1:$hosting --user demo --password demo)
D=(--camera 127.0.0.1:$camera --user demo --password demo)
sim_cmd() {  # one control command, its reply lines up to ok/end/error
  exec 5<>"/dev/tcp/127.0.0.1/$control"
  printf '%s\n' "$*" >&5
  while read -r -t 10 line <&5; do line=${line%$'\r'}; echo "$line"; case $line in ok|end|error*) break;; esac; done
  exec 5>&-
}
expect_exit() {  # CODE NAME -- command...
  local want=$1 name=$2; shift 3
  "$@" >"$work/out" 2>"$work/err"; local got=$?
  if [ "$got" = "$want" ]; then pass; else fail "$name: exit $got, wanted $want: $(cat "$work/err")"; fi
}

# list
expect_exit 0 list -- run "${H[@]}" list
grep -q '^camera CAM-1 |.*port '"$camera" "$work/out" && grep -q '^file rec/one.mp4 | camera CAM-1' "$work/out" && pass || fail "list output: $(cat "$work/out")"
# A start time out of its ranges lists as the current time; the valid end stays.
year=$(date +%Y)
grep -q "^file rec/cam1/odd.mp4 | camera CAM-1 | start \($year\|$((year + 1))\)-[0-9][0-9]-[0-9][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9] | end 2026-12-07 20:00:10 |" "$work/out" \
  && pass || fail "invalid start time: $(grep odd "$work/out")"

# exit codes
expect_exit 3 "refused login" -- run --host 127.0.0.1:$hosting --user demo --password wrong list
expect_exit 3 "refused camera login" -- run --camera 127.0.0.1:$camera --user demo --password wrong reboot -
expect_exit 2 "unreachable host" -- run --host 127.0.0.1:1 --user demo --password demo list
expect_exit 2 "unreachable camera" -- run --retry-wait-ms 100 --camera 127.0.0.1:1 --user demo --password demo watch - --seconds 1
expect_exit 4 "unknown camera" -- run "${H[@]}" watch NO-SUCH-CAMERA --seconds 1
expect_exit 4 "unknown file" -- run "${H[@]}" play no/such.mp4
expect_exit 1 "bad command line" -- run "${H[@]}" quality CAM-1
# the password from a file's first line or from the environment
printf 'demo\r\nnot this\n' >"$work/pw.txt"
cd "$work"
expect_exit 0 "password file" -- run --host 127.0.0.1:$hosting --user demo --password-file pw.txt list
cd - >/dev/null
HALYARD_PASSWORD=demo expect_exit 0 "password from the environment" -- run --host 127.0.0.1:$hosting --user demo list
HALYARD_PASSWORD=wrong expect_exit 3 "wrong password from the environment" -- run --host 127.0.0.1:$hosting --user demo list
expect_exit 0 help -- run --help
grep -q 'exit status' "$work/out" && pass || fail "--help text"

# watch, relayed and direct, and through the dynamic-IP server
expect_exit 0 "watch relayed" -- run "${H[@]}" watch CAM-1 --seconds 2
grep -q '^2s [0-9]* fps, [0-9]* kbps .* streaming' "$work/out" && pass || fail "watch output: $(cat "$work/out")"
expect_exit 0 "watch direct" -- run "${D[@]}" watch - --seconds 2
expect_exit 0 "watch by dynamic IP" -- run --camera 127.0.0.1:$ddns --ddns gate --user demo --password demo watch - --seconds 1

# watch fails, with its reason, when no picture came or its link died
sim_cmd fault CAM-1 delay 8 4000 >/dev/null
expect_exit 1 "watch without pictures" -- run "${D[@]}" watch - --seconds 1
grep -q 'no picture arrived' "$work/err" && pass || fail "watch without pictures gave no reason: $(cat "$work/err")"
sim_cmd fault CAM-1 delay 8 0 >/dev/null
# Emptied first: the background job's own redirection may come after the
# first look, which would then find the last command's "1s" line.
: >"$work/out"
run "${H[@]}" --no-reconnect watch CAM-1 --seconds 6 >"$work/out" 2>"$work/err" &
watch_pid=$!
for _ in $(seq 300); do grep -q '^1s ' "$work/out" && break; sleep 0.1; done
sim_cmd fault hosting close >/dev/null
wait $watch_pid; code=$?
[ $code = 1 ] && grep -q 'hosting server closed' "$work/err" && pass || fail "watch whose link died: exit $code: $(cat "$work/err")"
# By default the hosting connection is restored and the relayed view streams again.
: >"$work/out"
run "${H[@]}" watch CAM-1 --seconds 8 >"$work/out" 2>"$work/err" &
watch_pid=$!
for _ in $(seq 300); do grep -q '^1s ' "$work/out" && break; sleep 0.1; done
sim_cmd fault hosting close >/dev/null
wait $watch_pid; code=$?
[ $code = 0 ] && grep -q '^event: .* CAM-1 Video resumed after' "$work/out" && pass \
  || fail "watch whose hosting connection was restored: exit $code: $(cat "$work/err") $(grep event "$work/out")"

# record, snapshot, play, audio
expect_exit 0 record -- run "${H[@]}" record CAM-1 "$work/rec.mp4" --seconds 3
frames=$(ffprobe -v error -select_streams v -count_packets -show_entries stream=nb_read_packets,width -of csv=p=0 "$work/rec.mp4" 2>/dev/null)
case $frames in 320,[5-9][0-9]|320,1[0-9][0-9]) pass;; *) fail "recording: ffprobe says '$frames'";; esac
expect_exit 0 snapshot -- run "${D[@]}" snapshot - "$work/shot.bmp"
[ "$(head -c 2 "$work/shot.bmp")" = BM ] && [ "$(stat -c %s "$work/shot.bmp")" = $((54 + 320 * 3 * 240)) ] && pass || fail "snapshot file"
expect_exit 0 "play with seek" -- run "${H[@]}" play rec/one.mp4 --seek 80
grep -q '^End of File' "$work/out" && pass || fail "play did not reach End of File"
expect_exit 0 audio -- run "${D[@]}" audio - "$work/sound.raw" --seconds 2
[ "$(stat -c %s "$work/sound.raw")" -gt 16000 ] && pass || fail "audio: $(stat -c %s "$work/sound.raw") bytes"

# talk: the camera receives every whole unit of the file, each exactly as the
# reference encoder makes it (the encoder also codes the file's short tail)
expect_exit 0 talk -- run "${D[@]}" talk - "$media/speech_8k.wav"
units=$(sed -n 's/^sent \([0-9]*\) units.*/\1/p' "$work/out")
sim_cmd speaker-save CAM-1 "$work/heard.adpcm" >/dev/null
$runner "$adpcm" encode "$media/speech_8k.wav" "$work/sent.adpcm" >/dev/null 2>&1
heard=$(stat -c %s "$work/heard.adpcm") whole=$(( $(stat -c %s "$work/sent.adpcm") / 192 ))
[ "${units:-0}" -gt 0 ] && [ "$units" = "$whole" ] && [ "$heard" = $((units * 192)) ] &&
  cmp -s -n "$heard" "$work/heard.adpcm" "$work/sent.adpcm" && pass ||
  fail "speaker audio: sent ${units:-?} units of $whole, camera heard $heard bytes, or they differ"

# controls
expect_exit 0 ptz -- run "${D[@]}" ptz - 3 -2
expect_exit 0 lens -- run "${D[@]}" lens - 1 15
expect_exit 0 "preset goto" -- run "${D[@]}" preset - goto 39
expect_exit 1 "preset out of range" -- run "${D[@]}" preset - goto 40
expect_exit 0 quality -- run "${H[@]}" quality CAM-1 8
expect_exit 0 input -- run "${D[@]}" input - 2
expect_exit 0 reboot -- run "${D[@]}" reboot -
got=$(sim_cmd received CAM-1)
# The tilt travels negated: screen y grows downwards, the camera's tilt upwards.
for want in "RequestPTZControl pan=3 tilt=2" "RequestLensControl operation=1 speed=10" \
            "RequestPresetCommand command=2 number=38" "RequestVideoInput value=2" "RequestReboot value=20"; do
  grep -q "$want" <<<"$got" && pass || fail "camera did not receive $want"
done
grep -q "hosting RequestQuality" <<<"$(sim_cmd received hosting)" && pass || fail "relayed quality request"

# Ctrl+C during a recording still leaves a playable file (the signal reaches only a native program)
if [ -z "$runner" ]; then
  "$cli" "${H[@]}" record CAM-1 "$work/stopped.mp4" >/dev/null 2>&1 &
  pid=$!
  sleep 3
  kill -INT $pid
  wait $pid; code=$?
  [ $code = 0 ] && ffprobe -v error -select_streams v -show_entries stream=width -of csv=p=0 "$work/stopped.mp4" 2>/dev/null | grep -q 320 \
    && pass || fail "interrupted recording (exit $code)"
fi

# through the real proxies
if [ -n "${HALYARD_PROXY_FIXTURE:-}" ]; then
  if [ -f "$HALYARD_PROXY_FIXTURE" ]; then
    socks=$(awk '/^socks/{print $2}' "$HALYARD_PROXY_FIXTURE") http=$(awk '/^http/{print $2}' "$HALYARD_PROXY_FIXTURE")
    puser=$(awk '/^user/{print $2}' "$HALYARD_PROXY_FIXTURE") ppass=$(awk '/^password/{print $2}' "$HALYARD_PROXY_FIXTURE")
    for proxy in "socks4://127.0.0.1:$socks" "socks5://127.0.0.1:$socks --proxy-user $puser --proxy-password $ppass" "http://127.0.0.1:$http"; do
      # shellcheck disable=SC2086
      expect_exit 0 "watch via $proxy" -- run --proxy $proxy "${H[@]}" watch CAM-1 --seconds 1
      # shellcheck disable=SC2086
      expect_exit 0 "record via $proxy" -- run --proxy $proxy "${D[@]}" record - "$work/proxy.mp4" --seconds 2
    done
  else
    fail "the proxy fixture did not start"
  fi
fi

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
