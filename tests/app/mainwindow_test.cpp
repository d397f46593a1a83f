#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/mainwnd.h"
#include "appfixture.h"
#include "dialogs/itemdlg.h"
#include "joblist/listview.h"
#include "res/resource.h"
#include "support/settings.h"
#include "testutil.h"

namespace {

TEST(MainWindowStart, FirstStartWithoutSettingsFile)
{
    ResetSettings();
    DeleteFileA(SettingsFile().c_str());
    LoadSettings();
    HWND window = OpenMainWindow();
    ASSERT_NE(window, (HWND)NULL);
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(r.right - r.left, 640);
    EXPECT_EQ(r.bottom - r.top, 320);
    EXPECT_FALSE(IsZoomed(window));
    for (int column = 0; column < 3; ++column)
        EXPECT_EQ(SendMessageA(JobListView, LVM_GETCOLUMNWIDTH, column, 0),
                  (LRESULT)(column < 2 ? 256 : 116));
    // The list fills the client area.
    RECT client, list;
    GetClientRect(window, &client);
    GetWindowRect(JobListView, &list);
    EXPECT_EQ(list.right - list.left, client.right);
    EXPECT_EQ(list.bottom - list.top, client.bottom);
    CloseMainWindowIfOpen();
    DeleteFileA(SettingsFile().c_str());
}

TEST(MainWindowStart, MaximizedSettingWinsOverTheStartersShowCommand)
{
    for (int show : { SW_SHOWNORMAL, SW_SHOWMINNOACTIVE }) {
        SCOPED_TRACE(show);
        ResetSettings();
        AppSettings.Maximized = 1;
        HWND window = OpenMainWindow(show);
        ASSERT_NE(window, (HWND)NULL);
        EXPECT_TRUE(IsZoomed(window));
        CloseMainWindowIfOpen();
    }
    ResetSettings();
    HWND window = OpenMainWindow(SW_SHOWMINNOACTIVE);
    ASSERT_NE(window, (HWND)NULL);
    EXPECT_TRUE(IsIconic(window));
    CloseMainWindowIfOpen();
    DeleteFileA(SettingsFile().c_str());
}

class MainWindowMenuTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        dir_ = TestDir();
    }
    void AddFiles(int count) { AddFileRows(dir_, count); }
    HMENU Popup(int position) { return GetSubMenu(GetMenu(MainWindow), position); }
    bool Grayed(HMENU popup, UINT id)
    {
        return (GetMenuState(popup, id, MF_BYCOMMAND) & MF_GRAYED) != 0;
    }
    void OpenPopup(HMENU popup)
    {
        SendMessageA(MainWindow, WM_INITMENUPOPUP, (WPARAM)popup, 0);
    }
    std::string dir_;
};

TEST_F(MainWindowMenuTest, EntriesFollowRowsAndSelection)
{
    struct Entry {
        int popup;
        UINT id;
        bool needsRows;
        bool needsSelection;
    } entries[] = {
        { 0, IDM_FILE_ADD, false, false },
        { 0, IDM_FILE_DELETE, true, true },
        { 0, IDM_FILE_EXIT, false, false },
        { 1, IDM_ITEM_CONVERTALL, true, false },
        { 1, IDM_ITEM_CONVERTSEL, true, true },
        { 1, IDM_ITEM_SETTINGS, true, true },
        { 1, IDM_ITEM_TYPEINVERT, true, true },
        { 1, IDM_ITEM_TYPEREVERSE, true, true },
        { 1, IDM_ITEM_TYPEPASSWORD, true, true },
        { 1, IDM_ITEM_TYPENONE, true, true },
        { 1, IDM_ITEM_SELECTALL, true, false },
        { 2, IDM_SET_DEFAULTS, false, false },
        { 2, IDM_SET_OVERWRITE, false, false },
        { 3, IDM_HELP_ABOUT, false, false },
    };
    struct State {
        const char* name;
        int rows;
        std::vector<int> selected;
    } states[] = {
        { "empty list", 0, {} },
        { "rows, none selected", 3, {} },
        { "a selection", 3, { 1 } },
    };
    for (auto& state : states) {
        SCOPED_TRACE(state.name);
        AddFiles(state.rows - RowCount());
        Select(state.selected);
        bool rows = state.rows > 0;
        bool selection = !state.selected.empty();
        for (auto& e : entries) {
            SCOPED_TRACE(e.id);
            HMENU popup = Popup(e.popup);
            OpenPopup(popup);
            bool enabled = (!e.needsRows || rows) && (!e.needsSelection || selection);
            EXPECT_EQ(Grayed(popup, e.id), !enabled);
        }
    }
}

