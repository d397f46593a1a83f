#include "convert/target.h"

#include <string.h>
#include <wchar.h>

#include "support/paths.h"
#include "support/text.h"

const char TempFileName[] = "_Mirtavolen.tmp";

namespace {

// The native calls that have no Win32 form on Windows XP. ntdll is in
// every process and never unloaded.
typedef LONG(WINAPI* FileInformationFn)(HANDLE, void*, void*, ULONG, int);

FileInformationFn NtFileFunction(const char* name)
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    FARPROC found = ntdll != NULL ? GetProcAddress(ntdll, name) : NULL;
    return reinterpret_cast<FileInformationFn>(reinterpret_cast<void*>(found));
}

const int FileBasicInformation = 4;
const int FileStandardInformation = 5;
const int FileInternalInformation = 6;
const int FileNameInformation = 9;
const int FileDispositionInformation = 13;

struct StandardInformation {
    LARGE_INTEGER allocationSize;
    LARGE_INTEGER endOfFile;
    ULONG numberOfLinks;
    BOOLEAN deletePending;
    BOOLEAN directory;
};

int QueryFileInformation(HANDLE file, void* info, ULONG size, int infoClass)
{
    static FileInformationFn query = NtFileFunction("NtQueryInformationFile");
    ULONG_PTR status[2];  // IO_STATUS_BLOCK
    return query != NULL && query(file, status, info, size, infoClass) == 0;
}

struct BasicInformation {
    LARGE_INTEGER creationTime;  // 0: left as it is
    LARGE_INTEGER lastAccessTime;
    LARGE_INTEGER lastWriteTime;
    LARGE_INTEGER changeTime;
    ULONG attributes;            // 0: left as it is
};

int SetFileInformation(HANDLE file, void* info, ULONG size, int infoClass)
{
    static FileInformationFn set = NtFileFunction("NtSetInformationFile");
    ULONG_PTR status[2];  // IO_STATUS_BLOCK
    return set != NULL && set(file, status, info, size, infoClass) == 0;
}

// How the temporary files of this program are marked while they are
// written: a file of such a name that bears the mark and that nobody holds
// open was left by a run that was killed. Hidden and system make the mark
// (Wine keeps them; it drops the temporary attribute, which Windows keeps
// as well), and the mark is taken off before the file takes DestFile's
// place.
const DWORD TempMark = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_TEMPORARY;

