#include <windows.h>

#include <gtest/gtest.h>

#include "support/placement.h"
#include "taskbar.h"

namespace {

RECT Rect(int left, int top, int right, int bottom)
{
    RECT r = { left, top, right, bottom };
    return r;
}

TEST(Placement, CenteredPositionTable)
{
    const RECT screen = Rect(0, 0, 1280, 1024);
    struct {
        int line;
        RECT ref;
        int width, height;
        RECT area;
        int x, y;
    } cases[] = {
        // 600 x 400 at (100, 100), a 200 x 100 dialog.
        { __LINE__, Rect(100, 100, 700, 500), 200, 100, screen, 300, 250 },
        // Odd differences truncate toward zero: -3 / 2 is -1.
        { __LINE__, Rect(500, 500, 600, 600), 103, 103, screen, 499, 499 },
        { __LINE__, Rect(500, 500, 600, 600), 97, 97, screen, 501, 501 },
        // Crossing the left and top edges: moved onto them.
        { __LINE__, Rect(-300, -200, 100, 100), 300, 200, screen, 0, 0 },
        // Crossing the right and bottom edges: right and bottom on the area's.
        { __LINE__, Rect(1200, 1000, 1400, 1100), 200, 100, screen, 1080, 924 },
        // A work area that does not start at the origin (taskbar left, top).
        { __LINE__, Rect(0, 0, 100, 100), 200, 100, Rect(60, 40, 1280, 1024), 60, 40 },
        // Wider than the area and not left of it: pulled to the right edge,
        // so it sticks out on the left.
        { __LINE__, Rect(200, 0, 1280, 1024), 1400, 100, screen, -120, 462 },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        POINT p = CenteredPosition(c.ref, c.width, c.height, c.area);
        EXPECT_EQ(p.x, c.x);
        EXPECT_EQ(p.y, c.y);
    }
}

TEST(Placement, TaskbarEdgeTable)
{
    struct {
        int line;
        RECT rect;
        int edge;
    } cases[] = {
        { __LINE__, Rect(0, 0, 1280, 30), EdgeTop },
        { __LINE__, Rect(0, -28, 1280, 2), EdgeTop },        // auto-hidden above the screen
        { __LINE__, Rect(0, 994, 1280, 1024), EdgeBottom },
        { __LINE__, Rect(0, 0, 60, 1024), EdgeLeft },
        { __LINE__, Rect(-58, 0, 2, 1024), EdgeLeft },
        { __LINE__, Rect(1220, 0, 1280, 1024), EdgeRight },
        { __LINE__, Rect(0, 0, 50, 50), EdgeLeft },           // square counts as vertical
        { __LINE__, Rect(100, 100, 150, 150), EdgeRight },
        { __LINE__, Rect(0, 0, 0, 0), EdgeLeft },             // no taskbar
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(EdgeOfTaskbarRect(c.rect), c.edge);
    }
}

// Under a bare X server there is either no taskbar or Wine's hidden one
// with an empty rectangle: both read as no taskbar.
TEST(Placement, NoVisibleTaskbarGivesZeroRectangleAndLeftEdge)
{
    RECT r = Rect(5, 6, 7, 8);
    EXPECT_EQ(GetTaskbarEdge(&r, 1), EdgeLeft);
    EXPECT_TRUE(IsRectEmpty(&r) && r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0);
}

TEST(Placement, TaskbarWindowAndClientRectangles)
{
    TaskbarWindow bar(0, 0, 1280, 30);
    ASSERT_NE(bar.hwnd(), (HWND)NULL);
    RECT r;
    EXPECT_EQ(GetTaskbarEdge(&r, 1), EdgeTop);
    EXPECT_EQ(r.bottom, 30);
    EXPECT_EQ(r.right, 1280);
    EXPECT_EQ(GetTaskbarEdge(&r, 0), EdgeTop);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_LT(r.bottom, 30);  // the client rectangle, inside the border
}

TEST(Placement, CentresARealWindowOverItsReference)
{
    HWND ref = CreateWindowExA(0, "STATIC", NULL, WS_POPUP | WS_VISIBLE, 100, 100, 600, 400,
                               NULL, NULL, NULL, NULL);
    HWND box = CreateWindowExA(0, "STATIC", NULL, WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, NULL,
                               NULL, NULL, NULL);
    ASSERT_TRUE(ref && box);
    CenterWindowInWorkArea(box, ref);
    RECT r;
    GetWindowRect(box, &r);
    EXPECT_EQ(r.left, 300);
    EXPECT_EQ(r.top, 250);
    EXPECT_EQ(r.right - r.left, 200);  // the size stays

    // No reference: the desktop, that is the centre of the screen.
    CenterWindowInWorkArea(box, NULL);
    GetWindowRect(box, &r);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 200) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 100) / 2);

    // A reference far off the screen pulls the box onto the work area.
    MoveWindow(ref, -2000, -2000, 600, 400, FALSE);
    CenterWindowInWorkArea(box, ref);
    GetWindowRect(box, &r);
    RECT area;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_EQ(r.left, area.left);
    EXPECT_EQ(r.top, area.top);
    DestroyWindow(box);
    DestroyWindow(ref);
}

}  // namespace
