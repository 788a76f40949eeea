#!/bin/sh
# Time and peak memory of fiber models of growing size: the model is built
# and written unit by unit, so both should grow linearly with the number of
# pairs and the memory stay small (the file itself is about 3.3 KB a pair).
#
# Usage: bench/fiber_memory.sh EXE [pairs ...]   (default 10000 25000 50000 100000)
# Prints one line per size: pairs, atoms, seconds, peak memory, file size;
# the load average comes first, since the machine may be shared.
set -eu
exe=$1
shift
[ $# -gt 0 ] || set -- 10000 25000 50000 100000
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%8s %9s %9s %12s %10s\n' pairs atoms seconds "peak (MB)" "file (MB)"
for n in "$@"; do
  /usr/bin/time -f '%e %M' -o "$work/time.txt" "$exe" fiber --seq="A$n" -o="$work/m.pdb" 2>/dev/null
  read -r secs kb <"$work/time.txt"
  atoms=$(grep -c '^ATOM' "$work/m.pdb")
  bytes=$(wc -c <"$work/m.pdb")
  printf '%8s %9s %9s %12.1f %10.1f\n' "$n" "$atoms" "$secs" "$(echo "$kb / 1024" | bc -l)" \
    "$(echo "$bytes / 1048576" | bc -l)"
  rm -f "$work/m.pdb"
done
