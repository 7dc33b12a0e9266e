#!/usr/bin/env bash
# Halyard against the simulated demo world, in one command:
#   bash scripts/demo.sh [--seconds N] [--record] [--arch win32|win64]
# Installs what is missing, builds halyard-sim and Halyard.exe (release), starts
# `halyard-sim --demo`, a sound server when none runs, a virtual display when
# there is no DISPLAY, and Halyard.exe from its ready program folder under Wine,
# logged in to "Demo server" with both demo cameras open, and the first demo
# camera once more through its direct entry "Demo camera".
#   --seconds N   end by itself after N seconds, with a screenshot taken just
#                 before and read back: the demo fails, naming the view, when a
#                 view does not show its camera's picture beside the main window
#   --record      the views record into the run folder
#   --arch A      which Windows build to run (default: win64, else win32 where
#                 only 32-bit programs run)
# At the end it prints where the screenshot, the recordings and the debug log
# are. Every process it started is stopped when it ends or is interrupted.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

seconds=0
record=0
arch=""
usage() { sed -n '2,14s/^# \{0,1\}//p' "$0"; exit "${1:-2}"; }
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) [ $# -ge 2 ] && [[ "$2" =~ ^[0-9]+$ ]] && [ "$2" -ge 10 ] ||
                 { echo "demo: --seconds takes a number of seconds, at least 10" >&2; exit 2; }
               seconds=$2; shift 2 ;;
    --record) record=1; shift ;;
    --arch) [ $# -ge 2 ] || usage; arch=$2; shift 2 ;;
    -h|--help) usage 0 ;;
    *) echo "demo: unknown option '$1'" >&2; usage ;;
  esac
done
start=$(date +%s)
say() { echo "demo: $*"; }

# ---- what the demo needs ----------------------------------------------------
need_setup=0
for tool in cmake ninja g++ x86_64-w64-mingw32-g++-posix i686-w64-mingw32-g++-posix wine wineserver Xvfb \
            import xwininfo python3 pulseaudio ffprobe setsid; do
  command -v "$tool" >/dev/null 2>&1 || need_setup=1
done
[ -x /usr/lib/wine/wine64 ] || need_setup=1
[ $need_setup -eq 0 ] || bash scripts/setup.sh

. scripts/wine-env.sh
# The demo keeps a Wine prefix of its own, so ending it stops only what it started.
export HALYARD_WINEPREFIX="${HALYARD_WINEPREFIX:-$HOME/.cache/halyard-demo-wine}"
build() {  # preset target
  [ -f "build/$1/CMakeCache.txt" ] || cmake --preset "$1" >/dev/null
  say "building $2 ($1)"
  cmake --build --preset "$1" --target "$2" -- -j2 >/dev/null ||
    { cmake --build --preset "$1" --target "$2" -- -j1 | tail -30; exit 1; }
}

# ---- the run and its clean-up ------------------------------------------------
run=$(mktemp -d /tmp/halyard-demo.XXXXXX)
sim_pid="" halyard_pid="" xvfb_pid="" pulse_started=0 wine_started=0
stop_all() {
  trap - EXIT INT TERM
  set +e
  [ -n "$halyard_pid" ] && kill "$halyard_pid" 2>/dev/null
  if [ $wine_started -eq 1 ]; then
    for a in win32 win64; do (halyard_wine_use "$a" && wineserver -k && wineserver -w) >/dev/null 2>&1; done
  fi
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
  [ $pulse_started -eq 1 ] && pulseaudio --kill >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  return 0
}
trap stop_all EXIT
trap 'echo; say "interrupted"; exit 130' INT TERM  # until Halyard runs

if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    setsid -w Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    break
  done
  [ -n "$xvfb_pid" ] || { echo "demo: no free display number for Xvfb" >&2; exit 1; }
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] && break; sleep 0.1; done
  say "virtual display $DISPLAY"
fi

