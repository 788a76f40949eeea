#!/usr/bin/env bash
# Runs each fuzz target for a bounded time on a scratch copy of its seed corpus.
#
#   fuzz/run.sh [SECONDS] [TARGET...]     (default: 60 seconds, every target)
#
# Environment: FUZZ_BUILD (build folder, default build/fuzz, built with the
# "fuzz" preset when missing), FUZZ_RUNS (executions per process: the run
# stops at the time or the count, whichever comes first), FUZZ_JOBS
# (targets run side by side, default 1), FUZZ_WORKERS (processes per target sharing one corpus, default 1),
# FUZZ_MAX_LEN (largest input, default 16384), FUZZ_TIMEOUT (seconds an input
# may take: default 1, 10 for the structure targets), FUZZ_LEAKS (0: no leak checks,
# several times faster), FUZZ_LONG (1: settings for long campaigns, about 1.5
# times faster: no leak checks, no allocation stacks in reports, a small
# quarantine, the plain power schedule instead of the entropic one; re-run a
# crash input without it for a full report), FUZZ_KEEP (keep the scratch
# folder). Crash inputs are copied to fuzz/crashes/<target>/.
# Exit status 1 when any target found a crash, a leak or a timeout.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
secs=${1:-60}
shift || true
build=${FUZZ_BUILD:-$root/build/fuzz}
jobs=${FUZZ_JOBS:-1}

if [ ! -x "$build/fuzz/fuzz_pdb" ]; then
  (cd "$root" && cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j "$(nproc)" >/dev/null) ||
    { echo "fuzz/run.sh: cannot build the fuzz targets (needs clang++ with libFuzzer)" >&2; exit 2; }
fi

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$root"/fuzz/fuzz_*.cpp; do
    t=$(basename "$f" .cpp)
    targets+=("${t#fuzz_}")
  done
fi

# in memory when possible: some targets write a small file per input
tmp=${FUZZ_TMPDIR:-/dev/shm}
[ -d "$tmp" ] && [ -w "$tmp" ] || tmp=${TMPDIR:-/tmp}
scratch=$(mktemp -d "$tmp/vask-fuzz.XXXXXX")
[ -n "${FUZZ_KEEP:-}" ] || trap 'rm -rf "$scratch"' EXIT

run_one() {
  local t=$1 exe="$build/fuzz/fuzz_$1" dir="$scratch/$1"
  mkdir -p "$dir/corpus" "$dir/artifacts" "$dir/work"
  cp "$root/fuzz/corpus/$t/"* "$dir/corpus/" 2>/dev/null || true
  local limit=(-max_total_time="$secs")
  [ -n "${FUZZ_RUNS:-}" ] && limit+=(-runs="$FUZZ_RUNS")  # whichever comes first
  local workers=${FUZZ_WORKERS:-1} par=()
  [ "$workers" -gt 1 ] && par=(-jobs="$workers" -workers="$workers")
  local leaks=${FUZZ_LEAKS:-1} asan_extra="" long=()
  if [ "${FUZZ_LONG:-0}" = 1 ]; then
    leaks=0
    asan_extra=":malloc_context_size=0:quarantine_size_mb=8"
    long=(-entropic=0)
  fi
  # the readers of small texts answer in microseconds: a second is a hang;
  # the structure targets run the whole pipeline on each input
  local timeout=1
  case $t in pdb | mmcif | ensemble) timeout=10 ;; esac
  timeout=${FUZZ_TIMEOUT:-$timeout}
  local start=$SECONDS
  # the targets write their scratch files into the working directory
  (cd "$dir/work" && ASAN_OPTIONS=detect_leaks=$leaks:allocator_may_return_null=1$asan_extra \
     UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
     "$exe" "${limit[@]}" "${par[@]}" "${long[@]}" -timeout="$timeout" -rss_limit_mb=2560 \
     -max_len="${FUZZ_MAX_LEN:-16384}" -detect_leaks="$leaks" -print_final_stats=1 \
     -artifact_prefix="$dir/artifacts/" "$dir/corpus" >"$dir/log" 2>&1)
  local rc=$?
  local took=$((SECONDS - start))
  # with workers, each process keeps its own log (the main log repeats them)
  local logs=("$dir/log")
  [ "$workers" -gt 1 ] && logs=("$dir/work"/fuzz-*.log)
  local runs speed
  runs=$(cat "${logs[@]}" 2>/dev/null | grep -aoE 'stat::number_of_executed_units: *[0-9]+' |
         grep -oE '[0-9]+$' | awk '{s += $1} END {print s + 0}')
  speed=$((runs / (took > 0 ? took : 1)))
  local cov
  cov=$(cat "${logs[@]}" 2>/dev/null | grep -aoE 'cov: [0-9]+ ft: [0-9]+' | sort -t' ' -k2 -n | tail -1)
  printf '%-10s %12s runs in %6ss  %7s exec/s  %s  corpus %s files  exit %d\n' "$t" "$runs" \
    "$took" "$speed" "${cov:-}" "$(ls "$dir/corpus" | wc -l)" "$rc"
  if [ $rc -ne 0 ] || [ -n "$(ls "$dir/artifacts")" ]; then
    mkdir -p "$root/fuzz/crashes/$t"
    cp "$dir/artifacts/"* "$root/fuzz/crashes/$t/" 2>/dev/null || true
    grep -aE 'ERROR|SUMMARY|runtime error|assertion reached|Uncaught' "$dir/log" | head -5
    echo "  log: $dir/log (kept); inputs in fuzz/crashes/$t/"
    return 1
  fi
  return 0
}

status=0
pids=()
for t in "${targets[@]}"; do
  if [ ! -x "$build/fuzz/fuzz_$t" ]; then echo "fuzz/run.sh: no target $t" >&2; status=1; continue; fi
  if [ "$jobs" -gt 1 ]; then
    run_one "$t" &
    pids+=($!)
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || status=1; done
  else
    run_one "$t" || status=1
  fi
done
for p in "${pids[@]}"; do wait "$p" || status=1; done
[ $status -eq 0 ] || FUZZ_KEEP=1
[ $status -eq 0 ] || trap - EXIT
exit $status
