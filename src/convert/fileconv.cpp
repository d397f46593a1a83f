#include "convert/fileconv.h"

#include <commctrl.h>
#include <string.h>

#include "convert/transform.h"
#include "joblist/joblabel.h"
#include "res/resource.h"
#include "support/paths.h"
#include "support/text.h"

int CancelFlag = 0;
const char TempFileName[] = "_Mirtavolen.tmp";

namespace {

enum ConvKind { KindInvert, KindReverse, KindPassword };

// What the progress dialog shows as the type of each kind: the type's
// label, for the password without '=' and the password.
const char* const KindText[] = { LabelInvert, LabelReverse, LabelPassword };

struct Conversion {
    ConvKind kind;
    const unsigned char* password;
    unsigned passwordLength;
};

int SeekTo(HANDLE file, DWORD offset)
{
    LONG high = 0;  // offsets up to 4 GiB, not signed 32-bit ones
    DWORD low = SetFilePointer(file, (LONG)offset, &high, FILE_BEGIN);
    return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

// Source sizes are 32-bit: a file of 4 GiB or more cannot be converted.
int GetSmallFileSize(HANDLE file, DWORD* size)
{
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return 0;
    if (high != 0)
        return 0;
    *size = low;
    return 1;
}

// The progress bar is told only a position that differs from the last one
// (a large file has far more chunks than the bar has positions), and drawn
// at most every BarRepaintMs: a repaint can cost more than converting a
// chunk (about a millisecond under Wine), while the eye needs no more.
const DWORD BarRepaintMs = 30;

struct BarPainting {
    HWND bar;
    unsigned position;  // the last one sent
    int unpainted;      // sent since the last repaint
    DWORD lastPaint;
};

// Stops the bar drawing itself on every position; PaintBar lets it draw.
// The bar stands at 0.
void HoldBar(BarPainting* painting, HWND dialog)
{
    painting->bar = GetDlgItem(dialog, IDC_PROG_BAR);
    painting->position = 0;
    painting->unpainted = 0;
    painting->lastPaint = GetTickCount();
    SendMessageA(painting->bar, WM_SETREDRAW, FALSE, 0);
}

void PaintBar(BarPainting* painting)
{
    SendMessageA(painting->bar, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(painting->bar, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    painting->lastPaint = GetTickCount();
    painting->unpainted = 0;
}

// Moves the bar to the whole percentage of total in size (computed in 64
// bits: total * 100 overflows 32 bits beyond 42 MB).
void ShowProgress(BarPainting* painting, DWORD total, DWORD size)
{
    unsigned percent = (unsigned)((unsigned long long)total * 100u / size);
    if (percent != painting->position) {
        SendMessageA(painting->bar, PBM_SETPOS, percent, 0);
        painting->position = percent;
        painting->unpainted = 1;
    }
    if (painting->unpainted && GetTickCount() - painting->lastPaint >= BarRepaintMs) {
        PaintBar(painting);
        SendMessageA(painting->bar, WM_SETREDRAW, FALSE, 0);
    }
}

// The message queue is drained before the first chunk, after the last,
// and in between whenever DrainIntervalMs have passed since the last drain:
// a click on the stop button is seen within that time plus one chunk,
// while a fast disk does not pay a round trip to the window system for
// every chunk. A chunk slower than that drains after every chunk.
const DWORD DrainIntervalMs = 15;

void DrainNow(DWORD* lastDrain)
{
    DrainMessageQueue();
    *lastDrain = GetTickCount();
}

void DrainWhenDue(DWORD* lastDrain)
{
    if (GetTickCount() - *lastDrain >= DrainIntervalMs)
        DrainNow(lastDrain);
}

void ApplyChunk(const Conversion& conv, unsigned char* buffer, DWORD count)
{
    switch (conv.kind) {
    case KindInvert:
        InvertBytes(buffer, count);
        break;
    case KindReverse:
        ReverseBytes(buffer, count);
        break;
    case KindPassword:
        XorPasswordBytes(conv.password, conv.passwordLength, buffer, count);
        break;
    }
}

// The chunk loop. Returns 1 when exactly size bytes were converted and
// written: a source that another program shortens or lengthens meanwhile
// fails rather than give an output of the wrong length.
int ConvertChunks(const Conversion& conv, HANDLE source, HANDLE output,
                  unsigned char* buffer, DWORD size, BarPainting* painting)
{
    DWORD total = 0;
    DWORD chunk = (size - 1) / ChunkSize;  // reverse: from the last chunk down
    DWORD lastDrain = 0;
    DrainNow(&lastDrain);
    for (;;) {
        if (CancelFlag)
            return 0;
        if (conv.kind == KindReverse && !SeekTo(source, chunk * ChunkSize))
            return 0;
        DWORD got = 0;
        if (!ReadFile(source, buffer, ChunkSize, &got, NULL))
            return 0;
        if (conv.kind == KindReverse) {
            DWORD expected = size - chunk * ChunkSize;
            if (got != (expected < ChunkSize ? expected : ChunkSize))
                return 0;
        } else if (got == 0) {
            return total == size;
        } else if (got > size - total) {
            return 0;
        }
        ApplyChunk(conv, buffer, got);
        DWORD written = 0;
        if (!WriteFile(output, buffer, got, &written, NULL) || written != got)
            return 0;
        total += written;
        ShowProgress(painting, total, size);
        if (total == size)
            DrainNow(&lastDrain);
        else
            DrainWhenDue(&lastDrain);
        if (conv.kind == KindReverse) {
            if (chunk == 0)
                return 1;
            --chunk;
        }
    }
}

// Names of the temporary output: TempFileName first, then the numbered
// names beside it, so a file that bears one of them (the user's own, a
// stale one from a crash, another instance's) is never touched.
const int TempSeriesLength = 100;

void TempNameAt(int index, char* name)
{
    if (index == 0)
        lstrcpyA(name, TempFileName);
    else
        wsprintfA(name, "_Mirtavolen%d.tmp", index);
}

// Creates the temporary output in directory under the first free name of
// the series (CREATE_NEW: a name in use is never opened). A directory too
// deep for the name is tried again in its short form. path (260 bytes)
// receives the name; INVALID_HANDLE_VALUE when none could be created.
HANDLE CreateTempOutput(const char* directory, char* path)
{
    char folder[MAX_PATH];
    if (!CopyText(folder, sizeof folder, directory))
        return INVALID_HANDLE_VALUE;
    for (int shortened = 0;; shortened = 1) {
        for (int index = 0; index < TempSeriesLength; ++index) {
            char name[32];
            TempNameAt(index, name);
            if (!JoinPath(path, folder, name))
                break;  // too deep: the short form may fit
            HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, NULL);
            if (file != INVALID_HANDLE_VALUE)
                return file;
            DWORD error = GetLastError();
            if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS
                 && error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION)
                || index == TempSeriesLength - 1)
                return INVALID_HANDLE_VALUE;  // disk full, folder gone, every name taken
        }
        DWORD length = shortened ? 0 : GetShortPathNameA(directory, folder, sizeof folder);
        if (length == 0 || length >= sizeof folder || lstrcmpA(folder, directory) == 0) {
            path[0] = '\0';
            return INVALID_HANDLE_VALUE;
        }
    }
}

// What is known of DestFile before anything is written.
struct Target {
    int exists;
    DWORD attributes;   // of the existing DestFile: what its replacement keeps
    FILETIME created;
};

int SameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b)
{
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber
        && a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

typedef LONG(WINAPI* QueryInformationFileFn)(HANDLE, void*, void*, ULONG, int);

// The name the file system knows an open file or directory by, below its
// volume and in the ANSI code page ("\\data\\a.txt"). Wine resolves
// symbolic links in it, which it reports in no other way. 0 when unknown.
int GetResolvedName(HANDLE file, char* out, int size)
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");  // in every process, never unloaded
    FARPROC found = ntdll != NULL ? GetProcAddress(ntdll, "NtQueryInformationFile") : NULL;
    QueryInformationFileFn query =
        reinterpret_cast<QueryInformationFileFn>(reinterpret_cast<void*>(found));
    const int FileNameInformation = 9;
    struct {
        ULONG length;  // in bytes
        WCHAR name[MAX_PATH * 2];
    } info;
    ULONG_PTR status[2];  // IO_STATUS_BLOCK
    if (query == NULL || query(file, status, &info, sizeof info, FileNameInformation) != 0)
        return 0;
    int count = WideCharToMultiByte(CP_ACP, 0, info.name, (int)(info.length / sizeof(WCHAR)),
                                    out, size - 1, NULL, NULL);
    if (count <= 0)
        return 0;
    out[count] = '\0';
    return 1;
}

