#!/bin/sh
# Takes screenshots of the real program under a private Xvfb screen, inside
# Wine's desktop window (which draws captions and frames): the main window
# with rows in it and the item settings of one row for the README
# (docs/images/main-window.png, docs/images/item-settings.png), and, for a
# look at the other modes, the item settings of several rows and the
# default settings (build/shots/readme/item-rows.png, item-defaults.png).
# Needs `make build` first. Every step waits for build/tests/shotdriver.exe,
# which returns once the window it changed has repainted.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR="${BUILD_DIR:-$root/build}"
. "$root/scripts/wine-env.sh"
. "$root/scripts/xvfb.sh"
"$root/scripts/wineprefix.sh" "$WINEPREFIX"

work="$BUILD_DIR/shots/readme"
# The files sit on drive C: of the prefix so that their paths stay short.
files="$WINEPREFIX/drive_c/資料"
rm -rf "$work" "$files"
mkdir -p "$work/app" "$files/見積もり"
cp "$(arch_build_dir "$RUN_ARCH")/Mirtavolen.exe" "$work/app/"
driver="$(arch_build_dir "$RUN_ARCH")/tests/shotdriver.exe"
[ -f "$driver" ] || { echo "screenshots: $driver is not built (make build)" >&2; exit 1; }

# Some files to convert, and settings that send output to another folder.
head -c 3000 /dev/urandom > "$files/見積もり/予定表.xls"
head -c 900000 /dev/urandom > "$files/見積もり/写真 2026-11-03.jpg"
printf 'memo\r\n' > "$files/メモ.txt"
head -c 52000 /dev/urandom > "$files/report&summary.pdf"
user=$(wine cmd /c echo %USERNAME% 2>/dev/null | tr -d '\r')
printf '[%s/Main]\r\nWindowPosLeft=8\r\nWindowPosTop=8\r\nWindowWidth=744\r\nWindowHeight=300\r\n[%s/ListView]\r\nColWidth1=270\r\nColWidth2=270\r\nColWidth3=170\r\n[%s/Item]\r\nDefDir=%s\r\nDefType=0\r\n' \
    "$user" "$user" "$user" 'C:\変換済み' | iconv -f UTF-8 -t CP932 > "$work/app/Mirtavolen.ini"

XVFB_SIZE=1024x768x24
start_xvfb
trap 'stop_xvfb' EXIT INT TERM

wine explorer /desktop=shot,760x420 "$(winepath -w "$work/app/Mirtavolen.exe")" \
    'C:\資料\見積もり\予定表.xls' 'C:\資料\見積もり\写真 2026-11-03.jpg' \
    'C:\資料\メモ.txt' 'C:\資料\report&summary.pdf' &
desktop=$!
drv() { wine "$driver" "$@" || { echo "screenshots: shotdriver $* failed" >&2; exit 1; }; }
drv ready 4
drv select 1
drv command 1024          # the second row: reverse
drv select 3
import -window root "$work/screen-main.png"
convert "$work/screen-main.png" -crop 760x320+0+0 +repage "$root/docs/images/main-window.png"

drv select 0
drv open 1022             # item settings of the first row
import -window root "$work/screen-item.png"
convert "$work/screen-item.png" -crop 760x320+0+0 +repage "$root/docs/images/item-settings.png"
drv cancel

# The same dialog over all rows, and on the defaults.
shot_dialog() {
    drv open "$1"
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop 760x320+0+0 +repage "$work/$2.png"
    drv cancel
}
drv command 1027          # select all
shot_dialog 1022 item-rows
shot_dialog 1033 item-defaults
drv close
wait "$desktop" || true
wineserver -w
rm -rf "$files"
echo "screenshots: docs/images/main-window.png docs/images/item-settings.png"
echo "screenshots: $work/item-rows.png $work/item-defaults.png"
