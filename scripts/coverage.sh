#!/usr/bin/env bash
# Line and branch coverage of the portable core by its native tests, per
# folder and in total (gcovr). A developer's measure, not part of the check.
#   scripts/coverage.sh [BUILD_DIR]      (default build/coverage)
# The tests of tools/ (the command line, the simulator, the chaos run) count
# too: they drive the core as a user would. Counters are updated atomically
# (the core's threads share them); gcov's lines it cannot read are skipped.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/coverage}"
folders="os codec net record hosting present settings node skin config_tool dialogs app"

if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS="--coverage -fprofile-update=atomic -O0" -DCMAKE_C_FLAGS="--coverage -fprofile-update=atomic -O0" \
    -DCMAKE_EXE_LINKER_FLAGS=--coverage >/dev/null
fi
cmake --build "$build" -- -j2 >/dev/null
find "$build" -name '*.gcda' -delete
ctest --test-dir "$build" -j2 --timeout 600 >"$build/coverage-ctest.log" 2>&1 ||
  echo "coverage: some tests failed (see $build/coverage-ctest.log); the figures count what ran"

filters=()
for f in $folders; do filters+=(--filter "$f/"); done
gcovr -r . "$build" "${filters[@]}" --exclude '.*/tests/.*' --exclude '.*/fuzz/.*' --exclude '.*/bench/.*' \
  --exclude-unreachable-branches --exclude-throw-branches --gcov-ignore-parse-errors \
  --json-summary "$build/coverage.json" --json-summary-pretty >/dev/null

python3 - "$build/coverage.json" $folders <<'EOF'
import json, sys
summary = json.load(open(sys.argv[1]))
rows = {}
for f in summary["files"]:
    folder = f["filename"].split("/")[0]
    r = rows.setdefault(folder, [0, 0, 0, 0])
    r[0] += f["line_covered"]; r[1] += f["line_total"]
    r[2] += f["branch_covered"]; r[3] += f["branch_total"]
pct = lambda a, b: 100.0 * a / b if b else 0.0
print(f"{'folder':12} {'lines':>16} {'branches':>16}")
total = [0, 0, 0, 0]
for folder in sys.argv[2:]:
    if folder not in rows: continue
    r = rows[folder]
    total = [t + x for t, x in zip(total, r)]
    print(f"{folder:12} {pct(r[0], r[1]):6.1f}% of {r[1]:6} {pct(r[2], r[3]):6.1f}% of {r[3]:6}")
print(f"{'total':12} {pct(total[0], total[1]):6.1f}% of {total[1]:6} {pct(total[2], total[3]):6.1f}% of {total[3]:6}")
EOF