int BearsTempMark(DWORD attributes)
{
    const DWORD both = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    return (attributes & both) == both
        && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY
                          | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

// How long a rename or a deletion of the temporary file waits for another
// instance that has it open for a moment (RemoveStaleTemp).
const int SharedRetries = 50;
const DWORD SharedRetryMs = 2;

// Names of the temporary output: TempFileName first, then the numbered
// names beside it.
const int TempSeriesLength = 100;

void TempNameAt(int index, char* name)
{
    if (index == 0)
        lstrcpyA(name, TempFileName);
    else
        wsprintfA(name, "_Mirtavolen%d.tmp", index);
}

int NameTaken(DWORD error)
{
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS
        || error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
}

// Names are compared in UTF-16: the ANSI forms of two different names can
// be one (the system's best-fit table makes é an e).
const int ResolvedRoom = MAX_PATH * 2;

// The name the file system knows an open file or directory by, below its
// volume ("\\data\\a.txt"). Wine resolves symbolic links in it, which it
// reports in no other way. 0 when unknown.
int GetResolvedName(HANDLE file, WCHAR* out)
{
    struct {
        ULONG length;  // in bytes
        WCHAR name[ResolvedRoom];
    } info;
    if (!QueryFileInformation(file, &info, sizeof info, FileNameInformation))
        return 0;
    int count = (int)(info.length / sizeof(WCHAR));
    if (count >= ResolvedRoom)
        return 0;
    memcpy(out, info.name, count * sizeof(WCHAR));
    out[count] = L'\0';
    return 1;
}

// Whether resolved is folder, a separator and name (any letter case).
int NamesFileInFolder(const WCHAR* resolved, const WCHAR* folder, const WCHAR* name)
{
    int folderLength = lstrlenW(folder);
    int nameLength = lstrlenW(name);
    if (folderLength + 1 + nameLength >= ResolvedRoom)
        return 0;
    WCHAR expected[ResolvedRoom];
    memcpy(expected, folder, folderLength * sizeof(WCHAR));
    if (folderLength == 0 || folder[folderLength - 1] != L'\\')
        expected[folderLength++] = L'\\';
    memcpy(expected + folderLength, name, (nameLength + 1) * sizeof(WCHAR));
    return lstrcmpiW(expected, resolved) == 0;
}

// The resolved name of the folder last asked for, kept for the files of a
// batch that go into one folder. A name gone stale can only make a file
// look linked, and so refused, never the other way round.
struct FolderName {
    char folder[MAX_PATH];
    WCHAR resolved[ResolvedRoom];
};
FolderName LastFolder = { "", L"" };

int GetFolderResolvedName(const char* directory, WCHAR* out)
{
    if (LastFolder.folder[0] != '\0' && lstrcmpA(LastFolder.folder, directory) == 0) {
        lstrcpyW(out, LastFolder.resolved);
        return 1;
    }
    HANDLE folder = CreateFileA(directory, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (folder == INVALID_HANDLE_VALUE)
        return -1;
    int known = GetResolvedName(folder, out);
    CloseHandle(folder);
    if (known) {
        lstrcpyW(LastFolder.resolved, out);
        lstrcpyA(LastFolder.folder, directory);
    }
    return known;
}

// 1 when the open file is known under another name than its directory and
// its own name say: a symbolic link to a file elsewhere, which a
// replacement would turn into a plain file while the file it names stays.
// A name typed with a trailing blank or dot, or in its short form, names
// the file itself: its long form, as the folder lists it, is compared too.
int IsLinkedName(HANDLE file, const char* path)
{
    char directory[MAX_PATH];
    char name[MAX_PATH];
    WCHAR wideName[MAX_PATH];
    WCHAR widePath[MAX_PATH];
    if (SplitPath(path, directory, name, 0) < 0
        || MultiByteToWideChar(CP_ACP, 0, name, -1, wideName, MAX_PATH) == 0
        || MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH) == 0)
        return 1;
    WCHAR folderName[ResolvedRoom];
    WCHAR fileName[ResolvedRoom];
    int folderKnown = GetFolderResolvedName(directory, folderName);
    if (folderKnown < 0)
        return 1;
    if (!folderKnown || !GetResolvedName(file, fileName))
        return 0;  // the platform tells nothing: only its attributes count
    if (NamesFileInFolder(fileName, folderName, wideName))
        return 0;
    WIN32_FIND_DATAW found;
    HANDLE search = wcspbrk(wideName, L"*?") == NULL ? FindFirstFileW(widePath, &found)
                                                     : INVALID_HANDLE_VALUE;
    if (search == INVALID_HANDLE_VALUE)
        return 1;
    FindClose(search);
    return !NamesFileInFolder(fileName, folderName, found.cFileName);
}

// Deletes the marked temporary file at path that a killed run left behind.
// Opened without sharing, so a file that anyone holds open (another
// instance converting into it) is left alone, as is every unmarked file.
// 1 when it is gone.
int RemoveStaleTemp(const char* path)
{
    // Only a file that bears the mark is opened at all: an open without
    // sharing would stand in the way of its owner's rename for a moment.
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !BearsTempMark(attributes))
        return 0;
    HANDLE file = CreateFileA(path, DELETE | FILE_READ_ATTRIBUTES, 0, NULL, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    FileFacts facts;
    BOOLEAN deleteIt = TRUE;
    int removed = GetFileType(file) == FILE_TYPE_DISK && ReadFileFacts(file, &facts)
        && BearsTempMark(facts.attributes) && facts.links == 1
        && !IsLinkedName(file, path)  // never the file a link points to
        && SetFileInformation(file, &deleteIt, sizeof deleteIt, FileDispositionInformation);
    CloseHandle(file);
    return removed;
}

// Tries the names of the series in folder. 1: created (*file); 0: every
// name taken or a failure that another name cannot mend (disk full, folder
// gone: *error); -1: the folder is too deep for the names.
int CreateInSeries(const char* folder, char* path, HANDLE* file, DWORD* error)
{
    for (int index = 0; index < TempSeriesLength; ++index) {
        char name[32];
        TempNameAt(index, name);
        if (!JoinPath(path, folder, name))
            return -1;
        for (int retried = 0;; retried = 1) {
            *file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_NEW, TempMark, NULL);
            if (*file != INVALID_HANDLE_VALUE)
                return 1;
            *error = GetLastError();
            if (retried || !NameTaken(*error) || !RemoveStaleTemp(path))
                break;
        }
        if (!NameTaken(*error))
            return 0;
    }
    return 0;
}

