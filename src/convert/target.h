// DestFile and the temporary file that takes its place: what is known of
// DestFile before anything is written, the temporary file's name and mark,
// and the one rename that puts the finished file at DestFile. DestFile
// therefore holds either its old or its new bytes whatever happens.
#ifndef MIRTAVOLEN_CONVERT_TARGET_H
#define MIRTAVOLEN_CONVERT_TARGET_H

#include <windows.h>

// Name of the temporary file in the output directory; when a file of that
// name exists, "_Mirtavolen1.tmp" and so on up to "_Mirtavolen99.tmp".
extern const char TempFileName[];

// What a conversion needs to know of an open disk file.
struct FileFacts {
    DWORD attributes;
    FILETIME created;
    unsigned long long size;
    DWORD links;
    unsigned long long index;  // the file's number on its volume
};

// Reads the facts of an open file with the file system's own queries,
// not GetFileInformationByHandle, whose volume query costs about a
// millisecond under Wine. 1 when all could be read.
int ReadFileFacts(HANDLE file, FileFacts* facts);

// What is known of a DestFile before anything is written to it.
struct TargetState {
    int exists;     // something bears the name (a file, a folder, a file held elsewhere)
    int diskFile;   // it is a disk file that could be looked at: facts holds
    int linked;     // known to the file system under another name (a symbolic link)
    FileFacts facts;
};

// Forgets the folders whose resolved names were kept: a batch starts
// afresh.
void ForgetFolders(void);

// Looks at DestFile once. Returns state->exists.
int InspectDestFile(const char* destFile, TargetState* state);

// The same for a DestFile that is already open (the source, in place),
// whose facts were read.
void InspectOpenFile(HANDLE file, const char* path, const FileFacts& facts, TargetState* state);

// 1 when the DestFile of state is missing or may be replaced: a disk file,
// not read-only (Wine would let root replace it, Windows never), not a
// link or reparse point, of one name only (a replacement would split its
// names), and, unless in place, not the open source (source, with its
// facts) under another name.
int MayReplace(const TargetState& state, const char* destFile, HANDLE source,
               const FileFacts& sourceFacts, int inPlace);

// Creates the temporary output in directory under the first free name of
// the series, marked as this program's own, and creates the directory
// first when it is missing. A marked file that a killed run left behind
// and that nobody holds open is deleted and its name used; any other file
// of such a name is never opened. A directory too deep for the name is
// tried again in its short form. path (260 bytes) receives the name;
// INVALID_HANDLE_VALUE when none could be created.
HANDLE CreateTempOutput(const char* directory, char* path);

// Gives the finished temporary file (output, open, at tempPath) what
// belongs to the DestFile it replaces: who may read it (its DACL, and its
// owner where permitted), its creation time and its hidden, system,
// archive and indexing attributes; and takes its mark off. 1 on success;
// 0 when any of it could not be given (DestFile is then not to be replaced).
int FinishTempOutput(HANDLE output, const char* tempPath, const char* destFile,
                     const TargetState& state);

// Puts the finished, closed temporary file at DestFile with one rename. A
// new output never replaces a file that appeared meanwhile.
int PutInPlace(const char* tempPath, const char* destFile, const TargetState& state);

// Deletes the temporary file of a conversion that failed. 1 when gone.
int RemoveTempOutput(const char* tempPath);

#endif
