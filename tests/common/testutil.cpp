#include "testutil.h"

#include <commctrl.h>
#include <shlobj.h>
#include <string.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "res/resource.h"

std::string ShortPath(const std::wstring& path)
{
    WCHAR shortPath[MAX_PATH];
    DWORD n = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return "";
    std::string ansi;
    for (DWORD i = 0; i < n; ++i)
        ansi += shortPath[i] < 0x80 ? (char)shortPath[i] : '?';
    return ansi;
}

bool MakeDirectories(const std::string& dir)
{
    // Walks character by character: the 0x5C of 表 is no separator.
    for (size_t i = 0; i <= dir.size(); ++i) {
        if (i < dir.size() && IsDBCSLeadByte((BYTE)dir[i]) && i + 1 < dir.size()) {
            ++i;
            continue;
        }
        if (i < 3 || (i < dir.size() && dir[i] != '\\'))
            continue;
        std::wstring part = LongPathW(dir.substr(0, i));
        if (!CreateDirectoryW(part.c_str(), NULL) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return true;
}

bool WriteTextW(const std::string& path, const std::string& text)
{
    return WriteTextW(LongPathW(path), text);
}

bool WriteTextW(const std::wstring& path, const std::string& text)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(h, text.data(), (DWORD)text.size(), &written, NULL)
        && written == text.size();
    CloseHandle(h);
    return ok;
}

std::string PathOfLength(const std::string& base, size_t length)
{
    std::string path = base;
    while (length > path.size() + 102)
        path += "\\" + std::string(100, 'd');
    if (length >= path.size() + 2)
        path += "\\" + std::string(length - path.size() - 1, 'f');
    return path;
}

bool MakeSparseFile(const std::string& path, unsigned long long size, const Bytes& tail,
                    const Bytes& head)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER at;
    at.QuadPart = (LONGLONG)(size - tail.size());
    bool ok = SetFilePointerEx(h, at, NULL, FILE_BEGIN) != FALSE;
    if (ok && tail.empty()) {
        ok = SetEndOfFile(h) != FALSE;
    } else if (ok) {
        DWORD written = 0;
        ok = WriteFile(h, tail.data(), (DWORD)tail.size(), &written, NULL)
            && written == tail.size();
    }
    if (ok && !head.empty()) {
        DWORD written = 0;
        at.QuadPart = 0;
        ok = SetFilePointerEx(h, at, NULL, FILE_BEGIN)
            && WriteFile(h, head.data(), (DWORD)head.size(), &written, NULL)
            && written == head.size();
    }
    CloseHandle(h);
    return ok;
}

