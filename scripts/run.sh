#!/bin/sh
# Starts Mirtavolen.exe under Wine. Arguments are files to put in the job
# list; Linux paths are handed over as Windows paths (Z:\...).
# Without a display the program runs on a private, invisible Xvfb screen.
root=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR="${BUILD_DIR:-$root/build}"
. "$root/scripts/wine-env.sh"

exe="$BUILD_DIR/Mirtavolen.exe"
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
