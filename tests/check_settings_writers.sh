#!/bin/sh
# Fails when code under src/ outside option parsing and the driver's set-up
# reaches the writable settings (mutable_gvars): analysis code takes the
# settings as read-only (Gvars) and keeps what it counts or notes in its own
# records. Each offence is named by file, line and text.
#
# Usage: tests/check_settings_writers.sh [src-dir]
set -u
src=${1:-$(cd "$(dirname "$0")/../src" && pwd)}
cd "$src" || exit 2
# the driver parses options and sets up a run; settings.* define the record
# and reset it
allowed='^(driver/|support/settings\.(cpp|hpp):)'
offences=$(grep -rn 'mutable_gvars' --include='*.cpp' --include='*.hpp' . | sed 's|^\./||' |
           grep -Ev "$allowed")
[ -z "$offences" ] && exit 0
echo "$offences" | sed 's|^|src/|; s|$|  <- writes the settings outside option parsing and set-up|'
exit 1
