// Drives a running Mirtavolen from outside for the README screenshots, the
// way a user would: keys to the list, menu commands, closing. Each step
// returns only once the window it changed has repainted, so the caller may
// take a screenshot as soon as it returns: that is the ready signal.
// Usage: shotdriver ready ROWS | select N | command ID | open ID | cancel | close
// (command: a menu command that returns; open: one that opens a dialog,
// which is waited for.) Exits with 1 when the state is not reached within
// about 30 seconds.
#include <windows.h>
#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

// Polls until found() gives a window, at most 30 s.
template <typename Find> static HWND WaitFor(Find found)
{
    for (int i = 0; i < 300; ++i) {
        HWND w = found();
        if (w != NULL)
            return w;
        Sleep(100);
    }
    return NULL;
}

namespace {

HWND VisibleDialog()
{
    HWND d = FindWindowA("#32770", NULL);
    return d != NULL && IsWindowVisible(d) ? d : NULL;
}

// Has the window's thread paint all of it now (WM_PAINT is sent, so this
// returns after the painting).
void Repaint(HWND window)
{
    RedrawWindow(window, NULL, NULL,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 1;
    const char* what = argv[1];
    const int number = argc > 2 ? atoi(argv[2]) : 0;
    // The program runs in Wine's desktop window named "shot", which may
    // not exist yet: look there once it does.
    HWND main = WaitFor([] {
        static bool onDesktop = false;
        if (!onDesktop) {
            HDESK desk = OpenDesktopA("shot", 0, FALSE, GENERIC_ALL);
            onDesktop = desk != NULL && SetThreadDesktop(desk);
            if (!onDesktop)
                return (HWND)NULL;
        }
        HWND w = FindWindowA("MirtavolenClass", NULL);
        return w != NULL && IsWindowVisible(w) ? w : NULL;
    });
    if (main == NULL)
        return 1;
    HWND list = FindWindowExA(main, NULL, WC_LISTVIEWA, NULL);
    if (strcmp(what, "ready") == 0) {
        HWND full = WaitFor([list, number] {
            return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == number ? list : NULL;
        });
        if (full == NULL)
            return 1;
    } else if (strcmp(what, "select") == 0) {
        // Home, then Down N times: the list selects and focuses that row.
        SetForegroundWindow(main);
        SendMessageA(list, WM_KEYDOWN, VK_HOME, 0);
        for (int i = 0; i < number; ++i)
            SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
    } else if (strcmp(what, "command") == 0) {
        SendMessageA(main, WM_COMMAND, MAKEWPARAM(number, 0), 0);
    } else if (strcmp(what, "open") == 0) {
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(number, 0), 0);
        HWND dialog = WaitFor(VisibleDialog);
        if (dialog == NULL)
            return 1;
        Repaint(dialog);
        return 0;
    } else if (strcmp(what, "cancel") == 0) {
        HWND dialog = VisibleDialog();
        if (dialog == NULL)
            return 1;
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        if (WaitFor([dialog] { return IsWindow(dialog) ? NULL : dialog; }) == NULL)
            return 1;
    } else if (strcmp(what, "close") == 0) {
        PostMessageA(main, WM_CLOSE, 0, 0);
        return 0;
    } else {
        return 1;
    }
    Repaint(main);
    return 0;
}
