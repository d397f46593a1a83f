#!/bin/sh
# Screenshots of the item settings dialog with one row, with two rows and
# on the defaults, taken on a private Xvfb screen inside Wine's own desktop
# window (which draws captions and frames). Needs `make build` first.
# Writes build/shots/itemdlg-MODE.png (the dialog) and -screen.png (all).
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR="${BUILD_DIR:-$root/build}"
. "$root/scripts/wine-env.sh"
. "$root/scripts/xvfb.sh"

lib="$BUILD_DIR/libmirtavolen.a"
res="$BUILD_DIR/CMakeFiles/mirtavolen_res.dir/src/res/Mirtavolen.rc.res"
[ -f "$lib" ] && [ -f "$res" ] || { echo "itemshot: run make build first" >&2; exit 1; }
"$root/scripts/wineprefix.sh" "$WINEPREFIX"

out="$BUILD_DIR/shots"
mkdir -p "$out"
i686-w64-mingw32-g++-posix -std=c++17 -finput-charset=UTF-8 -fexec-charset=CP932 \
    -DWINVER=0x0501 -D_WIN32_WINNT=0x0501 -D_WIN32_IE=0x0600 -DNOMINMAX \
    -I"$root/src" "$root/scripts/itemshot.cpp" "$res" "$lib" -o "$out/itemshot.exe" \
    -static -mwindows -lcomctl32 -lcomdlg32 -lshell32 -lole32 -ladvapi32 -lwinmm \
    -lgdi32 -luser32

XVFB_SIZE=1024x768x24
start_xvfb
trap 'stop_xvfb' EXIT INT TERM

for mode in row rows defaults; do
    ready="$out/$mode.ready"
    done="$out/$mode.done"
    rm -f "$ready" "$done"
    wine explorer /desktop=shot,1024x768 "$out/itemshot.exe" "$mode" \
        "$(winepath -w "$ready")" "$(winepath -w "$done")" &
    pid=$!
    i=0
    while [ ! -s "$ready" ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i + 1)); done
    [ -s "$ready" ] || { echo "itemshot: the dialog did not show ($mode)" >&2; exit 1; }
    sleep 1  # let the desktop window finish drawing
    import -window root "$out/itemdlg-$mode-screen.png"
    # The dialog's rectangle plus a margin, for a close look.
    geometry=$(cat "$ready")
    convert "$out/itemdlg-$mode-screen.png" -crop "$geometry" +repage \
        -bordercolor white -border 8 "$out/itemdlg-$mode.png"
    touch "$done"
    wait "$pid" || true
    rm -f "$ready" "$done"
    echo "itemshot: $out/itemdlg-$mode.png"
done
wineserver -w
