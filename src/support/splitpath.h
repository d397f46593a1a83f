// Splitting a path into directory and file name; no Win32 calls, so it
// also builds for the native sanitizer tests.
#ifndef MIRTAVOLEN_SUPPORT_SPLITPATH_H
#define MIRTAVOLEN_SUPPORT_SPLITPATH_H

// Splits path at its last separator. dirOut and nameOut (260 bytes each)
// may be null. An input in double quotes is unquoted first. The directory
// keeps its trailing separator when keepSlash is nonzero or it is a drive
// root (X:\). With no separator only nameOut is written. Returns the length
// of the name; -1 for a null or empty path or one longer than 259 bytes.
int SplitPath(const char* path, char* dirOut, char* nameOut, int keepSlash);

#endif
