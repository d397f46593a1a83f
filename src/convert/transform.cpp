#include "convert/transform.h"

#include <cpuid.h>
#include <emmintrin.h>
#include <stdint.h>
#include <string.h>
#include <tmmintrin.h>

#include "convert/transform_impl.h"

// ---- Bit inversion ----

void InvertBytes(unsigned char* buffer, unsigned count)
{
    unsigned char* p = buffer;
    unsigned char* end = buffer + count;
    // Single bytes up to a 16-byte boundary: the block loop then uses
    // aligned loads and stores.
    while (p != end && ((uintptr_t)p & 15) != 0) {
        *p = (unsigned char)~*p;
        ++p;
    }
    const __m128i ones = _mm_set1_epi32(-1);
    while (end - p >= 64) {
        __m128i* v = (__m128i*)p;
        __m128i a = _mm_load_si128(v);
        __m128i b = _mm_load_si128(v + 1);
        __m128i c = _mm_load_si128(v + 2);
        __m128i d = _mm_load_si128(v + 3);
        _mm_store_si128(v, _mm_xor_si128(a, ones));
        _mm_store_si128(v + 1, _mm_xor_si128(b, ones));
        _mm_store_si128(v + 2, _mm_xor_si128(c, ones));
        _mm_store_si128(v + 3, _mm_xor_si128(d, ones));
        p += 64;
    }
    while (end - p >= 16) {
        __m128i* v = (__m128i*)p;
        _mm_store_si128(v, _mm_xor_si128(_mm_load_si128(v), ones));
        p += 16;
    }
    while (p != end) {
        *p = (unsigned char)~*p;
        ++p;
    }
}

// ---- Byte order reversal ----
//
// Both variants swap 16-byte blocks taken from the two ends, each block
// reversed in a register, until fewer than 32 bytes are left between the
// ends; those are swapped one pair at a time. The front end is first brought
// to a 16-byte boundary by single swaps; the back end may stay unaligned.

namespace {

// Swaps byte pairs from the outside in while the front is not 16-byte
// aligned and at least two bytes remain between front and back.
void SwapUntilAligned(unsigned char** front, unsigned char** back)
{
    unsigned char* f = *front;
    unsigned char* b = *back;
    while (((uintptr_t)f & 15) != 0 && b - f >= 2) {
        --b;
        unsigned char t = *f;
        *f = *b;
        *b = t;
        ++f;
    }
    *front = f;
    *back = b;
}

void SwapRemaining(unsigned char* front, unsigned char* back)
{
    while (back - front >= 2) {
        --back;
        unsigned char t = *front;
        *front = *back;
        *back = t;
        ++front;
    }
}

// The 16 bytes of v in reverse order: dwords reversed, then the two words
// of each dword swapped, then the two bytes of each word.
inline __m128i Reverse16Sse2(__m128i v)
{
    v = _mm_shuffle_epi32(v, _MM_SHUFFLE(0, 1, 2, 3));
    v = _mm_shufflelo_epi16(v, _MM_SHUFFLE(2, 3, 0, 1));
    v = _mm_shufflehi_epi16(v, _MM_SHUFFLE(2, 3, 0, 1));
    return _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
}

}  // namespace

int CpuHasSsse3(void)
{
    static int known = -1;
    if (known < 0) {
        unsigned a = 0, b = 0, c = 0, d = 0;
        known = (__get_cpuid(1, &a, &b, &c, &d) && (c & bit_SSSE3) != 0) ? 1 : 0;
    }
    return known;
}

void ReverseBytesSse2(unsigned char* buffer, unsigned count)
{
    unsigned char* front = buffer;
    unsigned char* back = buffer + count;
    SwapUntilAligned(&front, &back);
    while (back - front >= 32) {
        back -= 16;
        __m128i a = _mm_load_si128((const __m128i*)front);
        __m128i b = _mm_loadu_si128((const __m128i*)back);
        _mm_store_si128((__m128i*)front, Reverse16Sse2(b));
        _mm_storeu_si128((__m128i*)back, Reverse16Sse2(a));
        front += 16;
    }
    SwapRemaining(front, back);
}

__attribute__((target("ssse3")))
void ReverseBytesSsse3(unsigned char* buffer, unsigned count)
{
    const __m128i order = _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    unsigned char* front = buffer;
    unsigned char* back = buffer + count;
    SwapUntilAligned(&front, &back);
    while (back - front >= 32) {
        back -= 16;
        __m128i a = _mm_load_si128((const __m128i*)front);
        __m128i b = _mm_loadu_si128((const __m128i*)back);
        _mm_store_si128((__m128i*)front, _mm_shuffle_epi8(b, order));
        _mm_storeu_si128((__m128i*)back, _mm_shuffle_epi8(a, order));
        front += 16;
    }
    SwapRemaining(front, back);
}

