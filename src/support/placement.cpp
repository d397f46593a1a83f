#include "support/placement.h"

namespace {

// One axis: centred, then pulled to the near edge, or else to the far edge
// (a window larger than the area may therefore stick out on the near side).
int CenterOnAxis(int refStart, int refSize, int size, int areaStart, int areaEnd)
{
    int pos = refStart + (refSize - size) / 2;
    if (pos < areaStart)
        pos = areaStart;
    else if (pos + size > areaEnd)
        pos = areaEnd - size;
    return pos;
}

}  // namespace

POINT CenteredPosition(const RECT& ref, int width, int height, const RECT& area)
{
    POINT p;
    p.x = CenterOnAxis(ref.left, ref.right - ref.left, width, area.left, area.right);
    p.y = CenterOnAxis(ref.top, ref.bottom - ref.top, height, area.top, area.bottom);
    return p;
}

void CenterWindowInWorkArea(HWND window, HWND reference)
{
    RECT own;
    if (!GetWindowRect(window, &own))
        return;
    if (reference == NULL)
        reference = GetDesktopWindow();
    RECT ref;
    if (!GetWindowRect(reference, &ref))
        return;
    RECT area;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 16, &area, 0))
        SetRect(&area, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));

    POINT p = CenteredPosition(ref, own.right - own.left, own.bottom - own.top, area);
    SetWindowPos(window, HWND_TOP, p.x, p.y, 0, 0, SWP_NOSIZE);
}

int EdgeOfTaskbarRect(const RECT& rect)
{
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    if (height < width)
        return rect.top <= 0 ? EdgeTop : EdgeBottom;
    return rect.left <= 0 ? EdgeLeft : EdgeRight;
}

int GetTaskbarEdge(RECT* rect, int wholeWindow)
{
    SetRectEmpty(rect);
    HWND taskbar = FindWindowA("Shell_TrayWnd", NULL);
    if (taskbar != NULL && !GetWindowRect(taskbar, rect))
        SetRectEmpty(rect);
    int edge = EdgeOfTaskbarRect(*rect);
    if (!wholeWindow && taskbar != NULL)
        GetClientRect(taskbar, rect);
    return edge;
}
