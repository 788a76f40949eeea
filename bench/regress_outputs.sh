#!/bin/sh
# Runs two builds of belqo-vask on the same structures and option sets and
# prints every difference in their reports and auxiliary files, apart from
# the lines that carry the date or the time used. Silent and status 0 when
# the two builds agree; status 1 when anything differs.
#
# Usage: bench/regress_outputs.sh OLD_EXE NEW_EXE [structure ...]
# Structures default to a set from shared/data/structures that covers tRNA,
# DNA, a ribosomal subunit, a nucleosome and a large assembly.
set -u

[ $# -ge 2 ] || { echo "usage: $0 OLD_EXE NEW_EXE [structure ...]" >&2; exit 2; }
old=$(realpath "$1"); new=$(realpath "$2"); shift 2
here=$(cd "$(dirname "$0")/.." && pwd)
data=${VASK_STRUCTURES:-$here/../shared/data/structures}
[ $# -gt 0 ] || set -- "$data/1ehz.pdb" "$data/1bna.pdb" "$data/1ffk.cif" \
                       "$data/7pbl.pdb" "$data/1kx5.pdb" "$data/2x1f.pdb"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Same program name for both, since the reports echo the command line.
mkdir -p "$work/bin-old" "$work/bin-new"
cp "$old" "$work/bin-old/belqo-vask"; old=$work/bin-old/belqo-vask
cp "$new" "$work/bin-new/belqo-vask"; new=$work/bin-new/belqo-vask

# Option sets: plain text, detailed text with non-pairing contacts, JSON, H-bond listing.
optsets="plain|--more --non-pair|--json --more|--get-hbond"

run_one() {  # exe dir structure options
  mkdir -p "$2" && (cd "$2" && "$1" -i="$3" -o=report $4 >stdout 2>stderr; echo "status $?" >>stdout)
}

status=0
for s in "$@"; do
  name=$(basename "$s")
  echo "$optsets" | tr '|' '\n' | while IFS= read -r opts; do
    o=$opts; [ "$o" = plain ] && o=
    tag=$(echo "$opts" | tr -c 'a-z0-9\n' '_')
    run_one "$old" "$work/old/$name/$tag" "$s" "$o" &
    run_one "$new" "$work/new/$name/$tag" "$s" "$o"
    wait
  done
done

# Drop the date and time-used lines before comparing.
find "$work/old" "$work/new" -type f | while IFS= read -r f; do
  sed -i -e '/Date and time/d' -e '/Time used/d' -e '/"date_time"/d' -e '/"time_used"/d' "$f"
done
if ! diff -r "$work/old" "$work/new" | sed "s|$work/||g"; then :; fi
[ -z "$(diff -rq "$work/old" "$work/new")" ] || status=1
exit $status
