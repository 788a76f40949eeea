#!/usr/bin/env bash
# The installed tree works on its own: `cmake --install` into a scratch
# prefix, the prefix moved elsewhere, then the executable run from a folder of
# its own without BELQO_VASK, with the built-in tables and with the data files
# (--stand-alone=off) of the home folder it finds beside itself.
# Usage: install_test.sh CMAKE BUILD_DIR STRUCTURE (a 76-nucleotide tRNA)
set -euo pipefail
cmake=$1 build=$2 input=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$cmake" --install "$build" --prefix "$tmp/prefix" >/dev/null
mv "$tmp/prefix" "$tmp/moved"
exe=$tmp/moved/bin/belqo-vask
# the manual and records lie beside the data files
for doc in README.md docs/manual.md docs/performance.md docs/reliability.md; do
  [ -s "$tmp/moved/share/belqo-vask/$doc" ] || { echo "install test: $doc not installed" >&2; exit 1; }
done
mkdir "$tmp/run"
cp "$input" "$tmp/run/in.pdb"
cd "$tmp/run"
fail() { echo "install test: $*" >&2; exit 1; }
for args in "" "--stand-alone=off"; do
  rm -f report.txt
  env -u BELQO_VASK "$exe" -i=in.pdb $args -o=report.txt 2>log.txt ||
    { cat log.txt >&2; fail "the installed belqo-vask $args failed"; }
  grep -q "no. of nucleotides:    76" report.txt || { cat report.txt >&2; fail "no report from belqo-vask $args"; }
done
# the data files were read from the installed home: without one the run ends
rm "$tmp/moved/share/belqo-vask/config/elements.dat"
if env -u BELQO_VASK "$exe" -i=in.pdb --stand-alone=off -o=report.txt 2>log.txt; then
  fail "a run without the installed elements.dat succeeded"
fi
grep -q "share/belqo-vask/config/elements.dat" log.txt || { cat log.txt >&2; fail "the lookup did not name the installed home"; }
echo "installed belqo-vask runs from a moved prefix"
