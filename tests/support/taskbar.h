// A window of the taskbar's class, so that the real lookup by class name
// finds it where the test puts it.
#ifndef MIRTAVOLEN_TESTS_TASKBAR_H
#define MIRTAVOLEN_TESTS_TASKBAR_H

#include <windows.h>

class TaskbarWindow {
public:
    TaskbarWindow(int x, int y, int w, int h)
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "Shell_TrayWnd";
        RegisterClassA(&wc);
        window_ = CreateWindowExA(WS_EX_TOOLWINDOW, "Shell_TrayWnd", NULL, WS_POPUP | WS_BORDER,
                                  x, y, w, h, NULL, NULL, GetModuleHandleA(NULL), NULL);
    }
    ~TaskbarWindow() { DestroyWindow(window_); }
    HWND hwnd() const { return window_; }

private:
    TaskbarWindow(const TaskbarWindow&);
    HWND window_;
};

#endif
