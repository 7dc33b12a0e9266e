#!/usr/bin/env bash
# Recordings that survive a crash: halyard-cli records from halyard-sim and is
# killed (SIGKILL natively; TerminateProcess under Wine) after a random 3 to
# 20 seconds; `repair` must give a file that ffprobe and mp4box.js read, whose
# pictures all decode, holding at least (elapsed - 1.5 s) x 25 pictures. Then
# random cuts of a killed recording and its journal repair to a prefix of its
# samples or are refused; a normally stopped recording leaves no journal; and
# `export` gives a copy ffmpeg decodes whole, with our decoder's sound, and
# refuses to write onto the recording itself.
#
#   repair_test.sh CLI SIM ADPCM SOURCE_DIR [KILLS [RUNNER TERMINATOR]]
# RUNNER runs Windows programs (scripts/wine-run.sh); TERMINATOR is
# terminate_after.exe. Prints the loss of each kill and their mean.
set -uo pipefail
cli=$1 sim=$2 adpcm=$3 src=$4 kills=${5:-3} runner=${6:-} terminator=${7:-}
media=$src/tools/halyard-sim/media
check=$src/tools/mp4check/mp4check.js
fps=25
work=$(mktemp -d)
passed=0 failed=0
trap 'kill $sim_pid 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT

pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }
run() { $runner "$cli" "$@"; }
[ -d "$src/tools/mp4check/node_modules/mp4box" ] || { echo "FAIL: mp4box.js missing: run scripts/setup.sh"; exit 1; }

$runner "$sim" --hosting-port 0 --control-port 0 --user demo:demo --camera CAM-1:0:test_320x240.m4v:speech_8k.wav \
  --media-dir "$media" </dev/null >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 300); do grep -q '^ready' "$work/sim.out" && break; sleep 0.1; done
