// The processor-specific variants behind ReverseBytes, visible to the tests so
// that every path is checked on any machine that can run it. The program
// itself calls only the entry points of transform.h.
#ifndef MIRTAVOLEN_CONVERT_TRANSFORM_IMPL_H
#define MIRTAVOLEN_CONVERT_TRANSFORM_IMPL_H

// 1 when the processor executes SSSE3 instructions (pshufb), from cpuid.
int CpuHasSsse3(void);

// ReverseBytes with SSE2 only: runs on every processor the program supports.
void ReverseBytesSse2(unsigned char* buffer, unsigned count);

// ReverseBytes with pshufb. Only to be called when CpuHasSsse3() is 1.
void ReverseBytesSsse3(unsigned char* buffer, unsigned count);

#endif
