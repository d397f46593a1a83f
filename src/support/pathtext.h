// Path texts: separators, joining and splitting, over code page 932 paths
// of at most 259 bytes. No Win32 file calls, so they also build for the
// native sanitizer tests.
#ifndef MIRTAVOLEN_SUPPORT_PATHTEXT_H
#define MIRTAVOLEN_SUPPORT_PATHTEXT_H

// Path separators, judged character by character: a 0x5C that is the trail
// byte of a double-byte character (表 is 0x95 0x5C) is part of that
// character, not a separator.

// Index of the last separator in s, or -1 when it has none.
int FindLastSeparator(const char* s);

// Nonzero when the last character of s is a separator.
int EndsWithSeparator(const char* s);

// out (260 bytes) = directory, a separator unless it already ends with one,
// then name. 1 when the whole path fits 259 bytes; 0 otherwise, and out is
// then not a path to use.
int JoinPath(char* out, const char* directory, const char* name);

// Splits path at its last separator. dirOut and nameOut (260 bytes each)
// may be null. An input in double quotes is unquoted first. The directory
// keeps its trailing separator when keepSlash is nonzero or it is a drive
// root (X:\). With no separator only nameOut is written. Returns the length
// of the name; -1 for a null or empty path or one longer than 259 bytes.
int SplitPath(const char* path, char* dirOut, char* nameOut, int keepSlash);

#endif
