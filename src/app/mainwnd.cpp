#include "app/mainwnd.h"

#include <commctrl.h>
#include <mmsystem.h>

#include "about/about.h"
#include "convert/batch.h"
#include "dialogs/itemdlg.h"
#include "dialogs/prompts.h"
#include "joblist/jobrow.h"
#include "joblist/listview.h"
#include "res/resource.h"
#include "support/paths.h"
#include "support/placement.h"
#include "support/settings.h"
#include "support/text.h"

HINSTANCE AppInstance = NULL;
HWND MainWindow = NULL;
const char MainWindowClass[] = "MirtavolenClass";

namespace {

// Set by a close request that came while a handler was running: the
// handler ends what it has open and asks nothing more.
int CloseRequested = 0;

const int ItemPopupPosition = 1;
const int HelpPopupPosition = 3;
const char HelpChmName[] = "Mirtavolen.chm";
const char HelpTxtName[] = "Mirtavolen.txt";

// The type commands are numbered as the types are.
static_assert(IDM_ITEM_TYPEINVERT == 1023 + ConvInvert && IDM_ITEM_TYPEREVERSE == 1023 + ConvReverse
                  && IDM_ITEM_TYPEPASSWORD == 1023 + ConvPassword
                  && IDM_ITEM_TYPENONE == 1023 + ConvNone,
              "menu command 1023 + n is type n");

// Entries that need rows, and entries that need a selection.
const UINT NeedRows[] = { IDM_ITEM_CONVERTALL, IDM_ITEM_SELECTALL };
const UINT NeedSelection[] = { IDM_ITEM_CONVERTSEL, IDM_FILE_DELETE, IDM_ITEM_SETTINGS,
                               IDM_ITEM_TYPEINVERT, IDM_ITEM_TYPEREVERSE,
                               IDM_ITEM_TYPEPASSWORD, IDM_ITEM_TYPENONE };

// A file beside the executable, in a 260-byte buffer; 0 if it does not fit.
int HelpFilePath(char* path, const char* name)
{
    return GetModuleDir(path, 1) > 0 && AppendText(path, MAX_PATH, name);
}

int HelpFileExists(const char* name)
{
    char path[MAX_PATH];
    return HelpFilePath(path, name) && PathExists(path);
}

void OpenHelpFile(HWND window, const char* name)
{
    char path[MAX_PATH];
    if (HelpFilePath(path, name))
        ShellExecuteA(window, NULL, path, NULL, NULL, SW_SHOWNORMAL);
}

void EnableEntry(HMENU popup, UINT id, int enabled)
{
    EnableMenuItem(popup, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void ShowItemPopup(HWND owner, int x, int y)
{
    HMENU popup = GetSubMenu(GetMenu(owner), ItemPopupPosition);
    if (popup != NULL)
        TrackPopupMenu(popup, TPM_RIGHTBUTTON, x, y, 0, owner, NULL);
}

// The label a type command gives a row whose label is current. The
// password type asks for the password, starting from the row's own, unless
// the same password was asked to be used for the rest of the command; a
// cancelled question keeps the row's label.
void TypeCommandLabel(HWND window, UINT command, const char* current, char* label)
{
    switch (command) {
    case IDM_ITEM_TYPEINVERT:
        ComposeTypeLabel(ConvInvert, NULL, label, LabelSize);
        return;
    case IDM_ITEM_TYPEREVERSE:
        ComposeTypeLabel(ConvReverse, NULL, label, LabelSize);
        return;
    case IDM_ITEM_TYPEPASSWORD:
        break;
    default:
        ComposeTypeLabel(ConvNone, NULL, label, LabelSize);
        return;
    }
    if (!SamePasswordFlag) {
        const char* own = NULL;
        int hasOwn = ClassifyTypeLabel(current, &own) == ConvPassword
            && current[lstrlenA(LabelPassword)] == '=';
        if (CloseRequested || AskPassword(window, hasOwn ? own : NULL) != DialogConfirmed) {
            CopyTextCut(label, LabelSize - 1, current[0] != '\0' ? current : LabelNone);
            return;
        }
    }
    ComposeTypeLabel(ConvPassword, LastPassword, label, LabelSize);
}

void SetSelectedRowsType(HWND window, UINT command)
{
    // A close request cancels the prompt and asks no further row.
    for (int row = NextSelectedRow(JobListView, -1); row != -1 && !CloseRequested;
         row = NextSelectedRow(JobListView, row)) {
        char current[LabelSize];
        ReadJobColumn(JobListView, row, ColTypeLabel, current, sizeof current);
        char label[LabelSize];
        TypeCommandLabel(window, command, current, label);
        WriteJobColumn(JobListView, row, ColTypeLabel, label);
    }
    SamePasswordFlag = 0;
}

// Item settings for the selected rows, starting at the first; nothing
// without a selection.
void EditSelectedItems(HWND window)
{
    int first = NextSelectedRow(JobListView, -1);
    if (first != -1)
        OpenItemSettings(window, first);
}

void EditOverwriteDefault(HWND window)
{
    OverwritePolicy answer = 0;
    if (AskOverwrite(window, &answer) == DialogConfirmed)
        ItemDefaults.DefPolicy = answer;
}

// The chime, then the about box sliding in (300 ms) and out again.
void ShowVersion(HWND window)
{
    const DWORD SoundFlags = SND_RESOURCE | SND_ASYNC | SND_NODEFAULT | SND_NOSTOP | SND_NOWAIT;
    PlaySoundA(MAKEINTRESOURCEA(IDW_CHIME), AppInstance, SoundFlags);
    ShowAboutBox(AppInstance, window, 300, AW_SLIDE | AW_ACTIVATE | AW_VER_POSITIVE,
                 AW_SLIDE | AW_HIDE | AW_VER_NEGATIVE);
}

// Whether enough of a window is on the screen to be seen and dragged:
// at least 64 by 16 pixels of it inside the virtual screen.
int ShownOnScreen(HWND window)
{
    RECT own;
    if (!GetWindowRect(window, &own))
        return 1;
    RECT screen;
    screen.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    screen.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    screen.right = screen.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    screen.bottom = screen.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    RECT shown;
    if (!IntersectRect(&shown, &own, &screen))
        return 0;
    return shown.right - shown.left >= 64 && shown.bottom - shown.top >= 16;
}

// Puts the main window's place and the list's column widths into
// AppSettings, as the next start is to create them, and saves the settings.
void SaveWindowSettings(HWND window)
{
    WINDOWPLACEMENT placement;
    ZeroMemory(&placement, sizeof placement);
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    const RECT& normal = placement.rcNormalPosition;
    // The restored rectangle is relative to the work area; creation takes
    // screen coordinates, so add the taskbar where it moves the origin.
    RECT taskbar;
    int edge = GetTaskbarEdge(&taskbar, 1);
    AppSettings.WindowPosLeft = normal.left + (edge == EdgeLeft ? taskbar.right : 0);
    AppSettings.WindowPosTop = normal.top + (edge == EdgeTop ? taskbar.bottom : 0);
    AppSettings.WindowWidth = normal.right - normal.left;
    AppSettings.WindowHeight = normal.bottom - normal.top;
    AppSettings.Maximized = placement.showCmd == SW_SHOWMAXIMIZED ? 1 : 0;
    AppSettings.ColWidth1 = JobColumnWidth(JobListView, ColSrcFile);
    AppSettings.ColWidth2 = JobColumnWidth(JobListView, ColDestFile);
    AppSettings.ColWidth3 = JobColumnWidth(JobListView, ColTypeLabel);
    SaveSettings();
}

void CloseMainWindow(HWND window)
{
    SaveWindowSettings(window);
    if (JobListView != NULL) {
        SetWindowLongPtrA(JobListView, GWLP_WNDPROC, (LONG_PTR)PrevListViewProc);
        DestroyWindow(JobListView);
    }
    DestroyWindow(window);
}

// Handlers of commands and notifications under way: while one runs, it may
// be inside a modal loop (a dialog, a batch) whose owner the main window
// is, so a close request must wait until it has returned.
int HandlersRunning = 0;

// Asks whatever runs inside a handler to end at once: an open popup menu
// closes, the batch stops as its stop button does, every open dialog of the
// thread is cancelled, and the handlers open no further dialog. The main window closes when the
// outermost handler has returned.
void RequestClose(void)
{
    CloseRequested = 1;
    EndMenu();
    if (BatchRunning)
        StopBatch();
    else
        CancelOpenDialogs();
}

void CloseIfRequested(HWND window)
{
    if (CloseRequested && HandlersRunning == 0) {
        CloseRequested = 0;
        CloseMainWindow(window);
    }
}

LRESULT HandleCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    ++HandlersRunning;
    int handled = (message == WM_COMMAND ? OnCommand(window, wParam)
                                         : OnNotify(window, (const NMHDR*)lParam))
        == MessageHandled;
    --HandlersRunning;
    LRESULT result = handled ? 0 : DefWindowProcA(window, message, wParam, lParam);
    CloseIfRequested(window);
    return result;
}

}  // namespace

int RegisterMainWindowClass(HINSTANCE instance)
{
    WNDCLASSEXA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.style = CS_BYTEALIGNWINDOW | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_APPWORKSPACE + 1);
    wc.lpszMenuName = MAKEINTRESOURCEA(IDR_MAINMENU);
    wc.lpszClassName = MainWindowClass;
    return RegisterClassExA(&wc) != 0 ? 1 : 0;
}

