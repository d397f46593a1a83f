#include "convert/fileconv.h"

#include <commctrl.h>
#include <string.h>

#include "convert/transform.h"
#include "res/resource.h"
#include "support/paths.h"
#include "support/text.h"

int CancelFlag = 0;
const char TempFileName[] = "_Mirtavolen.tmp";

namespace {

enum ConvKind { KindInvert, KindReverse, KindPassword };

// What the progress dialog shows as the type of each kind.
const char* const KindText[] = { "ビット反転", "リバース", "パスワード" };

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

// The progress bar takes its position after every chunk, but is drawn at
// most every BarRepaintMs: a repaint can cost more than converting a chunk
// (about a millisecond under Wine), while the eye needs no more than this.
const DWORD BarRepaintMs = 30;

struct BarPainting {
    HWND bar;
    DWORD lastPaint;
};

// Stops the bar drawing itself on every position; PaintBar lets it draw.
void HoldBar(BarPainting* painting, HWND dialog)
{
    painting->bar = GetDlgItem(dialog, IDC_PROG_BAR);
    painting->lastPaint = GetTickCount();
    SendMessageA(painting->bar, WM_SETREDRAW, FALSE, 0);
}

void PaintBar(BarPainting* painting)
{
    SendMessageA(painting->bar, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(painting->bar, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    painting->lastPaint = GetTickCount();
}

// Moves the bar to the whole percentage of total in size (computed in 64
// bits: total * 100 overflows 32 bits beyond 42 MB).
void ShowProgress(BarPainting* painting, DWORD total, DWORD size)
{
    unsigned percent = (unsigned)((unsigned long long)total * 100u / size);
    SendMessageA(painting->bar, PBM_SETPOS, percent, 0);
    if (GetTickCount() - painting->lastPaint >= BarRepaintMs) {
        PaintBar(painting);
        SendMessageA(painting->bar, WM_SETREDRAW, FALSE, 0);
    }
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

// The chunk loop. Returns 1 when every chunk was converted and written.
int ConvertChunks(const Conversion& conv, HANDLE source, HANDLE output,
                  unsigned char* buffer, DWORD size, BarPainting* painting)
{
    DWORD total = 0;
    DWORD chunk = (size - 1) / ChunkSize;  // reverse: from the last chunk down
    for (;;) {
        if (CancelFlag)
            return 0;
        if (conv.kind == KindReverse && !SeekTo(source, chunk * ChunkSize))
            return 0;
        DWORD got = 0;
        if (!ReadFile(source, buffer, ChunkSize, &got, NULL))
            return 0;
        if (got == 0)
            return 1;
        ApplyChunk(conv, buffer, got);
        DWORD written = 0;
        if (!WriteFile(output, buffer, got, &written, NULL) || written != got)
            return 0;
        total += written;
        if (total != 0)
            ShowProgress(painting, total, size);
        DrainMessageQueue();
        if (conv.kind == KindReverse) {
            if (chunk == 0)
                return 1;
            --chunk;
        }
    }
}

// Replaces DestFile by the finished temporary file with one rename, so the
// source holds either its old or its new bytes whatever happens. A read-only
// source is refused here as Windows refuses to replace it (Wine would not).
int ReplaceWithTemp(const char* tempPath, const char* destFile)
{
    DWORD attributes = GetFileAttributesA(destFile);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return 0;
    return MoveFileExA(tempPath, destFile, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 1 : 0;
}

int IsGiven(const char* text)
{
    return text != NULL && text[0] != '\0';
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

    int inPlace = lstrcmpA(srcFile, destFile) == 0;
    char outPath[MAX_PATH];
    if (inPlace) {
        if (!JoinPath(outPath, outDir, TempFileName))
            return 0;
    } else {
        memcpy(outPath, destFile, strlen(destFile) + 1);
    }

    HANDLE source = CreateFileA(srcFile, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    if (source == INVALID_HANDLE_VALUE)
        return 0;
    DWORD size = 0;
    if (!GetSmallFileSize(source, &size)) {
        CloseHandle(source);
        return 0;
    }

    HANDLE output = CreateFileA(outPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    if (output == INVALID_HANDLE_VALUE) {
        CloseHandle(source);
        return 0;
    }

    int result = 0;
    unsigned char* buffer = NULL;
    if (size != 0)
        buffer = (unsigned char*)GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, ChunkSize);
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
    // The temporary file must be on disk before it replaces the source.
    if (result && inPlace && !FlushFileBuffers(output))
        result = 0;
    CloseHandle(output);
    CloseHandle(source);

    if (!result) {
        DeleteFileA(outPath);
        return 0;
    }
    if (inPlace && !ReplaceWithTemp(outPath, destFile)) {
        DeleteFileA(outPath);
        return 0;
    }
    return 1;
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
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