void ReverseBytes(unsigned char* buffer, unsigned count)
{
    if (CpuHasSsse3())
        ReverseBytesSsse3(buffer, count);
    else
        ReverseBytesSse2(buffer, count);
}

// ---- Password generator ----

static unsigned PasswordRandomState;

static const unsigned RandomMultiplier = 214013u;
static const unsigned RandomIncrement = 2531011u;

void SeedPasswordRandom(unsigned seed)
{
    PasswordRandomState = seed;
}

int NextPasswordRandom(void)
{
    PasswordRandomState = PasswordRandomState * RandomMultiplier + RandomIncrement;
    return (int)((PasswordRandomState >> 16) & 0x7FFF);
}

unsigned PasswordSeed(const unsigned char* password, unsigned length)
{
    return length + (unsigned)(int)(signed char)password[0];
}

// ---- Password XOR ----
//
// The key byte of a generator result r is password[r mod length]. r has 15
// bits, so a table of all 32768 key bytes replaces the division per byte; it
// is kept between calls and rebuilt only for another password.
//
// The generator is a chain of dependent multiplications. Its state after k
// steps is A_k * s + C_k (mod 2^32), so eight lanes, each eight steps apart,
// produce eight results at once with one SSE2 multiplication (pmuludq) per
// two lanes. The lanes carry twice the state: doubling commutes with the
// step (2(As + C) = A(2s) + 2C mod 2^32) and only drops bit 31, which the
// result never uses, and it moves the result to the top 15 bits, so that one
// shift yields it.
//
// Bytes go in groups of 64 through three stages: the lanes write the 64
// table indexes of a group, the key bytes are looked up one by one into a
// key block, and the key block is XORed into the data. Each pass of the loop
// computes the indexes of the next group, looks up the current one and XORs
// the previous one, so the three stages overlap and the lookups never wait
// for the multiplications.

