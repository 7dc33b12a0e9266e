#!/usr/bin/env bash
# The include rule: every folder lives on a floor and includes only folders on
# lower floors (and itself). Prints each include that runs sideways or up,
# and the folder-to-folder edges with --graph. Exit 1 on any violation.
# Tests and fuzz targets follow the rule of the folder they sit in, except
# that they may use the simulators and media helpers of tools/; tools/ and
# installer/ stand outside the house and may use anything.
set -euo pipefail
cd "$(dirname "$0")/.."

floor_of() {
  case "$1" in
    os) echo 0 ;;
    codec | net) echo 1 ;;
    record | hosting | present | settings) echo 2 ;;
    node) echo 3 ;;
    skin) echo 4 ;;
    dialogs) echo 5 ;;
    app | config_tool) echo 6 ;;
    tools | installer) echo 9 ;;
    *) echo "" ;;
  esac
}

graph=0
[ "${1:-}" = --graph ] && graph=1

bad=0
edges=$(
  git ls-files '*.h' '*.cpp' '*.inc' | while IFS= read -r file; do
    from=${file%%/*}
    [ "$from" = "$file" ] && continue
    grep -Ho '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]*/[^"]*"' "$file" |
      sed 's/^\([^:]*\):.*"\([^"/]*\)\/.*/\1 \2/' | while read -r f to; do
      [ "$to" = "$from" ] && continue
      [ -d "$to" ] || continue  # a path relative to the including file
      echo "$from $to $f"
    done
  done
)
while read -r from to file; do
  [ -n "$from" ] || continue
  ff=$(floor_of "$from")
  tf=$(floor_of "$to")
  if [ -z "$ff" ] || [ -z "$tf" ]; then
    echo "layers: $file: folder '$from' or '$to' has no floor; add it to scripts/check-layers.sh"
    bad=1
  elif [ "$to" = tools ] && [[ "$file" == */tests/* || "$file" == */fuzz/* ]]; then
    :
  elif [ "$tf" -ge "$ff" ] && [ "$ff" -ne 9 ]; then
    echo "layers: $file includes $to/ (floor $tf) from $from/ (floor $ff)"
    bad=1
  fi
done <<<"$edges"

if [ $graph -eq 1 ]; then
  awk 'NF { print $1 " -> " $2 }' <<<"$edges" | sort | uniq -c | awk '{ print $2, $3, $4, "(" $1 ")" }'
fi
[ $bad -eq 0 ] && echo "layers: every include runs down"
exit $bad
