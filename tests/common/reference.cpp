#include "reference.h"

#include "fillrandom.h"

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
    ReferenceGenerator g = { state };
    for (size_t i = 0; i < count; ++i)
        data[i] ^= password[(unsigned)g.Next() % length];
    return g.state;
}

Bytes ReferencePassword(const std::string& password, Bytes data)
{
    unsigned state = (unsigned)((int)password.size() + (int)(signed char)password[0]);
    ReferenceKeyStream(state, (const unsigned char*)password.data(), password.size(), data.data(),
                       data.size());
    return data;
}

Bytes ReferenceConversion(int type, const std::string& password, Bytes data)
{
    switch (type) {
    case 0: return ReferenceInvert(data);
    case 1: return ReferenceReverse(data);
    case 2: return ReferencePassword(password, data);
    default: return data;
    }
}

Bytes RandomBytes(size_t count, unsigned seed)
{
    Bytes data(count);
    FillRandom(data.data(), count, seed);
    return data;
}
