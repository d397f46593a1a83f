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

// The long-name form of an existing path, absolute (a relative path is
// taken against the current directory), in the letter case the file system
// keeps. A component whose long name has no exact code page 932 form is
// given by its short (8.3) name; without one the path fails. Returns the
// length when it fits outSize (and copies it), length + 1 when it does not
// (nothing copied), 0 on failure.
unsigned ResolveLongPath(const char* path, char* out, unsigned outSize);

// The long form of the folder resolved last, so that the files of one
// folder ask the shell for it once. Start it zeroed and keep it only while
// adding files given together: a folder renamed later is asked for again.
struct LongFolderMemo {
    WCHAR given[MAX_PATH];
    char resolved[MAX_PATH];
};

// ResolveLongPath taking the folder's long form from memo when it holds it
// (and keeping it there when it does not). memo may be null.
unsigned ResolveLongPathWith(const char* path, char* out, unsigned outSize, LongFolderMemo* memo);

// The name of the existing file that path names, as its folder lists it:
// the long form of an 8.3 name, without the trailing dots and blanks the
// system ignores (its short name when the long one has no exact code page
// 932 form). 1 when name (260 bytes) holds it; 0 when there is no such
// file or path is a pattern.
int ListedFileName(const char* path, char* name);

// The code page 932 form of a path given in UTF-16 that names the same
// file: the path itself when every character converts exactly (no
// look-alike from the system's best-fit table: é is not e, and U+00A5 is not
// a separator), otherwise its short (8.3) form when the file system has one
// that converts exactly. 1 when out (260 bytes) holds it; 0 when there is
// none or it does not fit 259 bytes.
int ExactAnsiPath(const WCHAR* path, char* out);

// The shell's folder browser. 1: a folder was chosen and outPath (260 bytes)
// holds its path (empty for an item without a file-system path); 2: the
// user cancelled and outPath is untouched. startFolder may be outPath.
int BrowseForFolder(HWND owner, const char* title, const char* startFolder, char* outPath);

// Frees a shell item ID list with the shell's allocator.
void FreeIdList(LPITEMIDLIST list);

#endif
