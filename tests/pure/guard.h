// Guard bytes around a test's buffers: in the sanitizer build they are
// poisoned, so that a read or write of them stops the run where it
// happens; elsewhere the macros do nothing and the guards' contents are
// compared afterwards.
#ifndef MIRTAVOLEN_TESTS_PURE_GUARD_H
#define MIRTAVOLEN_TESTS_PURE_GUARD_H

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define GUARD_POISON(p, n) ASAN_POISON_MEMORY_REGION((p), (n))
#define GUARD_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION((p), (n))
#else
#define GUARD_POISON(p, n) ((void)(p), (void)(n))
#define GUARD_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

#endif
