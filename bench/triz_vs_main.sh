#!/bin/sh
# The triz sub-command against the main analysis on the same structure (the
# nucleosome 1kx5.pdb by default): median processor times of 21 runs of
# each, taken in turns, and their ratio (triz / main). triz should stay below 1.0:
# it reads the same structure and runs fewer finders. Processor time rather
# than wall time, so that other work on the machine blurs the figures less.
#
# Usage: bench/triz_vs_main.sh [path/to/belqo-vask] [path/to/structure]
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
exe=${1:-$here/build/release/belqo-vask}
pdb=${2:-$here/../shared/data/structures/1kx5.pdb}
runs=21

[ -x "$exe" ] || { echo "missing executable: $exe (build the release preset first)" >&2; exit 1; }
[ -f "$pdb" ] || { echo "missing structure: $pdb" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"  # auxiliary files of the runs stay out of the source tree

triz="$exe triz -i=$pdb -o=/dev/null --run-log=none"
main="$exe -i=$pdb -o=/dev/null --run-log=none"

sh "$here/bench/cpu_ratio.sh" triz "$triz" main "$main" "$runs"
