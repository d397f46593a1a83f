#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "about/about.h"
#include "about/hyperlink.h"
#include "linkutil.h"
#include "shellhook.h"
#include "testutil.h"

namespace {

const char Address[] = "https://mirtavolen.example/docs";
const POINT Away = { 5, 5 };  // far from every window of these tests
const COLORREF DefaultNormal = RGB(0, 0, 255), DefaultVisited = RGB(128, 0, 128),
               DefaultHover = RGB(255, 0, 0);

void PointAt(HyperLink& link, POINT screen)
{
    SetCursorPos(screen.x, screen.y);
    link.OnMouseMove();
}

std::string Painted(HyperLink& link, HWND control)
{
    return Rgb(TextColourSetBy([&](HDC dc) { return link.OnCtlColor(dc, control); }));
}

class HyperLinkTest : public ::testing::Test {
protected:
    HyperLinkTest() : window(Rect(200, 150, 700, 450)) {}
    void SetUp() override
    {
        SetCursorPos(Away.x, Away.y);
        ASSERT_TRUE(shell.Installed());
    }
    HWND AttachedLink(HyperLink& link)
    {
        HWND control = window.AddStatic(Address, SS_LEFT, 10, 10, 200, 20);
        EXPECT_EQ(link.Attach(control, 1), 1);
        return control;
    }

    TestWindow window;
    ShellExecuteRecorder shell;
};

TEST_F(HyperLinkTest, OperationsNeedAnAttachedControl)
{
    HyperLink fresh, released;
    HWND control = AttachedLink(released);
    ASSERT_EQ(released.Release(), 1);

    HDC dc = CreateCompatibleDC(NULL);
    for (HyperLink* link : { &fresh, &released }) {
        SCOPED_TRACE(link == &fresh ? "never attached" : "released");
        EXPECT_EQ(link->SetTextAndFit("x"), -2);
        EXPECT_EQ(link->OnMouseMove(), -2);
        EXPECT_EQ(link->OnClick(), -2);
        EXPECT_EQ(link->Release(), -2);
        EXPECT_EQ(link->CreateUnderlinedFont(1), (HFONT)NULL);
        // A null control is not the link's (null) control either.
        EXPECT_EQ(link->OnCtlColor(dc, NULL), (HBRUSH)NULL);
        EXPECT_EQ(link->OnCtlColor(dc, control), (HBRUSH)NULL);
        EXPECT_EQ(link->Attach(NULL, 1), -3);
        EXPECT_EQ(link->AddTooltip(NULL, "tip"), -3);
    }
    DeleteDC(dc);
}

TEST_F(HyperLinkTest, FittingKeepsTheEdgeTheAlignmentNames)
{
    const RECT start = Rect(120, 40, 271, 70);  // odd width: the halves truncate
    for (DWORD align : { SS_LEFT, SS_CENTER, SS_RIGHT }) {
        SCOPED_TRACE(align);
        HWND control = window.AddStatic(Address, align, start.left, start.top,
                                        start.right - start.left, start.bottom - start.top);
        HyperLink link;
        ASSERT_EQ(link.Attach(control, 1), 1);
        RECT attached = RectInParent(control);  // already fitted to the address
        ASSERT_EQ(link.SetTextAndFit("ab"), 1);

        EXPECT_EQ(WindowText(control), "ab");
        SIZE extent = ExtentInControlFont(control, "ab");
        RECT now = RectInParent(control);
        EXPECT_EQ(now.right - now.left, extent.cx);
        EXPECT_EQ(now.bottom - now.top, extent.cy);
        EXPECT_EQ(now.top, start.top);
        if (align == SS_LEFT)
            EXPECT_EQ(now.left, start.left);
        else if (align == SS_RIGHT)
            EXPECT_EQ(now.right, start.right);
        else
            EXPECT_EQ(now.left, attached.right - (attached.right - attached.left) / 2 - extent.cx / 2);
        link.Release();
        DestroyWindow(control);
    }
}

TEST_F(HyperLinkTest, ColoursFollowTheStateAndMinusOneKeepsOne)
{
    const COLORREF a = RGB(10, 20, 30), b = RGB(40, 50, 60), c = RGB(70, 80, 90);
    struct { COLORREF normal, visited, hover, wantNormal, wantVisited, wantHover; } rows[] = {
        { KeepColor, KeepColor, KeepColor, DefaultNormal, DefaultVisited, DefaultHover },
        { a, b, c, a, b, c },
        { KeepColor, b, c, DefaultNormal, b, c },
        { a, KeepColor, c, a, DefaultVisited, c },
        { a, b, KeepColor, a, b, DefaultHover },
        { RGB(0, 0, 0), KeepColor, RGB(255, 255, 255), RGB(0, 0, 0), DefaultVisited, RGB(255, 255, 255) },
    };
    for (auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << "row " << (&row - rows));
        HyperLink link;
        HWND control = AttachedLink(link);
        EXPECT_EQ(link.SetColors(row.normal, row.visited, row.hover), 1);

        PointAt(link, Away);
        EXPECT_EQ(Painted(link, control), Rgb(row.wantNormal));
        PointAt(link, CentreOf(control));
        EXPECT_EQ(Painted(link, control), Rgb(row.wantHover));
        ASSERT_EQ(link.OnClick(), 2);
        PointAt(link, Away);
        EXPECT_EQ(Painted(link, control), Rgb(row.wantVisited));
        PointAt(link, CentreOf(control));  // hover wins over visited
        EXPECT_EQ(Painted(link, control), Rgb(row.wantHover));
        PointAt(link, Away);
        link.Release();
        DestroyWindow(control);
    }
}

