// Speed of the byte kernels and of the file procedures, printed as one table.
//
// Kernel rows time each kernel on one 256 KiB buffer (the conversion chunk),
// best of several batches of about 100 ms, against memcpy of the same buffer
// or, for the password XOR, against its SSE2 path (the first version) and
// that path against the plain loop that divides by the password length for
// every byte. File rows convert a file that is already in
// the page cache through the real file procedures with a real progress
// dialog, against a plain ReadFile/WriteFile copy; further rows time the two
// parts of a conversion apart: the chunk loop with its transform, and the
// copy with a message drain after every chunk (what the conversions avoid);
// the stop row times a posted click on the stop button until the file
// procedure returns. Memory rows show the growth of the process's peak memory while files of two sizes
// are converted.
//
// Usage: bench_mirtavolen [--quick] [--file-mib N] [--small-mib N]
//   --quick      32 MiB and 4 MiB files, shorter batches, fewer rounds
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "benchutil.h"
#include "fillrandom.h"
#include "convert/fileconv.h"
#include "convert/transform.h"
#include "convert/transform_impl.h"
#include "res/resource.h"
#include "winutil.h"

namespace {

struct Options {
    unsigned fileMiB;
    unsigned smallMiB;
    double batchSeconds;
    int kernelRounds;
    int fileRounds;
};

const char BenchPassword[] = "パスワード";

// ---- Kernels and their references ----

unsigned char* KernelBuffer;
unsigned char* KernelCopy;
unsigned KernelBytes;

unsigned ReferenceState = 1;

// The per-byte password loop the table and lanes replace: one generator
// step and one division by the length for every byte. noipa: the compiler
// must not specialise it for the constant length of the benchmark's password
// and turn the division into a multiplication.
__attribute__((noipa)) void PlainPasswordLoop(const unsigned char* password, unsigned length,
                                                 unsigned char* buffer, unsigned count)
{
    unsigned state = ReferenceState;
    for (unsigned i = 0; i < count; ++i) {
        state = state * 214013u + 2531011u;
        buffer[i] ^= password[((state >> 16) & 0x7FFF) % length];
    }
    ReferenceState = state;
}

// Byte loops as the kernels were first written; compiled with the same
// options as the program.
__attribute__((noipa)) void PlainInvert(unsigned char* buffer, unsigned count)
{
    for (unsigned i = 0; i < count; ++i)
        buffer[i] = (unsigned char)~buffer[i];
}

__attribute__((noipa)) void PlainReverse(unsigned char* buffer, unsigned count)
{
    for (unsigned i = 0, j = count; i < count / 2; ++i) {
        --j;
        unsigned char t = buffer[i];
        buffer[i] = buffer[j];
        buffer[j] = t;
    }
}

void RunInvert() { InvertBytes(KernelBuffer, KernelBytes); }
void RunReverse() { ReverseBytes(KernelBuffer, KernelBytes); }
void RunReverseSse2() { ReverseBytesSse2(KernelBuffer, KernelBytes); }
void RunXor()
{
    XorPasswordBytes((const unsigned char*)BenchPassword, (unsigned)strlen(BenchPassword),
                     KernelBuffer, KernelBytes);
}
// XorPasswordBytes on one forced path, then back to the program's own choice.
void RunXorOn(XorPath path)
{
    SetXorPath(path);
    RunXor();
    SetXorPath(XorPathAutomatic);
}
void RunXorSsse3() { RunXorOn(XorPathSsse3); }
void RunXorSse2() { RunXorOn(XorPathSse2); }
void RunXorPortable() { RunXorOn(XorPathPortable); }
void RunMemcpy() { memcpy(KernelCopy, KernelBuffer, KernelBytes); }
void RunPlainPassword()
{
    PlainPasswordLoop((const unsigned char*)BenchPassword, (unsigned)strlen(BenchPassword),
                      KernelBuffer, KernelBytes);
}
void RunPlainInvert() { PlainInvert(KernelBuffer, KernelBytes); }
void RunPlainReverse() { PlainReverse(KernelBuffer, KernelBytes); }

enum Reference { ToMemcpy, ToPasswordLoop, ToSse2Password };

struct KernelRow {
    const char* name;
    void (*run)();
    Reference reference;
    double target;  // minimum ratio; 0: none
    double best;    // bytes per second
    unsigned reps;  // calls per batch, found in the first round
};

// Runs one batch of about batchSeconds and returns its rate in bytes per second.
double TimeBatch(KernelRow& row, double batchSeconds)
{
    // Once a thread has run 256-bit AVX instructions, SSE loops in it can
    // run at half speed until the thread next gives up the processor
    // (vzeroupper does not help; seen on an AMD EPYC under Wine): a short
    // sleep lets every batch start as a program that just waited for a
    // message or a file would.
    Sleep(1);
    if (row.reps == 0) {
        row.reps = 1;
        for (;;) {
            double start = Seconds();
            for (unsigned i = 0; i < row.reps; ++i)
                row.run();
            double elapsed = Seconds() - start;
            if (elapsed >= batchSeconds / 4 || row.reps >= (1u << 24)) {
                double scale = batchSeconds / (elapsed > 0 ? elapsed : 1e-6);
                row.reps = (unsigned)(row.reps * scale) + 1;
                break;
            }
            row.reps *= 2;
        }
    }
    double start = Seconds();
    for (unsigned i = 0; i < row.reps; ++i)
        row.run();
    double elapsed = Seconds() - start;
    return (double)KernelBytes * row.reps / elapsed;
}

// ---- Files ----

std::string BenchDir()
{
    return ExeDir() + "benchdata";
}

int WriteRandomFile(const std::string& path, unsigned mib, unsigned char* buffer)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    int ok = 1;
    for (unsigned chunk = 0; ok && chunk < mib * 4; ++chunk) {
        FillRandom(buffer, ChunkSize, chunk + 1);
        DWORD written = 0;
        ok = WriteFile(h, buffer, ChunkSize, &written, NULL) && written == ChunkSize;
    }
    CloseHandle(h);
    return ok;
}

