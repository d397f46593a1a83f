#!/bin/sh
# Creates the project's Wine prefix (no prompts) and sets it up for the
# program: Japanese fonts for the dialog fonts, unmanaged windows (no 2 s wait
# on every hide under a bare X server), no sound device messages.
# Usage: wineprefix.sh [PREFIX]
set -e
. "$(dirname "$0")/wine-env.sh"
[ -n "$1" ] && WINEPREFIX="$1" && export WINEPREFIX

stamp="$WINEPREFIX/.mirtavolen-ready-3"
[ -f "$stamp" ] && exit 0

echo "wineprefix: creating $WINEPREFIX"
mkdir -p "$WINEPREFIX"
wine wineboot -i >/dev/null 2>&1 || true
wineserver -w

# One registry import, written as UTF-16 so the Japanese font names survive.
reg="$WINEPREFIX/mirtavolen.reg"
printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
    '"ＭＳ Ｐゴシック"="IPAPGothic"' \
    '"ＭＳ ゴシック"="IPAGothic"' \
    '"MS UI Gothic"="IPAPGothic"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' \
    '"Managed"="N"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Drivers]' \
    '"Audio"=""' '' |
    { printf '\377\376'; iconv -f UTF-8 -t UTF-16LE; } > "$reg"
wine regedit /S "$reg"

# Caption buttons are drawn with the Marlett font. Debian's Wine does not
# find its own font folder, so give the prefix a copy.
for font in /usr/share/wine/fonts/marlett.ttf; do
    [ -f "$font" ] && cp "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
done
wineserver -w
touch "$stamp"