TEST_F(HyperLinkTest, HoverTakesCaptureAndCursorInsideTheControlOnly)
{
    HyperLink link;
    HWND control = AttachedLink(link);
    HCURSOR hand = LoadCursorA(NULL, IDC_HAND), arrow = LoadCursorA(NULL, IDC_ARROW);
    ASSERT_EQ(link.SetLinkCursor(hand), 1);
    RECT r;
    GetWindowRect(control, &r);
    struct { const char* where; POINT point; bool over; } cases[] = {
        { "top left corner", { r.left, r.top }, true },
        { "last pixel", { r.right - 1, r.bottom - 1 }, true },
        { "right edge", { r.right, r.top }, false },
        { "bottom edge", { r.left, r.bottom }, false },
        { "left of it", { r.left - 1, r.top }, false },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.where);
        SetCursor(arrow);
        PointAt(link, c.point);
        EXPECT_EQ(GetCapture(), c.over ? window.hwnd() : (HWND)NULL);
        EXPECT_EQ(GetCursor(), c.over ? hand : arrow);
        EXPECT_EQ(Painted(link, control), Rgb(c.over ? DefaultHover : DefaultNormal));
        PointAt(link, Away);
        EXPECT_EQ(GetCapture(), (HWND)NULL);
        EXPECT_EQ(GetCursor(), arrow);
    }
    link.Release();
}

TEST_F(HyperLinkTest, ClickOpensTheAddressOnlyWhileHovering)
{
    HyperLink link;
    HWND control = AttachedLink(link);
    // The control may show another text; the address read at attach is opened.
    ASSERT_EQ(link.SetTextAndFit("説明書を開く"), 1);
    EXPECT_EQ(link.OnClick(), 1);
    EXPECT_TRUE(shell.Calls().empty());

    PointAt(link, CentreOf(control));
    EXPECT_EQ(link.OnClick(), 2);
    ASSERT_EQ(shell.Calls().size(), 1u);
    const ShellCall& call = shell.Calls()[0];
    EXPECT_EQ(call.owner, window.hwnd());
    EXPECT_TRUE(call.verbNull);
    EXPECT_EQ(call.file, Address);
    EXPECT_TRUE(call.parametersNull && call.directoryNull);
    EXPECT_EQ(call.show, SW_SHOWNORMAL);
    EXPECT_EQ(GetCapture(), (HWND)NULL);
    EXPECT_EQ(Painted(link, control), Rgb(DefaultVisited));
    // Still over the link, but the click ended the hover.
    EXPECT_EQ(link.OnClick(), 1);
    EXPECT_EQ(shell.Calls().size(), 1u);
    link.Release();
}

TEST_F(HyperLinkTest, TooltipCoversTheTextAndShowsItsTextOrTheAddress)
{
    struct { const char* given; const char* shown; } cases[] = {
        { NULL, Address },
        { "ホームページを開く", "ホームページを開く" },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.shown);
        HyperLink link;
        HWND control = AttachedLink(link);
        HWND tooltip = CreateTooltipWindow(window.hwnd());
        ASSERT_EQ(link.AddTooltip(tooltip, c.given), 1);
        std::string text;
        EXPECT_EQ(ToolRect(tooltip, control, &text), RectInParent(control));
        EXPECT_EQ(text, c.shown);

        ASSERT_EQ(link.SetTextAndFit("https://mirtavolen.example/a/longer/path"), 1);
        EXPECT_EQ(ToolRect(tooltip, control, &text), RectInParent(control));
        EXPECT_EQ(link.Release(), 1);
        EXPECT_EQ(SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0), 0);
        DestroyWindow(tooltip);
        DestroyWindow(control);
    }
}

TEST_F(HyperLinkTest, CtlColorHyperLinksAnswersForTheFirstLinkOfTheControl)
{
    HWND one = window.AddStatic("https://one.example/", SS_LEFT, 10, 10, 200, 20);
    HWND two = window.AddStatic("https://two.example/", SS_LEFT, 10, 40, 200, 20);
    HWND plain = window.AddStatic("plain text", SS_LEFT, 10, 70, 200, 20);
    HyperLink first, second, alsoSecond;
    first.Attach(one, 1);
    second.Attach(two, 1);
    alsoSecond.Attach(two, 1);
    first.SetColors(RGB(1, 1, 1), KeepColor, KeepColor);
    second.SetColors(RGB(2, 2, 2), KeepColor, KeepColor);
    alsoSecond.SetColors(RGB(3, 3, 3), KeepColor, KeepColor);

    struct { HWND control; COLORREF colour; } cases[] = {
        { one, RGB(1, 1, 1) }, { two, RGB(2, 2, 2) }, { plain, CLR_INVALID } };
    for (auto& c : cases) {
        EXPECT_EQ(Rgb(TextColourSetBy([&](HDC dc) {
                      return CtlColorHyperLinks(dc, c.control, &first, &second, &alsoSecond,
                                                (HyperLink*)NULL);
                  })),
                  Rgb(c.colour));
    }
    EXPECT_EQ(Rgb(TextColourSetBy([&](HDC dc) { return CtlColorHyperLinks(dc, one, (HyperLink*)NULL); })),
              Rgb(CLR_INVALID));
    first.Release();
    second.Release();
    alsoSecond.Release();
}

}  // namespace
