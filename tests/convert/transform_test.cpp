#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include <gtest/gtest.h>

#include "convert/transform.h"
#include "testutil.h"

namespace {

// The definition of the key stream, byte by byte, kept apart from the
// product so the fast kernels are checked against it.
struct ReferenceGenerator {
    unsigned state;
    int Next()
    {
        state = state * 214013u + 2531011u;
        return (int)((state >> 16) & 0x7FFF);
    }
};

Bytes ReferencePassword(const std::string& pass, const Bytes& in)
{
    ReferenceGenerator g = { (unsigned)((int)pass.size() + (int)(signed char)pass[0]) };
    Bytes out(in);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] ^= (unsigned char)pass[(size_t)g.Next() % pass.size()];
    return out;
}

Bytes Xor(const std::string& pass, Bytes data)
{
    SeedPasswordRandom(PasswordSeed((const unsigned char*)pass.data(), (unsigned)pass.size()));
    if (!data.empty())
        XorPasswordBytes((const unsigned char*)pass.data(), (unsigned)pass.size(), data.data(),
                         (unsigned)data.size());
    return data;
}

TEST(Transform, AbcExamples)
{
    Bytes abc = { 'a', 'b', 'c' };
    Bytes inverted = abc;
    InvertBytes(inverted.data(), 3);
    EXPECT_EQ(inverted, (Bytes{ 0x9E, 0x9D, 0x9C }));
    Bytes reversed = abc;
    ReverseBytes(reversed.data(), 3);
    EXPECT_EQ(reversed, (Bytes{ 'c', 'b', 'a' }));
}

TEST(Transform, ReverseOddEvenAndOneByte)
{
    struct { Bytes in, out; } cases[] = {
        { { 7 }, { 7 } },
        { { 1, 2 }, { 2, 1 } },
        { { 1, 2, 3, 4, 5 }, { 5, 4, 3, 2, 1 } },
        { { 1, 2, 3, 4 }, { 4, 3, 2, 1 } },
    };
    for (auto& c : cases) {
        Bytes b = c.in;
        ReverseBytes(b.data(), (unsigned)b.size());
        EXPECT_EQ(b, c.out);
    }
}

TEST(Transform, GeneratorFirstResultsFromSeedOne)
{
    SeedPasswordRandom(1);
    int expected[] = { 41, 18467, 6334, 26500, 19169 };
    for (int e : expected)
        EXPECT_EQ(NextPasswordRandom(), e);
}

TEST(Transform, GeneratorMatchesMsvcrtRand)
{
    // msvcrt's rand() is the same generator: an independent oracle.
    for (unsigned seed : { 1u, 0u, 102u, 0xFFFFFF87u, 0x80000000u }) {
        srand(seed);
        SeedPasswordRandom(seed);
        for (int i = 0; i < 1000; ++i)
            ASSERT_EQ(NextPasswordRandom(), rand()) << "seed " << seed << " step " << i;
    }
}

TEST(Transform, SeedingRule)
{
    struct { const char* pass; unsigned seed; } cases[] = {
        { "\x82\xA0\x82\xA2\x82", 0xFFFFFF87u },  // L 5, first byte 0x82: 5 - 126
        { "abcde", 102u },                      // L 5, first byte 0x61
        { "\x80", 0xFFFFFF81u },                // 1 - 128, below zero
        { "\xFF", 0u },                         // 1 - 1
        { "a", 98u },
    };
    for (auto& c : cases)
        EXPECT_EQ(PasswordSeed((const unsigned char*)c.pass, (unsigned)strlen(c.pass)), c.seed)
            << c.pass;
}

TEST(Transform, OneBytePasswordKeysEveryByteWithIt)
{
    Bytes data = RandomBytes(1000, 3);
    Bytes out = Xor("Q", data);
    for (size_t i = 0; i < data.size(); ++i)
        ASSERT_EQ(out[i], (unsigned char)(data[i] ^ 'Q'));
}

TEST(Transform, PasswordMatchesReferenceForShiftJisAndWrappingSeeds)
{
    const char* passwords[] = { "パスワード", "ｱ", "a=b", "x", "表ソ能", "abcdefghijklmnopqrstuvwxyz012345" };
    for (const char* p : passwords) {
        Bytes data = RandomBytes(70001, 9);
        EXPECT_EQ(Xor(p, data), ReferencePassword(p, data)) << p;
    }
}

TEST(Transform, KeyStreamDoesNotDependOnChunking)
{
    std::string pass = "chunk";
    Bytes data = RandomBytes(100000, 5);
    Bytes whole = Xor(pass, data);
    for (unsigned piece : { 1u, 7u, 4096u, 65537u }) {
        Bytes b = data;
        SeedPasswordRandom(PasswordSeed((const unsigned char*)pass.data(), (unsigned)pass.size()));
        for (size_t at = 0; at < b.size(); at += piece) {
            unsigned n = (unsigned)std::min<size_t>(piece, b.size() - at);
            XorPasswordBytes((const unsigned char*)pass.data(), (unsigned)pass.size(), &b[at], n);
        }
        EXPECT_EQ(b, whole) << "pieces of " << piece;
    }
}

TEST(Transform, EachIsItsOwnInverseOnRandomData)
{
    srand(77);
    for (int round = 0; round < 40; ++round) {
        size_t n = 1 + (size_t)rand() % (int)ChunkSize;
        Bytes data = RandomBytes(n, (unsigned)round);
        Bytes b = data;
        InvertBytes(b.data(), (unsigned)n);
        InvertBytes(b.data(), (unsigned)n);
        ASSERT_EQ(b, data);
        ReverseBytes(b.data(), (unsigned)n);
        ReverseBytes(b.data(), (unsigned)n);
        ASSERT_EQ(b, data);
        std::string pass = "p" + std::to_string(round);
        ASSERT_EQ(Xor(pass, Xor(pass, data)), data);
        ASSERT_NE(Xor("other", Xor(pass, data)), data);
    }
}

}  // namespace
