#!/usr/bin/env bash
# Halyard recording by plan, unattended, against four simulated cameras:
#   bash scripts/plan-run.sh [--minutes N] [--quota-mb M] [--arch win32|win64]
# "Gate" and "Yard" record continuously, "Door" and "Lane" on motion (their
# streams have a square crossing them every few seconds), each into files
# cut every minute under one root kept within M MB (default 6). Halyard
# starts with no option and no view: the plans come from its registry, as
# a restart after a power cut finds them. It ends by itself after N minutes
# (default 10); the run then shows what the root holds (each file read by
# ffprobe), the event log's recording and retention lines, and a screenshot
# of the server tree. Everything runs in a Wine prefix and run folder of its
# own; nothing is sent beyond 127.0.0.1.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

minutes=10 quota_mb=6 arch=win64
while [ $# -gt 0 ]; do
  case "$1" in
    --minutes) minutes=$2; shift 2 ;;
    --quota-mb) quota_mb=$2; shift 2 ;;
    --arch) arch=$2; shift 2 ;;
    *) sed -n '2,12s/^# \{0,1\}//p' "$0"; exit 2 ;;
  esac
done
say() { echo "plan-run: $*"; }

. scripts/wine-env.sh
export HALYARD_WINEPREFIX="${HALYARD_WINEPREFIX:-$HOME/.cache/halyard-plan-wine}"
for preset in native "$arch"; do [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null; done
cmake --build build/native --target halyard-sim >/dev/null
cmake --build "build/$arch" --target Halyard >/dev/null

run=$(mktemp -d /tmp/halyard-plans.XXXXXX)
sim_pid="" xvfb_pid="" halyard_pid=""
stop_all() {
  set +e
  [ -n "$halyard_pid" ] && kill "$halyard_pid" 2>/dev/null
  (halyard_wine_use "$arch" && wineserver -k && wineserver -w) >/dev/null 2>&1
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  return 0
}
trap stop_all EXIT

for n in $(seq 121 160); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
  setsid -w Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  break
done
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] && break; sleep 0.1; done

# The cameras, on ports of their own.
cameras=(Gate:47101:test_320x240.m4v Yard:47102:still_320x240.m4v Door:47103:motion_320x240.m4v
         Lane:47104:motion_320x240.m4v)
sim_args=(--user demo:demo --media-dir "$root/tools/halyard-sim/media" --control-port 0)
for c in "${cameras[@]}"; do sim_args+=(--camera "$c:voice"); done
setsid -w build/native/tools/halyard-sim/halyard-sim "${sim_args[@]}" </dev/null >"$run/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do grep -q '^ready' "$run/sim.log" && break; sleep 0.1; done
grep -q '^ready' "$run/sim.log" || { cat "$run/sim.log"; exit 1; }

# The program folder with a server list of the four camera entries.
cp -r "build/$arch/dist/Halyard" "$run/program"
{
  printf '[GROUP_LIST]\nHost Server=Host Server\nCameras=Cameras\n[Host Server]\n[Cameras]\n'
  for c in "${cameras[@]}"; do printf '%s=%s\n' "${c%%:*}" "${c%%:*}"; done
  for c in "${cameras[@]}"; do
    IFS=: read -r name port _ <<<"$c"
    printf '[%s]\nServerIP=127.0.0.1\nServerPort=%s\nServerType=Camera\nDDNS=FALSE\nMACAddress=\n' "$name" "$port"
  done
} >"$run/servers.txt"
{ printf '\377\376'; iconv -f UTF-8 -t UTF-16LE "$run/servers.txt"; } >"$run/program/ServerList.ini"

halyard_wine_use "$arch"
halyard_wine_gdi_renderer "$arch"
reg() { bash scripts/wine-run.sh --arch "$arch" reg add "HKCU\\Software\\Vantreck\\HALYDv2$1" /v "$2" /t REG_SZ /d "$3" /f >/dev/null; }
bash scripts/wine-run.sh --arch "$arch" reg delete 'HKCU\Software\Vantreck\HALYDv2\Plans' /f >/dev/null 2>&1 || true
mkdir -p "$run/root"
reg '\Storage' Root "Z:${run//\//\\}\\root"
reg '\Storage' Limits "max-gb=$(awk "BEGIN { printf \"%.3f\", $quota_mb / 1024 }")"
for c in "${cameras[@]}"; do
  name=${c%%:*}
  case "$name" in Gate|Yard) plan="continuous files=1" ;; *) plan="motion files=1" ;; esac
  reg '\Plans' "direct $name" "$plan"
  reg '\Plans' "login $name user" demo
  reg '\Plans' "login $name password" demo
done
event_dir="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Halyard"
rm -f "$event_dir"/events-*.log

say "run folder $run; $minutes minutes, a quota of $quota_mb MB"
seconds=$((minutes * 60))
bash scripts/wine-run.sh --arch "$arch" "$run/program/Halyard.exe" --quit-after "$seconds" >"$run/halyard.out" 2>&1 &
halyard_pid=$!
for ((t = 60; t < seconds; t += 60)); do
  sleep 60
  say "$((t / 60)) min: $(find "$run/root" -name '*.mp4' | wc -l) files, $(du -sm "$run/root" | cut -f1) MB"
done
sleep $((seconds - t + 60 > 0 ? 50 : 0))
import -window root "$run/screen.png" 2>/dev/null || true
wait "$halyard_pid" || say "Halyard ended with $?"
halyard_pid=""

say "files left:"
find "$run/root" -name '*.mp4' | sort | while read -r f; do
  n=$(ffprobe -v quiet -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$f" || echo "?")
  echo "  ${f#$run/root/} $(stat -c %s "$f") bytes, $n pictures"
done
say "event lines (recording, plans, retention):"
grep -hE "Deleted|plan|Recording" "$event_dir"/events-*.log 2>/dev/null | head -80 || true
say "screenshot: $run/screen.png"
