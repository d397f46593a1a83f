#include "support/text.h"

#include <string.h>

#ifdef _WIN32
#include <windows.h>

int IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) ? 1 : 0; }
#else
// Builds without Win32 (the sanitizer test build) judge by code page 932.
int IsLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
#endif

int CharBytes(const char* s)
{
    if (IsLeadByte((unsigned char)s[0]) && s[1] != '\0')
        return 2;
    return 1;
}

int CopyText(char* dst, size_t size, const char* src)
{
    size_t n = strlen(src);
    if (size == 0 || n >= size)
        return 0;
    memcpy(dst, src, n + 1);
    return 1;
}

int AppendText(char* dst, size_t size, const char* src)
{
    size_t have = strlen(dst);
    size_t n = strlen(src);
    if (have >= size || n >= size - have)
        return 0;
    memcpy(dst + have, src, n + 1);
    return 1;
}

size_t CopyTextCut(char* dst, size_t maxBytes, const char* src)
{
    size_t i = 0;
    while (src[i] != '\0') {
        // A lead byte without its trail byte (a text cut short) is dropped.
        if (IsLeadByte((unsigned char)src[i]) && src[i + 1] == '\0')
            break;
        size_t step = (size_t)CharBytes(src + i);
        if (i + step > maxBytes)
            break;
        i += step;
    }
    memcpy(dst, src, i);
    dst[i] = '\0';
    return i;
}