// Reads the whole file once so that every timed run finds it in the page cache.
int ReadWhole(const std::string& path, unsigned char* buffer)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    DWORD got = 0;
    while (ReadFile(h, buffer, ChunkSize, &got, NULL) && got > 0) {
    }
    CloseHandle(h);
    return 1;
}

// What a conversion does apart from its bookkeeping, in separate pieces.
enum FileOp {
    OpCopy,             // the plain copy
    OpInvert,           // the file procedures, with the progress dialog
    OpReverse,
    OpPassword,
    OpLoopInvert,       // the chunk loop with the transform, no progress, no drain
    OpLoopReverse,
    OpLoopPassword,
    OpCopyWithDrains,   // the plain copy with the message drain of every chunk
    OpCopyFlushed,      // the copy flushed to disk before it is closed, as every
                        // conversion's output is: what conversions are measured against
};

// The chunk loop of a conversion without the dialog: read a chunk, apply the
// transform, write it. OpCopy applies nothing. The reverse kind reads the
// chunks from the last to the first, each after a seek, as ReverseFile does.
// OpCopyWithDrains applies nothing either but drains the message queue after
// every chunk, as the file procedures do (they also move the bar, which is
// drawn only every 30 ms).
int ChunkLoop(FileOp op, const char* srcFile, const char* destFile)
{
    HANDLE source = CreateFileA(srcFile, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    if (source == INVALID_HANDLE_VALUE)
        return 0;
    HANDLE output = CreateFileA(destFile, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    if (output == INVALID_HANDLE_VALUE) {
        CloseHandle(source);
        return 0;
    }
    unsigned char* buffer = (unsigned char*)GlobalAlloc(GMEM_FIXED, ChunkSize);
    DWORD size = GetFileSize(source, NULL);
    int ok = buffer != NULL && size != 0;
    if (op == OpLoopPassword)
        SeedPasswordRandom(PasswordSeed((const unsigned char*)BenchPassword,
                                        (unsigned)strlen(BenchPassword)));
    DWORD chunk = (size - 1) / ChunkSize;
    while (ok) {
        if (op == OpLoopReverse)
            ok = SetFilePointer(source, (LONG)(chunk * ChunkSize), NULL, FILE_BEGIN)
                != INVALID_SET_FILE_POINTER;
        DWORD got = 0;
        if (!ok || !ReadFile(source, buffer, ChunkSize, &got, NULL) || got == 0)
            break;
        if (op == OpLoopInvert)
            InvertBytes(buffer, got);
        else if (op == OpLoopReverse)
            ReverseBytes(buffer, got);
        else if (op == OpLoopPassword)
            XorPasswordBytes((const unsigned char*)BenchPassword, (unsigned)strlen(BenchPassword),
                             buffer, got);
        DWORD written = 0;
        ok = WriteFile(output, buffer, got, &written, NULL) && written == got;
        if (op == OpCopyWithDrains)
            DrainMessageQueue();
        if (op == OpLoopReverse) {
            if (chunk == 0)
                break;
            --chunk;
        }
    }
    // Flushed as a conversion's output is, but for the rows that show what
    // the flush costs and what a drain per chunk would cost.
    if (ok && op != OpCopy && op != OpCopyWithDrains)
        ok = FlushFileBuffers(output);
    if (buffer != NULL)
        GlobalFree(buffer);
    CloseHandle(output);
    CloseHandle(source);
    return ok;
}

// The stop button sets CancelFlag, as in the program's progress dialog.
INT_PTR CALLBACK ProgressProc(HWND, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        CancelFlag = 1;
        return TRUE;
    }
    return msg == WM_INITDIALOG;
}

int RunFileOp(FileOp op, const std::string& src, const std::string& dest, HWND dialog)
{
    switch (op) {
    case OpInvert:
        return BitInvertFile(src.c_str(), dest.c_str(), dialog);
    case OpReverse:
        return ReverseFile(src.c_str(), dest.c_str(), dialog);
    case OpPassword:
        return PasswordFile(src.c_str(), dest.c_str(), BenchPassword, dialog);
    default:
        return ChunkLoop(op, src.c_str(), dest.c_str());
    }
}

struct StopTrial {
    HWND dialog;
    DWORD delayMs;       // from the start of the conversion to the click
    volatile LONG done;  // the conversion has returned
    LARGE_INTEGER clicked;
};

DWORD WINAPI ClickStopLater(LPVOID param)
{
    StopTrial* trial = (StopTrial*)param;
    Sleep(trial->delayMs);
    if (trial->done)
        return 0;
    QueryPerformanceCounter(&trial->clicked);
    PostMessageA(trial->dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 (LPARAM)GetDlgItem(trial->dialog, IDCANCEL));
    return 0;
}

// Milliseconds from a click on the stop button, posted by another thread
// while the file is being converted, to the file procedure returning; -1
// when the conversion ended before the click.
double StopLatencyMs(FileOp op, const std::string& src, const std::string& dest, HWND dialog,
                     DWORD delayMs)
{
    StopTrial trial = { dialog, delayMs, 0, { { 0, 0 } } };
    CancelFlag = 0;
    HANDLE clicker = CreateThread(NULL, 0, ClickStopLater, &trial, 0, NULL);
    if (clicker == NULL)
        return -1;
    int converted = RunFileOp(op, src, dest, dialog);
    LARGE_INTEGER returned, frequency;
    QueryPerformanceCounter(&returned);
    QueryPerformanceFrequency(&frequency);
    InterlockedExchange(&trial.done, 1);
    WaitForSingleObject(clicker, INFINITE);
    CloseHandle(clicker);
    CancelFlag = 0;
    DrainMessageQueue();
    if (converted || trial.clicked.QuadPart == 0)
        return -1;
    return (double)(returned.QuadPart - trial.clicked.QuadPart) * 1000.0
        / (double)frequency.QuadPart;
}

struct FileRow {
    const char* name;
    FileOp op;
    double target;  // maximum ratio to the copy; 0: none
    double best;    // seconds
};

struct Memory {
    SIZE_T peakWorkingSet;
    SIZE_T peakPagefile;
};

Memory PeakMemory()
{
    PROCESS_MEMORY_COUNTERS counters;
    memset(&counters, 0, sizeof counters);
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    Memory m = { counters.PeakWorkingSetSize, counters.PeakPagefileUsage };
    return m;
}

long KiBGrowth(SIZE_T before, SIZE_T after)
{
    return (long)((after >= before ? after - before : 0) / 1024);
}

// ---- Output ----

void PrintHeader()
{
    PrintLine("%-7s %-30s %8s %13s %7s %-14s %s", "kind", "what", "size", "result", "ratio",
              "ratio to", "target");
}

const char* ReferenceName(Reference reference)
{
    return reference == ToMemcpy ? "memcpy" : reference == ToPasswordLoop ? "r mod L loop" : "SSE2 path";
}

void PrintKernelRow(const KernelRow& row, double memcpyRate, double loopRate, double sse2Rate)
{
    double base = row.reference == ToMemcpy ? memcpyRate
        : row.reference == ToPasswordLoop   ? loopRate
                                            : sse2Rate;
    char target[32] = "";
    if (row.target > 0)
        snprintf(target, sizeof target, ">= %.2f %s", row.target,
                 row.best / base >= row.target ? "met" : "MISSED");
    PrintLine("%-7s %-30s %8s %8.2f GB/s %7.2f %-14s %s", "kernel", row.name, "256 KiB",
              row.best / 1e9, row.best / base, ReferenceName(row.reference), target);
}

void PrintFileRow(const FileRow& row, unsigned mib, double copySeconds)
{
    char size[16];
    snprintf(size, sizeof size, "%u MiB", mib);
    char target[32] = "";
    if (row.target > 0)
        snprintf(target, sizeof target, "<= %.2f %s", row.target,
                 row.best / copySeconds <= row.target ? "met" : "MISSED");
    PrintLine("%-7s %-30s %8s %11.3f s %7.2f %-14s %s", "file", row.name, size, row.best,
              row.best / copySeconds, "copy", target);
}

void PrintMemoryRow(const char* what, unsigned mib, long kib)
{
    char size[16];
    snprintf(size, sizeof size, "%u MiB", mib);
    PrintLine("%-7s %-30s %8s %+9ld KiB", "memory", what, size, kib);
}

}  // namespace