// Whether the open source is the file at destFile (facts of both read).
// Equal numbers are rare enough to ask for the volumes then.
int SameFile(HANDLE source, const FileFacts& sourceFacts, const char* destFile,
             const FileFacts& destFacts)
{
    if (sourceFacts.index != destFacts.index)
        return 0;
    HANDLE dest = CreateFileA(destFile, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    BY_HANDLE_FILE_INFORMATION a;
    BY_HANDLE_FILE_INFORMATION b;
    int different = dest != INVALID_HANDLE_VALUE && GetFileInformationByHandle(source, &a)
        && GetFileInformationByHandle(dest, &b) && a.dwVolumeSerialNumber != b.dwVolumeSerialNumber;
    if (dest != INVALID_HANDLE_VALUE)
        CloseHandle(dest);
    return !different;  // what cannot be told apart counts as one
}

// Gives the file at to the owner and DACL of the file at from: the owner
// where permitted, the DACL always. 1 when done, or when the file system
// keeps no security at all.
int CopySecurity(const char* from, const char* to)
{
    const SECURITY_INFORMATION both = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    BYTE local[1024];
    void* security = local;
    DWORD needed = 0;
    int read = GetFileSecurityA(from, both, security, sizeof local, &needed);
    if (!read && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        security = GlobalAlloc(GMEM_FIXED, needed);
        read = security != NULL && GetFileSecurityA(from, both, security, needed, &needed);
    }
    int copied;
    if (!read)
        copied = GetLastError() == ERROR_NOT_SUPPORTED;
    else
        copied = SetFileSecurityA(to, both, security)
            || SetFileSecurityA(to, DACL_SECURITY_INFORMATION, security);
    if (security != local && security != NULL)
        GlobalFree(security);
    return copied;
}

}  // namespace

int ReadFileFacts(HANDLE file, FileFacts* facts)
{
    BasicInformation basic;
    StandardInformation standard;
    LARGE_INTEGER index;
    if (!QueryFileInformation(file, &basic, sizeof basic, FileBasicInformation)
        || !QueryFileInformation(file, &standard, sizeof standard, FileStandardInformation)
        || !QueryFileInformation(file, &index, sizeof index, FileInternalInformation))
        return 0;
    facts->attributes = basic.attributes;
    facts->created.dwLowDateTime = basic.creationTime.LowPart;
    facts->created.dwHighDateTime = (DWORD)basic.creationTime.HighPart;
    facts->size = (unsigned long long)standard.endOfFile.QuadPart;
    facts->links = standard.numberOfLinks;
    facts->index = (unsigned long long)index.QuadPart;
    return 1;
}

void ForgetFolders(void)
{
    LastFolder.folder[0] = '\0';
}

void InspectOpenFile(HANDLE file, const char* path, const FileFacts& facts, TargetState* state)
{
    state->exists = 1;
    state->diskFile = 1;
    state->facts = facts;
    state->linked = IsLinkedName(file, path);
}

