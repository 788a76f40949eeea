#!/bin/sh
# Fails on any include under src/ that reaches a folder above the including
# file's own: folders stack support < structure < pairing < secondary <
# motifs < schematics < modeling < interactions < driver, and a file may
# include only its own folder and those below. Each offence is named by file,
# line and include.
#
# Usage: tests/check_layers.sh [src-dir]
set -u
src=${1:-$(cd "$(dirname "$0")/../src" && pwd)}
cd "$src" || exit 2
order="support structure pairing secondary motifs schematics modeling interactions driver"

# folders of src/ that are not in the order are offences themselves
status=0
for dir in */; do
  case " $order " in
    *" ${dir%/} "*) ;;
    *) echo "src/${dir%/}: folder not in the layer order ($order)"; status=1 ;;
  esac
done

# every quoted include that names a folder, as file:line:text
grep -rn '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[A-Za-z0-9_]*/' --include='*.cpp' --include='*.hpp' . |
awk -v order="$order" '
  BEGIN { n = split(order, f, " "); for (i = 1; i <= n; i++) rank[f[i]] = i }
  {
    file = $0; sub(/:.*/, "", file); sub(/^\.\//, "", file)
    rest = substr($0, length(file) + 4); line = rest; sub(/:.*/, "", line)
    text = substr(rest, length(line) + 2); sub(/^[[:space:]]*/, "", text)
    own = file; sub(/\/.*/, "", own)
    target = text; sub(/^[^"]*"/, "", target); sub(/\/.*/, "", target)
    if (!(target in rank)) { printf "src/%s:%s: include of a folder not in the layer order: %s\n", file, line, text; bad = 1 }
    else if ((own in rank) && rank[target] > rank[own]) {
      printf "src/%s:%s: upward include (%s may not include %s): %s\n", file, line, own, target, text; bad = 1
    }
  }
  END { exit bad }' || status=1
exit $status
