#!/bin/sh
# Builds the pure test program (tests/pure: path splitting, text cutting,
# type labels, log entries, settings file updates, byte transforms)
# natively for Linux with AddressSanitizer and UndefinedBehaviorSanitizer,
# from the same sources as the Windows build, and runs it. Extra arguments
# go to the test program.
# Usage: native-tests.sh [BUILD_DIR] [gtest arguments...]
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
out="${1:-$root/build/native}"
[ $# -gt 0 ] && shift
# Without a host compiler there is nothing to build: skipped (77), saying so.
command -v g++ >/dev/null || { echo "native-tests: no host g++ here, skipped"; exit 77; }
# The Windows toolchain's settings must not leak into the host build.
unset CC CXX CFLAGS CXXFLAGS LDFLAGS
cmake -S "$root/tests/native" -B "$out" -DCMAKE_CXX_COMPILER=g++ >/dev/null
cmake --build "$out" -j2 >/dev/null
ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    exec "$out/native_tests" "$@"
