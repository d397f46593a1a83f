#!/bin/sh
# Runs the benchmark under Wine and prints its table. Without a display it
# runs on a private Xvfb screen (the file rows show a progress dialog).
# Extra arguments go to the benchmark (for example --quick).
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR="${BUILD_DIR:-$root/build}"
. "$root/scripts/wine-env.sh"

exe="$(arch_build_dir "$RUN_ARCH")/bench/bench_mirtavolen.exe"
echo "bench: $(arch_name "$RUN_ARCH"): $ARCH_REASON"
[ -f "$exe" ] || { echo "bench: $exe is not built (make bench builds it)" >&2; exit 1; }

if [ -z "$DISPLAY" ]; then
    . "$root/scripts/xvfb.sh"
    start_xvfb
    # The wineserver and its desktop process outlive the program for a while;
    # the display goes only after them.
    trap 'wineserver -w 2>/dev/null; stop_xvfb' EXIT INT TERM
fi
wine "$exe" "$@"
