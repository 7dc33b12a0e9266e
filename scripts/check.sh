#!/usr/bin/env bash
# The one command that builds everything and runs every test, from a fresh clone:
# installs what is missing, builds the native, fuzz, win32 and win64 presets and
# runs ctest on each. The 32-bit Windows tests need a machine that can execute
# 32-bit x86 programs; where it cannot, the 32-bit build must still succeed and
# one line says why its tests did not run.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)

bash scripts/setup.sh

# No include may run from a lower floor to a higher one: cheap, so first.
bash scripts/check-layers.sh

. scripts/test-env.sh
trap halyard_test_env_stop EXIT

# Prepare each Wine prefix once, before parallel tests race to create it. The
# 32-bit one doubles as the probe: it starts a 32-bit Windows program.
bash scripts/wine-run.sh --arch win64 cmd /c exit 0 >/dev/null 2>&1 || true
win32_runs=1
if ! probe=$(bash scripts/wine-run.sh --arch win32 cmd /c exit 0 2>&1); then
  win32_runs=0
  win32_why=$(printf '%s\n' "$probe" | grep -v '^\s*$' | tail -1)
  # Wine's own words for a missing 32-bit half are about the prefix.
  if command -v dpkg-query >/dev/null &&
     ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
    win32_why="Wine's 32-bit half (wine32:i386) is not installed; scripts/setup.sh says why"
  fi
fi
halyard_wine_serve win64
[ $win32_runs -eq 0 ] || halyard_wine_serve win32
# The view tests read the pictures back from the virtual display.
halyard_wine_gdi_renderer win64
[ $win32_runs -eq 0 ] || halyard_wine_gdi_renderer win32

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

status=0
for preset in native fuzz win32 win64; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -- -j2 >/dev/null || { cmake --build --preset "$preset" -- -j1; exit 1; }
  if [ "$preset" = win32 ] && [ $win32_runs -eq 0 ]; then
    echo "check: 32-bit Windows tests not run: this machine cannot start 32-bit Windows programs (${win32_why:-no reason given})"
    continue
  fi
  run_tests "$preset" || status=1
done

# The threads of the portable core under ThreadSanitizer: the guard, network,
# hosting, node, sound-logic and recording tests (their proxies come with
# them), and the chaos run (halyard-sim's faults against the core, seed fixed).
echo "== tsan"
tsan_tests="os_test net_messages_test net_channel_test net_real_proxy_test hosting_service_test hosting_threads_test
  node_link_test camera_control_test node_media_test node_playback_test microphone_test speaker_sim_test
  record_mp4_test record_repair_test stored_files_test halyard-chaos"
tsan_start=$(date +%s)
cmake --preset tsan >/dev/null
# shellcheck disable=SC2086
cmake --build --preset tsan --target $tsan_tests -- -j2 >/dev/null ||
  { cmake --build --preset tsan --target $tsan_tests -- -j1; exit 1; }
ctest --preset tsan -R "^($(echo $tsan_tests | tr ' ' '|'))\$" || status=1
echo "check: tsan $(( $(date +%s) - tsan_start )) s"

[ -z "$wine_second_runs" ] || echo "check: passed only on a second run under Wine:$wine_second_runs"
echo "check: $(( $(date +%s) - start )) s"
exit $status