CurrentDirectory::CurrentDirectory(const std::string& dir)
{
    char previous[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(MAX_PATH, previous);
    previous_.assign(previous, n < MAX_PATH ? n : 0);
    EXPECT_TRUE(SetCurrentDirectoryA(dir.c_str())) << dir;
}

CurrentDirectory::~CurrentDirectory()
{
    SetCurrentDirectoryA(previous_.c_str());
}

std::string FixtureDir()
{
    return ExeDir() + "fixtures\\";
}

std::string ImmutableFixture(std::string* why)
{
    const std::string locked = FixtureDir() + "immutable\\locked.bin";
    if (FileExists(locked))
        return locked;
    *why = locked + " is missing: tests/fixtures.sh makes it when ctest runs as root "
                    "on a file system that has chattr +i";
    return "";
}

std::string FullDiskFixture(std::string* why)
{
    const std::string full = FixtureDir() + "full";
    ULARGE_INTEGER available, total;
    if (!GetDiskFreeSpaceExA((full + "\\").c_str(), &available, &total, NULL)) {
        *why = full + " is missing: tests/fixtures.sh mounts a tmpfs there when ctest runs "
                      "as root";
        return "";
    }
    if (total.QuadPart > (16u << 20)) {
        *why = full + " is no small file system (" + std::to_string(total.QuadPart)
               + " bytes): tests/fixtures.sh mounts an 8 MiB tmpfs there when ctest runs as root";
        return "";
    }
    return full;
}

long long FreeBytes(const std::string& dir)
{
    ULARGE_INTEGER available, total, free;
    if (!GetDiskFreeSpaceExA((dir + "\\").c_str(), &available, &total, &free))
        return -1;
    return (long long)available.QuadPart;
}

DiskFiller::DiskFiller(const std::string& dir) : path_(dir + "\\filler.bin") {}

DiskFiller::~DiskFiller()
{
    Release();
}

void DiskFiller::Release()
{
    DeleteFileA(path_.c_str());
}

bool DiskFiller::Fill(long long leave)
{
    ULARGE_INTEGER available, total, free;
    std::string dir = path_.substr(0, path_.rfind('\\') + 1);
    if (!GetDiskFreeSpaceExA(dir.c_str(), &available, &total, &free)) {
        ADD_FAILURE() << "no free space reported for " << dir;
        return false;
    }
    const unsigned long long Limit = 64ull << 20;
    if (total.QuadPart > Limit) {
        ADD_FAILURE() << dir << " holds " << total.QuadPart
                      << " bytes: not the small tmpfs of the tests, not filled";
        return false;
    }
    HANDLE h = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot create " << path_;
        return false;
    }
    std::vector<char> block(1 << 20, 'f');
    unsigned long long size = 0;
    while (size <= Limit) {
        DWORD written = 0;
        if (!WriteFile(h, block.data(), (DWORD)block.size(), &written, NULL) || written == 0)
            break;
        size += written;
    }
    // Give back whole pages until `leave` bytes are free.
    bool ok = true;
    if (leave > 0) {
        LARGE_INTEGER end;
        end.QuadPart = (long long)size - leave;
        ok = end.QuadPart >= 0 && SetFilePointerEx(h, end, NULL, FILE_BEGIN) && SetEndOfFile(h);
        EXPECT_TRUE(ok) << "filled " << size << " bytes, error " << GetLastError();
    }
    CloseHandle(h);
    long long nowFree = FreeBytes(dir.substr(0, dir.size() - 1));
    EXPECT_EQ(nowFree, leave) << "the disk could not be filled as asked";
    return ok && nowFree == leave;
}


std::vector<std::string> ListDir(const std::string& dir)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(h, &found));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

std::string TestDir()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "none";
    for (char& c : name)
        if (c == '/' || c == '\\')
            c = '_';
    std::string root = ExeDir() + "work";
    CreateDirectoryA(root.c_str(), NULL);
    std::string dir = root + "\\" + name;
    RemoveTree(dir);
    // A symbolic link whose file is gone is invisible to Windows calls.
    if (GetFileAttributesA(dir.c_str()) != INVALID_FILE_ATTRIBUTES)
        RunLinuxCommand("rm -rf '" + UnixPath(dir) + "'");
    CreateDirectoryA(dir.c_str(), NULL);
    return dir;
}

std::string TestDir(const std::string& part)
{
    std::string dir = TestDir() + "_" + part;
    RemoveTree(dir);
    CreateDirectoryA(dir.c_str(), NULL);
    return dir;
}

bool WriteBytes(const std::string& path, const Bytes& data)
{
    return WriteData(path, data.data(), data.size());
}

Bytes ReadBytes(const std::string& path)
{
    Bytes data;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return data;
    unsigned char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, NULL) && got > 0)
        data.insert(data.end(), buf, buf + got);
    CloseHandle(h);
    return data;
}

std::string ReadText(const std::string& path)
{
    Bytes b = ReadBytes(path);
    return std::string(b.begin(), b.end());
}

std::string ItemText(HWND dialog, int id)
{
    return WindowText(GetDlgItem(dialog, id));
}

