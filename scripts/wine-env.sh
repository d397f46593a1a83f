# Sourced by the other scripts: the environment every Wine run of this project
# uses. WINEPREFIX defaults to the prefix inside the build tree, which both
# builds share. Wine is started through the loader of the build whose
# programs run here (scripts/arch.sh), never through Debian's wrapper, which
# picks the 32-bit loader whenever it is installed; WINELOADER makes every
# process those programs start use the same loader. A caller that knows
# its build sets MIRTAVOLEN_LOADER first.
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

. "$(dirname "$0")/arch.sh"
decide_arch || exit 2
WINELOADER=${MIRTAVOLEN_LOADER:-$(arch_loader "$RUN_ARCH")}
export WINELOADER
wine() { "$WINELOADER" "$@"; }
winepath() { "$WINELOADER" winepath "$@"; }
