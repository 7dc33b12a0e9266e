#!/usr/bin/env bash
# How many small faults the tests of some folders notice (see mutation_sample.py):
#   scripts/mutation-sample.sh [--seed S] [--count N] [--tests REGEX] [--share K/N] [--list] FOLDER...
# It builds its own native tree in build/mutation (no sanitizers, -O1).
exec python3 "$(dirname "$0")/mutation_sample.py" "$@"
