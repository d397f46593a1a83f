// The floor of a batch of small files: for each file only the system work
// that a conversion of it cannot do without, as Mirtavolen does it, and
// nothing else (no window, no checks, no transform: 4 KiB invert in about a
// microsecond). Per file: open the source, read it, write a new temporary
// file in the output folder, flush it to disk, close both, rename the
// temporary file over the target. The output folder is created once, as a
// batch does. bench_outside starts it under the same Wine as the program.
//
// Usage: bench_floor RESULT OUTDIR FILE...
//   OUTDIR  the folder the files are written into, or "-": each file is
//           replaced in place, its temporary file beside it
// RESULT receives one line: the seconds the files took, or "failed", the
// file and the error. The exit code is 0 when every file was done.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "convert/transform.h"

namespace {

const char TempName[] = "_floor.tmp";

std::string FolderOf(const std::string& path)
{
    return path.substr(0, path.find_last_of('\\'));
}

std::string NameOf(const std::string& path)
{
    return path.substr(path.find_last_of('\\') + 1);
}

// Copies source into a new temporary file of folder, chunk by chunk, and
// flushes it. The handle is closed in every case.
int WriteTemporary(HANDLE source, const std::string& temp, unsigned char* buffer)
{
    HANDLE output = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    if (output == INVALID_HANDLE_VALUE)
        return 0;
    int ok = 1;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(source, buffer, ChunkSize, &got, NULL)) {
            ok = 0;
            break;
        }
        if (got == 0)
            break;
        DWORD written = 0;
        if (!WriteFile(output, buffer, got, &written, NULL) || written != got) {
            ok = 0;
            break;
        }
        if (got < ChunkSize)
            break;
    }
    ok = ok && FlushFileBuffers(output);
    CloseHandle(output);
    return ok;
}

// One file: in place when outDir is empty. A new output replaces no file,
// as a conversion's never does.
int FloorFile(const std::string& file, const std::string& outDir, unsigned char* buffer)
{
    const bool inPlace = outDir.empty();
    const std::string temp = (inPlace ? FolderOf(file) : outDir) + "\\" + TempName;
    const std::string target = inPlace ? file : outDir + "\\" + NameOf(file);
    HANDLE source = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    if (source == INVALID_HANDLE_VALUE)
        return 0;
    int ok = WriteTemporary(source, temp, buffer);
    CloseHandle(source);
    DWORD flags = MOVEFILE_WRITE_THROUGH | (inPlace ? MOVEFILE_REPLACE_EXISTING : 0);
    ok = ok && MoveFileExA(temp.c_str(), target.c_str(), flags);
    if (!ok) {
        DWORD error = GetLastError();
        DeleteFileA(temp.c_str());
        SetLastError(error);
    }
    return ok;
}

double Seconds()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: bench_floor RESULT OUTDIR|- FILE...\n");
        return 2;
    }
    const std::string outDir = strcmp(argv[2], "-") == 0 ? "" : argv[2];
    unsigned char* buffer = (unsigned char*)GlobalAlloc(GMEM_FIXED, ChunkSize);
    if (buffer == NULL)
        return 1;
    char result[600];
    double start = Seconds();
    int ok = outDir.empty() || CreateDirectoryA(outDir.c_str(), NULL)
        || GetLastError() == ERROR_ALREADY_EXISTS;
    if (!ok)
        snprintf(result, sizeof result, "failed %s error %lu\n", outDir.c_str(), GetLastError());
    for (int i = 3; ok && i < argc; ++i) {
        ok = FloorFile(argv[i], outDir, buffer);
        if (!ok)
            snprintf(result, sizeof result, "failed %s error %lu\n", argv[i], GetLastError());
    }
    if (ok)
        snprintf(result, sizeof result, "%.6f\n", Seconds() - start);
    GlobalFree(buffer);
    FILE* file = fopen(argv[1], "w");
    if (file == NULL)
        return 1;
    fputs(result, file);
    return fclose(file) == 0 && ok ? 0 : 1;
}
