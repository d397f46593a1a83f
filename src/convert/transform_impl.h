// The processor-specific variants behind ReverseBytes and XorPasswordBytes,
// visible to the tests and the benchmark so that every path is checked and
// timed on any machine that can run it. The program itself calls only the
// entry points of transform.h.
#ifndef MIRTAVOLEN_CONVERT_TRANSFORM_IMPL_H
#define MIRTAVOLEN_CONVERT_TRANSFORM_IMPL_H

// 1 when the processor executes SSSE3 instructions (pshufb), from cpuid.
int CpuHasSsse3(void);

// 1 when the processor executes AVX2 instructions and the system saves the
// YMM registers (cpuid leaf 7, and OSXSAVE with xgetbv).
int CpuHasAvx2(void);

// ReverseBytes with SSE2 only: runs on every processor the program supports.
void ReverseBytesSse2(unsigned char* buffer, unsigned count);

// ReverseBytes with pshufb. Only to be called when CpuHasSsse3() is 1.
void ReverseBytesSsse3(unsigned char* buffer, unsigned count);

// The ways XorPasswordBytes can compute the key stream; all give the same
// bytes and leave the generator in the same state.
enum XorPath {
    XorPathAutomatic,  // the program's choice: the fastest path this processor runs
    XorPathPortable,   // a generator step and a key table lookup per byte, no vector code
    XorPathSse2,       // 8 generator lanes (pmuludq) and the 32,768-byte key table
    XorPathSsse3,      // 16 lanes in 16-bit halves, r mod L by multiplication, pshufb
    XorPathAvx2,       // 32 lanes (vpmulld), r mod L by multiplication, vpshufb
};

// Test and benchmark hook: XorPasswordBytes takes `path` from now on (the
// program never calls this and runs XorPathAutomatic). Returns 1, or 0 and
// changes nothing when this processor cannot run the path. The lane paths
// (SSSE3, AVX2) take passwords of 1 to 32 bytes; a longer one goes the SSE2
// way with them too.
int SetXorPath(XorPath path);

// The path XorPasswordBytes takes now for a password of `length` bytes.
XorPath XorPathFor(unsigned length);

// A short name of a path ("AVX2", "SSE2", ...), for messages and tables.
const char* XorPathName(XorPath path);

#endif
