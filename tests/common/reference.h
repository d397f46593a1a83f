// The three conversions computed byte by byte from their definitions,
// independently of the program's code, for checking converted files.
#ifndef MIRTAVOLEN_TESTS_REFERENCE_H
#define MIRTAVOLEN_TESTS_REFERENCE_H

#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

Bytes ReferenceInvert(Bytes data);
Bytes ReferenceReverse(Bytes data);
// Seed: length plus the first byte as a signed 8-bit value; each byte is
// XORed with password[r mod length] for r = the generator's next result.
Bytes ReferencePassword(const std::string& password, Bytes data);
// The same key stream from any generator state: XORs `count` bytes of data
// and returns the state after them.
unsigned ReferenceKeyStream(unsigned state, const unsigned char* password, size_t length,
                            unsigned char* data, size_t count);

#endif
