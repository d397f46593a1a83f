# Cross-compiles for 32-bit Windows with Debian's mingw-w64 (posix threads,
# which GoogleTest needs for std::mutex).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER   i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER  i686-w64-mingw32-windres)
# Links Mirtavolen.exe alone: the same compiler with the win32 thread
# model's runtime, which needs nothing newer than Windows XP
# (src/app/CMakeLists.txt).
set(MIRTAVOLEN_PRODUCT_LINKER i686-w64-mingw32-g++-win32)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Baseline: i686 with SSE2. Anything newer is used only behind a CPU check.
set(CMAKE_C_FLAGS_INIT   "-march=i686 -msse -msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-march=i686 -msse -msse2 -mfpmath=sse")
# Static runtime: the program needs nothing but Windows system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
