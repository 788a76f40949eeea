#!/bin/sh
# Fails on any file under src/ outside the output layer (src/support/file.cpp)
# that opens a file for writing, renames or removes one by itself: fopen,
# freopen or open_file with a write mode, output streams, open(2) with write
# flags, a child's output redirected by name, rename, unlink and remove. Every
# output goes through create_file, append_file, open_output and their kin,
# which replace links, refuse FIFOs and devices and never overwrite an input
# of the run. Each offence is named by file, line and text.
#
# Usage: tests/check_output_layer.sh [src-dir]
set -u
src=${1:-$(cd "$(dirname "$0")/../src" && pwd)}
cd "$src" || exit 2
layer="support/file.cpp"

pattern='fopen\([^)]*"[^"]*[wa+]|freopen|ofstream|std::(basic_)?fstream|open_file\([^;]*"[^"]*[wa+][^"]*"\)|O_WRONLY|O_RDWR|O_CREAT|O_TRUNC|O_APPEND|posix_spawn_file_actions_addopen|(std|::)[[:space:]]*::[[:space:]]*rename[[:space:]]*\(|(^|[^a-z_])unlink(at)?[[:space:]]*\(|::remove[[:space:]]*\(|std::remove[[:space:]]*\([[:space:]]*[a-z_]*\.c_str|filesystem::(remove|rename|copy)|fs::(remove|rename|copy)|(^|[^a-z_])creat[[:space:]]*\('

status=0
grep -rnE "$pattern" --include='*.cpp' --include='*.hpp' --include='*.in' . |
  grep -v "^\./$layer:" |
  grep -vE '^[^:]*:[0-9]+:[[:space:]]*//' > /tmp/check_output_layer.$$ || true
if [ -s /tmp/check_output_layer.$$ ]; then
  sed 's|^\./|src/|; s|$| (write, rename or remove outside the output layer: use create_file, open_output and their kin)|' /tmp/check_output_layer.$$
  status=1
fi
rm -f /tmp/check_output_layer.$$
exit $status
