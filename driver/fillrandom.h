// Test and benchmark data: pseudo-random bytes, the same for the same seed
// on every run, that compress no better than real data. No Win32 calls, so
// the native tests use it too.
#ifndef MIRTAVOLEN_DRIVER_FILLRANDOM_H
#define MIRTAVOLEN_DRIVER_FILLRANDOM_H

#include <stddef.h>

inline void FillRandom(unsigned char* data, size_t count, unsigned seed)
{
    unsigned x = seed * 2654435761u + 12345u;
    for (size_t i = 0; i < count; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        data[i] = (unsigned char)(x >> 11);
    }
}

#endif
