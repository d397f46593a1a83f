#!/bin/sh
# Runs the whole test suite on a private Xvfb display. The test programs
# run under Wine from the build that runs here (scripts/arch.sh): the i686
# build, which also runs the x86-64 build's pure test under the 64-bit
# loader so that build never stops working; or, where the kernel runs no
# 32-bit code, the x86-64 build, while the i686 build still runs the checks
# of the release that need no Wine (imports, reproducible archive).
# Extra arguments go to ctest (for example -R convert).
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR="${BUILD_DIR:-$root/build}"
. "$root/scripts/wine-env.sh"
. "$root/scripts/xvfb.sh"
said="$(arch_name "$RUN_ARCH"): $ARCH_REASON"
echo "test: tests run on $said"

start_xvfb
trap 'wineserver -w 2>/dev/null; stop_xvfb' EXIT INT TERM
wineserver -p10
status=0
run_ctest() {
    ctest --test-dir "$@" --output-on-failure || status=$?
}
if [ "$RUN_ARCH" = i686 ]; then
    run_ctest "$BUILD_DIR" "$@"
    run_ctest "$BUILD_DIR/x86_64" -R '^pure$'
else
    run_ctest "$BUILD_DIR" -LE wine "$@"
    run_ctest "$BUILD_DIR/x86_64" "$@"
fi

# A case skipped inside a program (a fixture missing, a processor without
# a vector path) leaves the program passed in ctest's summary: list each
# with its reason.
for log in "$BUILD_DIR/Testing/Temporary/LastTest.log" "$BUILD_DIR/x86_64/Testing/Temporary/LastTest.log"; do
    if [ -f "$log" ] && grep -q '^\[  SKIPPED \] .* ([0-9]* ms)$' "$log"; then
        echo "Cases skipped inside the test programs ($log):"
        awk '/: Skipped$/ { reason = ""; open = 1; next }
             open && /^\[  SKIPPED \] .* \([0-9]+ ms\)$/ { print "  " $4 ": " reason; open = 0; next }
             open { reason = reason (reason == "" ? "" : " ") $0 }' "$log"
    fi
done
echo "test: tests ran on $said"
exit $status