if ! pactl info >/dev/null 2>&1; then
  export PULSE_RUNTIME_PATH="$run/pulse"
  mkdir -p "$PULSE_RUNTIME_PATH"
  pulseaudio -n --daemonize=yes --exit-idle-time=-1 --system=false \
    -L module-native-protocol-unix -L "module-null-sink sink_name=out" \
    -L "module-pipe-source source_name=mic file=$run/mic.fifo format=s16le rate=8000 channels=1" \
    >/dev/null 2>&1 && pulse_started=1
fi

# Wine binds its desktop to the display of the first program of a prefix,
# so the probe runs only once the display is there.
wine_started=1
if [ -z "$arch" ]; then
  arch=win64
  if ! bash scripts/wine-run.sh --arch win64 cmd /c exit 0 >/dev/null 2>&1; then
    bash scripts/wine-run.sh --arch win32 cmd /c exit 0 >/dev/null 2>&1 ||
      { echo "demo: this machine runs neither 64-bit nor 32-bit Windows programs under Wine" >&2; exit 1; }
    arch=win32
  fi
fi
case "$arch" in win32|win64) ;; *) echo "demo: --arch is win32 or win64" >&2; exit 2 ;; esac

# HALYARD_DEMO_SIM names a simulator already built (the check passes its own).
sim=${HALYARD_DEMO_SIM:-build/native-release/tools/halyard-sim/halyard-sim}
[ -n "${HALYARD_DEMO_SIM:-}" ] || build native-release halyard-sim
build "$arch" Halyard
exe=build/$arch/dist/Halyard/Halyard.exe

# The control port keeps the simulator running while its standard input is empty.
setsid -w "$sim" --demo --control-port 0 </dev/null >"$run/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do grep -q '^ready' "$run/sim.log" && break; kill -0 "$sim_pid" 2>/dev/null || break; sleep 0.1; done
grep -q '^ready' "$run/sim.log" || { echo "demo: halyard-sim did not start:" >&2; cat "$run/sim.log" >&2; exit 1; }
say "halyard-sim --demo: $(grep -E '^(hosting|camera)' "$run/sim.log" | tr '\n' ' ')"

# Wine maps the Unix root to drive Z:.
winpath() { local p=$1; echo "Z:${p//\//\\}"; }
# Both cameras through the hosting server, and the first once more directly
# through the server list's camera entry.
args=(--server "Demo server" --server "Demo camera" --user demo --password demo --view CAM-DEMO-1 --view CAM-DEMO-2)
if [ $record -eq 1 ]; then
  mkdir -p "$run/recordings"
  args+=(--record "$(winpath "$run/recordings")")
fi
[ "$seconds" -gt 0 ] && args+=(--quit-after "$seconds")

halyard_wine_use "$arch"
halyard_wine_gdi_renderer "$arch"

# Without a window manager Wine shows its stand-in for the notification area
# as a small box at the top left of the screen: the main window starts below
# it (its position is where Halyard saved it last, so it is set each run).
bash scripts/wine-run.sh --arch "$arch" reg add 'HKCU\Software\Vantreck\HALYDv2' /v XPos /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
bash scripts/wine-run.sh --arch "$arch" reg add 'HKCU\Software\Vantreck\HALYDv2' /v YPos /t REG_DWORD /d 48 /f >/dev/null 2>&1 || true

# The debug log goes to the Windows temporary folder; one log per run.
temp_dirs=("$WINEPREFIX/drive_c/users/$(id -un)/Temp" "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Temp")
for d in "${temp_dirs[@]}"; do rm -f "$d/VORIZIVO_DEBUG_VIDEO.txt"; done

shot="$run/screen.png"
status=0
look_failed=0

