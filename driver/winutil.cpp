#include "winutil.h"

#include <vector>

std::string ExeDir()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\') + 1);
}

double Seconds()
{
    static LARGE_INTEGER frequency = { { 0, 0 } };
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

bool StartProgram(const std::string& commandLine, HANDLE* process)
{
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');  // CreateProcessA may write into the command line
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started;
    if (!CreateProcessA(NULL, buffer.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &started))
        return false;
    CloseHandle(started.hThread);  // under Wine both are null for a Linux program
    if (process != NULL)
        *process = started.hProcess;
    else
        CloseHandle(started.hProcess);
    return true;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

long long FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return ((long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

bool WriteData(const std::string& path, const void* data, size_t size)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const char* bytes = (const char*)data;
    bool ok = true;
    size_t done = 0;
    while (ok && done < size) {
        DWORD part = (DWORD)(size - done < (1u << 20) ? size - done : (1u << 20));
        DWORD written = 0;
        ok = WriteFile(h, bytes + done, part, &written, NULL) && written == part;
        done += part;
    }
    CloseHandle(h);
    return ok;
}

bool WriteText(const std::string& path, const std::string& text)
{
    return WriteData(path, text.data(), text.size());
}

std::wstring Wide(const std::string& text)
{
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, NULL, 0);
    std::wstring wide(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1)
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], n);
    return wide;
}

std::wstring LongPathW(const std::string& path)
{
    return L"\\\\?\\" + Wide(path);
}

std::string UnixPath(const std::string& path)
{
    typedef char*(CDECL * UnixFileNameFn)(LPCWSTR);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    FARPROC found = kernel ? GetProcAddress(kernel, "wine_get_unix_file_name") : NULL;
    if (found == NULL)
        return std::string();
    UnixFileNameFn unixName = reinterpret_cast<UnixFileNameFn>(reinterpret_cast<void*>(found));
    char* name = unixName(LongPathW(path).c_str() + 4);  // without "\\?\\"
    if (name == NULL)
        return std::string();
    std::string result(name);
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

bool RunLinuxCommand(const std::string& command)
{
    // Wine starts a Linux executable named by its Windows path natively,
    // but gives no handle to wait on: the command marks its end in a file.
    static int count = 0;
    const std::string marker = ExeDir() + "linux-" + std::to_string(GetCurrentProcessId()) + "-"
        + std::to_string(++count) + ".done";
    DeleteFileA(marker.c_str());
    const std::string markerUnix = UnixPath(marker);
    if (markerUnix.empty())
        return false;
    if (!StartProgram("Z:\\bin\\sh -c \"" + command + "; touch '" + markerUnix + "'\"", NULL))
        return false;
    bool done = false;
    for (DWORD start = GetTickCount(); !done && GetTickCount() - start < 10000; Sleep(5))
        done = FileExists(marker);
    DeleteFileA(marker.c_str());
    return done;
}

namespace {

// Wide calls with the "\\?\" prefix, so that deep trees go as well.
// The path the file system resolves path to (links followed), or "" when
// it cannot tell.
std::wstring FinalPathOf(const std::wstring& path)
{
    typedef DWORD(WINAPI * FinalPathFn)(HANDLE, LPWSTR, DWORD, DWORD);
    static FinalPathFn finalPath = (FinalPathFn)(void*)GetProcAddress(
        GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleW");
    HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           NULL, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (h == INVALID_HANDLE_VALUE || finalPath == NULL) {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
        return L"";
    }
    WCHAR buffer[MAX_PATH * 4];
    DWORD n = finalPath(h, buffer, MAX_PATH * 4, 0);
    CloseHandle(h);
    return n > 0 && n < MAX_PATH * 4 ? std::wstring(buffer, n) : L"";
}

// Removes a link itself: from the Linux side under Wine, where DeleteFile
// and RemoveDirectory of a symbolic link delete the file or the (empty)
// folder it points to and leave the link; a junction of Windows with
// RemoveDirectory.
void RemoveLink(const std::wstring& path)
{
    std::wstring plain = path.compare(0, 4, L"\\\\?\\") == 0 ? path.substr(4) : path;
    char narrow[MAX_PATH * 4];
    std::string unixPath;
    if (WideCharToMultiByte(CP_ACP, 0, plain.c_str(), -1, narrow, sizeof narrow, NULL, NULL) > 0)
        unixPath = UnixPath(narrow);
    if (!unixPath.empty())
        RunLinuxCommand("rm -f '" + unixPath + "'");
    else
        RemoveDirectoryW(path.c_str());
}

// Deletes what is below path, then path. A link below it is removed
// itself, never what it points to.
void RemoveTreeW(const std::wstring& path)
{
    std::wstring resolved = FinalPathOf(path);
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring child = path + L"\\" + name;
            std::wstring childResolved = FinalPathOf(child);
            bool linked = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0
                || (!resolved.empty() && !childResolved.empty()
                    && lstrcmpiW((resolved + L"\\" + name).c_str(), childResolved.c_str()) != 0);
            if (linked) {
                RemoveLink(child);
            } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTreeW(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(h, &found));
        FindClose(h);
    }
    RemoveDirectoryW(path.c_str());
}

}  // namespace

void RemoveTree(const std::string& path)
{
    RemoveTreeW(LongPathW(path));
}

std::string UserName()
{
    char user[256];
    DWORD size = sizeof user;
    if (!GetUserNameA(user, &size))
        return "DefUser";
    return user;
}

std::string WindowText(HWND window)
{
    char text[1024];
    int n = GetWindowTextA(window, text, sizeof text);
    return std::string(text, n > 0 ? n : 0);
}
