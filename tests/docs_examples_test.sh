#!/usr/bin/env bash
# The examples of the README and the manual work as printed: every code block
# tagged "sh run" is run, in order, by bash -e in a scratch folder holding a
# copy of examples/, with the built belqo-vask first on the path. A block that
# needs a tool this machine lacks (jq, sqlite3, GNU parallel) is left out and
# the test reports a skip (status 77).
#   tests/docs_examples_test.sh EXE SOURCE_DIR
set -uo pipefail
exe=$(readlink -f "${1:?usage: docs_examples_test.sh EXE SOURCE_DIR}")
src=$(readlink -f "${2:?usage: docs_examples_test.sh EXE SOURCE_DIR}")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/bin"
ln -s "$exe" "$tmp/bin/belqo-vask"
failed=0 skipped=0
for doc in README.md docs/manual.md; do
  work=$tmp/$(basename "$doc" .md)
  mkdir "$work"
  cp -r "$src/examples" "$work/"
  # one file per block: its first line number in the document, then its text
  awk -v dir="$tmp" -v name="$(basename "$doc" .md)" '
    /^```sh run[ \t]*$/ { n++; file = sprintf("%s/%s.block%02d", dir, name, n); print "# " FILENAME ":" NR > file; inside = 1; next }
    inside && /^```/ { inside = 0; close(file); next }
    inside { print > file }' "$src/$doc"
  blocks=("$tmp/$(basename "$doc" .md)".block*)
  [ -f "${blocks[0]}" ] || { echo "FAIL $doc: no \"sh run\" block"; failed=1; continue; }
  for block in "${blocks[@]}"; do
    where=$(head -1 "$block" | cut -c3-)
    missing=""
    for tool in jq sqlite3 parallel; do
      if grep -qE "(^|[|;&(] *)$tool " "$block" && ! command -v "$tool" >/dev/null; then missing+=" $tool"; fi
    done
    if [ -n "$missing" ]; then
      echo "skip $where: not installed:$missing"
      skipped=1
      continue
    fi
    if (cd "$work" && PATH="$tmp/bin:$PATH" bash -e -o pipefail "$block" >"$block.out" 2>&1); then
      echo "ok   $where"
    else
      echo "FAIL $where"
      sed 's/^/     | /' "$block"
      tail -20 "$block.out" | sed 's/^/     > /'
      failed=1
    fi
  done
done
[ "$failed" -eq 0 ] || exit 1
[ "$skipped" -eq 0 ] || exit 77
