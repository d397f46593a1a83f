// The three conversions computed byte by byte from their definitions,
// independently of the program's code: what every test checks converted
// bytes against. Needs no Win32, so the pure tests build natively too.
#ifndef MIRTAVOLEN_TESTS_REFERENCE_H
#define MIRTAVOLEN_TESTS_REFERENCE_H

#include <stddef.h>

#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

// The password generator: state = state * 214013 + 2531011 (mod 2^32),
// each result the bits 16 to 30 of the new state.
struct ReferenceGenerator {
    unsigned state;
    int Next()
    {
        state = state * 214013u + 2531011u;
        return (int)((state >> 16) & 0x7FFF);
    }
};

Bytes ReferenceInvert(Bytes data);
Bytes ReferenceReverse(Bytes data);
// Seed: length plus the first byte as a signed 8-bit value; each byte is
// XORed with password[r mod length] for r = the generator's next result.
Bytes ReferencePassword(const std::string& password, Bytes data);
// The same key stream from any generator state: XORs `count` bytes of data
// and returns the state after them.
unsigned ReferenceKeyStream(unsigned state, const unsigned char* password, size_t length,
                            unsigned char* data, size_t count);

// The conversion of a type number as the program counts them: 0 bit
// inversion, 1 reverse, 2 password (with `password`); any other leaves the
// bytes as they are.
Bytes ReferenceConversion(int type, const std::string& password, Bytes data);

// Pseudo-random bytes, reproducible from the seed.
Bytes RandomBytes(size_t count, unsigned seed);

#endif