int InspectDestFile(const char* destFile, TargetState* state)
{
    state->exists = 0;
    state->diskFile = 0;
    state->linked = 0;
    HANDLE probe = CreateFileA(destFile, FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               NULL, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (probe == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        // Anything else that stops the probe (a folder, no access) bears the name.
        state->exists = error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND
            && error != ERROR_INVALID_NAME && error != ERROR_BAD_PATHNAME;
        return state->exists;
    }
    FileFacts facts;
    if (GetFileType(probe) == FILE_TYPE_DISK && ReadFileFacts(probe, &facts))
        InspectOpenFile(probe, destFile, facts, state);
    else
        state->exists = 1;  // a device, or nothing that can be looked at
    CloseHandle(probe);
    return state->exists;
}

int MayReplace(const TargetState& state, const char* destFile, HANDLE source,
               const FileFacts& sourceFacts, int inPlace)
{
    if (!state.exists)
        return 1;
    if (!state.diskFile || state.linked)
        return 0;
    const DWORD refused = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY
        | FILE_ATTRIBUTE_REPARSE_POINT;
    if ((state.facts.attributes & refused) != 0 || state.facts.links != 1)
        return 0;
    return inPlace || !SameFile(source, sourceFacts, destFile, state.facts);
}

HANDLE CreateTempOutput(const char* directory, char* path)
{
    char folder[MAX_PATH];
    if (!CopyText(folder, sizeof folder, directory))
        return INVALID_HANDLE_VALUE;
    HANDLE file = INVALID_HANDLE_VALUE;
    DWORD error = 0;
    int created = CreateInSeries(folder, path, &file, &error);
    if (created == 0 && error == ERROR_PATH_NOT_FOUND && CreateDirectoryTree(folder))
        created = CreateInSeries(folder, path, &file, &error);
    if (created < 0 && CreateDirectoryTree(folder)) {
        // Too deep for the names: the short form of the folder may fit.
        DWORD length = GetShortPathNameA(directory, folder, sizeof folder);
        if (length > 0 && length < sizeof folder && lstrcmpA(folder, directory) != 0)
            created = CreateInSeries(folder, path, &file, &error);
    }
    if (created != 1) {
        path[0] = '\0';
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

int FinishTempOutput(HANDLE output, const char* tempPath, const char* destFile,
                     const TargetState& state)
{
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE
        | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    BasicInformation basic;
    ZeroMemory(&basic, sizeof basic);
    basic.attributes = FILE_ATTRIBUTE_NORMAL;  // the mark goes
    if (state.exists) {
        if (!CopySecurity(destFile, tempPath))
            return 0;
        basic.creationTime.LowPart = state.facts.created.dwLowDateTime;
        basic.creationTime.HighPart = (LONG)state.facts.created.dwHighDateTime;
        if ((state.facts.attributes & kept) != 0)
            basic.attributes = state.facts.attributes & kept;
    }
    return SetFileInformation(output, &basic, sizeof basic, FileBasicInformation);
}

int PutInPlace(const char* tempPath, const char* destFile, const TargetState& state)
{
    // Another instance that looks whether a file of the temporary name was
    // left by a killed run holds it for a moment: the rename then waits.
    DWORD flags = MOVEFILE_WRITE_THROUGH | (state.exists ? MOVEFILE_REPLACE_EXISTING : 0);
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExA(tempPath, destFile, flags))
            return 1;
        if (GetLastError() != ERROR_SHARING_VIOLATION || attempt == SharedRetries)
            return 0;
        Sleep(SharedRetryMs);
    }
}

int RemoveTempOutput(const char* tempPath)
{
    for (int attempt = 1;; ++attempt) {
        if (DeleteFileA(tempPath))
            return 1;
        if (GetLastError() != ERROR_SHARING_VIOLATION || attempt == SharedRetries)
            return 0;
        Sleep(SharedRetryMs);
    }
}