# What ffprobe makes of a recording's video track: pictures stored and decoded.
describe_recording() {
  local counts
  counts=$(ffprobe -v quiet -count_packets -count_frames -select_streams v:0 \
           -show_entries stream=nb_read_packets,nb_read_frames -of csv=p=0 "$1" 2>/dev/null || true)
  local decoded=${counts%%,*} stored=${counts##*,}
  if [ -z "$counts" ]; then echo "ffprobe cannot read it"; else echo "$stored pictures, $decoded decoded by ffprobe"; fi
}

report() {
  for d in "${temp_dirs[@]}"; do
    [ -f "$d/VORIZIVO_DEBUG_VIDEO.txt" ] && cp "$d/VORIZIVO_DEBUG_VIDEO.txt" "$run/debug-log.txt"
  done
  [ "$status" -eq 0 ] || say "Halyard.exe ended with exit code $status (its output: $run/halyard.out)"
  if [ -f "$shot" ]; then say "screenshot: $shot"; else say "no screenshot"; fi
  if [ -f "$run/look.txt" ]; then
    sed 's/^look: /demo: /' "$run/look.txt"
    [ $look_failed -eq 0 ] || status=1
  fi
  if [ $record -eq 1 ]; then
    local recordings
    recordings=$(ls "$run"/recordings/*.mp4 2>/dev/null || true)
    if [ -n "$recordings" ]; then
      while read -r f; do say "recording: $f ($(describe_recording "$f"))"; done <<<"$recordings"
    else
      say "no recordings in $run/recordings"
      status=1
    fi
  fi
  if [ -f "$run/debug-log.txt" ]; then say "debug log: $run/debug-log.txt"; else say "no debug log in ${temp_dirs[0]}"; fi
  say "$(( $(date +%s) - start )) s"
}

# Asks Halyard to end as its Exit button does (WM_CLOSE), so that open
# recordings are finished, and waits a while for it.
end_halyard() {
  [ -n "$halyard_pid" ] && kill -0 "$halyard_pid" 2>/dev/null || return 0
  bash scripts/wine-run.sh --arch "$arch" taskkill /im Halyard.exe >/dev/null 2>&1 || true
  for _ in $(seq 40); do kill -0 "$halyard_pid" 2>/dev/null || break; sleep 0.5; done
}

on_interrupt() {
  trap '' INT TERM
  echo
  say "interrupted: ending Halyard"
  import -window root "$shot" 2>/dev/null || true
  end_halyard
  report
  exit 130
}
trap on_interrupt INT TERM

say "starting $exe ${args[*]}"
# In sessions of their own, so that Ctrl+C in the terminal reaches only this
# script, which ends them in order: Halyard first, with its recordings finished.
setsid -w bash scripts/wine-run.sh "$exe" "${args[@]}" >"$run/halyard.out" 2>&1 &
halyard_pid=$!
launched=$(date +%s)

if [ "$seconds" -gt 0 ]; then
  # The picture is taken shortly before Halyard's own --quit-after timer ends
  # it, so the views are still on screen.
  sleep $((seconds - 3)) &
  wait $! || true
  python3 scripts/demo_look.py capture "$run/windows.txt" 2>/dev/null || : >"$run/windows.txt"
  import -window root "$shot" 2>/dev/null || say "no screenshot: import failed"
  # Read the screenshot back as a user would look at it: every view shows
  # its camera's picture, lined up with the main window.
  python3 scripts/demo_look.py check "$shot" "$run/windows.txt" --main Halyard \
      --view "Demo camera" --view CAM-DEMO-1 --view CAM-DEMO-2 >"$run/look.txt" 2>&1 || look_failed=1
  deadline=$((launched + seconds + 60))
  while kill -0 "$halyard_pid" 2>/dev/null && [ "$(date +%s)" -lt "$deadline" ]; do sleep 0.5; done
  if kill -0 "$halyard_pid" 2>/dev/null; then
    say "Halyard.exe did not end after --quit-after $seconds"
    status=1
  else
    wait "$halyard_pid" || status=$?
    halyard_pid=""
  fi
else
  say "end the demo with Halyard's Exit button (or its tray menu) or Ctrl+C"
  wait "$halyard_pid" || status=$?
  halyard_pid=""
fi
report
exit "$status"
