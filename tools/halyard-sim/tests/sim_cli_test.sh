#!/usr/bin/env bash
# The halyard-sim program itself: starts on free ports, prints what it serves,
# answers line commands on its control port and stops on "quit".
set -euo pipefail
sim=$1
out=$(mktemp)
trap 'rm -f "$out"; kill $pid 2>/dev/null || true' EXIT
"$sim" --hosting-port 0 --camera CAM-1:0:test_176x144.m4v --control-port 0 </dev/null >"$out" 2>&1 &
pid=$!
for _ in $(seq 100); do grep -q '^ready' "$out" && break; sleep 0.1; done
grep -q '^ready' "$out" || { cat "$out"; echo "FAIL: no ready line"; exit 1; }
control=$(sed -n 's/^control 127.0.0.1:\([0-9]*\)$/\1/p' "$out")
grep -q '^camera CAM-1 127.0.0.1:[0-9]* 176x144 15 fps' "$out" || { cat "$out"; echo "FAIL: camera line"; exit 1; }
exec 3<>"/dev/tcp/127.0.0.1/$control"
printf 'connections hosting\n' >&3
read -r line <&3
[ "$line" = "open 0" ] || { echo "FAIL: connections answered '$line'"; exit 1; }
read -r line <&3
printf 'no-such-command\n' >&3
read -r line <&3
case "$line" in error:*) ;; *) echo "FAIL: unknown command answered '$line'"; exit 1;; esac
printf 'quit\n' >&3
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then echo "FAIL: still running after quit"; exit 1; fi
grep -q '^stopped' "$out" || { cat "$out"; echo "FAIL: no stopped line"; exit 1; }
echo "1 passed, 0 failed"
