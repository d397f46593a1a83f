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
    // The ANSI name of a folder that code page 932 cannot hold would be a
    // look-alike, naming another folder (café as cafe).
    WCHAR wide[MAX_PATH];
    DWORD got = GetModuleFileNameW(NULL, wide, MAX_PATH);
    char module[MAX_PATH];
    if (got == 0 || got >= MAX_PATH || !ExactAnsiPath(wide, module)) {
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

namespace {

// Converts length UTF-16 units of text into out (size bytes, terminated).
// 1 only when every character has its own code page 932 form and the
// whole text fits. The A functions turn these bytes back into UTF-16 by
// the same table, so bytes that come back equal name the same file.
int ToAnsiExact(const WCHAR* text, int length, char* out, int size)
{
    if (size <= 0 || length < 0 || length >= MAX_PATH)
        return 0;
    out[0] = '\0';
    if (length == 0)
        return 1;
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, length, out, size - 1, NULL,
                                &usedDefault);
    if (n <= 0 || usedDefault)
        return 0;
    out[n] = '\0';
    WCHAR back[MAX_PATH];
    int m = MultiByteToWideChar(CP_ACP, 0, out, n, back, MAX_PATH);
    return m == length && memcmp(back, text, length * sizeof(WCHAR)) == 0;
}

// The short name of the component of path that ends before `end`, in code
// page 932 (260 bytes). 1 when it has one that converts exactly.
int ShortComponent(const WCHAR* path, int end, char* out)
{
    WCHAR prefix[MAX_PATH];
    WCHAR shortPath[MAX_PATH];
    if (end <= 0 || end >= MAX_PATH)
        return 0;
    memcpy(prefix, path, end * sizeof(WCHAR));
    prefix[end] = L'\0';
    DWORD n = GetShortPathNameW(prefix, shortPath, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return 0;
    int start = (int)n;
    while (start > 0 && shortPath[start - 1] != L'\\')
        --start;
    return ToAnsiExact(shortPath + start, (int)n - start, out, MAX_PATH);
}

// A path of long names in code page 932 (size bytes): each component as it
// is when it converts exactly, otherwise by its short name. 1 on success.
int ExactComponents(const WCHAR* longPath, char* out, int size)
{
    int length = lstrlenW(longPath);
    if (ToAnsiExact(longPath, length, out, size))
        return 1;
    out[0] = '\0';
    for (int start = 0; start <= length;) {
        int end = start;
        while (end < length && longPath[end] != L'\\')
            ++end;
        char part[MAX_PATH];
        if (!ToAnsiExact(longPath + start, end - start, part, sizeof part)
            && !ShortComponent(longPath, end, part))
            return 0;
        if (!AppendText(out, size, part) || (end < length && !AppendText(out, size, "\\")))
            return 0;
        start = end + 1;
    }
    return 1;
}

// The shell's long-name form of a full UTF-16 path (out: MAX_PATH units).
// 1 on success; a path that does not exist fails.
int ShellLongPath(const WCHAR* path, WCHAR* out)
{
    IMalloc* alloc = NULL;
    IShellFolder* desktop = NULL;
    LPITEMIDLIST list = NULL;
    WCHAR parsed[MAX_PATH];
    int ok = 0;
    if (lstrlenW(path) < MAX_PATH && SUCCEEDED(SHGetMalloc(&alloc)) && alloc != NULL
        && SUCCEEDED(SHGetDesktopFolder(&desktop)) && desktop != NULL) {
        lstrcpyW(parsed, path);
        ULONG eaten = 0;
        if (SUCCEEDED(desktop->ParseDisplayName(NULL, NULL, parsed, &eaten, &list, NULL))
            && list != NULL) {
            out[0] = L'\0';
            ok = SHGetPathFromIDListW(list, out) == TRUE;
            alloc->Free(list);
        }
    }
    if (desktop != NULL)
        desktop->Release();
    if (alloc != NULL)
        alloc->Release();
    return ok;
}

// The long form of the folder `full` up to folderEnd (which ends with its
// separator), in code page 932 (260 bytes), from memo when it holds it.
int LongFolder(const WCHAR* full, int folderEnd, LongFolderMemo* memo, char* out)
{
    WCHAR folder[MAX_PATH];
    memcpy(folder, full, folderEnd * sizeof(WCHAR));
    folder[folderEnd] = L'\0';
    if (memo != NULL && memo->given[0] != L'\0' && lstrcmpW(memo->given, folder) == 0)
        return CopyText(out, MAX_PATH, memo->resolved);

    // The shell wants a folder without its separator, a drive root with it.
    WCHAR bare[MAX_PATH];
    lstrcpyW(bare, folder);
    if (folderEnd > 3)
        bare[folderEnd - 1] = L'\0';
    WCHAR longFolder[MAX_PATH];
    if (!ShellLongPath(bare, longFolder) || !ExactComponents(longFolder, out, MAX_PATH))
        return 0;
    if (memo != NULL) {
        lstrcpyW(memo->given, folder);
        memcpy(memo->resolved, out, strlen(out) + 1);
    }
    return 1;
}

// The long name of the file `full` names, as the folder lists it, in code
// page 932 (260 bytes); its short name when the long one does not convert.
int LongName(const WCHAR* full, const WCHAR* name, char* out)
{
    // A pattern would find some other file.
    if (wcspbrk(name, L"*?<>\"") != NULL)
        return 0;
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW(full, &found);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(h);
    if (ToAnsiExact(found.cFileName, lstrlenW(found.cFileName), out, MAX_PATH))
        return 1;
    // An empty short name means the long name is its own 8.3 form.
    return ToAnsiExact(found.cAlternateFileName, lstrlenW(found.cAlternateFileName), out, MAX_PATH)
        && out[0] != '\0';
}

}  // namespace

int ListedFileName(const char* path, char* name)
{
    WCHAR wide[MAX_PATH];
    if (path == NULL || MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) == 0)
        return 0;
    const WCHAR* last = wide;
    for (const WCHAR* c = wide; *c != L'\0'; ++c) {
        if (*c == L'\\' || *c == L'/')
            last = c + 1;
    }
    return LongName(wide, last, name);
}