grep -q '^ready' "$work/sim.out" || { cat "$work/sim.out"; echo "0 passed, 1 failed"; exit 1; }
camera=$(sed -n 's/^camera CAM-1.*127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/sim.out" | tr -d '\r' | head -n1)
D=(--camera 127.0.0.1:$camera --user demo --password demo)

. "$(dirname "$0")/probe_warnings.sh"
pictures() { ffprobe -v error -select_streams v -count_packets -show_entries stream=nb_read_packets -of csv=p=0 "$1" 2>/dev/null | tr -d '\r'; }
# A playable recording: no warnings, mp4box.js agrees, every picture decodes.
playable() {
  local f=$1 w
  w=$(probe_warnings "$f")
  [ -z "$w" ] || { echo "ffprobe: $w"; return 1; }
  node "$check" "$f" >"$f.layout" || { grep FAIL "$f.layout"; return 1; }
  ffmpeg -v error -xerror -i "$f" -map 0:v -enc_time_base -1 -fps_mode passthrough -f null - 2>&1 || return 1
}
# MD5 of every video packet: prefixes compare sample by sample.
packets() { ffprobe -v error -select_streams "$2" -show_entries packet=data_hash -show_data_hash md5 -of csv=p=0 "$1" 2>/dev/null; }
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
# A cut whose repair went wrong, with the recording it was cut from, kept in
# $REPAIR_TEST_KEEP (when set) to be tried again by hand.
keep_inputs() {
  [ -n "${REPAIR_TEST_KEEP:-}" ] || return 0
  mkdir -p "$REPAIR_TEST_KEEP/$1" && cp "$work/cut.mp4" "$work/cut.mp4.journal" "$c" "$c.journal" "$REPAIR_TEST_KEEP/$1/"
}

# 1. A normally stopped recording is playable and leaves no journal.
run "${D[@]}" record - "$work/normal.mp4" --seconds 2 >/dev/null 2>"$work/err" && pass || fail "record: $(cat "$work/err")"
[ ! -e "$work/normal.mp4.journal" ] && pass || fail "a normally stopped recording left its journal"
out=$(playable "$work/normal.mp4") && pass || fail "normal recording: $out"

# 2. Kills after a random 3 to 20 s.
seed=${REPAIR_TEST_SEED:-$$}; RANDOM=$seed; echo "random seed $seed (REPAIR_TEST_SEED=$seed draws the same delays and cut points again)"
losses=()
for k in $(seq "$kills"); do
  f="$work/kill$k.mp4"
  delay=$(( (3 + RANDOM % 18) * 1000 + RANDOM % 1000 ))
  if [ -n "$terminator" ]; then
    wcli=$("$runner" --like "$cli" winepath -w "$cli" 2>/dev/null | tr -d '\r')
    elapsed=$("$runner" "$terminator" "$f.journal" "$delay" "$wcli" "${D[@]}" record - "$f" --seconds 60 2>"$work/err" |
      tr -d '\r' | sed -n 's/^elapsed //p')
    [ -n "$elapsed" ] || { fail "kill $k: not terminated: $(cat "$work/err")"; continue; }
  else
    "$cli" "${D[@]}" record - "$f" --seconds 60 >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 3000); do [ -e "$f.journal" ] && break; sleep 0.01; done
    [ -e "$f.journal" ] || { kill -9 $pid; fail "kill $k: the recording never started"; continue; }
    start=$(now_ms)
    sleep "$(awk "BEGIN{print $delay/1000}")"
    kill -9 $pid
    elapsed=$(( $(now_ms) - start ))
    wait $pid 2>/dev/null
  fi
  [ -e "$f.journal" ] && pass || { fail "kill $k: no journal after the kill"; continue; }
  cp "$f" "$work/cut.mp4" && cp "$f.journal" "$work/cut.mp4.journal"
  run repair "$f" >"$work/out" 2>&1 && grep -q 'repaired' "$work/out" && pass || { fail "kill $k: repair: $(cat "$work/out")"; continue; }
  [ ! -e "$f.journal" ] && pass || fail "kill $k: the journal stayed after repair"
  out=$(playable "$f") && pass || fail "kill $k: repaired file: $out"
  got=$(pictures "$f")
  want=$(awk "BEGIN{n = ($elapsed / 1000 - 1.5) * $fps; print (n < 0 ? 0 : int(n))}")
  [ "${got:-0}" -ge "$want" ] && pass || fail "kill $k after $elapsed ms: $got pictures, wanted at least $want"
  loss=$(awk "BEGIN{printf \"%.2f\", $elapsed / 1000 - ${got:-0} / $fps}")
  losses+=("$loss")
  echo "kill $k: after $elapsed ms, $got pictures kept, loss $loss s ($(sed 's/^.*: repaired: //' "$work/out" | tr -d '\r'))"
