// Path utilities over code page 932 paths of at most 259 bytes (260-byte
// buffers). Every operation reports through its result and shows nothing.
// Paths that do not fit a 260-byte buffer make an operation fail.
#ifndef MIRTAVOLEN_SUPPORT_PATHS_H
#define MIRTAVOLEN_SUPPORT_PATHS_H

#include <windows.h>
#include <shlobj.h>

#include "support/pathtext.h"

// 1 when the file, directory or drive root exists; 0 otherwise, also for a
// null or empty path, a bare drive "X:" and a path that does not fit.
int PathExists(const char* path);

// Creates the directory and every missing parent. Nonzero when the
// directory exists afterwards (1 if it already existed); 0 on failure.
int CreateDirectoryTree(const char* path);

// The executable's directory in long-name form, ending in a separator when
// keepSlash is nonzero. out has 260 bytes. Returns the length written.
int GetModuleDir(char* out, int keepSlash);

// The shell's long-name form of an existing path. Returns its length when
// it fits outSize (and copies it), length + 1 when it does not (nothing
// copied), 0 on failure.
unsigned ResolveLongPath(const char* path, char* out, unsigned outSize);

// The shell's folder browser. 1: a folder was chosen and outPath (260 bytes)
// holds its path (empty for an item without a file-system path); 2: the
// user cancelled and outPath is untouched. startFolder may be outPath.
int BrowseForFolder(HWND owner, const char* title, const char* startFolder, char* outPath);

// Frees a shell item ID list with the shell's allocator.
void FreeIdList(LPITEMIDLIST list);

#endif
