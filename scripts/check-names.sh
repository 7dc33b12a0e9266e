#!/usr/bin/env bash
# The naming rules of ARCHITECTURE.md ("Names"), checked on the C++ files a
# change touches (against its merge base with origin/main, or HEAD~1 where
# there is none): clang-tidy's identifier naming (.clang-tidy: members end in
# an underscore, parameters and namespaces are snake_case) on the files the
# native build compiles, and each file's namespace against its folder's.
# Exit 1 on any finding. Usage: check-names.sh [FILE...] (default: the change).
set -euo pipefail
cd "$(dirname "$0")/.."

db=build/native
if [ $# -gt 0 ]; then
  files=("$@")
else
  base=$(git merge-base HEAD origin/main 2>/dev/null || true)
  [ -n "$base" ] && [ "$base" != "$(git rev-parse HEAD)" ] || base=$(git rev-parse -q --verify 'HEAD~1^{commit}' || true)
  # A shallow clone of one commit has nothing to compare with.
  [ -n "$base" ] || { echo "names: no earlier commit here to compare with; nothing checked"; exit 0; }
  mapfile -t files < <(git diff --name-only --diff-filter=AM "$base" -- '*.h' '*.cpp' | grep -v '^tools/\|^installer/' || true)
fi
[ ${#files[@]} -gt 0 ] || { echo "names: no C++ file changed"; exit 0; }

bad=0
existing=()
for f in "${files[@]}"; do [ -f "$f" ] && existing+=("$f"); done
[ ${#existing[@]} -eq 0 ] || python3 scripts/namespaces.py "${existing[@]}" || bad=1

# clang-tidy needs each file's compile command: a header is checked through
# the sources of the native build that include it (the first two).
[ -f "$db/compile_commands.json" ] || { echo "names: no $db/compile_commands.json (configure the native preset)" >&2; exit 1; }
mapfile -t compiled < <(python3 -c 'import json,os,sys; [print(os.path.relpath(e["file"])) for e in json.load(open(sys.argv[1]))]' \
  "$db/compile_commands.json" | sort -u)
units=()
headers=()
for f in "${files[@]}"; do
  [ -f "$f" ] || continue
  case "$f" in
    *.cpp) printf '%s\n' "${compiled[@]}" | grep -qx "$f" && units+=("$f") ;;
    *.h)
      headers+=("$f")
      mapfile -t users < <(printf '%s\n' "${compiled[@]}" | grep '\.cpp$' | xargs grep -l "#include \"$f\"" 2>/dev/null | head -2 || true)
      units+=("${users[@]}") ;;
  esac
done
mapfile -t units < <(printf '%s\n' "${units[@]}" | grep . | sort -u || true)
if [ ${#units[@]} -gt 0 ]; then
  filter='^$'
  [ ${#headers[@]} -gt 0 ] && filter="($(printf '%s\n' "${headers[@]}" | sed 's/[.]/[.]/g' | paste -sd'|'))\$"
  # Only what lies in the changed files counts: a unit checked for a header's
  # sake answers for that header alone.
  changed=$(printf '%s\n' "${files[@]}" | sed 's/[.]/[.]/g' | paste -sd'|')
  out=$(printf '%s\n' "${units[@]}" | xargs -P2 -n4 clang-tidy -p "$db" --quiet --header-filter="$filter" 2>/dev/null |
    grep 'readability-identifier-naming' | sed "s|^$PWD/||" | grep -E "^($changed):" | sort -u || true)
  if [ -n "$out" ]; then
    echo "$out"
    bad=1
  fi
fi
echo "names: ${#files[@]} files changed, ${#units[@]} compiled units checked"
exit $bad
