# Sourced by the other scripts: the environment every Wine run of this project
# uses. WINEPREFIX defaults to the prefix inside the build tree.
: "${BUILD_DIR:=$(cd "$(dirname "$0")/.." && pwd)/build}"
: "${WINEPREFIX:=$BUILD_DIR/wineprefix}"
export WINEPREFIX
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installer dialogs when the prefix is created.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine's ANSI code page follows the locale: ja_JP.UTF-8 gives code page 932.
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
