// Not a test: opens the about box over a stand-in main window, puts its
// link into one state and holds it there for scripts/about-shots.sh.
//   about_shots.exe normal|hover|visited SIGNALDIR
// Writes SIGNALDIR\ready once the state is reached and painted ("left top
// right bottom" of the box on the screen, or "failed"), and closes the box
// when SIGNALDIR\done appears. Opening the link is recorded, not carried
// out.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <string.h>

#include "about/about.h"
#include "res/resource.h"
#include "shellhook.h"

// Steps towards the state, one per timer tick so that the messages of the
// pointer's moves are handled in between; a step that did not take is
// done again.
enum Stage { FindBox, Aim, CheckAim, Click, Leave, CheckLeave, Reached, Failed };

namespace {

const char* State = "normal";
char ReadyFile[MAX_PATH];
char DoneFile[MAX_PATH];
HWND Box = NULL;
Stage Now = FindBox;
int Ticks = 0;
ShellExecuteRecorder* Shell = NULL;

POINT CentreOf(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    POINT p = { (r.left + r.right) / 2, (r.top + r.bottom) / 2 };
    return p;
}

// On the owner, below the box.
POINT AwayFromTheBox()
{
    RECT box;
    GetWindowRect(Box, &box);
    POINT p = { box.left + 10, box.bottom + 40 };
    return p;
}

void MovePointer(POINT screen)
{
    SetCursorPos(screen.x, screen.y);
    ScreenToClient(Box, &screen);
    SendMessageA(Box, WM_MOUSEMOVE, 0, MAKELPARAM(screen.x, screen.y));
}

void WriteReady(bool reached)
{
    RECT box;
    GetWindowRect(Box, &box);
    FILE* ready = fopen(ReadyFile, "wb");
    if (ready == NULL)
        return;
    if (reached)
        fprintf(ready, "%ld %ld %ld %ld\n", box.left, box.top, box.right, box.bottom);
    else
        fprintf(ready, "failed\n");
    fclose(ready);
}

Stage Advance(Stage stage)
{
    bool onLink = strcmp(State, "normal") != 0;
    switch (stage) {
    case FindBox: {
        HWND found = FindWindowExA(NULL, NULL, "#32770", NULL);
        if (found == NULL || !IsWindowVisible(found) || GetDlgItem(found, IDC_ABOUT_LINK) == NULL)
            return FindBox;
        Box = found;
        return Aim;
    }
    case Aim:
        MovePointer(onLink ? CentreOf(GetDlgItem(Box, IDC_ABOUT_LINK)) : AwayFromTheBox());
        return CheckAim;
    case CheckAim:
        if (GetCapture() != (onLink ? Box : NULL))
            return Aim;
        return strcmp(State, "visited") == 0 ? Click : Reached;
    case Click:
        SendMessageA(Box, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        return Shell->Calls().size() == 1 ? Leave : Aim;
    case Leave:
        MovePointer(AwayFromTheBox());
        return CheckLeave;
    case CheckLeave:
        return GetCapture() == NULL ? Reached : Leave;
    case Reached:
        return Reached;
    case Failed:
        return Failed;
    }
    return Failed;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
{
    ++Ticks;
    if (Now == Reached || Now == Failed) {
        if (GetFileAttributesA(DoneFile) != INVALID_FILE_ATTRIBUTES || Ticks > 300)
            PostMessageA(Box, WM_KEYDOWN, VK_ESCAPE, 0);
        return;
    }
    Now = Advance(Now);
    if (Now != Reached && Ticks > 100 && Box != NULL)
        Now = Failed;
    if (Now == Reached || Now == Failed) {
        // Painted, link and frame included, before the signal: the
        // screenshot is taken as soon as it appears.
        RedrawWindow(Box, NULL, NULL,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        GdiFlush();
        WriteReady(Now == Reached);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    State = argv[1];
    wsprintfA(ReadyFile, "%s\\ready", argv[2]);
    wsprintfA(DoneFile, "%s\\done", argv[2]);
    InitCommonControls();
    ShellExecuteRecorder shell;
    Shell = &shell;

    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hbrBackground = (HBRUSH)(COLOR_APPWORKSPACE + 1);
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.lpszClassName = "MirtavolenShotOwner";
    RegisterClassA(&wc);
    HWND owner = CreateWindowExA(0, wc.lpszClassName, "Mirtavolen", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 192, 184, 640, 400, NULL, NULL, wc.hInstance, NULL);

    SetTimer(NULL, 0, 100, Tick);
    int result = ShowAboutBox(GetModuleHandleA(NULL), owner, 300, 0x00060004, 0x00050008);
    DestroyWindow(owner);
    printf("about box: %d, link opened %u time(s)\n", result, (unsigned)shell.Calls().size());
    return result == 1 ? 0 : 1;
}