void PostDropFiles(HWND window, const std::vector<std::wstring>& names)
{
    size_t size = sizeof(DROPFILES) + sizeof(WCHAR);
    for (const std::wstring& name : names)
        size += (name.size() + 1) * sizeof(WCHAR);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    ASSERT_NE(block, (HGLOBAL)NULL);
    DROPFILES* drop = (DROPFILES*)GlobalLock(block);
    drop->pFiles = sizeof(DROPFILES);
    drop->pt.x = 10;
    drop->pt.y = 10;
    drop->fNC = FALSE;
    drop->fWide = TRUE;
    WCHAR* at = (WCHAR*)((char*)drop + sizeof(DROPFILES));
    for (const std::wstring& name : names) {
        memcpy(at, name.c_str(), (name.size() + 1) * sizeof(WCHAR));
        at += name.size() + 1;
    }
    GlobalUnlock(block);
    ASSERT_TRUE(PostMessageA(window, WM_DROPFILES, (WPARAM)block, 0));
}

void PostDropFiles(HWND window, const std::vector<std::string>& names)
{
    std::vector<std::wstring> wide;
    for (const std::string& name : names)
        wide.push_back(Wide(name));
    PostDropFiles(window, wide);
}

void ClickAt(POINT screen)
{
    SetCursorPos(screen.x, screen.y);
    INPUT input[2];
    ZeroMemory(input, sizeof input);
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof(INPUT));
}

void TypeKey(WORD key, WORD modifier)
{
    INPUT input[4];
    ZeroMemory(input, sizeof input);
    UINT n = 0;
    WORD keys[4] = { modifier, key, key, modifier };
    for (int i = 0; i < 4; ++i) {
        if (keys[i] == 0)
            continue;
        input[n].type = INPUT_KEYBOARD;
        input[n].ki.wVk = keys[i];
        input[n].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
        ++n;
    }
    SendInput(n, input, sizeof(INPUT));
}

POINT CentreOf(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    POINT p = { (r.left + r.right) / 2, (r.top + r.bottom) / 2 };
    return p;
}

namespace {

std::string Times(const std::string& part, int count)
{
    std::string s;
    for (int i = 0; i < count; ++i)
        s += part;
    return s;
}

}  // namespace

const std::vector<PasswordEntry>& PasswordEntries()
{
    typedef PasswordEntry E;
    const std::string kanji = "表";  // two bytes, the second 0x5C
    static const std::vector<PasswordEntry> entries = {
        { "20 kanji typed", "", -1, E::Typed, Wide(Times(kanji, 20)), Times(kanji, 16) },
        { "31 bytes, then a kanji and a letter typed", std::string(31, 'b'), -1, E::Typed,
          Wide("ソz"), std::string(31, 'b') + "z" },
        { "33 letters typed", "", -1, E::Typed, Wide(std::string(33, 'a')), std::string(32, 'a') },
        { "40 letters pasted", "", -1, E::Pasted, Wide(std::string(40, 'p')), std::string(32, 'p') },
        { "20 kanji pasted", "", -1, E::Pasted, Wide(Times(kanji, 20)), Times(kanji, 16) },
        { "40 bytes from an odd start pasted", "", -1, E::Pasted,
          Wide("a" + Times(kanji, 19) + "b"), "a" + Times(kanji, 15) },
        { "kanji typed into the middle", "a" + std::string(29, 'c'), 1, E::Typed,
          Wide(Times(kanji, 2)), "a" + kanji + std::string(29, 'c') },
        { "kanji pasted into the middle", "ab" + std::string(28, 'c'), 1, E::Pasted,
          Wide(Times(kanji, 3)), "a" + kanji + "b" + std::string(28, 'c') },
        { "pasted onto a full edit", Times(kanji, 16), -1, E::Pasted, L"x", Times(kanji, 16) },
        { "20 kanji set as the whole text", "", -1, E::SetWhole, Wide(Times(kanji, 20)),
          Times(kanji, 16) },
        { "32 letters typed", "", -1, E::Typed, Wide(std::string(32, 'q')), std::string(32, 'q') },
        // Characters code page 932 lacks would all become "?" (or a
        // look-alike): they are refused, whatever else comes with them.
        { "Hangul typed", "pw", -1, E::Typed, L"\uD55C\uAD6D\uC5B4", "pw" },
        { "Hangul composed", "pw", -1, E::Composed, L"\uAC00\uB098\uB2E4", "pw" },
        { "Hangul pasted", "pw", -1, E::Pasted, L"\uD55C\uAD6D\uC5B4", "pw" },
        { "Hangul set as the whole text", "", -1, E::SetWhole, L"p\uD55Cw", "pw" },
        { "kana and Hangul typed", "", -1, E::Typed, L"\u304B\uD55C\u306A", "かな" },
        { "kana and Hangul composed", "", -1, E::Composed, L"\uAC00\u304B\u306A", "かな" },
        { "kana and Hangul pasted into the middle", "ab", 1, E::Pasted,
          L"\u304B\uD55C\u306A", "aかなb" },
        { "look-alikes typed", "pw", -1, E::Typed, L"caf\u00E9\u00A5\u00C5", "pwcaf" },
        { "a character outside the BMP pasted", "pw", -1, E::Pasted, L"x\U0001F600y", "pwxy" },
        { "31 bytes, then Hangul and a letter typed", std::string(31, 'b'), -1, E::Typed,
          L"\uD55Cz", std::string(31, 'b') + "z" },
    };
    return entries;
}