namespace {

const unsigned KeyTableSize = 32768;
unsigned char KeyTable[KeyTableSize];
unsigned KeyTableLength = 0;  // password length the table was built for; 0: none

void PrepareKeyTable(const unsigned char* password, unsigned length)
{
    // For a password shorter than the table, the table starts with the
    // password itself; a longer one fills it with its first 32768 bytes. So
    // the table's first bytes identify the password it was built for.
    unsigned stored = length < KeyTableSize ? length : KeyTableSize;
    if (KeyTableLength == length && memcmp(KeyTable, password, stored) == 0)
        return;
    memcpy(KeyTable, password, stored);
    // The table repeats with period length: copying a whole number of
    // periods keeps every index i at password[i mod length].
    unsigned filled = stored;
    while (filled < KeyTableSize) {
        unsigned n = filled < KeyTableSize - filled ? filled : KeyTableSize - filled;
        memcpy(KeyTable + filled, KeyTable, n);
        filled += n;
    }
    KeyTableLength = length;
}

// The affine map of a number of generator steps: state -> multiplier * state + increment.
struct Jump {
    unsigned multiplier;
    unsigned increment;
};

// Composes the single step with itself `steps` times by repeated squaring.
Jump JumpOf(unsigned steps)
{
    Jump result = { 1u, 0u };
    Jump power = { RandomMultiplier, RandomIncrement };
    while (steps != 0) {
        if (steps & 1) {
            result.increment = power.multiplier * result.increment + power.increment;
            result.multiplier *= power.multiplier;
        }
        power.increment = power.multiplier * power.increment + power.increment;
        power.multiplier *= power.multiplier;
        steps >>= 1;
    }
    return result;
}

const unsigned LaneCount = 8;
const unsigned GroupSize = 64;

// The eight lanes, two per register in the low dwords of its qwords.
struct Lanes {
    __m128i pair[LaneCount / 2];
    __m128i multiplier;  // A_8 in both low dwords
    __m128i increment;   // 2 * C_8 in both low dwords
};

// Writes the results of the eight lanes as table indexes and moves every
// lane eight steps on.
inline __attribute__((always_inline)) void NextEight(Lanes& lanes, unsigned short* index)
{
    // shufps gathers the low dwords of two registers; the results fit in
    // 15 bits, so packssdw never saturates.
    __m128 low01 = _mm_shuffle_ps(_mm_castsi128_ps(lanes.pair[0]), _mm_castsi128_ps(lanes.pair[1]),
                                  _MM_SHUFFLE(2, 0, 2, 0));
    __m128 low23 = _mm_shuffle_ps(_mm_castsi128_ps(lanes.pair[2]), _mm_castsi128_ps(lanes.pair[3]),
                                  _MM_SHUFFLE(2, 0, 2, 0));
    __m128i results = _mm_packs_epi32(_mm_srli_epi32(_mm_castps_si128(low01), 17),
                                      _mm_srli_epi32(_mm_castps_si128(low23), 17));
    _mm_store_si128((__m128i*)index, results);
    for (unsigned k = 0; k < LaneCount / 2; ++k)
        lanes.pair[k] = _mm_add_epi32(_mm_mul_epu32(lanes.pair[k], lanes.multiplier), lanes.increment);
}

inline __attribute__((always_inline)) void NextGroup(Lanes& lanes, unsigned short* index)
{
    for (unsigned k = 0; k < GroupSize; k += LaneCount)
        NextEight(lanes, index + k);
}

// XORs `groups` groups of 64 bytes with the key stream of the generator
// starting at `state` (the generator itself is not moved).
void XorGroups(unsigned state, unsigned char* buffer, unsigned groups)
{
    static Jump laneJump = { 0u, 0u };
    if (laneJump.multiplier == 0)
        laneJump = JumpOf(LaneCount);

    Lanes lanes;
    unsigned s[LaneCount];
    for (unsigned k = 0; k < LaneCount; ++k) {
        state = state * RandomMultiplier + RandomIncrement;
        s[k] = state << 1;
    }
    for (unsigned k = 0; k < LaneCount / 2; ++k)
        lanes.pair[k] = _mm_set_epi32(0, (int)s[2 * k + 1], 0, (int)s[2 * k]);
    lanes.multiplier = _mm_set_epi32(0, (int)laneJump.multiplier, 0, (int)laneJump.multiplier);
    lanes.increment = _mm_set_epi32(0, (int)(laneJump.increment << 1), 0,
                                    (int)(laneJump.increment << 1));

    // Two of each, used in turn: the stage before writes one while the stage
    // after reads the other.
    alignas(16) unsigned short index[2][GroupSize];
    alignas(16) unsigned char key[2][GroupSize];

    NextGroup(lanes, index[0]);
    for (unsigned g = 0; g < groups; ++g) {
        // After the last group this computes one group too many; the lanes
        // end with this call, so that costs nothing but time.
        NextGroup(lanes, index[(g + 1) & 1]);

        const unsigned short* current = index[g & 1];
        unsigned char* keys = key[g & 1];
#pragma GCC unroll 32
        for (unsigned k = 0; k < GroupSize; k += 2) {
            // One load for two indexes: the loads are what limits this loop.
            unsigned two;
            memcpy(&two, current + k, sizeof two);
            keys[k] = KeyTable[two & 0xFFFF];
            keys[k + 1] = KeyTable[two >> 16];
        }

        // The key block of the previous group: its byte stores have long
        // left the store buffer, so the 16-byte loads do not stall on them.
        if (g > 0) {
            __m128i* data = (__m128i*)(buffer + (g - 1) * GroupSize);
            const __m128i* previous = (const __m128i*)key[(g - 1) & 1];
            for (unsigned k = 0; k < GroupSize / 16; ++k)
                _mm_storeu_si128(data + k, _mm_xor_si128(_mm_loadu_si128(data + k),
                                                         _mm_load_si128(previous + k)));
        }
    }
    if (groups > 0) {
        __m128i* data = (__m128i*)(buffer + (groups - 1) * GroupSize);
        const __m128i* last = (const __m128i*)key[(groups - 1) & 1];
        for (unsigned k = 0; k < GroupSize / 16; ++k)
            _mm_storeu_si128(data + k, _mm_xor_si128(_mm_loadu_si128(data + k), _mm_load_si128(last + k)));
    }
}

}  // namespace

void XorPasswordBytes(const unsigned char* password, unsigned length,
                      unsigned char* buffer, unsigned count)
{
    if (length == 0) {
        // No key bytes: the data stays as it is, the generator still moves on.
        Jump j = JumpOf(count);
        PasswordRandomState = PasswordRandomState * j.multiplier + j.increment;
        return;
    }
    PrepareKeyTable(password, length);
    unsigned groups = count / GroupSize;
    unsigned state = PasswordRandomState;
    if (groups > 0) {
        XorGroups(state, buffer, groups);
        Jump j = JumpOf(groups * GroupSize);
        state = state * j.multiplier + j.increment;
    }
    for (unsigned i = groups * GroupSize; i < count; ++i) {
        state = state * RandomMultiplier + RandomIncrement;
        buffer[i] ^= KeyTable[(state >> 16) & 0x7FFF];
    }
    PasswordRandomState = state;
}
