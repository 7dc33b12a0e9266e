#!/usr/bin/env bash
# The one command that builds everything and runs every test, from a fresh clone:
# installs what is missing, builds the native, fuzz and win32 presets, runs ctest on each.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)

bash scripts/setup.sh

. scripts/test-env.sh
trap halyard_test_env_stop EXIT

# Prepare the Wine prefix once, before parallel tests race to create it.
WINEDEBUG=-all bash scripts/wine-run.sh cmd /c exit >/dev/null 2>&1 || true

status=0
for preset in native fuzz win32; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -- -j2 >/dev/null || { cmake --build --preset "$preset" -- -j1; exit 1; }
  ctest --preset "$preset" || status=1
done

echo "check: $(( $(date +%s) - start )) s"
exit $status
