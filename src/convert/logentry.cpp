#include "convert/logentry.h"

#include <stdio.h>

size_t ComposeLogEntry(char* out, size_t size, const char* date, const char* time,
                       const char* typeText, const char* srcFile, const char* destFile,
                       int failed)
{
    static const char Success[] = "[%s %s]\nType     = %s\nSrcFile  = %s\nDestFile = %s\n\n";
    static const char Failure[] =
        "[%s %s]\nType     = %s\nSrcFile  = %s\nDestFile = %s\nFailed!\n\n";
    if (size == 0)
        return 0;
    int n = snprintf(out, size, failed ? Failure : Success, date, time, typeText, srcFile,
                     destFile);
    if (n < 0 || (size_t)n >= size) {
        out[0] = '\0';
        return 0;
    }
    return (size_t)n;
}
