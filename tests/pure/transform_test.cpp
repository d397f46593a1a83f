// The byte transforms and the password generator against the reference
// definitions (reference.h), on every path the processor runs.
#include <ctype.h>
#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "convert/transform.h"
#include "convert/transform_impl.h"
#include "guard.h"
#include "reference.h"

namespace {

// Each password test runs once on every way XorPasswordBytes can go
// (transform_impl.h): the program's own choice, then each path forced in
// turn. A path this processor cannot run is skipped, saying so.
class XorPaths : public ::testing::TestWithParam<XorPath> {
protected:
    void SetUp() override
    {
        if (!SetXorPath(GetParam()))
            GTEST_SKIP() << "the " << XorPathName(GetParam())
                         << " path is not run: this processor does not have it";
    }
    void TearDown() override { SetXorPath(XorPathAutomatic); }
};

std::string PathTestName(const ::testing::TestParamInfo<XorPath>& info)
{
    std::string name = XorPathName(info.param);
    name[0] = (char)toupper((unsigned char)name[0]);
    return name;
}

#define INSTANTIATE_FOR_EVERY_XOR_PATH(suite)                                                  \
    INSTANTIATE_TEST_SUITE_P(, suite,                                                         \
                             ::testing::Values(XorPathAutomatic, XorPathPortable, XorPathSse2, \
                                               XorPathSsse3, XorPathAvx2),                    \
                             PathTestName)

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

class PasswordTransform : public XorPaths {};
INSTANTIATE_FOR_EVERY_XOR_PATH(PasswordTransform);

TEST_P(PasswordTransform, OneBytePasswordKeysEveryByteWithIt)
{
    Bytes data = RandomBytes(1000, 3);
    Bytes out = Xor("Q", data);
    for (size_t i = 0; i < data.size(); ++i)
        ASSERT_EQ(out[i], (unsigned char)(data[i] ^ 'Q'));
}

TEST_P(PasswordTransform, MatchesReferenceForShiftJisAndWrappingSeeds)
{
    const char* passwords[] = { "パスワード", "ｱ", "a=b", "x", "表ソ能", "abcdefghijklmnopqrstuvwxyz012345" };
    for (const char* p : passwords) {
        Bytes data = RandomBytes(70001, 9);
        EXPECT_EQ(Xor(p, data), ReferencePassword(p, data)) << p;
    }
}

TEST_P(PasswordTransform, KeyStreamDoesNotDependOnChunking)
{
    std::string pass = "chunk";
    Bytes data = RandomBytes(100000, 5);
    Bytes whole = Xor(pass, data);
    // Pieces that end inside, on and just past the 16-, 32- and 64-byte
    // blocks of the vector paths, and pieces shorter than a block.
    for (unsigned piece : { 1u, 7u, 15u, 16u, 17u, 31u, 32u, 33u, 63u, 64u, 65u, 4096u, 65537u }) {
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
    ReferenceGenerator lengths = { 77 };
    for (int round = 0; round < 40; ++round) {
        size_t n = 1 + (size_t)lengths.Next() % ChunkSize;
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

// ---- Fast kernels against byte-by-byte definitions ----
//
// Every kernel runs on a window of a larger buffer at each of the 64
// alignments of its start and a table of lengths. The bytes around the window
// must stay as they were: a vector loop that runs one block too far or starts
// one block too early shows there.

void DefinedInvert(unsigned char* b, unsigned n)
{
    Bytes r = ReferenceInvert(Bytes(b, b + n));
    std::copy(r.begin(), r.end(), b);
}

void DefinedReverse(unsigned char* b, unsigned n)
{
    Bytes r = ReferenceReverse(Bytes(b, b + n));
    std::copy(r.begin(), r.end(), b);
}

// Lengths: every length up to 80, both sides of the block and group sizes of
// the vector loops, a few pseudo-random lengths and the whole chunk.
std::vector<unsigned> WindowLengths()
{
    std::vector<unsigned> lengths;
    for (unsigned n = 0; n <= 80; ++n)
        lengths.push_back(n);
    for (unsigned edge : { 96u, 128u, 192u, 256u, 4096u })
        for (unsigned n = edge - 1; n <= edge + 1; ++n)
            lengths.push_back(n);
    unsigned x = 12345;
    for (int i = 0; i < 6; ++i) {
        x = x * 1103515245u + 12345u;
        lengths.push_back(1 + (x >> 8) % ChunkSize);
    }
    lengths.push_back(ChunkSize - 1);
    lengths.push_back(ChunkSize);
    return lengths;
}

const unsigned Margin = 64;

// A buffer of random bytes whose window starts `offset` bytes past a 64-byte
// boundary, with at least 64 guard bytes on each side.
struct Placement {
    Bytes storage;
    size_t windowStart;
    unsigned length;

    Placement(unsigned offset, unsigned length, unsigned seed)
        : storage(RandomBytes(length + 3 * Margin + offset, seed)), windowStart(0), length(length)
    {
        uintptr_t base = (uintptr_t)storage.data() + Margin;
        windowStart = (size_t)(((base + 63) & ~(uintptr_t)63) - (uintptr_t)storage.data()) + offset;
    }
    // Runs kernel(window, length) with the guards poisoned in the sanitizer
    // build (guard.h), so that a read outside the window stops the run too.
    template <typename Kernel> void Run(Kernel kernel)
    {
        unsigned char* end = storage.data() + windowStart + length;
        GUARD_POISON(storage.data(), windowStart);
        GUARD_POISON(end, storage.data() + storage.size() - end);
        kernel(storage.data() + windowStart, length);
        GUARD_UNPOISON(storage.data(), storage.size());
    }
};

typedef void (*ByteKernel)(unsigned char*, unsigned);

struct KernelCase {
    const char* name;
    ByteKernel fast;
    ByteKernel defined;
    bool needsSsse3;
};

TEST(FastKernels, MatchDefinitionsAtEveryAlignment)
{
    const KernelCase cases[] = {
        { "InvertBytes", InvertBytes, DefinedInvert, false },
        { "ReverseBytes", ReverseBytes, DefinedReverse, false },
        { "ReverseBytesSse2", ReverseBytesSse2, DefinedReverse, false },
        { "ReverseBytesSsse3", ReverseBytesSsse3, DefinedReverse, true },
    };
    const std::vector<unsigned> lengths = WindowLengths();
    for (const KernelCase& c : cases) {
        if (c.needsSsse3 && !CpuHasSsse3()) {
            ADD_FAILURE() << c.name << " not run: this processor has no SSSE3";
            continue;
        }
        for (unsigned offset = 0; offset < 64; ++offset) {
            for (unsigned length : lengths) {
                Placement actual(offset, length, offset * 7919u + length);
                Bytes expected = actual.storage;
                actual.Run(c.fast);
                c.defined(expected.data() + actual.windowStart, length);
                ASSERT_TRUE(actual.storage == expected)
                    << c.name << ", offset " << offset << ", length " << length;
            }
        }
    }
}

// The next results of the generator after a call, from the product's own
// generator: they show where the call left its state.
std::vector<int> NextResults(int n)
{
    std::vector<int> r;
    for (int i = 0; i < n; ++i)
        r.push_back(NextPasswordRandom());
    return r;
}

std::vector<int> NextResults(ReferenceGenerator g, int n)
{
    std::vector<int> r;
    for (int i = 0; i < n; ++i)
        r.push_back(g.Next());
    return r;
}

// XORs the window with the reference key stream from `seed`; returns the
// generator as the call leaves it.
ReferenceGenerator DefinedXor(const Bytes& password, unsigned seed, unsigned char* b, unsigned n)
{
    ReferenceGenerator g = { ReferenceKeyStream(seed, password.data(), password.size(), b, n) };
    return g;
}

Bytes PasswordOfLength(size_t length, unsigned seed)
{
    Bytes p = RandomBytes(length, seed);
    if (!p.empty() && p[0] == 0)
        p[0] = 1;  // a password as PasswordFile passes it has no zero byte
    return p;
}

class PasswordKernels : public XorPaths {};
INSTANTIATE_FOR_EVERY_XOR_PATH(PasswordKernels);

TEST_P(PasswordKernels, MatchDefinitionAndLeaveGeneratorInStep)
{
    const std::vector<unsigned> lengths = WindowLengths();
    // 10 bytes fit one pshufb register of the lane paths, 27 need two, 40
    // go to the key table.
    const Bytes passwords[] = { PasswordOfLength(10, 4), PasswordOfLength(27, 5),
                                PasswordOfLength(40, 6) };
    for (unsigned offset = 0; offset < 64; ++offset) {
        const Bytes& password = passwords[offset % 3];
        for (unsigned length : lengths) {
            unsigned seed = offset * 2654435761u ^ length;
            Placement actual(offset, length, offset + 31u * length);
            Bytes expected = actual.storage;
            SeedPasswordRandom(seed);
            actual.Run([&password](unsigned char* window, unsigned n) {
                XorPasswordBytes(password.data(), (unsigned)password.size(), window, n);
            });
            std::vector<int> after = NextResults(3);
            ReferenceGenerator g =
                DefinedXor(password, seed, expected.data() + actual.windowStart, length);
            ASSERT_TRUE(actual.storage == expected) << "offset " << offset << ", length " << length;
            ASSERT_EQ(after, NextResults(g, 3)) << "offset " << offset << ", length " << length;
        }
    }
}

TEST_P(PasswordKernels, EveryKindOfPasswordLength)
{
    // Every length the lane paths take (1 to 32: powers of two and the rest,
    // one and two pshufb registers), the first they do not, lengths that
    // divide 32768 and those that do not, the table size and passwords
    // longer than every generator result.
    std::vector<unsigned> passwordLengths;
    for (unsigned L = 1; L <= 33; ++L)
        passwordLengths.push_back(L);
    for (unsigned L : { 255u, 256u, 4096u, 32767u, 32768u, 32769u, 40000u })
        passwordLengths.push_back(L);
    for (unsigned L : passwordLengths) {
        Bytes password = PasswordOfLength(L, L);
        for (unsigned length : { 1u, 31u, 63u, 64u, 1000u, ChunkSize }) {
            unsigned seed = PasswordSeed(password.data(), L);
            Bytes data = RandomBytes(length, L + length);
            Bytes expected = data;
            SeedPasswordRandom(seed);
            XorPasswordBytes(password.data(), L, data.data(), length);
            ReferenceGenerator g = DefinedXor(password, seed, expected.data(), length);
            ASSERT_TRUE(data == expected) << "password length " << L << ", data length " << length;
            ASSERT_EQ(NextResults(3), NextResults(g, 3)) << "password length " << L;
        }
    }
}

TEST_P(PasswordKernels, RandomPasswordsLengthsAndChunkingsMatchReference)
{
    // Passwords of 1 to 32 random bytes (first bytes of 0x80 and above give
    // seeds below the length), data of random lengths, cut into pieces of
    // random sizes: every piece continues the key stream of the one before.
    unsigned x = 20261207u;
    auto next = [&x]() {
        x = x * 1664525u + 1013904223u;
        return x >> 8;
    };
    for (int round = 0; round < 48; ++round) {
        std::string pass(1 + next() % 32, ' ');
        for (char& c : pass)
            c = (char)(1 + next() % 255);
        size_t n = round % 3 == 0 ? next() % 300 : next() % (2 * ChunkSize);
        unsigned longestPiece = round % 2 == 0 ? 100 : 3 * ChunkSize / 2;
        Bytes data = RandomBytes(n, (unsigned)round);
        Bytes expected = ReferencePassword(pass, data);

        unsigned seed = PasswordSeed((const unsigned char*)pass.data(), (unsigned)pass.size());
        SeedPasswordRandom(seed);
        std::string pieces;
        for (size_t at = 0; at < n;) {
            unsigned piece = (unsigned)std::min<size_t>(1 + next() % longestPiece, n - at);
            XorPasswordBytes((const unsigned char*)pass.data(), (unsigned)pass.size(), &data[at], piece);
            pieces += " " + std::to_string(piece);
            at += piece;
        }
        ReferenceGenerator g = { seed };
        for (size_t i = 0; i < n; ++i)
            g.Next();
        ASSERT_TRUE(data == expected) << "password length " << pass.size() << ", pieces" << pieces;
        ASSERT_EQ(NextResults(3), NextResults(g, 3)) << "password length " << pass.size();
    }
}

TEST_P(PasswordKernels, FollowEveryChangeOfPassword)
{
    // The key table is kept between calls: each row must still get its own
    // key bytes, whatever the password of the call before was.
    struct Row {
        const char* text;
        unsigned length;
    } rows[] = {
        { "abc", 3 },
        { "abd", 3 },    // same length, last byte differs
        { "ab", 2 },     // a prefix of the one before
        { "abab", 4 },   // the same period as the one before
        { "abab", 4 },   // repeated: must give the same stream again
        { "a\0c", 3 },   // a zero byte inside
        { "abc", 3 },
    };
    for (unsigned length : { 100u, ChunkSize }) {
        for (const Row& row : rows) {
            Bytes password((const unsigned char*)row.text, (const unsigned char*)row.text + row.length);
            Bytes data = RandomBytes(length, row.length * 11u + length);
            Bytes expected = data;
            SeedPasswordRandom(77);
            XorPasswordBytes(password.data(), row.length, data.data(), length);
            DefinedXor(password, 77, expected.data(), length);
            ASSERT_TRUE(data == expected) << row.text << ", length " << length;
        }
    }
    // The same memory, rewritten between calls.
    Bytes password = { 'x', 'y', 'z' };
    Bytes data = RandomBytes(1000, 1);
    SeedPasswordRandom(5);
    XorPasswordBytes(password.data(), 3, data.data(), 1000);
    password[1] = 'Y';
    Bytes again = RandomBytes(1000, 1);
    Bytes expected = again;
    SeedPasswordRandom(5);
    XorPasswordBytes(password.data(), 3, again.data(), 1000);
    DefinedXor(password, 5, expected.data(), 1000);
    EXPECT_TRUE(again == expected);
}

TEST_P(PasswordKernels, EmptyPasswordLeavesDataAndStillMovesGenerator)
{
    for (unsigned length : { 0u, 1u, 64u, 65537u }) {
        Bytes data = RandomBytes(length, 3);
        Bytes before = data;
        SeedPasswordRandom(9);
        XorPasswordBytes((const unsigned char*)"", 0, data.data(), length);
        ReferenceGenerator g = { 9 };
        for (unsigned i = 0; i < length; ++i)
            g.Next();
        EXPECT_TRUE(data == before) << length;
        EXPECT_EQ(NextResults(3), NextResults(g, 3)) << length;
    }
}

TEST(PasswordPaths, ProgramTakesFastestPathThisProcessorRuns)
{
    XorPath best = CpuHasAvx2() ? XorPathAvx2 : CpuHasSsse3() ? XorPathSsse3 : XorPathSse2;
    EXPECT_EQ(XorPathFor(1), best);
    EXPECT_EQ(XorPathFor(32), best);
    EXPECT_EQ(XorPathFor(33), XorPathSse2);  // longer than two registers: the key table
    EXPECT_EQ(SetXorPath((XorPath)99), 0);
    EXPECT_EQ(XorPathFor(10), best);
}

}  // namespace