// 1 when the open file is known under another name than its directory and
// the last part of path say: a symbolic link to a file elsewhere, which a
// replacement would turn into a plain file while the file it names stays.
int IsLinkedName(HANDLE file, const char* path)
{
    char directory[MAX_PATH];
    char name[MAX_PATH];
    if (SplitPath(path, directory, name, 0) < 0)
        return 1;
    HANDLE folder = CreateFileA(directory, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (folder == INVALID_HANDLE_VALUE)
        return 1;
    char folderName[MAX_PATH * 2];
    char fileName[MAX_PATH * 2];
    int known = GetResolvedName(folder, folderName, sizeof folderName)
        && GetResolvedName(file, fileName, sizeof fileName);
    CloseHandle(folder);
    if (!known)
        return 0;  // the platform tells nothing: only its attributes count
    char expected[MAX_PATH * 2 + 1];
    lstrcpyA(expected, folderName);
    if (!EndsWithSeparator(expected))
        lstrcatA(expected, "\\");
    if (lstrlenA(expected) + lstrlenA(name) >= (int)sizeof expected)
        return 1;
    lstrcatA(expected, name);
    return lstrcmpiA(expected, fileName) != 0;
}

// 1 when DestFile is missing, or is a disk file that may be replaced: not
// read-only (Wine would let root replace it, Windows never), not a link or
// reparse point, of one name only (a replacement would split its names),
// and, unless in place, not the source under another name. Nothing is
// opened for writing here.
int InspectTarget(const char* destFile, const BY_HANDLE_FILE_INFORMATION& source, int inPlace,
                  Target* target)
{
    target->exists = 0;
    target->attributes = 0;
    HANDLE probe = CreateFileA(destFile, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               NULL, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (probe == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    BY_HANDLE_FILE_INFORMATION info;
    int known = GetFileType(probe) == FILE_TYPE_DISK && GetFileInformationByHandle(probe, &info)
        && !IsLinkedName(probe, destFile);
    CloseHandle(probe);
    if (!known)
        return 0;
    const DWORD refused = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY
        | FILE_ATTRIBUTE_REPARSE_POINT;
    if ((info.dwFileAttributes & refused) != 0 || info.nNumberOfLinks != 1)
        return 0;
    if (!inPlace && SameFile(info, source))
        return 0;
    target->exists = 1;
    target->attributes = info.dwFileAttributes;
    target->created = info.ftCreationTime;
    return 1;
}

// Gives the temporary file what belongs to the DestFile it replaces: its
// creation time (output is the open temporary file) and, once closed, its
// hidden, system, archive and indexing attributes.
int KeepCreationTime(HANDLE output, const Target& target)
{
    return !target.exists || SetFileTime(output, &target.created, NULL, NULL);
}

int KeepAttributes(const char* tempPath, const Target& target)
{
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE
        | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (!target.exists || (target.attributes & kept) == 0)
        return 1;
    return SetFileAttributesA(tempPath, target.attributes & kept) ? 1 : 0;
}

// Puts the finished temporary file at DestFile with one rename, so DestFile
// holds either its old or its new bytes whatever happens. (ReplaceFileA is
// no such step everywhere: Wine moves the old file aside first and leaves
// that copy behind when it fails.)
int PutInPlace(const char* tempPath, const char* destFile, const Target& target)
{
    // A new output never replaces a file that appeared meanwhile.
    DWORD flags = MOVEFILE_WRITE_THROUGH | (target.exists ? MOVEFILE_REPLACE_EXISTING : 0);
    return KeepAttributes(tempPath, target) && MoveFileExA(tempPath, destFile, flags) ? 1 : 0;
}

int IsGiven(const char* text)
{
    return text != NULL && text[0] != '\0';
}

// Opens the source for reading, a disk file below 4 GiB. Its size and
// identity are returned; INVALID_HANDLE_VALUE on any refusal.
HANDLE OpenSource(const char* srcFile, DWORD* size, BY_HANDLE_FILE_INFORMATION* info)
{
    HANDLE source = CreateFileA(srcFile, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    if (source == INVALID_HANDLE_VALUE)
        return source;
    if (GetFileType(source) != FILE_TYPE_DISK || !GetFileInformationByHandle(source, info)
        || !GetSmallFileSize(source, size)) {
        CloseHandle(source);
        return INVALID_HANDLE_VALUE;
    }
    return source;
}

int ConvertFile(const Conversion& conv, const char* srcFile, const char* destFile, HWND dialog)
{
    // Arguments: both paths within 259 bytes, DestFile with a directory.
    if (!IsGiven(srcFile) || !IsGiven(destFile) || dialog == NULL)
        return 0;
    if (conv.kind == KindPassword && (conv.password == NULL || conv.password[0] == '\0'))
        return 0;
    if (strlen(srcFile) >= MAX_PATH || strlen(destFile) >= MAX_PATH
        || FindLastSeparator(destFile) < 0)
        return 0;

    SetDlgItemTextA(dialog, IDC_PROG_FILE, srcFile);
    SetDlgItemTextA(dialog, IDC_PROG_TYPE, KindText[conv.kind]);
    SendDlgItemMessageA(dialog, IDC_PROG_BAR, PBM_SETPOS, 0, 0);

    if (conv.kind == KindPassword)
        SeedPasswordRandom(PasswordSeed(conv.password, conv.passwordLength));

    char outDir[MAX_PATH];
    if (SplitPath(destFile, outDir, NULL, 0) < 0)
        return 0;
    if (!PathExists(outDir) && !CreateDirectoryTree(outDir))
        return 0;
    const int inPlace = lstrcmpA(srcFile, destFile) == 0;

    // Everything is checked before the first byte is written: the output
    // always goes to a temporary file of its own, which takes DestFile's
    // place only once it is complete and on disk.
    DWORD size = 0;
    BY_HANDLE_FILE_INFORMATION sourceInfo;
    HANDLE source = OpenSource(srcFile, &size, &sourceInfo);
    if (source == INVALID_HANDLE_VALUE)
        return 0;
    Target target;
    char tempPath[MAX_PATH] = "";
    HANDLE output = INVALID_HANDLE_VALUE;
    if (size != 0 && InspectTarget(destFile, sourceInfo, inPlace, &target))
        output = CreateTempOutput(outDir, tempPath);
    if (output == INVALID_HANDLE_VALUE) {
        CloseHandle(source);
        return 0;
    }

    int result = 0;
    unsigned char* buffer = (unsigned char*)GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, ChunkSize);
    if (buffer != NULL) {
        int positioned = conv.kind == KindReverse
            ? SeekTo(output, 0)
            : SeekTo(source, 0) && SeekTo(output, 0);
        BarPainting painting;
        HoldBar(&painting, dialog);
        result = positioned && ConvertChunks(conv, source, output, buffer, size, &painting);
        PaintBar(&painting);
        GlobalFree(buffer);
    }
    // A source written by another program meanwhile has another length now.
    DWORD sizeAfter = 0;
    if (result && (!GetSmallFileSize(source, &sizeAfter) || sizeAfter != size))
        result = 0;
    // The temporary file must be on disk before it takes DestFile's place.
    if (result && (!KeepCreationTime(output, target) || !FlushFileBuffers(output)))
        result = 0;
    CloseHandle(output);
    CloseHandle(source);

    if (result && !PutInPlace(tempPath, destFile, target))
        result = 0;
    if (!result)
        DeleteFileA(tempPath);
    return result;
}

}  // namespace

int BitInvertFile(const char* srcFile, const char* destFile, HWND progressDlg)
{
    Conversion conv = { KindInvert, NULL, 0 };
    return ConvertFile(conv, srcFile, destFile, progressDlg);
}

int ReverseFile(const char* srcFile, const char* destFile, HWND progressDlg)
{
    Conversion conv = { KindReverse, NULL, 0 };
    return ConvertFile(conv, srcFile, destFile, progressDlg);
}

int PasswordFile(const char* srcFile, const char* destFile, const char* password,
                 HWND progressDlg)
{
    Conversion conv = { KindPassword, (const unsigned char*)password,
                        password != NULL ? (unsigned)strlen(password) : 0 };
    return ConvertFile(conv, srcFile, destFile, progressDlg);
}

void DrainMessageQueue(void)
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The program is asked to end: leave the quit message for the
            // loops above, and stop the work that drains here.
            PostQuitMessage((int)msg.wParam);
            CancelFlag = 1;
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
