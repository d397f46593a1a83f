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

#endif
