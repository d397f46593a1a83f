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

Bytes ReferencePassword(const std::string& password, Bytes data)
{
    unsigned state = (unsigned)((int)password.size() + (int)(signed char)password[0]);
    for (unsigned char& c : data) {
        state = state * 214013u + 2531011u;
        unsigned r = (state >> 16) & 0x7FFF;
        c ^= (unsigned char)password[r % password.size()];
    }
    return data;
}
