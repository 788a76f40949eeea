#!/bin/sh
# Reading and preparing the large ribosomal subunit 1ffk.cif (64,281 atoms):
# belqo-vask against `gemmi contents` on the same file, side by side.
# Prints both median times, their ratio (ours / gemmi) and our peak memory;
# with the bench preset built, also the time of reading and preparation alone.
#
# Usage: bench/compare_gemmi.sh [path/to/belqo-vask] [path/to/1ffk.cif]
# Needs hyperfine and gemmi (Debian: apt-get install -y hyperfine gemmi);
# without hyperfine the medians come from 21 runs under /usr/bin/time.
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
exe=${1:-$here/build/release/belqo-vask}
cif=${2:-$here/../shared/data/structures/1ffk.cif}
runs=21

for tool in gemmi; do
  command -v "$tool" >/dev/null || { echo "missing: $tool (apt-get install -y gemmi hyperfine)" >&2; exit 1; }
done
[ -x "$exe" ] || { echo "missing executable: $exe (build the release preset first)" >&2; exit 1; }
[ -f "$cif" ] || { echo "missing structure: $cif" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"  # auxiliary files of the run stay out of the source tree

ours="$exe -i=$cif -o=/dev/null --run-log=none"
theirs="gemmi contents $cif"

median_of() {  # median of the numbers on standard input
  sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

if command -v hyperfine >/dev/null; then
  # -N: no shell in between (paths without blanks); standard output discarded
  hyperfine -N --warmup 2 --runs "$runs" --output=null --export-json times.json "$ours" "$theirs"
  t_ours=$(sed -n 's/.*"median": *\([0-9.e+-]*\).*/\1/p' times.json | sed -n 1p)
  t_theirs=$(sed -n 's/.*"median": *\([0-9.e+-]*\).*/\1/p' times.json | sed -n 2p)
else
  time_runs() {
    i=0
    while [ $i -lt $runs ]; do
      /usr/bin/time -f '%e' $1 2>&1 >/dev/null | tail -1
      i=$((i + 1))
    done | median_of
  }
  t_ours=$(time_runs "$ours")
  t_theirs=$(time_runs "$theirs")
fi

peak_kb=$(/usr/bin/time -v $ours 2>&1 >/dev/null | sed -n 's/.*Maximum resident set size (kbytes): *//p')

awk -v a="$t_ours" -v b="$t_theirs" -v kb="$peak_kb" 'BEGIN {
  printf "belqo-vask -i=1ffk.cif   median %.4f s   (whole run: reading, preparation, analysis)\n", a
  printf "gemmi contents 1ffk.cif  median %.4f s\n", b
  printf "ratio (ours / gemmi)     %.2f\n", a / b
  printf "belqo-vask peak memory   %.1f MB (target < 300 MB)\n", kb / 1024
}'

# Reading and preparation alone, in process, when the bench preset is built
# (cmake --preset bench && cmake --build --preset bench).
reader=${READ_BENCH:-$here/build/bench/read_pdb_bench}
if [ -x "$reader" ]; then
  t_read=$("$reader" --benchmark_repetitions=$runs --benchmark_report_aggregates_only=true \
             --benchmark_format=csv "$cif" 2>/dev/null | awk -F, '/_median"?,/ { print $3 / 1000; exit }')
  awk -v a="$t_read" -v b="$t_theirs" 'BEGIN {
    printf "reading + preparation    median %.4f s   ratio to gemmi %.2f (target <= 1.0)\n", a, a / b
  }'
fi
