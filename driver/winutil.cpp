#include "winutil.h"

std::string ExeDir()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\') + 1);
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
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

std::wstring LongPathW(const std::string& path)
{
    int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, NULL, 0);
    std::wstring wide(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1)
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], n);
    return L"\\\\?\\" + wide;
}

namespace {

// Wide calls with the "\\?\" prefix, so that deep trees go as well.
void RemoveTreeW(const std::wstring& path)
{
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring child = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
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
