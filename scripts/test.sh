#!/bin/sh
# Runs the whole test suite under Wine on a private Xvfb display.
# Extra arguments go to ctest (for example -R convert).
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR="${BUILD_DIR:-$root/build}"
. "$root/scripts/wine-env.sh"
. "$root/scripts/xvfb.sh"

start_xvfb
trap 'wineserver -w 2>/dev/null; stop_xvfb' EXIT INT TERM
wineserver -p10
status=0
ctest --test-dir "$BUILD_DIR" --output-on-failure "$@" || status=$?
# A case skipped inside a program (a fixture missing, a processor without
# a vector path) leaves the program passed in ctest's summary: list each
# with its reason.
log="$BUILD_DIR/Testing/Temporary/LastTest.log"
if [ -f "$log" ] && grep -q '^\[  SKIPPED \] .* ([0-9]* ms)$' "$log"; then
    echo "Cases skipped inside the test programs:"
    awk '/: Skipped$/ { reason = ""; open = 1; next }
         open && /^\[  SKIPPED \] .* \([0-9]+ ms\)$/ { print "  " $4 ": " reason; open = 0; next }
         open { reason = reason (reason == "" ? "" : " ") $0 }' "$log"
fi
exit $status
