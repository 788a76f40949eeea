#!/bin/sh
# Time and peak memory of the whole run as the structure grows: a structure
# (1ehz.cif, a tRNA, by default) tiled into copies that never touch until it
# holds 10,000, 20,000, 50,000 and 100,000 nucleotides (bench/tile_structure.py;
# waters left out). Each run is pinned to one core; processor time and peak
# resident memory from /usr/bin/time.
#
# Usage: bench/scaling_bench.sh [EXE] [STRUCTURE] [CORE] [SIZES]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
exe=$(realpath "${1:-$here/../build/release/belqo-vask}")
shared=${VASK_SHARED_STRUCTURES:-$here/../../shared/data/structures}
structure=$(realpath "${2:-$shared/1ehz.cif}")
core=${3:-5}
sizes=${4:-10000 20000 50000 100000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

echo "$(date -u '+%Y-%m-%d %H:%M UTC'), load:$(uptime | sed 's/.*load average://')"
printf '%-8s %-10s %-11s %-9s %-9s %-9s %-8s %s\n' nts atoms copies wall_s cpu_s peak_MB KB/atom cpu/first
first=
for n in $sizes; do
  info=$(python3 "$here/tile_structure.py" "$structure" "$n" tiled.cif)
  copies=$(echo "$info" | awk '{ print $1 }')
  nts=$(echo "$info" | awk '{ print $3 }')
  atoms=$(echo "$info" | awk '{ print $5 }')
  /usr/bin/time -f '%e %U %S %M' -o time.txt taskset -c "$core" "$exe" -i=tiled.cif -o=report.out \
    --run-log=none >/dev/null 2>&1
  set -- $(cat time.txt)
  cpu=$(echo "$2 $3" | awk '{ print $1 + $2 }')
  [ -n "$first" ] || first=$cpu
  printf '%-8s %-10s %-11s %-9s %-9s %-9s %-8s %s\n' "$nts" "$atoms" "$copies" "$1" "$cpu" \
    "$(echo "$4" | awk '{ printf "%.0f", $1 / 1024 }')" \
    "$(echo "$4 $atoms" | awk '{ printf "%.2f", $1 / $2 }')" \
    "$(echo "$cpu $first" | awk '{ printf "%.2f", $1 / $2 }')"
  rm -f tiled.cif report.out vask-*
done
