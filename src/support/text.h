// Bounded byte-string helpers for code page 932 texts. Nothing here writes
// past the size it is given; every copy reports whether the whole text fit.
#ifndef MIRTAVOLEN_SUPPORT_TEXT_H
#define MIRTAVOLEN_SUPPORT_TEXT_H

#include <stddef.h>

// Nonzero when c is the lead byte of a double-byte character in the ANSI
// code page (code page 932 for this program).
int IsLeadByte(unsigned char c);

// Byte length of the character starting at s: 2 for a complete double-byte
// character, 1 otherwise (also for a lead byte with nothing after it).
int CharBytes(const char* s);

// Copies src into dst (size bytes with terminator). Returns 1 when the
// whole text fit; otherwise writes nothing at all and returns 0.
int CopyText(char* dst, size_t size, const char* src);

// Appends src to the text in dst (size bytes in all). Returns 1 when it fit;
// otherwise dst is left unchanged and the result is 0.
int AppendText(char* dst, size_t size, const char* src);

// Copies at most maxBytes bytes of src into dst (which has room for
// maxBytes + 1), never splitting a double-byte character; a lead byte at
// the very end without its trail byte is left out. Returns the number of
// bytes copied.
size_t CopyTextCut(char* dst, size_t maxBytes, const char* src);


#endif
