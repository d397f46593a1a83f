#include "convert/fileconv.h"

#include <commctrl.h>
#include <string.h>

#include "convert/progressview.h"
#include "convert/transform.h"
#include "joblist/joblabel.h"
#include "res/resource.h"
#include "support/paths.h"
#include "support/text.h"

int CancelFlag = 0;

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

// The message queue is drained before the first chunk, after the last,
// and in between whenever DrainIntervalMs have passed since the last drain
// (DrainMessageQueueWhenDue): a click on the stop button is seen within
// that time plus one chunk, while a fast disk does not pay a round trip to
// the window system for every chunk. A chunk slower than that drains after
// every chunk.
DWORD LastDrain = 0;

// The chunk buffer a batch lends its files (KeepChunkBuffer), or null.
unsigned char* KeptBuffer = NULL;

// Moves the bar to the whole percentage of total in size (computed in 64
// bits: total * 100 overflows 32 bits beyond 42 MB).
void ShowProgress(HWND dialog, DWORD total, DWORD size)
{
    ShowProgressPosition(dialog, (unsigned)((unsigned long long)total * 100u / size));
    PaintProgressWhenDue(dialog);
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
                  unsigned char* buffer, DWORD size, HWND dialog)
{
    DWORD total = 0;
    DWORD chunk = (size - 1) / ChunkSize;  // reverse: from the last chunk down
    DrainMessageQueue();
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
        ShowProgress(dialog, total, size);
        if (total == size)
            DrainMessageQueue();
        else
            DrainMessageQueueWhenDue();
        if (conv.kind == KindReverse) {
            if (chunk == 0)
                return 1;
            --chunk;
        }
    }
}

int IsGiven(const char* text)
{
    return text != NULL && text[0] != '\0';
}

// Opens the source for reading, a disk file below 4 GiB. Its size and
// facts are returned; INVALID_HANDLE_VALUE on any refusal.
HANDLE OpenSource(const char* srcFile, DWORD* size, FileFacts* facts)
{
    HANDLE source = CreateFileA(srcFile, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    if (source == INVALID_HANDLE_VALUE)
        return source;
    // Sizes are 32-bit: a file of 4 GiB or more cannot be converted.
    if (GetFileType(source) != FILE_TYPE_DISK || !ReadFileFacts(source, facts)
        || facts->size > 0xFFFFFFFFull) {
        CloseHandle(source);
        return INVALID_HANDLE_VALUE;
    }
    *size = (DWORD)facts->size;
    return source;
}

// Opens the source, refuses what cannot be converted, and finds out what
// DestFile is (known: as looked at by the caller; null: looked at here).
// Returns the source's handle, or INVALID_HANDLE_VALUE on a refusal.
HANDLE PrepareFiles(const char* srcFile, const char* destFile, int inPlace, DWORD* size,
                    const TargetState* known, TargetState* target)
{
    FileFacts sourceFacts;
    HANDLE source = OpenSource(srcFile, size, &sourceFacts);
    if (source == INVALID_HANDLE_VALUE)
        return source;
    if (known != NULL)
        *target = *known;
    else if (inPlace)
        InspectOpenFile(source, destFile, sourceFacts, target);
    else
        InspectDestFile(destFile, target);
    if (*size == 0 || !MayReplace(*target, destFile, source, sourceFacts, inPlace)) {
        CloseHandle(source);
        return INVALID_HANDLE_VALUE;
    }
    return source;
}

// The chunk loop between the open files, with its buffer. 1 when the
// whole source went into the output and is on disk, with its length
// unchanged meanwhile.
int ConvertOpenFiles(const Conversion& conv, HANDLE source, HANDLE output, DWORD size,
                     HWND dialog)
{
    int result = 0;
    unsigned char* buffer = KeptBuffer != NULL
        ? KeptBuffer
        : (unsigned char*)GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, ChunkSize);
    if (buffer != NULL) {
        int positioned = conv.kind == KindReverse
            ? SeekTo(output, 0)
            : SeekTo(source, 0) && SeekTo(output, 0);
        result = positioned && ConvertChunks(conv, source, output, buffer, size, dialog);
        if (buffer != KeptBuffer)
            GlobalFree(buffer);
    }
    // A source written by another program meanwhile has another length now.
    DWORD sizeAfter = 0;
    if (result && (!GetSmallFileSize(source, &sizeAfter) || sizeAfter != size))
        result = 0;
    // The temporary file must be on disk before it takes DestFile's place.
    return result && FlushFileBuffers(output);
}

