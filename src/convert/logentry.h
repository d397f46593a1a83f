// The text of one log entry; no Win32 calls, so it also builds for the
// native sanitizer tests.
#ifndef MIRTAVOLEN_CONVERT_LOGENTRY_H
#define MIRTAVOLEN_CONVERT_LOGENTRY_H

#include <stddef.h>

// Room for the longest entry (two 259-byte paths, a 63-byte label and the
// failure line) and its terminator.
const size_t LogEntrySize = 660;

// Composes an entry: the bracketed date and time, the type text, SrcFile,
// DestFile, "Failed!" when failed, and an empty line; lines end in LF.
// Returns its length, or 0 when it does not fit size bytes (nothing is
// then written to out beyond a terminator).
size_t ComposeLogEntry(char* out, size_t size, const char* date, const char* time,
                       const char* typeText, const char* srcFile, const char* destFile,
                       int failed);

#endif
