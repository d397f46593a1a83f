// Where windows stand on the screen: centring dialogs inside the primary
// work area, and finding the taskbar's edge.
#ifndef MIRTAVOLEN_SUPPORT_PLACEMENT_H
#define MIRTAVOLEN_SUPPORT_PLACEMENT_H

#include <windows.h>

// Screen edges as GetTaskbarEdge reports them, clockwise from the top.
enum TaskbarEdge { EdgeTop = 1, EdgeRight = 2, EdgeBottom = 3, EdgeLeft = 4 };

// Centres window over reference (the desktop when null), then pulls it back
// inside the primary work area; keeps its size and brings it to the top.
void CenterWindowInWorkArea(HWND window, HWND reference);

// Which edge the taskbar occupies; rect receives its window rectangle, or
// with wholeWindow 0 its client rectangle. Without a taskbar the rectangle
// is all zero (edge 4 with no extent).
int GetTaskbarEdge(RECT* rect, int wholeWindow);

// The pure arithmetic of the centring: the top-left corner for a window of
// the given size centred on ref and clamped to area.
POINT CenteredPosition(const RECT& ref, int width, int height, const RECT& area);

// The edge of a taskbar with this window rectangle.
int EdgeOfTaskbarRect(const RECT& rect);

#endif
