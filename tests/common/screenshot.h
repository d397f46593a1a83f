// What a window shows on the screen, read back as pixels, and where the
// dark pixels of its text lie.
#ifndef MIRTAVOLEN_TESTS_SCREENSHOT_H
#define MIRTAVOLEN_TESTS_SCREENSHOT_H

#include <windows.h>

#include <vector>

// A window's client area as painted on the screen: the window is made to
// paint what is pending, then its client area is copied into a bitmap.
class Screenshot {
public:
    explicit Screenshot(HWND window);
    int Width() const { return width_; }
    int Height() const { return height_; }
    // CLR_INVALID outside the picture.
    COLORREF At(int x, int y) const;

private:
    int width_;
    int height_;
    std::vector<DWORD> pixels_;
};

// Text pixels: darker than any of the background colours of the program.
bool IsInk(COLORREF c);

struct InkColumn {
    int x;
    int top;
    int bottom;
};

// The columns of x in [left, right) that hold ink between top and bottom
// (bottom exclusive), each with its topmost and lowest ink.
std::vector<InkColumn> InkColumns(const Screenshot& shot, int left, int right, int top, int bottom);

#endif
