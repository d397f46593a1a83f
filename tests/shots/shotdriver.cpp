// Drives a running Mirtavolen from outside for the README screenshots, the
// way a user would: keys to the list, menu commands, closing.
// Usage: shotdriver select N | command ID | dialog | cancel | close
#include <windows.h>
#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

static HWND MainWindow()
{
    for (int i = 0; i < 100; ++i) {
        HWND w = FindWindowA("MirtavolenClass", NULL);
        if (w != NULL)
            return w;
        Sleep(100);
    }
    return NULL;
}

static HWND VisibleDialog()
{
    for (int i = 0; i < 100; ++i) {
        HWND d = FindWindowA("#32770", NULL);
        if (d != NULL && IsWindowVisible(d))
            return d;
        Sleep(100);
    }
    return NULL;
}

int main(int argc, char** argv)
{
    // The program runs in Wine's desktop window named "shot": look there.
    HDESK desk = OpenDesktopA("shot", 0, FALSE, GENERIC_ALL);
    if (desk != NULL)
        SetThreadDesktop(desk);
    HWND main = MainWindow();
    if (main == NULL || argc < 2)
        return 1;
    HWND list = FindWindowExA(main, NULL, WC_LISTVIEWA, NULL);
    if (strcmp(argv[1], "select") == 0 && argc > 2) {
        // Home, then Down N times: the list selects and focuses that row.
        SetForegroundWindow(main);
        SendMessageA(list, WM_KEYDOWN, VK_HOME, 0);
        for (int i = 0; i < atoi(argv[2]); ++i)
            SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
        return 0;
    }
    if (strcmp(argv[1], "command") == 0 && argc > 2) {
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(atoi(argv[2]), 0), 0);
        return 0;
    }
    if (strcmp(argv[1], "dialog") == 0)
        return VisibleDialog() != NULL ? 0 : 1;
    if (strcmp(argv[1], "cancel") == 0) {
        HWND d = VisibleDialog();
        if (d != NULL)
            PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
        return 0;
    }
    if (strcmp(argv[1], "close") == 0) {
        PostMessageA(main, WM_CLOSE, 0, 0);
        return 0;
    }
    return 1;
}
