#!/usr/bin/env bash
# How many small faults the tests of some folders notice (see mutation_sample.py):
#   scripts/mutation-sample.sh [--seed S] [--count N] [--tests REGEX] [--share K/N] [--preset win64] [--list] FOLDER...
# It builds its own native tree in build/mutation (no sanitizers, -O1), or with
# --preset a Windows tree in build/mutation-PRESET whose tests run under Wine.
set -euo pipefail
here="$(dirname "$0")"
preset=""
args=("$@")
for ((i = 0; i < ${#args[@]}; i++)); do
  [ "${args[$i]}" != "--preset" ] || preset="${args[$((i + 1))]:-}"
done
if [ -n "$preset" ]; then
  # The window tests need a display, a sound server and a served Wine prefix,
  # as in the check.
  . "$here/test-env.sh"
  trap halyard_test_env_stop EXIT
  halyard_wine_serve "$preset"
  halyard_wine_test_prefix "$preset"
fi
python3 "$here/mutation_sample.py" "$@"
