#include "convert/transform.h"

#include <cpuid.h>
#include <emmintrin.h>
#include <immintrin.h>
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

int CpuHasAvx2(void)
{
    static int known = -1;
    if (known < 0) {
        known = 0;
        unsigned a = 0, b = 0, c = 0, d = 0;
        // AVX needs the system to save the YMM registers: OSXSAVE says that
        // xgetbv may be asked, and XCR0 bits 1 and 2 (SSE and AVX state)
        // that it does.
        if (__get_cpuid(1, &a, &b, &c, &d) && (c & bit_OSXSAVE) != 0 && (c & bit_AVX) != 0) {
            unsigned xcr0 = 0, high = 0;
            __asm__ volatile("xgetbv" : "=a"(xcr0), "=d"(high) : "c"(0));
            if ((xcr0 & 6) == 6 && __get_cpuid_max(0, NULL) >= 7) {
                __cpuid_count(7, 0, a, b, c, d);
                known = (b & bit_AVX2) != 0 ? 1 : 0;
            }
        }
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

namespace {

unsigned PasswordRandomState;

const unsigned RandomMultiplier = 214013u;
const unsigned RandomIncrement = 2531011u;

}  // namespace

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
// The key byte of a generator result r (15 bits) is password[r mod L]. The
// generator is a chain of dependent multiplications, but its state after k
// steps is A_k * s + C_k (mod 2^32), so lanes that each stand k positions
// apart all move on by k steps with one multiplication and one addition.
// XorPasswordBytes goes one of four ways (XorPath in transform_impl.h):
//
// - portable: one step and one lookup in a 32,768-entry key table per byte;
// - SSE2: 8 lanes stepped with pmuludq, the key bytes looked up one by one
//   in the key table (the fast path of the first version, kept for
//   processors without SSSE3 and for passwords longer than 32 bytes);
// - SSSE3: 16 lanes whose states are kept in 16-bit halves (pmullw and
//   pmulhuw step them), r mod L computed by multiplication, and the key
//   bytes taken from the password itself with pshufb, 16 at a time;
// - AVX2: 32 lanes stepped with vpmulld, the same remainder, vpshufb.
//
// The automatic choice takes the last of these the processor runs; the lane
// paths need the password in two 16-byte registers, so up to 32 bytes.

namespace {

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

unsigned Advance(unsigned state, unsigned steps)
{
    Jump j = JumpOf(steps);
    return state * j.multiplier + j.increment;
}

inline unsigned Step(unsigned state)
{
    return state * RandomMultiplier + RandomIncrement;
}

inline unsigned ResultOf(unsigned state)
{
    return (state >> 16) & 0x7FFF;
}

// ---- The key table (portable and SSE2 paths) ----
//
// r has 15 bits, so a table of all 32768 key bytes replaces the division per
// byte; it is kept between calls and rebuilt only for another password.

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

// Key bytes from the table for `count` bytes; returns the generator's state
// after them.
unsigned XorWithTable(unsigned state, unsigned char* buffer, unsigned count)
{
    for (unsigned i = 0; i < count; ++i) {
        state = Step(state);
        buffer[i] ^= KeyTable[ResultOf(state)];
    }
    return state;
}

// ---- SSE2: eight lanes and the key table ----
//
// The lanes carry twice the state: doubling commutes with the step
// (2(As + C) = A(2s) + 2C mod 2^32) and only drops bit 31, which the result
// never uses, and it moves the result to the top 15 bits, so that one shift
// yields it.
//
// Bytes go in groups of 64 through three stages: the lanes write the 64
// table indexes of a group, the key bytes are looked up one by one into a
// key block, and the key block is XORed into the data. Each pass of the loop
// computes the indexes of the next group, looks up the current one and XORs
// the previous one, so the three stages overlap and the lookups never wait
// for the multiplications.

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
// starting at `state`.
void XorGroupsSse2(unsigned state, unsigned char* buffer, unsigned groups)
{
    const Jump laneJump = JumpOf(LaneCount);

    Lanes lanes;
    unsigned s[LaneCount];
    for (unsigned k = 0; k < LaneCount; ++k) {
        state = Step(state);
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

void XorSse2(unsigned state, unsigned char* buffer, unsigned count)
{
    unsigned groups = count / GroupSize;
    if (groups > 0) {
        XorGroupsSse2(state, buffer, groups);
        state = Advance(state, groups * GroupSize);
    }
    XorWithTable(state, buffer + groups * GroupSize, count - groups * GroupSize);
}

// ---- The lane paths: the password in registers ----
//
// r mod L without a division: for 2 <= L <= 32 let c = ceil(log2 L),
// k = 15 + c and M = ceil(2^k / L). Then M < 2^16 (L > 2^(c-1), so
// 2^k / L < 2^16), and q = (r * M) >> k is r / L rounded down for every
// r < 2^15: with e = M * L - 2^k < L <= 2^c,
//   r * M / 2^k = r / L + r * e / (L * 2^k), and r * e / 2^k < 2^15 * 2^c / 2^k = 1,
// so the excess is below 1 / L and never reaches the next multiple of L.
// pmulhuw gives (r * M) >> 16, a shift by c - 1 the rest, and r - q * L the
// index. A one-byte password is taken as the same byte twice (L = 2): every
// index then still names that byte.
//
// The key bytes come from the password repeated to 32 bytes: pshufb picks
// byte i & 15 of a 16-byte register, so indexes up to 15 need one register
// and indexes up to 31 two.

struct LaneKey {
    unsigned char bytes[32];  // the password repeated
    unsigned length;          // L, at least 2
    unsigned magic;           // M
    unsigned shift;           // c - 1
};

void PrepareLaneKey(const unsigned char* password, unsigned length, LaneKey* key)
{
    for (unsigned i = 0; i < 32; ++i)
        key->bytes[i] = password[i % length];
    key->length = length < 2 ? 2 : length;
    unsigned c = 1;
    while ((1u << c) < key->length)
        ++c;
    key->magic = ((1u << (15 + c)) + key->length - 1) / key->length;
    key->shift = c - 1;
}

// The bytes after the last whole block of a lane path, one at a time with
// the same remainder; returns the generator's state after them.
unsigned XorWithLaneKey(unsigned state, const LaneKey& key, unsigned char* buffer, unsigned count)
{
    for (unsigned i = 0; i < count; ++i) {
        state = Step(state);
        unsigned r = ResultOf(state);
        unsigned q = (r * key.magic) >> (16 + key.shift);
        buffer[i] ^= key.bytes[r - q * key.length];
    }
    return state;
}

// ---- SSSE3: 16 lanes in 16-bit halves ----
//
// SSE2 multiplies 32-bit numbers two at a time (pmuludq) but 16-bit numbers
// eight at a time, so each state s = h * 2^16 + l is kept as two words in
// two registers. With A = Ah * 2^16 + Al and C = Ch * 2^16 + Cl, one jump
// A * s + C (mod 2^32) is
//   l' = (Al * l + Cl) mod 2^16,
//   h' = (hi16(Al * l) + Al * h + Ah * l + Ch + carry) mod 2^16,
// where the carry of the low word is 1 exactly when l' < lo16(Al * l) (and
// Cl is not 0). The result r is h & 0x7FFF. A block is 16 bytes: lanes
// 0-7 in the first register pair, 8-15 in the second, as packuswb orders
// them.

struct HalfLaneJump {
    __m128i multiplierLow;      // Al
    __m128i multiplierHigh;     // Ah
    __m128i incrementLow;       // Cl
    __m128i incrementHighPlus;  // Ch + 1: the carry is added as 1 + (0 or -1)
};

inline __attribute__((always_inline)) void StepHalves(__m128i& low, __m128i& high,
                                                      const HalfLaneJump& j)
{
    __m128i productLow = _mm_mullo_epi16(low, j.multiplierLow);
    __m128i productHigh = _mm_mulhi_epu16(low, j.multiplierLow);
    __m128i cross = _mm_add_epi16(_mm_mullo_epi16(high, j.multiplierLow),
                                  _mm_mullo_epi16(low, j.multiplierHigh));
    __m128i nextLow = _mm_add_epi16(productLow, j.incrementLow);
    // -1 where the low word did not wrap, 0 where it did.
    __m128i noCarry = _mm_cmpeq_epi16(_mm_subs_epu16(productLow, nextLow), _mm_setzero_si128());
    high = _mm_add_epi16(_mm_add_epi16(productHigh, cross),
                         _mm_add_epi16(j.incrementHighPlus, noCarry));
    low = nextLow;
}

template <bool Wide>
__attribute__((target("ssse3"))) void XorBlocksSsse3(unsigned state, const LaneKey& key,
                                                      unsigned char* buffer, unsigned blocks)
{
    const unsigned Block = 16;
    unsigned short low[Block], high[Block];
    for (unsigned p = 0; p < Block; ++p) {
        state = Step(state);
        low[p] = (unsigned short)state;
        high[p] = (unsigned short)(state >> 16);
    }
    __m128i low0 = _mm_loadu_si128((const __m128i*)low);
    __m128i low1 = _mm_loadu_si128((const __m128i*)(low + 8));
    __m128i high0 = _mm_loadu_si128((const __m128i*)high);
    __m128i high1 = _mm_loadu_si128((const __m128i*)(high + 8));

    const Jump jump = JumpOf(Block);
    HalfLaneJump j;
    j.multiplierLow = _mm_set1_epi16((short)jump.multiplier);
    j.multiplierHigh = _mm_set1_epi16((short)(jump.multiplier >> 16));
    j.incrementLow = _mm_set1_epi16((short)jump.increment);
    j.incrementHighPlus = _mm_set1_epi16((short)((jump.increment >> 16) + 1));
    const __m128i resultMask = _mm_set1_epi16(0x7FFF);
    const __m128i magic = _mm_set1_epi16((short)key.magic);
    const __m128i length = _mm_set1_epi16((short)key.length);
    const __m128i shift = _mm_cvtsi32_si128((int)key.shift);
    const __m128i keyLow = _mm_loadu_si128((const __m128i*)key.bytes);
    const __m128i keyHigh = _mm_loadu_si128((const __m128i*)(key.bytes + 16));

    for (unsigned b = 0; b < blocks; ++b) {
        __m128i r0 = _mm_and_si128(high0, resultMask);
        __m128i r1 = _mm_and_si128(high1, resultMask);
        StepHalves(low0, high0, j);
        StepHalves(low1, high1, j);
        __m128i q0 = _mm_srl_epi16(_mm_mulhi_epu16(r0, magic), shift);
        __m128i q1 = _mm_srl_epi16(_mm_mulhi_epu16(r1, magic), shift);
        __m128i index = _mm_packus_epi16(_mm_sub_epi16(r0, _mm_mullo_epi16(q0, length)),
                                         _mm_sub_epi16(r1, _mm_mullo_epi16(q1, length)));
        __m128i keys;
        if (Wide) {
            // pshufb gives 0 for an index byte with bit 7 set: index + 0x70
            // sets it for 16-31, index - 16 for 0-15.
            keys = _mm_or_si128(
                _mm_shuffle_epi8(keyLow, _mm_add_epi8(index, _mm_set1_epi8(0x70))),
                _mm_shuffle_epi8(keyHigh, _mm_sub_epi8(index, _mm_set1_epi8(16))));
        } else {
            keys = _mm_shuffle_epi8(keyLow, index);
        }
        __m128i* data = (__m128i*)(buffer + b * Block);
        _mm_storeu_si128(data, _mm_xor_si128(_mm_loadu_si128(data), keys));
    }
}

void XorSsse3(unsigned state, const LaneKey& key, unsigned char* buffer, unsigned count)
{
    unsigned blocks = count / 16;
    if (blocks > 0) {
        if (key.length > 16)
            XorBlocksSsse3<true>(state, key, buffer, blocks);
        else
            XorBlocksSsse3<false>(state, key, buffer, blocks);
        state = Advance(state, blocks * 16);
    }
    XorWithLaneKey(state, key, buffer + blocks * 16, count - blocks * 16);
}

// ---- AVX2: 32 lanes of doubled states ----
//
// vpmulld multiplies eight 32-bit lanes at once. As on the SSE2 path the
// lanes carry twice the state, so that a shift by 17 gives the results.
// A block is 32 bytes from four registers of eight lanes; vpackusdw and
// vpackuswb pack within each 128-bit half, which puts lane e of register g
// at byte (e & 3) + 4 * g + 16 * (e >> 2) of the block.
//
// Only unaligned loads and stores touch memory: the 32-bit Windows stack is
// only 4-byte aligned, and force_align_arg_pointer makes the compiler align
// it itself should it ever keep a 32-byte register on the stack.

template <bool Wide>
__attribute__((target("avx2"), force_align_arg_pointer)) void XorBlocksAvx2(
    unsigned state, const LaneKey& key, unsigned char* buffer, unsigned blocks)
{
    const unsigned Block = 32;
    unsigned lanes[Block];
    for (unsigned p = 0; p < Block; ++p) {
        state = Step(state);
        unsigned g = (p >> 2) & 3;
        unsigned e = (p & 3) | ((p >> 4) << 2);
        lanes[g * 8 + e] = state << 1;
    }
    __m256i x0 = _mm256_loadu_si256((const __m256i*)lanes);
    __m256i x1 = _mm256_loadu_si256((const __m256i*)(lanes + 8));
    __m256i x2 = _mm256_loadu_si256((const __m256i*)(lanes + 16));
    __m256i x3 = _mm256_loadu_si256((const __m256i*)(lanes + 24));

    const Jump jump = JumpOf(Block);
    const __m256i multiplier = _mm256_set1_epi32((int)jump.multiplier);
    const __m256i increment = _mm256_set1_epi32((int)(jump.increment << 1));
    const __m256i magic = _mm256_set1_epi16((short)key.magic);
    const __m256i length = _mm256_set1_epi16((short)key.length);
    const __m128i shift = _mm_cvtsi32_si128((int)key.shift);
    const __m256i keyLow = _mm256_broadcastsi128_si256(_mm_loadu_si128((const __m128i*)key.bytes));
    const __m256i keyHigh =
        _mm256_broadcastsi128_si256(_mm_loadu_si128((const __m128i*)(key.bytes + 16)));

    for (unsigned b = 0; b < blocks; ++b) {
        __m256i r01 = _mm256_packus_epi32(_mm256_srli_epi32(x0, 17), _mm256_srli_epi32(x1, 17));
        __m256i r23 = _mm256_packus_epi32(_mm256_srli_epi32(x2, 17), _mm256_srli_epi32(x3, 17));
        x0 = _mm256_add_epi32(_mm256_mullo_epi32(x0, multiplier), increment);
        x1 = _mm256_add_epi32(_mm256_mullo_epi32(x1, multiplier), increment);
        x2 = _mm256_add_epi32(_mm256_mullo_epi32(x2, multiplier), increment);
        x3 = _mm256_add_epi32(_mm256_mullo_epi32(x3, multiplier), increment);
        __m256i q01 = _mm256_srl_epi16(_mm256_mulhi_epu16(r01, magic), shift);
        __m256i q23 = _mm256_srl_epi16(_mm256_mulhi_epu16(r23, magic), shift);
        __m256i index = _mm256_packus_epi16(_mm256_sub_epi16(r01, _mm256_mullo_epi16(q01, length)),
                                            _mm256_sub_epi16(r23, _mm256_mullo_epi16(q23, length)));
        __m256i keys;
        if (Wide) {
            // Bit 4 of each index byte, moved to bit 7, chooses the high half.
            keys = _mm256_blendv_epi8(_mm256_shuffle_epi8(keyLow, index),
                                      _mm256_shuffle_epi8(keyHigh, index),
                                      _mm256_slli_epi16(index, 3));
        } else {
            keys = _mm256_shuffle_epi8(keyLow, index);
        }
        __m256i* data = (__m256i*)(buffer + b * Block);
        _mm256_storeu_si256(data, _mm256_xor_si256(_mm256_loadu_si256(data), keys));
    }
}

void XorAvx2(unsigned state, const LaneKey& key, unsigned char* buffer, unsigned count)
{
    unsigned blocks = count / 32;
    if (blocks > 0) {
        if (key.length > 16)
            XorBlocksAvx2<true>(state, key, buffer, blocks);
        else
            XorBlocksAvx2<false>(state, key, buffer, blocks);
        state = Advance(state, blocks * 32);
    }
    XorWithLaneKey(state, key, buffer + blocks * 32, count - blocks * 32);
}

// ---- Choosing the path ----

const unsigned LaneKeyMaxLength = 32;

XorPath ForcedXorPath = XorPathAutomatic;

}  // namespace

int SetXorPath(XorPath path)
{
    if (path < XorPathAutomatic || path > XorPathAvx2)
        return 0;
    if ((path == XorPathSsse3 && !CpuHasSsse3()) || (path == XorPathAvx2 && !CpuHasAvx2()))
        return 0;
    ForcedXorPath = path;
    return 1;
}

XorPath XorPathFor(unsigned length)
{
    XorPath path = ForcedXorPath;
    if (path == XorPathAutomatic)
        path = CpuHasAvx2() ? XorPathAvx2 : CpuHasSsse3() ? XorPathSsse3 : XorPathSse2;
    if ((path == XorPathSsse3 || path == XorPathAvx2) && length > LaneKeyMaxLength)
        path = XorPathSse2;
    return path;
}

const char* XorPathName(XorPath path)
{
    switch (path) {
    case XorPathAutomatic:
        return "automatic";
    case XorPathPortable:
        return "portable";
    case XorPathSse2:
        return "SSE2";
    case XorPathSsse3:
        return "SSSE3";
    case XorPathAvx2:
        return "AVX2";
    }
    return "?";
}

void XorPasswordBytes(const unsigned char* password, unsigned length,
                      unsigned char* buffer, unsigned count)
{
    unsigned state = PasswordRandomState;
    // No key bytes: the data stays as it is, the generator still moves on.
    if (length != 0 && count != 0) {
        XorPath path = XorPathFor(length);
        if (path == XorPathSsse3 || path == XorPathAvx2) {
            LaneKey key;
            PrepareLaneKey(password, length, &key);
            if (path == XorPathAvx2)
                XorAvx2(state, key, buffer, count);
            else
                XorSsse3(state, key, buffer, count);
        } else {
            PrepareKeyTable(password, length);
            if (path == XorPathPortable)
                XorWithTable(state, buffer, count);
            else
                XorSse2(state, buffer, count);
        }
    }
    PasswordRandomState = Advance(state, count);
}
