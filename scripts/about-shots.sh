#!/bin/sh
# Screenshots of the about box with its link normal, hovered and visited.
# Each state runs build/tests/about_shots.exe inside Wine's own desktop
# window (which draws window frames) on a private Xvfb screen; the screen is
# taken as soon as the program signals that the box shows the state.
# Usage: scripts/about-shots.sh [OUTDIR]   (default build/shots)
# Writes about-STATE.png (the whole screen) and about-STATE-box.png (the box
# with a margin, enlarged three times) for STATE in normal, hover, visited.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR="${BUILD_DIR:-$root/build}"
. "$root/scripts/wine-env.sh"
. "$root/scripts/xvfb.sh"

exe="$(arch_build_dir "$RUN_ARCH")/tests/about_shots.exe"
[ -f "$exe" ] || { echo "about-shots: $exe is not built (make build)" >&2; exit 1; }
out="${1:-$BUILD_DIR/shots}"
mkdir -p "$out"
signals=$(mktemp -d)

XVFB_SIZE=1024x768x24
start_xvfb
trap 'wineserver -k 2>/dev/null || true; stop_xvfb; rm -rf "$signals"' EXIT INT TERM

for state in normal hover visited; do
    rm -f "$signals/ready" "$signals/done"
    wine explorer /desktop=shot,1024x768 "$exe" "$state" "$(winepath -w "$signals")" &
    program=$!
    i=0
    while [ ! -s "$signals/ready" ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i + 1)); done
    [ -s "$signals/ready" ] || { echo "about-shots: the box did not open ($state)" >&2; exit 1; }
    read -r left top right bottom < "$signals/ready"
    [ "$left" != failed ] || { echo "about-shots: the link did not reach $state" >&2; exit 1; }
    import -window root "$out/about-$state.png"
    convert "$out/about-$state.png" \
        -crop "$((right - left + 40))x$((bottom - top + 40))+$((left - 20))+$((top - 20))" \
        +repage -filter point -resize 300% "$out/about-$state-box.png"
    touch "$signals/done"
    wait "$program"
    # Wine's desktop window outlives the program for a while; a new program
    # must not land on the closing one.
    wineserver -k 2>/dev/null || true
    echo "about-shots: $out/about-$state.png, $out/about-$state-box.png"
done
