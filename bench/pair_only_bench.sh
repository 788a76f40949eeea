#!/bin/sh
# --pair-only against the whole run, processor time of runs in turns
# (bench/cpu_ratio.sh), on 1ffk.cif (64,281 atoms) and on a 44,000-atom part
# of it (its first 44,000 atom rows: most of the 23S RNA). Each command is
# pinned to one core.
#
# Usage: bench/pair_only_bench.sh [EXE] [RUNS] [CORE]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
exe=$(realpath "${1:-$here/../build/release/belqo-vask}")
runs=${2:-11}
core=${3:-5}
shared=${VASK_SHARED_STRUCTURES:-$here/../../shared/data/structures}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

awk 'BEGIN { n = 0 }
     /^(ATOM|HETATM)/ { if (++n > 44000) { done = 1; next } }
     done && !/^(ATOM|HETATM)/ { exit }
     { print }
     END { print "#" }' "$shared/1ffk.cif" >part44k.cif

echo "$(date -u '+%Y-%m-%d %H:%M UTC'), load:$(uptime | sed 's/.*load average://')"
for s in "$shared/1ffk.cif" part44k.cif; do
  echo "$(basename "$s"): $(grep -c '^ATOM\|^HETATM' "$s") atoms"
  sh "$here/cpu_ratio.sh" whole "taskset -c $core $exe -i=$s -o=whole.out" \
    pair-only "taskset -c $core $exe -i=$s -o=pairs.out --pair-only" "$runs"
done