int main(int argc, char** argv)
{
    Options options = { 256, 16, 0.1, 7, 7 };
    const Options quick = { 32, 4, 0.02, 3, 2 };
    if (!ReadCommandLine(argc, argv, "bench_mirtavolen [--quick] [--file-mib N] [--small-mib N]",
                         [&] { options = quick; },
                         { { "--file-mib", &options.fileMiB, 1, 2048 },
                           { "--small-mib", &options.smallMiB, 1, 2048 } }))
        return 2;

    // ---- Kernels ----
    KernelBytes = ChunkSize;
    KernelBuffer = (unsigned char*)_aligned_malloc(ChunkSize, 64);
    KernelCopy = (unsigned char*)_aligned_malloc(ChunkSize, 64);
    if (KernelBuffer == NULL || KernelCopy == NULL)
        return 1;
    FillRandom(KernelBuffer, ChunkSize, 1);
    FillRandom(KernelCopy, ChunkSize, 2);
    SeedPasswordRandom(PasswordSeed((const unsigned char*)BenchPassword,
                                    (unsigned)strlen(BenchPassword)));

    // XorPasswordBytes as the program runs it must be twice as fast as its
    // first version, the SSE2 path with eight lanes and the key table, which
    // is still there (for processors without SSSE3 and long passwords) and
    // is timed as its own row, against the plain loop.
    char xorName[40];
    snprintf(xorName, sizeof xorName, "XorPasswordBytes (%s)",
             XorPathName(XorPathFor((unsigned)strlen(BenchPassword))));
    KernelRow kernels[] = {
        { "InvertBytes", RunInvert, ToMemcpy, 0.7, 0, 0 },
        { CpuHasSsse3() ? "ReverseBytes (SSSE3)" : "ReverseBytes (SSE2)", RunReverse, ToMemcpy,
          0.5, 0, 0 },
        { "ReverseBytes, SSE2 path", RunReverseSse2, ToMemcpy, 0, 0, 0 },
        { xorName, RunXor, ToSse2Password, 2.0, 0, 0 },
        { "XorPasswordBytes, SSSE3 path", RunXorSsse3, ToSse2Password, 0, 0, 0 },
        { "XorPasswordBytes, SSE2 path", RunXorSse2, ToPasswordLoop, 0, 0, 0 },
        { "XorPasswordBytes, portable", RunXorPortable, ToPasswordLoop, 0, 0, 0 },
        { "memcpy", RunMemcpy, ToMemcpy, 0, 0, 0 },
        { "password byte loop, r mod L", RunPlainPassword, ToPasswordLoop, 0, 0, 0 },
        { "invert byte loop", RunPlainInvert, ToMemcpy, 0, 0, 0 },
        { "reverse byte loop", RunPlainReverse, ToMemcpy, 0, 0, 0 },
    };
    const int kernelCount = (int)(sizeof kernels / sizeof kernels[0]);
    // A path this processor lacks is left out of the table.
    bool kernelRuns[kernelCount];
    for (int k = 0; k < kernelCount; ++k)
        kernelRuns[k] = kernels[k].run != RunXorSsse3 || CpuHasSsse3();
    // Rounds go over every kernel in turn, so that a burst of load from
    // elsewhere on the machine does not fall on one kernel only.
    for (int round = 0; round < options.kernelRounds; ++round)
        for (int k = 0; k < kernelCount; ++k) {
            if (!kernelRuns[k])
                continue;
            double rate = TimeBatch(kernels[k], options.batchSeconds);
            if (rate > kernels[k].best)
                kernels[k].best = rate;
        }
    double memcpyRate = 0, loopRate = 0, sse2Rate = 0;
    for (int k = 0; k < kernelCount; ++k) {
        if (kernels[k].run == RunMemcpy)
            memcpyRate = kernels[k].best;
        if (kernels[k].run == RunPlainPassword)
            loopRate = kernels[k].best;
        if (kernels[k].run == RunXorSse2)
            sse2Rate = kernels[k].best;
    }
    _aligned_free(KernelBuffer);
    _aligned_free(KernelCopy);

    // ---- Files ----
    INITCOMMONCONTROLSEX icc = { sizeof icc, ICC_PROGRESS_CLASS };
    InitCommonControlsEx(&icc);
    HWND dialog = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_PROGRESS), NULL,
                                     ProgressProc, 0);
    if (dialog == NULL) {
        fprintf(stderr, "bench: cannot create the progress dialog (error %lu)\n", GetLastError());
        return 1;
    }
    SendDlgItemMessageA(dialog, IDC_PROG_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    DrainMessageQueue();

    std::string dir = BenchDir();
    CreateDirectoryA(dir.c_str(), NULL);
    std::string small = dir + "\\small.bin";
    std::string large = dir + "\\large.bin";
    std::string output = dir + "\\out.bin";
    unsigned char* buffer = (unsigned char*)GlobalAlloc(GMEM_FIXED, ChunkSize);
    int ok = buffer != NULL && WriteRandomFile(small, options.smallMiB, buffer)
        && WriteRandomFile(large, options.fileMiB, buffer) && ReadWhole(small, buffer)
        && ReadWhole(large, buffer);
    if (buffer != NULL)
        GlobalFree(buffer);

    // Memory first: the peak counters only grow, so the smaller file goes
    // first and each step shows what converting a larger file adds.
    static const FileOp conversions[] = { OpInvert, OpReverse, OpPassword };
    long workingSetGrowth[2] = { 0, 0 };
    long pagefileGrowth[2] = { 0, 0 };
    const std::string* memoryFiles[2] = { &small, &large };
    for (int f = 0; ok && f < 2; ++f) {
        Memory before = PeakMemory();
        for (FileOp op : conversions) {
            DeleteFileA(output.c_str());
            ok = ok && RunFileOp(op, *memoryFiles[f], output, dialog);
        }
        Memory after = PeakMemory();
        workingSetGrowth[f] = KiBGrowth(before.peakWorkingSet, after.peakWorkingSet);
        pagefileGrowth[f] = KiBGrowth(before.peakPagefile, after.peakPagefile);
    }

    // The copy every conversion is measured against is flushed to disk
    // before it is closed, as the output of a conversion is before it takes
    // its place. The indented rows take a conversion apart: its chunk loop
    // with the transform (not flushed); for comparison, the copy with a
    // message drain after every chunk, and the copy without the flush.
    FileRow files[] = {
        { "ReadFile/WriteFile copy", OpCopyFlushed, 0, 0 },
        { "BitInvertFile", OpInvert, 1.10, 0 },
        { "ReverseFile", OpReverse, 1.10, 0 },
        { "PasswordFile", OpPassword, 1.30, 0 },
        { "  chunk loop with InvertBytes", OpLoopInvert, 0, 0 },
        { "  chunk loop with ReverseBytes", OpLoopReverse, 0, 0 },
        { "  chunk loop with XorPassword", OpLoopPassword, 0, 0 },
        { "  copy and a drain per chunk", OpCopyWithDrains, 0, 0 },
        { "  copy, not flushed", OpCopy, 0, 0 },
    };
    const int fileCount = (int)(sizeof files / sizeof files[0]);
    for (int round = 0; ok && round < options.fileRounds; ++round)
        for (int f = 0; ok && f < fileCount; ++f) {
            DeleteFileA(output.c_str());
            double start = Seconds();
            ok = RunFileOp(files[f].op, large, output, dialog);
            double elapsed = Seconds() - start;
            if (files[f].best == 0 || elapsed < files[f].best)
                files[f].best = elapsed;
        }

    // The stop button clicked at moments spread over a conversion of each
    // kind; the slowest answer counts.
    const double StopTargetMs = 50;
    double worstStopMs = 0;
    int stopTrials = 0;
    for (int round = 0; ok && round < options.fileRounds; ++round)
        for (FileOp op : conversions) {
            DeleteFileA(output.c_str());
            double ms = StopLatencyMs(op, large, output, dialog,
                                      (DWORD)(10 + 13 * round + 3 * (int)op));
            if (ms >= 0) {
                ++stopTrials;
                if (ms > worstStopMs)
                    worstStopMs = ms;
            }
        }

    DeleteFileA(output.c_str());
    DeleteFileA(small.c_str());
    DeleteFileA(large.c_str());
    RemoveDirectoryA(dir.c_str());
    DestroyWindow(dialog);
    if (!ok) {
        fprintf(stderr, "bench: a file step failed in %s (error %lu)\n", dir.c_str(),
                GetLastError());
        return 1;
    }

    // ---- Table ----
    PrintLine("Mirtavolen benchmark %s: kernels best of %d x %.0f ms, files best of %d",
              Today().c_str(), options.kernelRounds, options.batchSeconds * 1000,
              options.fileRounds);
    PrintHeader();
    for (int k = 0; k < kernelCount; ++k)
        if (kernelRuns[k])
            PrintKernelRow(kernels[k], memcpyRate, loopRate, sse2Rate);
    for (int f = 0; f < fileCount; ++f)
        PrintFileRow(files[f], options.fileMiB, files[0].best);
    char stopSize[16];
    snprintf(stopSize, sizeof stopSize, "%u MiB", options.fileMiB);
    PrintLine("%-7s %-30s %8s %10.1f ms %7s %-14s < %.0f ms %s (worst of %d)", "file",
              "stop: click to return", stopSize, worstStopMs, "", "", StopTargetMs,
              stopTrials > 0 && worstStopMs < StopTargetMs ? "met" : "MISSED", stopTrials);
    PrintMemoryRow("peak working set growth", options.smallMiB, workingSetGrowth[0]);
    PrintMemoryRow("peak working set growth", options.fileMiB, workingSetGrowth[1]);
    PrintMemoryRow("peak pagefile usage growth", options.smallMiB, pagefileGrowth[0]);
    PrintMemoryRow("peak pagefile usage growth", options.fileMiB, pagefileGrowth[1]);
    return 0;
}