done
[ ${#losses[@]} -gt 0 ] &&
  echo "loss over ${#losses[@]} kills (s): mean $(printf '%s\n' "${losses[@]}" | awk '{s+=$1} END{printf "%.2f", s/NR}')," \
       "max $(printf '%s\n' "${losses[@]}" | sort -g | tail -1)"

# 3. Random cuts of the last killed recording and its journal.
if [ -f "$work/cut.mp4" ]; then
  packets "$f" v >"$work/full.v"; packets "$f" a >"$work/full.a"
  msize=$(stat -c %s "$work/cut.mp4") jsize=$(stat -c %s "$work/cut.mp4.journal")
  for i in $(seq 30); do
    m=$(( (RANDOM * 32768 + RANDOM) % (msize + 1) )) j=$(( (RANDOM * 32768 + RANDOM) % (jsize + 1) ))
    [ $((i % 3)) = 1 ] && j=$jsize
    [ $((i % 3)) = 2 ] && m=$msize
    c="$work/c.mp4"
    head -c "$m" "$work/cut.mp4" >"$c"; head -c "$j" "$work/cut.mp4.journal" >"$c.journal"
    cp "$c" "$work/c.before"
    if run repair "$c" >"$work/out" 2>&1; then
      out=$(playable "$c") || { fail "cut $m/$j: invalid file: $out"; continue; }
      packets "$c" v >"$work/c.v"; packets "$c" a >"$work/c.a"
      if cmp -s "$work/c.v" <(head -n "$(wc -l <"$work/c.v")" "$work/full.v") &&
         cmp -s "$work/c.a" <(head -n "$(wc -l <"$work/c.a")" "$work/full.a"); then pass
      else fail "cut $m/$j: the samples are not a prefix of the recording's"; keep_inputs "$m-$j"; fi
    else
      grep -q 'left as it is' "$work/out" && cmp -s "$c" "$work/c.before" && pass ||
        fail "cut $m/$j: refused without a reason or touched the file: $(cat "$work/out")"
    fi
    rm -f "$c" "$c.journal"
  done
fi

# 4. A file without a journal is left as it is and reported.
head -c 5000 "$work/cut.mp4" >"$work/bare.mp4" 2>/dev/null
if run repair "$work/bare.mp4" >"$work/out" 2>&1; then fail "repaired a file without a journal"
else grep -q 'no journal' "$work/out" && [ "$(stat -c %s "$work/bare.mp4")" = 5000 ] && pass || fail "bare file: $(cat "$work/out")"; fi

# 5. Export: ffmpeg decodes the copy whole; its sound is our decoder's output
#    of the recording's ADPCM frames; its pictures are the recording's.
rec="$work/normal.mp4"
# Onto the recording itself: refused with the reason, the recording kept.
cp "$rec" "$work/keep.mp4"
if run export "$rec" "$rec" >"$work/out" 2>&1; then fail "export onto the recording itself succeeded"
else grep -q 'is the recording itself' "$work/out" && cmp -s "$rec" "$work/keep.mp4" && pass ||
  fail "export onto the recording itself: $(cat "$work/out")"; fi
run export "$rec" "$work/copy.mkv" >"$work/out" 2>&1 && pass || fail "export: $(cat "$work/out")"
w=$(ffprobe -v warning -show_entries stream=index "$work/copy.mkv" 2>&1 >/dev/null)
[ -z "$w" ] && pass || fail "ffprobe warned about the export: $w"
ffmpeg -v error -xerror -i "$work/copy.mkv" -f null - >"$work/out" 2>&1 && pass || fail "ffmpeg -xerror on the export: $(cat "$work/out")"
ffmpeg -v error -xerror -i "$work/copy.mkv" -map 0:a -f s16le "$work/copy.pcm" 2>/dev/null
ffmpeg -v quiet -i "$rec" -map 0:a -c copy -f data "$work/rec.adpcm"
$runner "$adpcm" decode "$work/rec.adpcm" "$work/rec.pcm" >/dev/null 2>&1
[ -s "$work/copy.pcm" ] && cmp -s "$work/copy.pcm" "$work/rec.pcm" && pass ||
  fail "the export's sound ($(stat -c %s "$work/copy.pcm" 2>/dev/null) bytes) differs from the decoded recording ($(stat -c %s "$work/rec.pcm") bytes)"
frames() { ffmpeg -v error -i "$1" -map 0:v -f framemd5 - 2>/dev/null | grep -v '^#' | awk -F, '{print $6}'; }
[ "$(frames "$work/copy.mkv")" = "$(frames "$rec")" ] && pass || fail "the export's pictures differ from the recording's"
times() { ffprobe -v error -select_streams "$2" -show_entries packet=pts_time -of csv=p=0 "$1" 2>/dev/null | awk '{printf "%.3f\n", $1}'; }
[ "$(times "$work/copy.mkv" v)" = "$(times "$rec" v)" ] && [ "$(times "$work/copy.mkv" a)" = "$(times "$rec" a)" ] && pass ||
  fail "the export's timing differs from the recording's"

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
