#!/usr/bin/env bash
# Runs the executable (meant: the AddressSanitizer/UBSan build) on every
# coordinate file of a folder, and again with --nmr on the ensembles, each in
# its own scratch folder. Fails on a sanitizer report, a failed assertion, a
# signal, a run over the time limit, and a run that ends with status 1: every
# structure of the data set is a valid entry the tool must read, save the
# files of the list below.
#
#   tests/run_dataset.sh EXE DATA_DIR [MAX_BYTES]
#
# MAX_BYTES (default 0: no limit) skips larger files to bound the time.
# Environment: JOBS (parallel runs, default nproc), RUN_TIMEOUT (seconds per
# run, default 600).
set -uo pipefail
exe=$(readlink -f "${1:?usage: run_dataset.sh EXE DATA_DIR [MAX_BYTES]}")
data=$(readlink -f "${2:?usage: run_dataset.sh EXE DATA_DIR [MAX_BYTES]}")
max_bytes=${3:-0}
jobs=${JOBS:-$(nproc)}
limit=${RUN_TIMEOUT:-600}
[ -x "$exe" ] || { echo "run_dataset.sh: no executable $exe" >&2; exit 2; }

# Runs expected to end with status 1 and a message, one "file[ mode]" a line,
# each with the reason it is refused. A listed run that succeeds fails too, so
# the list stays true. Every structure of the data set is read today.
expected_refused=(
  # "name.pdb"        # why the tool refuses it
  # "name.pdb --nmr"  # why its ensemble run is refused
)
refused_list=$(printf '%s\n' "${expected_refused[@]}")

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vask-dataset.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# One run: prints "ok|refused|FAIL <label> <seconds>s <detail>".
run_one() {
  local file=$1 mode=$2
  local label
  label="$(basename "$file")${mode:+ $mode}"
  local dir
  dir=$(mktemp -d "$scratch/run.XXXXXX")
  local start=$SECONDS
  (cd "$dir" && ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0 \
     UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
     timeout -s KILL "$limit" "$exe" -i="$file" -o=out.txt $mode >stdout.txt 2>stderr.txt)
  local rc=$? took=$((SECONDS - start))
  local verdict=ok detail=""
  if grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error:|Uncaught exception' "$dir/stderr.txt" "$dir/stdout.txt"; then
    verdict=FAIL
    detail=$(grep -hE 'ERROR: |runtime error:|SUMMARY|Uncaught|raised at' "$dir/stderr.txt" "$dir/stdout.txt" | head -3 | tr '\n' ' ')
  elif [ $rc -eq 137 ]; then
    verdict=FAIL detail="killed after ${limit}s"
  elif [ $rc -gt 1 ]; then
    verdict=FAIL detail="exit status $rc: $(tail -c 300 "$dir/stderr.txt" | tr '\n' ' ')"
  elif [ $rc -eq 1 ]; then
    detail="exit 1: $(grep -v '^$\|Time used\|Processing' "$dir/stderr.txt" | tail -1)"
    if grep -qxF -- "$label" <<<"$refused_list"; then verdict=refused; else verdict=FAIL; fi
  elif grep -qxF -- "$label" <<<"$refused_list"; then
    verdict=FAIL detail="read, though listed as expected to be refused: take it off the list"
  fi
  echo "$verdict $label ${took}s $detail"
  rm -rf "$dir"
}
export -f run_one
export scratch limit exe refused_list

list=()
skipped=()
for f in "$data"/*.pdb "$data"/*.cif "$data"/*.PDB "$data"/*.CIF "$data"/*.ent "$data"/*.mmcif; do
  [ -f "$f" ] || continue
  size=$(stat -c %s "$f")
  if [ "$max_bytes" -gt 0 ] && [ "$size" -gt "$max_bytes" ]; then
    skipped+=("$(basename "$f") ($size bytes)")
    continue
  fi
  list+=("$f|")
  # ensembles: PDB files with MODEL records, mmCIF files with a model number above 1
  if grep -qm1 '^MODEL ' "$f" ||
     awk '/^_atom_site\.pdbx_PDB_model_num/ {m=1} m && /^(ATOM|HETATM) / && $NF ~ /^[0-9]+$/ && $NF > 1 {found=1; exit} END {exit !found}' "$f"; then
    list+=("$f|--nmr")
  fi
done

start=$SECONDS
printf '%s\n' "${list[@]}" |
  xargs -P "$jobs" -I{} bash -c 'run_one "${1%%|*}" "${1#*|}"' _ {} >"$scratch/results.txt"
sort -k2 "$scratch/results.txt" | grep -v '^ok ' || true
runs=$(wc -l <"$scratch/results.txt")
fails=$(grep -c '^FAIL ' "$scratch/results.txt")
refused=$(grep -c '^refused ' "$scratch/results.txt")
echo "run_dataset.sh: $runs runs ($(grep -c ' --nmr ' "$scratch/results.txt") with --nmr) in $((SECONDS - start))s: $fails failed, $refused refused as expected"
[ ${#skipped[@]} -eq 0 ] || echo "run_dataset.sh: skipped (over $max_bytes bytes): ${skipped[*]}"
echo "slowest: $(awk '{t=$3; if ($3 == "--nmr") t=$4; sub("s$", "", t); print t "s " $2 ($3 == "--nmr" ? " --nmr" : "")}' "$scratch/results.txt" | sort -rn | head -3 | paste -sd, -)"
# a folder without structures proves nothing
[ "$runs" -gt 0 ] || { echo "run_dataset.sh: no structure in $data" >&2; exit 1; }
[ "$fails" -eq 0 ]
