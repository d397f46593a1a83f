#include "appfixture.h"

#include <commctrl.h>

#include "app/mainwnd.h"
#include "joblist/jobrow.h"
#include "joblist/listview.h"
#include "support/settings.h"
#include "testutil.h"

std::string SettingsFile()
{
    return ExeDir() + "Mirtavolen.ini";
}

std::string LogFile()
{
    return ExeDir() + "Mirtavolen.log";
}

void FlushMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

HWND OpenMainWindow(int showCommand)
{
    static bool registered = false;
    HINSTANCE instance = GetModuleHandleA(NULL);
    if (!registered)
        registered = RegisterMainWindowClass(instance) != 0;
    if (!registered || !CreateMainWindow(instance, showCommand))
        return NULL;
    FlushMessages();
    return MainWindow;
}

void CloseMainWindowIfOpen()
{
    if (MainWindow != NULL && IsWindow(MainWindow))
        SendMessageA(MainWindow, WM_CLOSE, 0, 0);
    FlushMessages();
}

void MainWindowTest::SetUp()
{
    ResetSettings();
    DeleteFileA(SettingsFile().c_str());
    ASSERT_NE(OpenMainWindow(), (HWND)NULL);
    ASSERT_NE(JobListView, (HWND)NULL);
}

void MainWindowTest::TearDown()
{
    CloseMainWindowIfOpen();
    DeleteFileA(SettingsFile().c_str());
}

int MainWindowTest::RowCount() const
{
    return (int)SendMessageA(JobListView, LVM_GETITEMCOUNT, 0, 0);
}

std::string MainWindowTest::Cell(int row, int column) const
{
    char text[1024];
    int n = ReadJobColumn(JobListView, row, column, text, sizeof text);
    return std::string(text, n > 0 ? n : 0);
}

void MainWindowTest::Select(const std::vector<int>& rows) const
{
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    SendMessageA(JobListView, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&item);
    for (int row : rows) {
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        SendMessageA(JobListView, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&item);
    }
}

std::vector<int> MainWindowTest::SelectedRows() const
{
    std::vector<int> rows;
    for (int row = NextSelectedRow(JobListView, -1); row != -1;
         row = NextSelectedRow(JobListView, row))
        rows.push_back(row);
    return rows;
}

std::vector<std::string> MainWindowTest::AddFileRows(const std::string& dir, int count) const
{
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        paths.push_back(dir + "\\f" + std::to_string(i) + ".txt");
        EXPECT_TRUE(WriteText(paths.back(), "f" + std::to_string(i) + ".txt"));
        EXPECT_EQ(AddJobRow(JobListView, paths.back().c_str(), -1), 1) << paths.back();
    }
    return paths;
}

void MainWindowTest::ClearRows() const
{
    SendMessageA(JobListView, LVM_DELETEALLITEMS, 0, 0);
}

int MainWindowTest::FocusedRow() const
{
    return (int)SendMessageA(JobListView, LVM_GETNEXTITEM, (WPARAM)-1, MAKELPARAM(LVNI_FOCUSED, 0));
}
