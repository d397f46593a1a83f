#include "reference.h"

Bytes ReferenceInvert(Bytes data)
{
    for (unsigned char& c : data)
        c = (unsigned char)(255 - c);
    return data;
}

Bytes ReferenceReverse(Bytes data)
{
    return Bytes(data.rbegin(), data.rend());
}

unsigned ReferenceKeyStream(unsigned state, const unsigned char* password, size_t length,
                            unsigned char* data, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        state = state * 214013u + 2531011u;
        unsigned r = (state >> 16) & 0x7FFF;
        data[i] ^= password[r % length];
    }
    return state;
}

Bytes ReferencePassword(const std::string& password, Bytes data)
{
    unsigned state = (unsigned)((int)password.size() + (int)(signed char)password[0]);
    ReferenceKeyStream(state, (const unsigned char*)password.data(), password.size(), data.data(),
                       data.size());
    return data;
}
