#!/usr/bin/env bash
# The camera view under load: halyard-sim (native) streams N cameras of
# 640x480 at 30 fps; view_bench (under Wine, on its own Xvfb screen large
# enough for 32 views of 652 x 513) opens a view on each for SECONDS and
# prints pictures drawn per second per view, its CPU, the units its rings
# discarded and where a picture's time goes. A PulseAudio null sink plays
# the sound, as a user's sound card would. The X server's and wineserver's
# CPU over the whole run (start-up included) follows, since part of every
# blit is theirs.
#   app/view/bench/bench.sh [WIN_BUILD [NATIVE_BUILD [SECONDS [N...]]]]
# Defaults: build/win32, build/native-release, 60 s, N = 1 4 16. Build the
# view_bench target and the native halyard-sim first. The views draw through
# DirectDraw; VIEW_BENCH_GDI=1 draws without (the viewer option "Draw video
# without DirectDraw"); VIEW_BENCH_AUTO=1 lets them choose as the program
# does without the option, in a prefix with Wine's own settings, which is
# what a user of Wine without a graphics driver has (DirectDraw through
# OpenGL on a software rasteriser). VIEW_BENCH_WALL=4x4 shows the cameras
# in the cells of video walls of that grid (as many as the cameras need)
# instead of in views, VIEW_BENCH_CELL=320x240 in cells of that size;
# VIEW_BENCH_MINIMISE=12 minimises the last 12 views;
# VIEW_BENCH_STREAM=test_320x240.m4v has the cameras send that stream of
# halyard-sim's media instead of the 640x480 one; VIEW_BENCH_FPS=15 at that
# many pictures a second.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
win=${1:-$root/build/win32}
native=${2:-$root/build/native-release}
seconds=${3:-60}
shift $(( $# > 3 ? 3 : $# ))
counts=${*:-1 4 16}
work=$(mktemp -d)
xvfb="" sim=""
cleanup() {
  [ -n "$sim" ] && kill "$sim" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  halyard_test_env_stop 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
for n in $(seq 130 160); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
    Xvfb ":$n" -screen 0 5216x2160x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    export DISPLAY=":$n"
    break
  fi
done
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] && break; sleep 0.1; done
# With DISPLAY set it only adds the sound server (and the Wine settings).
HALYARD_RUN_DIR="$work/run"
. "$root/scripts/test-env.sh"
# A prefix of the benchmark's own, prepared as the check prepares the tests'
# (Wine's server started apart, DirectDraw drawn through GDI), so that no
# figure depends on what ran in a prefix before: Wine's default OpenGL
# renderer on a software rasteriser would be measured instead of the views.
if [ -n "${VIEW_BENCH_AUTO:-}" ]; then
  export HALYARD_WINEPREFIX="${HALYARD_WINEPREFIX:-$HOME/.cache/halyard-bench-defaults-wine}"
else
  export HALYARD_WINEPREFIX="${HALYARD_WINEPREFIX:-$HOME/.cache/halyard-bench-wine}"
fi
arch=$(halyard_wine_arch_of "$win/app/view/bench/view_bench.exe")
[ -n "$arch" ] || { echo "bench: no view_bench.exe in $win/app/view/bench (build the view_bench target)" >&2; exit 1; }
bash "$root/scripts/wine-run.sh" --arch "$arch" cmd /c exit 0 >/dev/null 2>&1 || true
halyard_wine_serve "$arch"
[ -n "${VIEW_BENCH_AUTO:-}" ] || halyard_wine_gdi_renderer "$arch"
path_option=--directdraw
[ -n "${VIEW_BENCH_GDI:-}" ] && path_option=--gdi
[ -n "${VIEW_BENCH_AUTO:-}" ] && path_option=""
# CPU seconds (user + system) of the given processes.
cpu_seconds() {
  local ticks=0 pid own
  for pid in "$@"; do
    # A process may end between the look and the read.
    own=$(sed 's/.*) //' "/proc/$pid/stat" 2>/dev/null | awk '{ print $12 + $13 }')
    ticks=$(( ticks + ${own:-0} ))
  done
  awk -v t="$ticks" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.2f", t / hz }'
}
for n in $counts; do
  stream_option=""
  [ -n "${VIEW_BENCH_STREAM:-}" ] && stream_option="--load-stream $VIEW_BENCH_STREAM"
  [ -n "${VIEW_BENCH_FPS:-}" ] && stream_option="$stream_option --load-fps $VIEW_BENCH_FPS"
  "$native/tools/halyard-sim/halyard-sim" --user demo:demo --load "$n" $stream_option --control-port 0 </dev/null >"$work/sim.out" 2>&1 &
  sim=$!
  for _ in $(seq 100); do grep -q '^ready' "$work/sim.out" && break; sleep 0.1; done
  ports=$(sed -n 's/^camera LOAD-[0-9]* 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/sim.out")
  echo "== $n views"
  x0=$(cpu_seconds "$xvfb"); w0=$(cpu_seconds $(pgrep -x "wineserver(64)?")); t0=$(date +%s.%N)
  wall_option=""
  [ -n "${VIEW_BENCH_WALL:-}" ] && wall_option="--wall $VIEW_BENCH_WALL"
  [ -n "${VIEW_BENCH_CELL:-}" ] && wall_option="$wall_option --cell $VIEW_BENCH_CELL"
  [ -n "${VIEW_BENCH_MINIMISE:-}" ] && wall_option="$wall_option --minimise $VIEW_BENCH_MINIMISE"
  bash "$root/scripts/wine-run.sh" "$win/app/view/bench/view_bench.exe" --seconds "$seconds" $path_option $wall_option $ports | grep -v '^ *[0-9]*s cpu' || true
  x1=$(cpu_seconds "$xvfb"); w1=$(cpu_seconds $(pgrep -x "wineserver(64)?")); t1=$(date +%s.%N)
  # A wineserver that ended between runs was replaced by one this run started.
  awk -v a="$w0" -v b="$w1" 'BEGIN { exit !(b < a) }' && w0=0
  awk -v x0="$x0" -v x1="$x1" -v w0="$w0" -v w1="$w1" -v t0="$t0" -v t1="$t1" 'BEGIN { t = t1 - t0
    printf "  over the whole run (%.0f s): Xvfb %.0f%% of one core, wineserver %.0f%%\n", t, 100 * (x1 - x0) / t, 100 * (w1 - w0) / t }'
  kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null || true
  sim=""
done
