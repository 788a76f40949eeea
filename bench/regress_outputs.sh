#!/bin/sh
# Runs two builds of belqo-vask on the same structures and option sets and
# prints every difference in their reports and auxiliary files, apart from
# the lines that carry the date or the time used and, in JSON reports, the
# members that carry the times ("start_at", "finish_at", "time_used"), which
# are compared member by member. Silent and status 0 when the two builds
# agree; status 1 when anything differs.
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

# The folders of the two runs differ: name both alike wherever they appear.
find "$work/old" "$work/new" -type f | while IFS= read -r f; do
  sed -i -e "s|$work/old|RUN|g" -e "s|$work/new|RUN|g" "$f"
done

is_json() {  # a JSON report: one object or array that jq reads
  c=$(head -c 1 "$1")
  { [ "$c" = "{" ] || [ "$c" = "[" ]; } && jq -e . "$1" >/dev/null 2>&1
}

# A JSON report is one long line: blank only its times (start, finish, time
# used), keeping every other byte, compare it exactly, and show a difference
# member by member, indented by jq. Then leave it out of the comparison of the
# text files, which would show the whole line.
json_status=$work/json-differs
find "$work/old" -type f | sort | while IFS= read -r f; do
  g=$work/new${f#"$work/old"}
  [ -f "$g" ] && is_json "$f" && is_json "$g" || continue
  for h in "$f" "$g"; do
    sed -i -E 's/"(start_at|finish_at|time_used|date_time)":"[^"]*"/"\1":"-"/g' "$h"
  done
  if ! cmp -s "$f" "$g"; then
    : >"$json_status"
    echo "diff (JSON, indented) ${f#"$work/"} ${g#"$work/"}"
    jq . "$f" >"$work/a.json"; jq . "$g" >"$work/b.json"
    if diff "$work/a.json" "$work/b.json"; then  # same values, other spelling
      echo "same values, written differently: $(cmp "$f" "$g" | sed "s|$work/||g")"
    fi
  fi
  rm -f "$f" "$g"
done
[ -e "$json_status" ] && status=1
rm -f "$json_status" "$work/a.json" "$work/b.json"

# Drop the date and time-used lines of the text files before comparing.
find "$work/old" "$work/new" -type f | while IFS= read -r f; do
  sed -i -e '/Date and time/d' -e '/Time used/d' -e '/"date_time"/d' -e '/"time_used"/d' "$f"
done
if ! diff -r "$work/old" "$work/new" | sed "s|$work/||g"; then :; fi
[ -z "$(diff -rq "$work/old" "$work/new")" ] || status=1
exit $status
