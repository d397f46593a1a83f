# What both Windows toolchains share: Debian's mingw-w64 for the target
# MIRTAVOLEN_TRIPLET (set by the including file), posix threads (GoogleTest
# needs std::mutex), a static runtime.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${MIRTAVOLEN_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MIRTAVOLEN_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${MIRTAVOLEN_TRIPLET}-windres)
# Links Mirtavolen.exe alone: the same compiler with the win32 thread
# model's runtime, which needs nothing newer than Windows XP
# (src/app/CMakeLists.txt).
set(MIRTAVOLEN_PRODUCT_LINKER ${MIRTAVOLEN_TRIPLET}-g++-win32)

set(CMAKE_FIND_ROOT_PATH /usr/${MIRTAVOLEN_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_C_FLAGS_INIT   "${MIRTAVOLEN_ARCH_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${MIRTAVOLEN_ARCH_FLAGS}")
# Static runtime: the program needs nothing but Windows system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