TEST_F(MainWindowMenuTest, HelpEntriesFollowTheirFilesAtEveryPopup)
{
    std::string chm = ExeDir() + "Mirtavolen.chm";
    std::string txt = ExeDir() + "Mirtavolen.txt";
    DeleteFileA(chm.c_str());
    DeleteFileA(txt.c_str());
    OpenPopup(Popup(0));
    EXPECT_TRUE(Grayed(Popup(3), IDM_HELP_CHM));
    EXPECT_TRUE(Grayed(Popup(3), IDM_HELP_TXT));

    WriteText(txt, "manual");
    OpenPopup(Popup(1));  // any popup looks again
    EXPECT_TRUE(Grayed(Popup(3), IDM_HELP_CHM));
    EXPECT_FALSE(Grayed(Popup(3), IDM_HELP_TXT));

    WriteText(chm, "help");
    OpenPopup(Popup(3));
    EXPECT_FALSE(Grayed(Popup(3), IDM_HELP_CHM));
    DeleteFileA(chm.c_str());
    DeleteFileA(txt.c_str());
}

// Presses a shortcut through the real accelerator table, with the keyboard
// state the table checks.
void PressShortcut(HACCEL table, BYTE modifier, UINT key)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    BYTE saved[256];
    memcpy(saved, keys, sizeof keys);
    keys[VK_CONTROL] = keys[VK_LCONTROL] = 0;
    keys[VK_MENU] = keys[VK_LMENU] = 0;
    keys[VK_SHIFT] = 0;
    if (modifier != 0)
        keys[modifier] = 0x80;
    SetKeyboardState(keys);
    MSG msg = {};
    msg.hwnd = JobListView;
    msg.message = modifier == VK_MENU ? WM_SYSKEYDOWN : WM_KEYDOWN;
    msg.wParam = key;
    msg.lParam = modifier == VK_MENU ? (1 << 29) : 0;
    TranslateAcceleratorA(MainWindow, table, &msg);
    SetKeyboardState(saved);
    FlushMessages();
}

TEST_F(MainWindowMenuTest, ShortcutsReachTheirCommandsOnlyWhenAllowed)
{
    HACCEL table = LoadAcceleratorsA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDR_ACCELERATORS));
    ASSERT_NE(table, (HACCEL)NULL);
    ACCEL entries[8];
    ASSERT_EQ(CopyAcceleratorTableA(table, entries, 8), 6);
    struct { BYTE flags; WORD key; WORD cmd; } expected[] = {
        { FVIRTKEY | FCONTROL | FNOINVERT, 'O', IDM_FILE_ADD },
        { FVIRTKEY | FNOINVERT, VK_DELETE, IDM_FILE_DELETE },
        { FVIRTKEY | FCONTROL | FNOINVERT, 'E', IDM_ITEM_CONVERTALL },
        { FVIRTKEY | FCONTROL | FNOINVERT, 'S', IDM_ITEM_CONVERTSEL },
        { FVIRTKEY | FCONTROL | FNOINVERT, 'A', IDM_ITEM_SELECTALL },
        { FVIRTKEY | FALT | FNOINVERT, VK_RETURN, IDM_ITEM_SETTINGS },
    };
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(entries[i].fVirt & ~0x80, expected[i].flags);
        EXPECT_EQ(entries[i].key, expected[i].key);
        EXPECT_EQ(entries[i].cmd, expected[i].cmd);
    }

    AddFiles(3);
    Select({});
    PressShortcut(table, VK_CONTROL, 'A');  // select all
    EXPECT_EQ(SelectedRows(), (std::vector<int>{ 0, 1, 2 }));
    EXPECT_EQ(FocusedRow(), 2);

    PressShortcut(table, 0, VK_DELETE);  // delete the selection
    EXPECT_EQ(RowCount(), 0);

    PressShortcut(table, VK_CONTROL, 'A');  // grayed on an empty list: nothing
    EXPECT_EQ(RowCount(), 0);
    DestroyAcceleratorTable(table);
}

