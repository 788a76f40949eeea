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

median_of() {  # median of the numbers on standard input
  sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Processor seconds of one run: task-clock from perf when it is installed,
# else user + system from /usr/bin/time (10 ms steps).
one_run() {
  if [ "$use_perf" = 1 ]; then
    perf stat -x, -e task-clock $1 2>&1 >/dev/null | awk -F, '/task-clock/ { print $1 / 1000 }'
  else
    /usr/bin/time -f '%U %S' $1 2>&1 >/dev/null | tail -1 | awk '{ print $1 + $2 }'
  fi
}
use_perf=0
if command -v perf >/dev/null && perf stat -x, -e task-clock true >/dev/null 2>&1; then use_perf=1; fi

# the two commands take turns, so that a change of load on the machine
# falls on both alike
i=0
while [ $i -lt $runs ]; do
  one_run "$triz" >>triz.times
  one_run "$main" >>main.times
  i=$((i + 1))
done
t_triz=$(median_of <triz.times)
t_main=$(median_of <main.times)

printf 'triz: %.3f s   main: %.3f s   ratio triz/main: %.2f\n' "$t_triz" "$t_main" \
  "$(echo "$t_triz $t_main" | awk '{ print $1 / $2 }')"
