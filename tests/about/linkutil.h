// Helpers of the about box tests: a window to own or parent things, the
// colour a link paints with, where controls stand, and the link's tooltip.
#ifndef MIRTAVOLEN_TESTS_ABOUT_LINKUTIL_H
#define MIRTAVOLEN_TESTS_ABOUT_LINKUTIL_H

#include <windows.h>

#include <functional>
#include <ostream>
#include <string>

// Rectangles compared and printed by EXPECT_EQ.
inline bool operator==(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}
inline void PrintTo(const RECT& r, std::ostream* out)
{
    *out << "(" << r.left << ", " << r.top << ")-(" << r.right << ", " << r.bottom << ")";
}

// A visible, plain top-level window over screenRect, destroyed with the object.
class TestWindow {
public:
    explicit TestWindow(RECT screenRect);
    ~TestWindow() { DestroyWindow(window_); }
    HWND hwnd() const { return window_; }
    // A static child in the GUI font, at client coordinates.
    HWND AddStatic(const char* text, DWORD align, int x, int y, int width, int height);

private:
    HWND window_;
};

RECT Rect(int left, int top, int right, int bottom);

// "RGB(r, g, b)", or "no brush" for CLR_INVALID: readable failures.
std::string Rgb(COLORREF colour);

// The text colour that answer (to WM_CTLCOLORSTATIC) sets into a fresh DC;
// CLR_INVALID when it gives no brush.
COLORREF TextColourSetBy(const std::function<HBRUSH(HDC)>& answer);

// The control's window rectangle in its parent's client coordinates.
RECT RectInParent(HWND control);
SIZE ExtentInControlFont(HWND control, const std::string& text);

// The rectangle and text of the tool that tooltip holds for control.
RECT ToolRect(HWND tooltip, HWND control, std::string* text);

#endif
