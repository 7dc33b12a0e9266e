#!/usr/bin/env bash
# ctest's runner for a Windows test program: wine-run.sh, with the program's
# output passed on through a file once it has ended.
#   wine-test.sh PROGRAM [ARGS...]
# The first window of a run starts Wine's desktop process (and a first
# service call its service processes). Started by a test, they inherit the
# test's output and keep it open while any other Windows program of the run
# lives; ctest waits for the output to close and counts the wait against the
# test: a dialog test of 3 s took 90 while the command-line tests ran beside
# it. Through a file, only this script holds ctest's output.
set -u
out=$(mktemp "${TMPDIR:-/tmp}/halyard-wine-test.XXXXXX")
trap 'cat "$out"; rm -f "$out"' EXIT
bash "$(dirname "${BASH_SOURCE[0]}")/wine-run.sh" "$@" >"$out" 2>&1
