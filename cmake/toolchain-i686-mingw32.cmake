# Cross-compiles for 32-bit Windows: the program as it is shipped. Its
# programs run under Wine's 32-bit loader.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MIRTAVOLEN_TRIPLET i686-w64-mingw32)
# Baseline: i686 with SSE2. Anything newer is used only behind a CPU check.
set(MIRTAVOLEN_ARCH_FLAGS "-march=i686 -msse -msse2 -mfpmath=sse")
set(MIRTAVOLEN_WINE_LOADER /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw32.cmake)
