#include "convert/transform.h"

static unsigned PasswordRandomState;

void InvertBytes(unsigned char* buffer, unsigned count)
{
    for (unsigned i = 0; i < count; ++i)
        buffer[i] = (unsigned char)~buffer[i];
}

void ReverseBytes(unsigned char* buffer, unsigned count)
{
    for (unsigned i = 0, j = count; i < count / 2; ++i) {
        --j;
        unsigned char t = buffer[i];
        buffer[i] = buffer[j];
        buffer[j] = t;
    }
}

void SeedPasswordRandom(unsigned seed)
{
    PasswordRandomState = seed;
}

int NextPasswordRandom(void)
{
    PasswordRandomState = PasswordRandomState * 214013u + 2531011u;
    return (int)((PasswordRandomState >> 16) & 0x7FFF);
}

unsigned PasswordSeed(const unsigned char* password, unsigned length)
{
    return length + (unsigned)(int)(signed char)password[0];
}

void XorPasswordBytes(const unsigned char* password, unsigned length,
                      unsigned char* buffer, unsigned count)
{
    for (unsigned i = 0; i < count; ++i)
        buffer[i] ^= password[(unsigned)NextPasswordRandom() % length];
}
