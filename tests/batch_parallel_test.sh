#!/usr/bin/env bash
# Batch work as the manual shows it: four structures analysed side by side by
# GNU parallel, each run with its own --prefix, give the same JSON reports as
# one --ilist run over them (the metadata aside: commands and times differ),
# and jq gathers them into one array. Skips (status 77) without parallel or jq.
#   tests/batch_parallel_test.sh EXE TEST_DATA_DIR
set -euo pipefail
exe=$(readlink -f "$1")
data=$(readlink -f "$2")
for tool in parallel jq; do
  command -v "$tool" >/dev/null || { echo "$tool not installed: batch test skipped"; exit 77; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$tmp"
structures=(1ehz.pdb 1bna.pdb 354d.pdb 1duq.pdb)
for s in "${structures[@]}"; do cp "$data/$s" .; done
printf '%s\n' "${structures[@]}" >files.txt
mkdir par list
parallel -j 4 "'$exe' -i={} --json --prefix={/.} -o=par/{/.}.json 2>/dev/null" :::: files.txt
"$exe" --ilist=files.txt --json -o=list/ 2>/dev/null
for s in "${structures[@]}"; do
  name=${s%.pdb}
  [ -s "par/$name.json" ] || { echo "no report par/$name.json"; exit 1; }
  if ! cmp -s <(jq -S 'del(.metadata)' "par/$name.json") <(jq -S 'del(.metadata)' "list/$name.json"); then
    echo "$name: the parallel run's report differs from the list run's"
    diff <(jq -S 'del(.metadata)' "par/$name.json") <(jq -S 'del(.metadata)' "list/$name.json") | head -20
    exit 1
  fi
  # each parallel run kept its auxiliary files apart under its own prefix
  [ -f "$name-pairs.pdb" ] || { echo "no $name-pairs.pdb"; exit 1; }
done
[ "$(jq -s 'length' par/*.json)" = 4 ] || { echo "jq did not gather four reports"; exit 1; }
[ "$(jq -s '[.[].num_nts] | add' par/*.json)" = "$(jq -s '[.[].num_nts] | add' list/*.json)" ]
echo "four structures through GNU parallel match one --ilist run"
