#include "screenshot.h"

#include <algorithm>

Screenshot::Screenshot(HWND window) : width_(0), height_(0)
{
    UpdateWindow(window);
    RECT client;
    GetClientRect(window, &client);
    width_ = client.right;
    height_ = client.bottom;
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info;
    ZeroMemory(&info, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = NULL;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width_, height_, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD* p = (const DWORD*)bits;
    if (p != NULL)
        pixels_.assign(p, p + (size_t)width_ * height_);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, screen);
}

COLORREF Screenshot::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || pixels_.empty())
        return CLR_INVALID;
    DWORD v = pixels_[(size_t)y * width_ + x];  // 0x00RRGGBB
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

bool IsInk(COLORREF c)
{
    return c != CLR_INVALID && GetRValue(c) < 160 && GetGValue(c) < 160 && GetBValue(c) < 160;
}

std::vector<InkColumn> InkColumns(const Screenshot& shot, int left, int right, int top, int bottom)
{
    std::vector<InkColumn> columns;
    for (int x = left; x < right; ++x) {
        InkColumn c = { x, bottom, top - 1 };
        for (int y = top; y < bottom; ++y) {
            if (IsInk(shot.At(x, y))) {
                c.top = std::min(c.top, y);
                c.bottom = std::max(c.bottom, y);
            }
        }
        if (c.bottom >= c.top)
            columns.push_back(c);
    }
    return columns;
}
