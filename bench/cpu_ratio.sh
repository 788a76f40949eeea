#!/bin/sh
# Median processor times of two commands run in turns, and their ratio (a / b).
# Processor time rather than wall time, so that other work on the machine
# blurs the figures less; turns, so that a change of load falls on both alike.
# Run from the folder the commands may write their auxiliary files in.
#
# Usage: bench/cpu_ratio.sh NAME_A "COMMAND A" NAME_B "COMMAND B" [RUNS]
set -eu
name_a=$1 cmd_a=$2 name_b=$3 cmd_b=$4 runs=${5:-21}

median_of() {  # median of the numbers on standard input
  sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Processor seconds of one run: task-clock from perf when it is installed,
# else user + system from /usr/bin/time (10 ms steps).
use_perf=0
if command -v perf >/dev/null && perf stat -x, -e task-clock true >/dev/null 2>&1; then use_perf=1; fi
one_run() {
  if [ "$use_perf" = 1 ]; then
    perf stat -x, -e task-clock $1 2>&1 >/dev/null | awk -F, '/task-clock/ { print $1 / 1000 }'
  else
    /usr/bin/time -f '%U %S' $1 2>&1 >/dev/null | tail -1 | awk '{ print $1 + $2 }'
  fi
}

: >a.times
: >b.times
i=0
while [ $i -lt "$runs" ]; do
  one_run "$cmd_a" >>a.times
  one_run "$cmd_b" >>b.times
  i=$((i + 1))
done
t_a=$(median_of <a.times)
t_b=$(median_of <b.times)

printf '%s: %.3f s   %s: %.3f s   ratio %s/%s: %.2f\n' "$name_a" "$t_a" "$name_b" "$t_b" \
  "$name_a" "$name_b" "$(echo "$t_a $t_b" | awk '{ print $1 / $2 }')"
