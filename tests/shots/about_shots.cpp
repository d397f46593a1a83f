// Not a test: opens the about box over a stand-in main window, puts its
// link into one state and holds it there for scripts/about-shots.sh.
//   about_shots.exe normal|hover|visited SIGNALDIR
// Writes SIGNALDIR\ready ("left top right bottom" of the box on the screen)
// once the state is set, and closes the box when SIGNALDIR\done appears.
// Opening the link is recorded, not carried out.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <string.h>

#include "about/about.h"
#include "res/resource.h"
#include "shellhook.h"

static const char* State = "normal";
static char ReadyFile[MAX_PATH];
static char DoneFile[MAX_PATH];
static HWND Owner = NULL;
static HWND Box = NULL;
static DWORD Deadline = 0;

static void MovePointer(POINT screen)
{
    SetCursorPos(screen.x, screen.y);
    ScreenToClient(Box, &screen);
    SendMessageA(Box, WM_MOUSEMOVE, 0, MAKELPARAM(screen.x, screen.y));
}

static POINT CentreOf(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    POINT p = { (r.left + r.right) / 2, (r.top + r.bottom) / 2 };
    return p;
}

static void SetLinkState()
{
    RECT box;
    GetWindowRect(Box, &box);
    POINT away = { box.left + 10, box.bottom + 40 };  // on the owner, below the box
    HWND link = GetDlgItem(Box, IDC_ABOUT_LINK);
    MovePointer(away);
    if (strcmp(State, "normal") != 0)
        MovePointer(CentreOf(link));
    if (strcmp(State, "visited") == 0) {
        SendMessageA(Box, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        MovePointer(away);
    }
    InvalidateRect(Box, NULL, TRUE);
    UpdateWindow(Box);

    FILE* ready = fopen(ReadyFile, "w");
    if (ready != NULL) {
        fprintf(ready, "%ld %ld %ld %ld\n", box.left, box.top, box.right, box.bottom);
        fclose(ready);
    }
}

static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (Box == NULL) {
        HWND found = FindWindowExA(NULL, NULL, "#32770", NULL);
        if (found != NULL && IsWindowVisible(found) && GetDlgItem(found, IDC_ABOUT_LINK) != NULL) {
            Box = found;
            SetLinkState();
        }
    } else if (GetFileAttributesA(DoneFile) != INVALID_FILE_ATTRIBUTES
               || (LONG)(GetTickCount() - Deadline) > 0) {
        PostMessageA(Box, WM_KEYDOWN, VK_ESCAPE, 0);
    }
}

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    State = argv[1];
    wsprintfA(ReadyFile, "%s\\ready", argv[2]);
    wsprintfA(DoneFile, "%s\\done", argv[2]);
    InitCommonControls();
    ShellExecuteRecorder shell;

    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hbrBackground = (HBRUSH)(COLOR_APPWORKSPACE + 1);
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.lpszClassName = "MirtavolenShotOwner";
    RegisterClassA(&wc);
    Owner = CreateWindowExA(0, wc.lpszClassName, "Mirtavolen", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 192,
                            184, 640, 400, NULL, NULL, wc.hInstance, NULL);

    Deadline = GetTickCount() + 30000;
    SetTimer(NULL, 0, 100, Tick);
    int result = ShowAboutBox(GetModuleHandleA(NULL), Owner, 300, 0x00060004, 0x00050008);
    DestroyWindow(Owner);
    printf("about box: %d, link opened %u time(s)\n", result, (unsigned)shell.Calls().size());
    return result == 1 ? 0 : 1;
}
