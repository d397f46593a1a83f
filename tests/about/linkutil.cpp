#include "linkutil.h"

#include <commctrl.h>

TestWindow::TestWindow(RECT r)
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = "MirtavolenTestWindow";
    RegisterClassA(&wc);  // fails harmlessly when registered already
    window_ = CreateWindowExA(0, wc.lpszClassName, "Mirtavolen", WS_POPUP | WS_VISIBLE, r.left, r.top,
                              r.right - r.left, r.bottom - r.top, NULL, NULL, wc.hInstance, NULL);
}

HWND TestWindow::AddStatic(const char* text, DWORD align, int x, int y, int width, int height)
{
    HWND control = CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE | align, x, y, width,
                                   height, window_, NULL, GetModuleHandleA(NULL), NULL);
    SendMessageA(control, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
    return control;
}

RECT Rect(int left, int top, int right, int bottom)
{
    RECT r = { left, top, right, bottom };
    return r;
}

std::string Rgb(COLORREF colour)
{
    if (colour == CLR_INVALID)
        return "no brush";
    char text[40];
    wsprintfA(text, "RGB(%d, %d, %d)", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}

COLORREF TextColourSetBy(const std::function<HBRUSH(HDC)>& answer)
{
    HDC dc = CreateCompatibleDC(NULL);
    SetTextColor(dc, RGB(1, 2, 3));  // a colour nobody paints with
    COLORREF colour = answer(dc) != NULL ? GetTextColor(dc) : CLR_INVALID;
    DeleteDC(dc);
    return colour;
}

RECT RectInParent(HWND control)
{
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), (POINT*)&r, 2);
    return r;
}

SIZE ExtentInControlFont(HWND control, const std::string& text)
{
    SIZE size = { 0, 0 };
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(control, WM_GETFONT, 0, 0));
    GetTextExtentPoint32A(dc, text.c_str(), (int)text.size(), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size;
}

RECT ToolRect(HWND tooltip, HWND control, std::string* text)
{
    char buffer[256] = "";
    TOOLINFOA info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.hwnd = GetParent(control);
    info.uId = (UINT_PTR)control;
    if (!SendMessageA(tooltip, TTM_GETTOOLINFOA, 0, (LPARAM)&info))
        SetRect(&info.rect, -1, -1, -1, -1);
    info.lpszText = buffer;
    SendMessageA(tooltip, TTM_GETTEXTA, 0, (LPARAM)&info);
    *text = buffer;
    return info.rect;
}