int CreateMainWindow(HINSTANCE instance, int showCommand)
{
    AppInstance = instance;
    char title[64] = "";
    LoadStringA(instance, IDS_APP_TITLE, title, sizeof title);
    HWND window = CreateWindowExA(0, MainWindowClass, title, WS_OVERLAPPEDWINDOW,
                                  AppSettings.WindowPosLeft, AppSettings.WindowPosTop,
                                  AppSettings.WindowWidth, AppSettings.WindowHeight,
                                  NULL, NULL, instance, NULL);
    if (window == NULL)
        return 0;
    MainWindow = window;
    // The saved place is used as it is, unless it leaves the window off the
    // screen (a hand-edited settings file, a monitor that is gone), where it
    // could be neither seen nor moved back: then it is centred in the work
    // area at its saved size.
    if (!ShownOnScreen(window))
        CenterWindowInWorkArea(window, NULL);
    ShowWindow(window, AppSettings.Maximized ? SW_SHOWMAXIMIZED : showCommand);
    UpdateWindow(window);
    return 1;
}

int RunMirtavolen(HINSTANCE instance, int showCommand)
{
    if (!RegisterMainWindowClass(instance))
        return 0;
    LoadSettings();
    INITCOMMONCONTROLSEX controls = { sizeof controls,
                                      ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES };
    InitCommonControlsEx(&controls);
    if (!CreateMainWindow(instance, showCommand))
        return 0;

    HACCEL accelerators = LoadAcceleratorsA(AppInstance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    MSG msg;
    msg.wParam = 0;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        if (accelerators != NULL && TranslateAcceleratorA(MainWindow, accelerators, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        DragAcceptFiles(window, TRUE);
        CreateJobListView(window, JobListSubclassProc);
        return 0;
    case WM_SIZE:
        MoveWindow(JobListView, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_SETFOCUS:
        SetFocus(JobListView);
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_ERASEBKGND:
        return 0;  // the list covers the whole client area
    case WM_CLOSE:
        // "End task", a shutdown or the close box during a batch or while
        // a dialog is open: end them, then close as usual.
        if (HandlersRunning > 0) {
            RequestClose();
            return 0;
        }
        CloseMainWindow(window);
        return 0;
    case WM_QUERYENDSESSION:
        StopBatch();
        return TRUE;
    case WM_ENDSESSION:
        // The process may end as soon as this returns.
        if (wParam) {
            StopBatch();
            SaveWindowSettings(window);
        }
        return 0;
    case WM_DESTROY:
        if (window == MainWindow)
            MainWindow = NULL;
        JobListView = NULL;
        PostQuitMessage(0);
        return 0;
    case WM_DRAWITEM:
        if (wParam != IDC_JOBLIST)
            return DefWindowProcA(window, message, wParam, lParam);
        DrawJobRow(((DRAWITEMSTRUCT*)lParam)->hwndItem, (DRAWITEMSTRUCT*)lParam);
        return TRUE;
    case WM_MEASUREITEM:
        if (wParam != IDC_JOBLIST)
            return DefWindowProcA(window, message, wParam, lParam);
        MeasureJobRow((MEASUREITEMSTRUCT*)lParam);
        return TRUE;
    case WM_NOTIFY:
    case WM_COMMAND:
        return HandleCommand(window, message, wParam, lParam);
    case WM_INITMENUPOPUP:
        OnInitMenuPopup(window, (HMENU)wParam);
        return 0;
    case WM_DROPFILES:
        OnDropFiles(window, (HDROP)wParam);
        SamePasswordFlag = 0;
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

int OnCommand(HWND window, WPARAM wParam)
{
    UINT command = LOWORD(wParam);
    switch (command) {
    case IDM_FILE_ADD:          AddFilesFromOpenDialog(JobListView); SamePasswordFlag = 0; return MessageHandled;
    case IDM_FILE_DELETE:       DeleteSelectedRows(JobListView); return MessageHandled;
    case IDM_FILE_EXIT:         SendMessageA(window, WM_CLOSE, 0, 0); return MessageHandled;
    case IDM_ITEM_CONVERTALL:   StartBatch(window, 1); return MessageHandled;
    case IDM_ITEM_CONVERTSEL:   StartBatch(window, 0); return MessageHandled;
    case IDM_ITEM_SETTINGS:     EditSelectedItems(window); return MessageHandled;
    case IDM_ITEM_TYPEINVERT:
    case IDM_ITEM_TYPEREVERSE:
    case IDM_ITEM_TYPEPASSWORD:
    case IDM_ITEM_TYPENONE:     SetSelectedRowsType(window, command); return MessageHandled;
    case IDM_ITEM_SELECTALL:    SelectAllRows(JobListView); return MessageHandled;
    case IDM_SET_DEFAULTS:      OpenItemSettings(window, -1); return MessageHandled;
    case IDM_SET_OVERWRITE:     EditOverwriteDefault(window); return MessageHandled;
    case IDM_HELP_CHM:          OpenHelpFile(window, HelpChmName); return MessageHandled;
    case IDM_HELP_TXT:          OpenHelpFile(window, HelpTxtName); return MessageHandled;
    case IDM_HELP_ABOUT:        ShowVersion(window); return MessageHandled;
    default:                    return MessageGoesOn;
    }
}

int OnNotify(HWND window, const NMHDR* header)
{
    switch (header->code) {
    case NM_RCLICK: {
        POINT at;
        GetCursorPos(&at);
        ShowItemPopup(window, at.x, at.y);
        return MessageHandled;
    }
    case NM_DBLCLK:
        EditSelectedItems(window);
        return MessageHandled;
    default:
        return OnJobListNotify(header);
    }
}

void OnInitMenuPopup(HWND window, HMENU popup)
{
    int rows = JobRowCount(JobListView);
    for (UINT id : NeedRows)
        EnableEntry(popup, id, rows > 0);
    int selection = rows > 0 && NextSelectedRow(JobListView, -1) != -1;
    for (UINT id : NeedSelection)
        EnableEntry(popup, id, selection);

    HMENU help = GetSubMenu(GetMenu(window), HelpPopupPosition);
    if (help != NULL) {
        EnableEntry(help, IDM_HELP_CHM, HelpFileExists(HelpChmName));
        EnableEntry(help, IDM_HELP_TXT, HelpFileExists(HelpTxtName));
    }
}

void OnDropFiles(HWND, HDROP drop)
{
    AddDroppedFiles(JobListView, drop);
    DragFinish(drop);
}

LRESULT CALLBACK JobListSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN && wParam == VK_APPS) {
        RECT rect;
        GetWindowRect(window, &rect);
        ShowItemPopup(GetParent(window), rect.left, rect.top);
        return 0;
    }
    return CallWindowProcA(PrevListViewProc, window, message, wParam, lParam);
}
