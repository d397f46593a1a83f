// The three byte transforms that define a converted file. Each is its own
// inverse; the password generator and its seeding are part of the format.
#ifndef MIRTAVOLEN_CONVERT_TRANSFORM_H
#define MIRTAVOLEN_CONVERT_TRANSFORM_H

// The unit in which every conversion reads and writes.
const unsigned ChunkSize = 262144;

// Every byte replaced by its one's complement, in place.
void InvertBytes(unsigned char* buffer, unsigned count);

// The byte order of the buffer reversed, in place.
void ReverseBytes(unsigned char* buffer, unsigned count);

// Sets the state of the password generator (state = seed mod 2^32).
void SeedPasswordRandom(unsigned seed);

// Advances the generator: state = state * 214013 + 2531011; returns bits
// 16 to 30 of the new state (0 to 32767).
int NextPasswordRandom(void);

// The seed of a password of length bytes: length plus its first byte read
// as a signed 8-bit value, as a 32-bit two's-complement word.
unsigned PasswordSeed(const unsigned char* password, unsigned length);

// XORs each byte with the password byte at index NextPasswordRandom() mod
// length; the generator advances count times. A length of 0 leaves the
// buffer as it is. Keeps a table built from the password between calls, so
// it must not run on two threads at once (nor can the generator).
void XorPasswordBytes(const unsigned char* password, unsigned length,
                      unsigned char* buffer, unsigned count);

#endif
