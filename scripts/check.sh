#!/usr/bin/env bash
# The one command that builds everything and runs every test, from a fresh clone:
# installs what is missing, builds the native, fuzz, win32 and win64 presets and
# runs ctest on each, runs the demo and reads its screenshot back, and runs the
# threaded tests under ThreadSanitizer. Each stage builds only what it runs,
# and the end lists every stage's time. The 32-bit Windows tests need a machine
# that can execute 32-bit x86 programs; where it cannot, the 32-bit programs and
# installer are still built (with the 32-bit build's truncation errors and
# layout assertions) and one line says why the tests did not run.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)

# Each stage's wall time, and the processor time its commands took (user and
# system, in seconds), which says what a stage costs on a machine that was busy.
stage_names=()
stage_times=()
stage_cpu=()
stage_start=$start
times_file=$(mktemp)
cpu_seconds() {  # the processor time of this shell's finished children so far, into $cpu
  # `times` must run in this shell itself: a subshell counts only its own children.
  times >"$times_file"
  cpu=$(sed -n 2p "$times_file" | awk '{ t = 0; for (i = 1; i <= 2; i++) { split($i, p, "m"); t += p[1] * 60 + p[2] } printf "%d", t }')
}
cpu=0
cpu_seconds
stage_cpu_start=$cpu
stage_done() {  # name
  local now
  now=$(date +%s)
  cpu_seconds
  stage_names+=("$1")
  stage_times+=($((now - stage_start)))
  stage_cpu+=($((cpu - stage_cpu_start)))
  stage_start=$now
  stage_cpu_start=$cpu
}
stage_table() {
  local i
  for i in "${!stage_names[@]}"; do
    printf 'check: %-8s %5d s  (processor %5d s)\n' "${stage_names[$i]}" "${stage_times[$i]}" "${stage_cpu[$i]}"
  done
  echo "check: $(( $(date +%s) - start )) s"
}

bash scripts/setup.sh
stage_done setup

# No include may run from a lower floor to a higher one: cheap, so first.
bash scripts/check-layers.sh

. scripts/i386-probe.sh
. scripts/test-env.sh
trap 'halyard_test_env_stop; rm -f "$times_file"' EXIT

# Prepare each Wine prefix once, before parallel tests race to create it.
bash scripts/wine-run.sh --arch win64 cmd /c exit 0 >/dev/null 2>&1 || true
win32_why=$(halyard_win32_blocker)
if [ -z "$win32_why" ] && ! probe=$(bash scripts/wine-run.sh --arch win32 cmd /c exit 0 2>&1); then
  win32_why="Wine could not start a 32-bit program: $(printf '%s\n' "$probe" | grep -v '^\s*$' | tail -1)"
fi
halyard_wine_serve win64
[ -n "$win32_why" ] || halyard_wine_serve win32
# The view tests read the pictures back from the virtual display.
halyard_wine_test_prefix win64
[ -n "$win32_why" ] || halyard_wine_test_prefix win32
stage_done prepare

# Wine itself now and then loses a window on the shared display; such a
# test gets one more run, and the summary names it so an intermittent fault
# of our own cannot hide there for long. The native and sanitizer runs get
# no second chance.
wine_second_runs=""
run_tests() {
  local preset=$1 failed
  ctest --preset "$preset" && return 0
  case "$preset" in win32|win64) ;; *) return 1 ;; esac
  failed=$(sed 's/^[0-9]*://' "build/$preset/Testing/Temporary/LastTestsFailed.log" 2>/dev/null | tr '\n' ' ')
  echo "check: $preset: once more, what failed: $failed"
  ctest --preset "$preset" --rerun-failed || return 1
  wine_second_runs="$wine_second_runs $preset:(${failed% })"
}

build() {  # preset [targets...]
  local preset=$1
  shift
  local targets=()
  [ $# -eq 0 ] || targets=(--target "$@")
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" ${targets[@]+"${targets[@]}"} -- -j2 >/dev/null ||
    { cmake --build --preset "$preset" ${targets[@]+"${targets[@]}"} -- -j1; exit 1; }
}

status=0
# The native tests mostly wait on sockets, timers and child programs (a
# processor's half of their time at most), so their preset runs four at once.
echo "== native"
build native
run_tests native || status=1
stage_done native

# The naming rules on the files this change touches (the native build's
# compile commands serve clang-tidy): cheap.
echo "== names"
bash scripts/check-names.sh || status=1
stage_done names

echo "== fuzz"
build fuzz fuzzers
run_tests fuzz || status=1
stage_done fuzz

echo "== win32"
if [ -n "$win32_why" ]; then
  # What ships: both programs, the installer and the zips. The 32-bit
  # compile itself is the guard here: truncation is an error and the wire
  # layouts are asserted while compiling.
  build win32 packages
  echo "check: 32-bit Windows tests not run: $win32_why"
else
  build win32
  run_tests win32 || status=1
fi
stage_done win32

echo "== win64"
build win64
run_tests win64 || status=1
stage_done win64

# The README's first command, as a new user runs it: the demo on its own
# virtual display, its screenshot read back (every view shows its camera's
# picture). The native build's simulator stands in for a release one.
echo "== demo"
if ! (unset DISPLAY; HALYARD_DEMO_SIM=build/native/tools/halyard-sim/halyard-sim \
      bash scripts/demo.sh --seconds 20 --arch win64); then
  echo "check: the demo failed"
  status=1
fi
stage_done demo

# The threads of the portable core under ThreadSanitizer: the guard, network,
# hosting, node, sound-logic and recording tests (their proxies come with
# them), and the chaos runs (halyard-sim's faults against the core, seed
# fixed; the wall of forty cameras is a second test of the same program).
echo "== tsan"
tsan_tests="os_test net_messages_test net_channel_test net_real_proxy_test hosting_service_test hosting_threads_test
  node_link_test camera_control_test node_media_test node_playback_test microphone_test speaker_sim_test
  record_mp4_test record_repair_test stored_files_test halyard-chaos"
# shellcheck disable=SC2086
build tsan $tsan_tests
ctest --preset tsan -R "^($(echo $tsan_tests halyard-chaos-wall | tr ' ' '|'))\$" || status=1
stage_done tsan

[ -z "$wine_second_runs" ] || echo "check: passed only on a second run under Wine:$wine_second_runs"
stage_table
exit $status
