#!/bin/sh
# Runs the benchmark under Wine and prints its tables: first the kernels
# and file procedures inside one process (bench_mirtavolen), then the real
# program driven from outside against the floor program (bench_outside).
# Without a display it runs on a private Xvfb screen (both show windows).
# Usage: bench.sh [--part inside|outside] [ARGS...]
#   --part   runs one part only; ARGS go to its program (--quick goes to
#            either; --file-mib, --small-mib to inside, --rounds to outside)
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR="${BUILD_DIR:-$root/build}"
. "$root/scripts/wine-env.sh"

part=all
if [ "$1" = "--part" ]; then
    part=$2
    shift 2
fi
case "$part" in
all|inside|outside) ;;
*) echo "bench: --part is inside or outside" >&2; exit 2 ;;
esac

dir="$(arch_build_dir "$RUN_ARCH")/bench"
echo "bench: $(arch_name "$RUN_ARCH"): $ARCH_REASON"
for exe in bench_mirtavolen bench_outside bench_floor; do
    [ -f "$dir/$exe.exe" ] || { echo "bench: $dir/$exe.exe is not built (make bench builds it)" >&2; exit 1; }
done

if [ -z "$DISPLAY" ]; then
    . "$root/scripts/xvfb.sh"
    start_xvfb
    # The wineserver and its desktop process outlive the program for a while;
    # the display goes only after them.
    trap 'wineserver -w 2>/dev/null; stop_xvfb' EXIT INT TERM
fi
[ "$part" = outside ] || wine "$dir/bench_mirtavolen.exe" "$@"
[ "$part" = inside ] || wine "$dir/bench_outside.exe" "$@"
