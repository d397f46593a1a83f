#!/bin/sh
# Starts Mirtavolen.exe under Wine. Arguments are files to put in the job
# list; Linux paths are handed over as Windows paths (Z:\...).
# Without a display the program runs on a private, invisible Xvfb screen.
root=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR="${BUILD_DIR:-$root/build}"
. "$root/scripts/wine-env.sh"

# Where the kernel runs no 32-bit code, the x86-64 build's program runs.
exe="$(arch_build_dir "$RUN_ARCH")/Mirtavolen.exe"
echo "run: $(arch_name "$RUN_ARCH"): $ARCH_REASON"
[ -f "$exe" ] || { echo "run: $exe is not built (make run builds it)" >&2; exit 1; }

if [ -z "$DISPLAY" ]; then
    . "$root/scripts/xvfb.sh"
    start_xvfb
    echo "run: no display; running on a private Xvfb screen $DISPLAY (nothing visible)"
    trap 'stop_xvfb' EXIT INT TERM
fi

set --  "$@"
for arg do
    shift
    if [ -e "$arg" ]; then
        set -- "$@" "$(winepath -w "$(realpath "$arg")" 2>/dev/null)"
    else
        set -- "$@" "$arg"
    fi
done
wine "$exe" "$@"
