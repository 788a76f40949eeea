#!/bin/sh
# A search of a 4-pair duplex (pairs 3-6 of the 1bna dodecamer, cut here)
# over a target against the main analysis of the same target (the ribosomal
# subunit 1ffk.cif by default): median processor times of 21 runs of each,
# taken in turns, and their ratio (search / main). The search should stay
# below 2.0: it reads the target and runs only the pair and helix finders.
#
# Usage: bench/search_vs_main.sh [path/to/belqo-vask] [path/to/structure]
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
exe=${1:-$here/build/release/belqo-vask}
pdb=${2:-$here/../shared/data/structures/1ffk.cif}
bna=$here/tests/data/1bna.pdb
runs=21

[ -x "$exe" ] || { echo "missing executable: $exe (build the release preset first)" >&2; exit 1; }
[ -f "$pdb" ] || { echo "missing structure: $pdb" >&2; exit 1; }
[ -f "$bna" ] || { echo "missing structure: $bna" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"  # auxiliary files of the runs stay out of the source tree

awk '$1 == "ATOM" { c = substr($0, 22, 1); r = substr($0, 23, 4) + 0
  if ((c == "A" && r >= 3 && r <= 6) || (c == "B" && r >= 19 && r <= 22)) print }
  END { print "END" }' "$bna" >query.pdb
search="$exe search --query=query.pdb --target=$pdb -o=/dev/null --run-log=none"
main="$exe -i=$pdb -o=/dev/null --run-log=none"

sh "$here/bench/cpu_ratio.sh" search "$search" main "$main" "$runs"