TEST_F(MainWindowMenuTest, DeleteShortcutDoesNothingWithoutSelection)
{
    HACCEL table = LoadAcceleratorsA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDR_ACCELERATORS));
    AddFiles(2);
    Select({});
    // The entry is grayed, so the shortcut is refused even though the
    // command would find nothing to delete anyway; check it is not sent.
    PressShortcut(table, 0, VK_DELETE);
    EXPECT_EQ(RowCount(), 2);
    DestroyAcceleratorTable(table);
}

TEST(MainWindowClose, ExitCommandSavesLikeTheCloseBox)
{
    std::string saved[2];
    for (int way = 0; way < 2; ++way) {
        ResetSettings();
        DeleteFileA(SettingsFile().c_str());
        AppSettings.WindowPosLeft = 70;
        AppSettings.WindowPosTop = 60;
        ItemDefaults.DefType = ConvReverse;
        lstrcpyA(ItemDefaults.DefDir, "D:\\out");
        HWND window = OpenMainWindow();
        ASSERT_NE(window, (HWND)NULL);
        SendMessageA(JobListView, LVM_SETCOLUMNWIDTH, 1, 180);
        if (way == 0)
            SendMessageA(window, WM_CLOSE, 0, 0);
        else
            SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDM_FILE_EXIT, 0), 0);
        EXPECT_FALSE(IsWindow(window));
        MSG msg;
        EXPECT_TRUE(PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));  // the loop ends
        FlushMessages();
        saved[way] = ReadText(SettingsFile());
    }
    EXPECT_NE(saved[0].find("ColWidth2=180"), std::string::npos);
    EXPECT_NE(saved[0].find("DefDir=D:\\out"), std::string::npos);
    EXPECT_EQ(saved[0], saved[1]);
    DeleteFileA(SettingsFile().c_str());
}

// Finds the popup menu window that TrackPopupMenu shows, notes where it
// is, and closes it.
RECT MenuRect;
bool MenuSeen;
void CALLBACK CloseMenuTick(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND menu = FindWindowA("#32768", NULL);
    if (menu != NULL && IsWindowVisible(menu)) {
        GetWindowRect(menu, &MenuRect);
        MenuSeen = true;
        EndMenu();
        KillTimer(NULL, id);
    }
}

TEST_F(MainWindowMenuTest, RightClickOpensTheItemPopupAtThePointer)
{
    AddFiles(2);
    SetCursorPos(321, 234);
    POINT at;
    GetCursorPos(&at);
    MenuSeen = false;
    UINT_PTR timer = SetTimer(NULL, 0, 50, CloseMenuTick);
    NMHDR header = { JobListView, IDC_JOBLIST, (UINT)NM_RCLICK };
    EXPECT_EQ(SendMessageA(MainWindow, WM_NOTIFY, IDC_JOBLIST, (LPARAM)&header), 0);
    KillTimer(NULL, timer);
    ASSERT_TRUE(MenuSeen);
    EXPECT_EQ(MenuRect.left, at.x);
    EXPECT_EQ(MenuRect.top, at.y);
}

TEST_F(MainWindowMenuTest, ApplicationsKeyOpensThePopupAtTheListsCorner)
{
    MenuSeen = false;
    UINT_PTR timer = SetTimer(NULL, 0, 50, CloseMenuTick);
    EXPECT_EQ(SendMessageA(JobListView, WM_KEYDOWN, VK_APPS, 0), 0);
    KillTimer(NULL, timer);
    ASSERT_TRUE(MenuSeen);
    RECT list;
    GetWindowRect(JobListView, &list);
    EXPECT_EQ(MenuRect.left, list.left);
    EXPECT_EQ(MenuRect.top, list.top);
}

}  // namespace

namespace {

class ItemOpenerTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        if (!HasFatalFailure())
            AddFileRows(TestDir(), 2);
    }
    // Runs an opener; returns the title of the dialog it opened, or "" when
    // none opened.
    std::string Open(std::function<void()> opener, bool expectDialog)
    {
        std::string title;
        DialogDriver driver(expectDialog ? 15000 : 1500);
        if (expectDialog)
            driver.Then(IDC_ITEM_DIR, [&](HWND d) {
                title = WindowText(d);
                PostClick(d, IDCANCEL);
            });
        opener();
        return title;
    }
};

