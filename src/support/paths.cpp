#include "support/paths.h"

#include <string.h>

#include "support/text.h"

namespace {

// Makes path absolute against the current directory into work (260 bytes).
// joinAlways: add a separator unless the path begins with one (directory
// creation); otherwise add one unless the current directory ends with one.
int JoinWithCurrentDir(char* work, const char* path, int joinAlways)
{
    DWORD got = GetCurrentDirectoryA(MAX_PATH, work);
    if (got == 0 || got >= MAX_PATH)
        return 0;
    int addSep = joinAlways ? (path[0] != '\\') : !EndsWithSeparator(work);
    if (addSep && !AppendText(work, MAX_PATH, "\\"))
        return 0;
    return AppendText(work, MAX_PATH, path);
}

int IsDriveRoot(const char* s)
{
    return strlen(s) == 3 && s[1] == ':' && s[2] == '\\';
}

}  // namespace

int PathExists(const char* path)
{
    if (path == NULL || path[0] == '\0')
        return 0;

    char work[MAX_PATH];
    if (path[1] == ':') {
        if (strlen(path) < 3 || !CopyText(work, sizeof work, path))
            return 0;
    } else if (!JoinWithCurrentDir(work, path, 0)) {
        return 0;
    }

    size_t n = strlen(work);
    if (n > 3 && EndsWithSeparator(work))
        work[n - 1] = '\0';

    if (IsDriveRoot(work)) {
        UINT type = GetDriveTypeA(work);
        return (type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR) ? 0 : 1;
    }

    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA(work, &found);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(h);
    return 1;
}

int CreateDirectoryTree(const char* path)
{
    if (path == NULL || path[0] == '\0')
        return 0;

    char full[MAX_PATH];
    if (path[1] == ':') {
        if (!CopyText(full, sizeof full, path))
            return 0;
    } else if (!JoinWithCurrentDir(full, path, 1)) {
        return 0;
    }

    if (PathExists(full))
        return 1;
    if (strlen(full) <= 3)
        return 0;

    char parent[MAX_PATH];
    memcpy(parent, full, strlen(full) + 1);
    int p = FindLastSeparator(parent);
    if (p < 0)
        return 0;
    if (p > 0 && parent[p - 1] == ':')
        parent[p + 1] = '\0';  // a drive root keeps its backslash
    else
        parent[p] = '\0';

    if (!CreateDirectoryTree(parent))
        return 0;
    return CreateDirectoryA(full, NULL);
}

int GetModuleDir(char* out, int keepSlash)
{
    char module[MAX_PATH];
    DWORD got = GetModuleFileNameA(NULL, module, MAX_PATH);
    if (got == 0 || got >= MAX_PATH) {
        out[0] = '\0';
        return 0;
    }

    // Without the shell's long form the name as reported still names the
    // same directory.
    char longName[MAX_PATH];
    unsigned n = ResolveLongPath(module, longName, MAX_PATH);
    const char* name = (n > 0 && n < MAX_PATH) ? longName : module;

    char dir[MAX_PATH];
    memcpy(dir, name, strlen(name) + 1);
    int p = FindLastSeparator(dir);
    if (p < 0) {
        out[0] = '\0';
        return 0;
    }
    dir[keepSlash ? p + 1 : p] = '\0';
    memcpy(out, dir, strlen(dir) + 1);
    return (int)strlen(out);
}

unsigned ResolveLongPath(const char* path, char* out, unsigned outSize)
{
    if (path == NULL || strlen(path) >= MAX_PATH)
        return 0;

    IMalloc* alloc = NULL;
    if (FAILED(SHGetMalloc(&alloc)) || alloc == NULL)
        return 0;
    IShellFolder* desktop = NULL;
    if (FAILED(SHGetDesktopFolder(&desktop)) || desktop == NULL) {
        alloc->Release();
        return 0;
    }

    WCHAR wide[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) == 0) {
        desktop->Release();
        alloc->Release();
        return 0;
    }

    ULONG eaten = 0;
    LPITEMIDLIST list = NULL;
    if (FAILED(desktop->ParseDisplayName(NULL, NULL, wide, &eaten, &list, NULL)) || list == NULL) {
        desktop->Release();
        alloc->Release();
        return 0;
    }

    char result[MAX_PATH];
    result[0] = '\0';
    BOOL ok = SHGetPathFromIDListA(list, result);

    alloc->Free(list);
    desktop->Release();
    alloc->Release();

    if (ok != 1)
        return 0;
    unsigned len = (unsigned)strlen(result);
    if (outSize > len) {
        memcpy(out, result, len + 1);
        return len;
    }
    return len + 1;
}

namespace {

// Preselects the start folder once the browser is up.
int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM data)
{
    if (message == BFFM_INITIALIZED && data != 0)
        SendMessageA(window, BFFM_SETSELECTIONA, 1, data);
    return 0;
}

}  // namespace

int BrowseForFolder(HWND owner, const char* title, const char* startFolder, char* outPath)
{
    BROWSEINFOA info;
    ZeroMemory(&info, sizeof info);
    info.hwndOwner = owner;
    info.lpszTitle = title;
    info.lpfn = BrowseCallback;
    info.lParam = (LPARAM)startFolder;

    LPITEMIDLIST list = SHBrowseForFolderA(&info);
    if (list == NULL)
        return 2;

    char chosen[MAX_PATH];
    chosen[0] = '\0';
    SHGetPathFromIDListA(list, chosen);
    FreeIdList(list);
    memcpy(outPath, chosen, strlen(chosen) + 1);
    return 1;
}

void FreeIdList(LPITEMIDLIST list)
{
    IMalloc* alloc = NULL;
    if (FAILED(SHGetMalloc(&alloc)) || alloc == NULL)
        return;
    alloc->Free(list);
    alloc->Release();
}
