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
ctest --test-dir "$BUILD_DIR" --output-on-failure "$@"