int ConvertFile(const Conversion& conv, const char* srcFile, const char* destFile, HWND dialog,
                const TargetState* known)
{
    // Arguments: both paths within 259 bytes, DestFile with a directory.
    if (!IsGiven(srcFile) || !IsGiven(destFile) || dialog == NULL)
        return 0;
    if (conv.kind == KindPassword && (conv.password == NULL || conv.password[0] == '\0'))
        return 0;
    if (strlen(srcFile) >= MAX_PATH || strlen(destFile) >= MAX_PATH
        || FindLastSeparator(destFile) < 0)
        return 0;

    // On its own the file holds the dialog for itself; in a batch the
    // batch holds it.
    int ownHold = !ProgressHeld(dialog);
    if (ownHold)
        HoldProgress(dialog);
    ShowProgressFile(dialog, srcFile, KindText[conv.kind]);
    if (conv.kind == KindPassword)
        SeedPasswordRandom(PasswordSeed(conv.password, conv.passwordLength));

    // Everything is checked before anything is created or written: the
    // output goes to a temporary file of its own (its folder made if
    // missing), which takes DestFile's place only once it is complete and
    // on disk.
    char outDir[MAX_PATH];
    const int inPlace = lstrcmpA(srcFile, destFile) == 0;
    DWORD size = 0;
    TargetState target;
    char tempPath[MAX_PATH] = "";
    HANDLE source = INVALID_HANDLE_VALUE;
    HANDLE output = INVALID_HANDLE_VALUE;
    if (SplitPath(destFile, outDir, NULL, 0) >= 0)
        source = PrepareFiles(srcFile, destFile, inPlace, &size, known, &target);
    if (source != INVALID_HANDLE_VALUE)
        output = CreateTempOutput(outDir, tempPath);

    int result = 0;
    if (output != INVALID_HANDLE_VALUE) {
        result = ConvertOpenFiles(conv, source, output, size, dialog)
            && FinishTempOutput(output, tempPath, destFile, target);
        CloseHandle(output);
    }
    if (source != INVALID_HANDLE_VALUE)
        CloseHandle(source);
    if (result && !PutInPlace(tempPath, destFile, target))
        result = 0;
    if (!result && tempPath[0] != '\0')
        RemoveTempOutput(tempPath);
    if (ownHold)
        ReleaseProgress(dialog);
    return result;
}

}  // namespace

int BitInvertFile(const char* srcFile, const char* destFile, HWND progressDlg)
{
    return ConvertFileOfType(ConvInvert, srcFile, destFile, NULL, progressDlg, NULL);
}

int ReverseFile(const char* srcFile, const char* destFile, HWND progressDlg)
{
    return ConvertFileOfType(ConvReverse, srcFile, destFile, NULL, progressDlg, NULL);
}

int PasswordFile(const char* srcFile, const char* destFile, const char* password,
                 HWND progressDlg)
{
    return ConvertFileOfType(ConvPassword, srcFile, destFile, password, progressDlg, NULL);
}

int ConvertFileOfType(int type, const char* srcFile, const char* destFile, const char* password,
                      HWND progressDlg, const TargetState* known)
{
    Conversion conv = { KindInvert, NULL, 0 };
    switch (type) {
    case ConvInvert:
        break;
    case ConvReverse:
        conv.kind = KindReverse;
        break;
    case ConvPassword:
        conv.kind = KindPassword;
        conv.password = (const unsigned char*)password;
        conv.passwordLength = password != NULL ? (unsigned)strlen(password) : 0;
        break;
    default:
        return 0;
    }
    return ConvertFile(conv, srcFile, destFile, progressDlg, known);
}

int KeepChunkBuffer(void)
{
    if (KeptBuffer == NULL)
        KeptBuffer = (unsigned char*)GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, ChunkSize);
    return KeptBuffer != NULL;
}

void FreeChunkBuffer(void)
{
    if (KeptBuffer != NULL)
        GlobalFree(KeptBuffer);
    KeptBuffer = NULL;
}

void DrainMessageQueueWhenDue(void)
{
    if (GetTickCount() - LastDrain >= DrainIntervalMs)
        DrainMessageQueue();
}

void DrainMessageQueue(void)
{
    LastDrain = GetTickCount();
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