unsigned ResolveLongPath(const char* path, char* out, unsigned outSize)
{
    return ResolveLongPathWith(path, out, outSize, NULL);
}

unsigned ResolveLongPathWith(const char* path, char* out, unsigned outSize, LongFolderMemo* memo)
{
    if (path == NULL || path[0] == '\0' || strlen(path) >= MAX_PATH)
        return 0;
    WCHAR wide[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) == 0)
        return 0;
    // The shell takes only a full path: no relative name, "." or "..".
    WCHAR full[MAX_PATH];
    WCHAR* name = NULL;
    DWORD n = GetFullPathNameW(wide, MAX_PATH, full, &name);
    if (n == 0 || n >= MAX_PATH)
        return 0;

    char result[2 * MAX_PATH];
    if (name == NULL || name[0] == L'\0') {
        WCHAR longPath[MAX_PATH];
        if (!ShellLongPath(full, longPath) || !ExactComponents(longPath, result, sizeof result))
            return 0;
    } else {
        char folder[MAX_PATH];
        char file[MAX_PATH];
        if (!LongFolder(full, (int)(name - full), memo, folder) || !LongName(full, name, file))
            return 0;
        memcpy(result, folder, strlen(folder) + 1);
        if ((!EndsWithSeparator(result) && !AppendText(result, sizeof result, "\\"))
            || !AppendText(result, sizeof result, file))
            return 0;
    }

    unsigned len = (unsigned)strlen(result);
    if (outSize > len) {
        memcpy(out, result, len + 1);
        return len;
    }
    return len + 1;
}

int ExactAnsiPath(const WCHAR* path, char* out)
{
    if (path == NULL)
        return 0;
    int length = lstrlenW(path);
    char ansi[2 * MAX_PATH];
    if (length < MAX_PATH && ToAnsiExact(path, length, ansi, sizeof ansi))
        return CopyText(out, MAX_PATH, ansi);
    // Some character has no exact form: the short name, if there is one.
    WCHAR shortPath[MAX_PATH];
    DWORD n = GetShortPathNameW(path, shortPath, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return 0;
    return ToAnsiExact(shortPath, (int)n, out, MAX_PATH);
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
