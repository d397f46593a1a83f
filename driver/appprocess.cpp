#include "appprocess.h"

#include <commctrl.h>

#include <thread>

#include "winutil.h"

namespace {

std::string ProgramPath()
{
    // The test programs live in build/tests, the benchmark in build/bench,
    // the program in build.
    std::string dir = ExeDir();
    dir.erase(dir.size() - 1);
    return dir.substr(0, dir.find_last_of('\\') + 1) + "Mirtavolen.exe";
}

struct FindData {
    DWORD pid;
    const char* cls;
    bool needEnabled;
    HWND found;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM param)
{
    FindData* data = (FindData*)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[64];
    if (pid == data->pid && GetClassNameA(window, cls, sizeof cls)
        && lstrcmpA(cls, data->cls) == 0 && IsWindowVisible(window)
        && (!data->needEnabled || IsWindowEnabled(window))) {
        data->found = window;
        return FALSE;
    }
    return TRUE;
}

// The visible main window of the process, or null.
HWND FindMainWindow(DWORD pid)
{
    // By class: one question to the window system, not one for every window.
    for (HWND window = FindWindowExA(NULL, NULL, "MirtavolenClass", NULL); window != NULL;
         window = FindWindowExA(NULL, window, "MirtavolenClass", NULL)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == pid && IsWindowVisible(window))
            return window;
    }
    return NULL;
}

std::vector<std::wstring> WideAll(const std::vector<std::string>& texts)
{
    std::vector<std::wstring> wide;
    for (const std::string& t : texts)
        wide.push_back(Wide(t));
    return wide;
}

}  // namespace

std::string ItemSettings(const std::string& defDir, int defType, const std::string& defPass,
                         int overwrite, int noConfirm)
{
    return "[" + UserName() + "/Item]\r\nDefDir=" + defDir + "\r\nDefType=" +
           std::to_string(defType) + "\r\nDefPass=" + defPass + "\r\nDefOverWrite=" +
           std::to_string(overwrite) + "\r\nDefNoConfirm=" + std::to_string(noConfirm) + "\r\n";
}

void ClickInOtherProcess(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

AppProcess::AppProcess(const std::string& dir, const std::string& iniText)
    : dir_(dir), exe_(dir + "\\Mirtavolen.exe"), main_(NULL)
{
    ZeroMemory(&process_, sizeof process_);
    // A second instance in the same directory runs the copy already there.
    // A copy that fails leaves no program to start: Start and Launch fail.
    if (!FileExists(exe_))
        CopyFileA(ProgramPath().c_str(), exe_.c_str(), TRUE);
    if (!iniText.empty())
        WriteText(IniPath(), iniText);
}

AppProcess::~AppProcess()
{
    if (process_.hProcess != NULL) {
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
            Kill();
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
}

bool AppProcess::Start(const std::vector<std::string>& files)
{
    return StartWide(WideAll(files));
}

bool AppProcess::StartWide(const std::vector<std::wstring>& files)
{
    if (!LaunchWide(files))
        return false;
    WaitForInputIdle(process_.hProcess, 10000);
    for (int i = 0; i < 200 && main_ == NULL; ++i) {
        FindData data = { process_.dwProcessId, "MirtavolenClass", false, NULL };
        EnumWindows(FindProcessWindow, (LPARAM)&data);
        main_ = data.found;
        if (main_ == NULL)
            Sleep(50);
    }
    return main_ != NULL;
}

bool AppProcess::Launch(const std::vector<std::string>& files)
{
    return LaunchWide(WideAll(files));
}

bool AppProcess::LaunchWide(const std::vector<std::wstring>& files)
{
    // The command line in UTF-16, as the shell gives it: a name that code
    // page 932 cannot hold arrives as it is.
    std::wstring command = L"\"" + Wide(exe_) + L"\"";
    for (const std::wstring& f : files)
        command += L" \"" + f + L"\"";
    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    std::vector<WCHAR> line(command.begin(), command.end());
    line.push_back(L'\0');
    return CreateProcessW(Wide(exe_).c_str(), line.data(), NULL, NULL, FALSE, 0, NULL,
                          Wide(dir_).c_str(), &startup, &process_) != FALSE;
}

bool AppProcess::WaitForRows(int rows, DWORD timeoutMs)
{
    // Waiting for the first idle moment costs the program nothing; the
    // looks that follow are few and cheap.
    DWORD start = GetTickCount();
    WaitForInputIdle(process_.hProcess, timeoutMs);
    for (;;) {
        main_ = FindMainWindow(process_.dwProcessId);
        if (main_ != NULL && RowCount() == rows) {
            WaitForPaint();
            return true;
        }
        if (GetTickCount() - start >= timeoutMs
            || WaitForSingleObject(process_.hProcess, 0) != WAIT_TIMEOUT)
            return false;
        Sleep(5);
    }
}

void AppProcess::WaitForPaint()
{
    // Sent to another process, the paint messages are handled before the
    // call returns.
    RedrawWindow(main_, NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

int AppProcess::RowCount() const
{
    HWND list = FindWindowExA(main_, NULL, WC_LISTVIEWA, NULL);
    return (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
}

HWND AppProcess::FindDialog(std::string* caption) const
{
    FindData data = { process_.dwProcessId, "#32770", true, NULL };
    EnumWindows(FindProcessWindow, (LPARAM)&data);
    if (data.found != NULL && caption != NULL)
        *caption = WindowText(data.found);
    return data.found;
}

void AppProcess::Command(UINT id,
                         std::function<void(HWND dialog, const std::string& caption)> onDialog)
{
    // Sent from a thread of its own: it returns when the program has
    // handled the command, which for a batch is when the batch has ended.
    volatile bool done = false;
    std::thread sender([this, id, &done] {
        SendCommand(id, 60000);
        done = true;
    });
    HWND answered = NULL;
    while (!done) {
        std::string caption;
        HWND dialog = FindDialog(&caption);
        if (dialog != NULL && dialog != answered && onDialog && caption != "Mirtavolen") {
            answered = dialog;
            onDialog(dialog, caption);
        } else if (dialog == NULL || caption == "Mirtavolen") {
            answered = NULL;  // between questions only the progress dialog is up
        }
        Sleep(20);
    }
    sender.join();
}

bool AppProcess::SendCommand(UINT id, DWORD timeoutMs)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(main_, WM_COMMAND, MAKEWPARAM(id, 0), 0, SMTO_NORMAL, timeoutMs,
                               &result) != 0;
}

bool AppProcess::PostCommand(UINT id)
{
    return PostMessageA(main_, WM_COMMAND, MAKEWPARAM(id, 0), 0) != FALSE;
}

int AppProcess::Close(DWORD timeoutMs)
{
    PostMessageA(main_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return (int)code;
}

void AppProcess::Kill()
{
    TerminateProcess(process_.hProcess, 9);
    WaitForSingleObject(process_.hProcess, 10000);
}
