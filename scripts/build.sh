#!/bin/sh
# Configures and builds what a command needs, each build in its own folder:
# the i686 build (the release) in BUILD_DIR, the x86-64 build in
# BUILD_DIR/x86_64. Both use the one Wine prefix BUILD_DIR/wineprefix.
# Usage: build.sh BUILD_DIR WHAT, WHAT being
#   release   the i686 build only;
#   runnable  the i686 build, and the x86-64 build where its programs are
#             the ones that run here (scripts/arch.sh); says which;
#   all       both builds (the tests build the x86-64 one everywhere, so
#             that it never stops compiling); says which runs the tests.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=$1
what=$2
. "$root/scripts/arch.sh"

build() {
    dir=$(arch_build_dir "$1")
    cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$1-mingw32.cmake" \
          -DMIRTAVOLEN_WINEPREFIX="$BUILD_DIR/wineprefix" >/dev/null
    cmake --build "$dir" -j2
}

case "$what" in
release)
    build i686 ;;
runnable)
    decide_arch
    echo "build: programs run on $(arch_name "$RUN_ARCH"): $ARCH_REASON"
    build i686
    [ "$RUN_ARCH" = i686 ] || build x86_64 ;;
all)
    decide_arch
    echo "build: tests run on $(arch_name "$RUN_ARCH"): $ARCH_REASON"
    build i686
    build x86_64 ;;
*)
    echo "usage: build.sh BUILD_DIR release|runnable|all" >&2
    exit 2 ;;
esac