TEST_F(ItemOpenerTest, OpenersNeedASelectionExceptTheDefaults)
{
    auto command = [](UINT id) {
        return [id] { SendMessageA(MainWindow, WM_COMMAND, MAKEWPARAM(id, 0), 0); };
    };
    auto doubleClick = [] {
        NMHDR header = { JobListView, IDC_JOBLIST, (UINT)NM_DBLCLK };
        SendMessageA(MainWindow, WM_NOTIFY, IDC_JOBLIST, (LPARAM)&header);
    };
    Select({});
    EXPECT_EQ(Open(command(IDM_ITEM_SETTINGS), false), "");
    EXPECT_EQ(Open(doubleClick, false), "");
    EXPECT_EQ(Open(command(IDM_SET_DEFAULTS), true), "デフォルト設定");
    EXPECT_EQ(CurrentRowIndex, -1);

    Select({ 1 });
    EXPECT_EQ(Open(command(IDM_ITEM_SETTINGS), true), "アイテム設定");
    EXPECT_EQ(CurrentRowIndex, 1);
    Select({ 0 });
    EXPECT_EQ(Open(doubleClick, true), "アイテム設定");
    EXPECT_EQ(CurrentRowIndex, 0);
}

}  // namespace

namespace {

TEST_F(MainWindowTest, VersionCommandOpensTheAboutBoxOverTheMainWindow)
{
    HWND owner = NULL;
    std::string version;
    {
        DialogDriver driver;
        driver.Then(IDC_ABOUT_LINK, [&](HWND d) {
            owner = GetParent(d);
            version = ItemText(d, IDC_ABOUT_VERSION);
            PostClick(d, IDCANCEL);
        });
        EXPECT_EQ(SendMessageA(MainWindow, WM_COMMAND, MAKEWPARAM(IDM_HELP_ABOUT, 0), 0), 0);
        EXPECT_EQ(driver.Done(), 1);
    }
    EXPECT_EQ(owner, MainWindow);
    EXPECT_EQ(version, "Mirtavolen Version 2.00");
}

TEST_F(MainWindowTest, ClosingTheAboutBoxGivesTheKeyboardBackToTheMainWindow)
{
    AddFileRows(TestDir(), 2);
    ASSERT_FALSE(HasFailure());
    HACCEL shortcuts = LoadAcceleratorsA(AppInstance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    ASSERT_NE(shortcuts, (HACCEL)NULL);

    // Real input: the click and the keys go to whatever window the system
    // gives them to.
    struct {
        const char* how;
        std::function<void(HWND)> close;
    } cases[] = {
        { "click", [](HWND d) { ClickAt(CentreOf(GetDlgItem(d, IDC_ABOUT_VERSION))); } },
        { "Enter", [](HWND) { TypeKey(VK_RETURN); } },
        { "Esc", [](HWND) { TypeKey(VK_ESCAPE); } },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.how);
        Select({});
        SetForegroundWindow(MainWindow);
        {
            DialogDriver driver;
            driver.Then(IDC_ABOUT_LINK, c.close);
            SendMessageA(MainWindow, WM_COMMAND, MAKEWPARAM(IDM_HELP_ABOUT, 0), 0);
            EXPECT_EQ(driver.Done(), 1);
        }
        EXPECT_EQ(GetActiveWindow(), MainWindow);
        EXPECT_EQ(GetForegroundWindow(), MainWindow);
        EXPECT_EQ(GetFocus(), JobListView);

        // Ctrl+A reaches the program's shortcuts, as in its message loop.
        TypeKey('A', VK_CONTROL);
        DWORD deadline = GetTickCount() + 3000;
        while (SelectedRows().size() < 2 && (LONG)(GetTickCount() - deadline) < 0) {
            MSG msg;
            while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
                if (!TranslateAcceleratorA(MainWindow, shortcuts, &msg)) {
                    TranslateMessage(&msg);
                    DispatchMessageA(&msg);
                }
            }
            Sleep(10);
        }
        EXPECT_EQ(SelectedRows(), (std::vector<int>{ 0, 1 }));
    }
}

}  // namespace
