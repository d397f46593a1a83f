# Sourced: which of the two builds runs its programs on this machine. The
# release is always the i686 build (BUILD_DIR); where the kernel runs no
# 32-bit code at all, the same sources built for x86-64 (BUILD_DIR/x86_64)
# run the tests, the program and the benchmark under Wine's 64-bit loader.
# ARCH=i686 or ARCH=x86_64 in the environment forces the choice.

# Sets RUN_ARCH (i686 or x86_64) and ARCH_REASON. The probe runs 32-bit
# code: Wine's 32-bit loader printing its version ("Exec format error"
# where the kernel's 32-bit emulation is off).
decide_arch() {
    case "${ARCH:-}" in
    i686|x86_64)
        RUN_ARCH=$ARCH
        ARCH_REASON="forced by ARCH=$ARCH" ;;
    "")
        if /usr/lib/wine/wine --version >/dev/null 2>&1; then
            RUN_ARCH=i686
            ARCH_REASON="this kernel runs 32-bit code"
        else
            RUN_ARCH=x86_64
            ARCH_REASON="this kernel runs no 32-bit code"
        fi ;;
    *)
        echo "ARCH=$ARCH: ARCH is i686 or x86_64 (or empty: probed)" >&2
        return 1 ;;
    esac
}

# "the i686 build" or "the x86-64 build", as the messages name them.
arch_name() {
    if [ "$1" = x86_64 ]; then echo "the x86-64 build"; else echo "the i686 build"; fi
}

# The build folder and the Wine loader of a build.
arch_build_dir() {
    if [ "$1" = x86_64 ]; then echo "$BUILD_DIR/x86_64"; else echo "$BUILD_DIR"; fi
}
arch_loader() {
    if [ "$1" = x86_64 ]; then echo /usr/lib/wine/wine64; else echo /usr/lib/wine/wine; fi
}
