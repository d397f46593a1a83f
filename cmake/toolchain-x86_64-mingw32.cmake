# Cross-compiles the same sources for 64-bit Windows, for machines whose
# kernel runs no 32-bit code: there its test programs, the program and the
# benchmark run under Wine's 64-bit loader instead of the i686 build's.
# The release is always the i686 build.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MIRTAVOLEN_TRIPLET x86_64-w64-mingw32)
set(MIRTAVOLEN_ARCH_FLAGS "")
set(MIRTAVOLEN_WINE_LOADER /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw32.cmake)