namespace {

bool PutOnClipboard(HWND owner, const std::wstring& text)
{
    if (!OpenClipboard(owner))
        return false;
    bool done = false;
    size_t size = (text.size() + 1) * sizeof(WCHAR);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (EmptyClipboard() && block != NULL) {
        memcpy(GlobalLock(block), text.c_str(), size);
        GlobalUnlock(block);
        done = SetClipboardData(CF_UNICODETEXT, block) != NULL;
    }
    if (!done && block != NULL)
        GlobalFree(block);
    CloseClipboard();
    return done;
}

}  // namespace

void EnterPassword(HWND edit, const PasswordEntry& entry)
{
    ASSERT_TRUE(SetWindowTextA(edit, entry.before.c_str()));
    SetFocus(edit);
    DWORD caret = entry.caret < 0 ? 0x7FFFFFFE : (DWORD)entry.caret;  // past the end: the end
    SendMessageA(edit, EM_SETSEL, caret, caret);
    switch (entry.way) {
    case PasswordEntry::Typed:
        // As the keyboard delivers it: one character (in UTF-16) after the
        // other.
        for (WCHAR c : entry.input)
            SendMessageW(edit, WM_CHAR, c, 1);
        break;
    case PasswordEntry::Composed: {
        // As an input method's result arrives: WM_IME_CHAR, which the
        // default procedure turns into posted WM_CHAR messages.
        for (WCHAR c : entry.input)
            SendMessageW(edit, WM_IME_CHAR, c, 1);
        MSG msg;
        while (PeekMessageW(&msg, edit, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        break;
    }
    case PasswordEntry::Pasted:
        ASSERT_TRUE(PutOnClipboard(GetParent(edit), entry.input));
        SendMessageA(edit, WM_PASTE, 0, 0);
        break;
    case PasswordEntry::SetWhole:
        SetWindowTextW(edit, entry.input.c_str());
        break;
    }
}

void PostClick(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

void SetCheck(HWND dialog, int id, bool checked)
{
    SendDlgItemMessageA(dialog, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool IsChecked(HWND dialog, int id)
{
    return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool IsEnabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

// ---- DialogDriver ----

namespace {

DialogDriver* ActiveDriver = NULL;

}  // namespace

DialogDriver::DialogDriver(DWORD timeoutMs)
    : next_(0), done_(0), timer_(0), deadline_(GetTickCount() + timeoutMs), last_(NULL),
      timedOut_(false)
{
    ActiveDriver = this;
    timer_ = SetTimer(NULL, 0, 20, Tick);
}

DialogDriver::~DialogDriver()
{
    KillTimer(NULL, timer_);
    ActiveDriver = NULL;
    EXPECT_FALSE(timedOut_) << "a dialog was still open when the driver timed out";
    EXPECT_EQ(next_, steps_.size()) << "not every expected dialog appeared";
}

DialogDriver& DialogDriver::Then(int controlId, Action action)
{
    Step step = { controlId, action };
    steps_.push_back(step);
    return *this;
}

namespace {

BOOL CALLBACK CollectDialog(HWND window, LPARAM param)
{
    char cls[16];
    if (GetClassNameA(window, cls, sizeof cls) && lstrcmpA(cls, "#32770") == 0
        && IsWindowVisible(window) && IsWindowEnabled(window))
        ((std::vector<HWND>*)param)->push_back(window);
    return TRUE;
}

}  // namespace

void DialogDriver::EndAllDialogs()
{
    std::vector<HWND> open;
    EnumThreadWindows(GetCurrentThreadId(), CollectDialog, (LPARAM)&open);
    for (HWND dialog : open)
        EndDialog(dialog, 2);
}

void DialogDriver::Poll()
{
    if ((LONG)(GetTickCount() - deadline_) > 0) {
        std::vector<HWND> open;
        EnumThreadWindows(GetCurrentThreadId(), CollectDialog, (LPARAM)&open);
        if (!open.empty()) {
            timedOut_ = true;
            EndAllDialogs();
        }
        return;
    }
    if (last_ != NULL && IsWindow(last_) && IsWindowVisible(last_))
        return;  // the dialog handled last is still closing
    last_ = NULL;
    if (next_ >= steps_.size())
        return;
    std::vector<HWND> open;
    EnumThreadWindows(GetCurrentThreadId(), CollectDialog, (LPARAM)&open);
    for (HWND dialog : open) {
        if (GetDlgItem(dialog, steps_[next_].controlId) == NULL)
            continue;
        Step step = steps_[next_++];
        last_ = dialog;
        ++done_;
        step.action(dialog);
        return;
    }
}

void CALLBACK DialogDriver::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (ActiveDriver != NULL)
        ActiveDriver->Poll();
}

// ---- ProgressWindow ----

namespace {

std::vector<int> BarPositions;
WNDPROC BarProc = NULL;
ProgressWindow* ActiveProgress = NULL;

LRESULT CALLBACK RecordingBarProc(HWND bar, UINT msg, WPARAM wp, LPARAM lp)
{
    LRESULT r = CallWindowProcA(BarProc, bar, msg, wp, lp);
    if (msg == PBM_SETPOS) {
        BarPositions.push_back((int)wp);
        if (ActiveProgress != NULL && ActiveProgress->onPosition)
            ActiveProgress->onPosition((int)wp);
    }
    return r;
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG;
}

}  // namespace

ProgressWindow::ProgressWindow()
{
    INITCOMMONCONTROLSEX icc = { sizeof icc, ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES };
    InitCommonControlsEx(&icc);
    dialog_ = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_PROGRESS), NULL,
                                 PlainDialogProc, 0);
    BarPositions.clear();
    HWND bar = GetDlgItem(dialog_, IDC_PROG_BAR);
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    BarProc = (WNDPROC)SetWindowLongPtrA(bar, GWLP_WNDPROC, (LONG_PTR)RecordingBarProc);
    ActiveProgress = this;
}

ProgressWindow::~ProgressWindow()
{
    ActiveProgress = NULL;
    if (dialog_ != NULL)
        DestroyWindow(dialog_);
}

const std::vector<int>& ProgressWindow::Positions() const
{
    return BarPositions;
}

void ProgressWindow::ClearPositions()
{
    BarPositions.clear();
}

std::vector<std::string> LogEntriesOf(const std::string& path)
{
    std::string log = ReadText(path);
    std::vector<std::string> entries;
    size_t at = 0;
    while (at < log.size()) {
        size_t end = log.find("\n\n", at);
        if (end == std::string::npos) {
            entries.push_back(log.substr(at));  // a partial entry
            break;
        }
        entries.push_back(log.substr(at, end + 2 - at));
        at = end + 2;
    }
    return entries;
}


