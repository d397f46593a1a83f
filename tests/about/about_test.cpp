#include <windows.h>
#include <commctrl.h>

#include <functional>

#include <gtest/gtest.h>

#include "about/about.h"
#include "linkutil.h"
#include "res/resource.h"
#include "shellhook.h"
#include "testutil.h"

namespace {

// The flags the about command passes: slide in downward, slide out upward.
const DWORD SlideIn = AW_SLIDE | AW_ACTIVATE | AW_VER_POSITIVE;
const DWORD SlideOut = AW_SLIDE | AW_HIDE | AW_VER_NEGATIVE;
// Flags AnimateWindow refuses at that moment (hiding the still hidden box,
// showing the visible one): the box then meets what it meets on a Windows
// without AnimateWindow, a result of 0.
const DWORD RefusedIn = AW_SLIDE | AW_HIDE | AW_VER_POSITIVE;
const DWORD RefusedOut = AW_SLIDE | AW_ACTIVATE | AW_VER_NEGATIVE;

const COLORREF LinkNormal = RGB(0, 64, 255);
const COLORREF LinkHover = RGB(255, 0, 64);
const COLORREF LinkVisited = RGB(128, 0, 255);

const POINT Away = { 5, 5 };

// Shows the about box over owner and runs whileOpen once it is on screen;
// the box is closed by the test or, after ten seconds, by the driver.
int RunAboutBox(HWND owner, std::function<void(HWND)> whileOpen, DWORD openFlags = SlideIn,
                DWORD closeFlags = SlideOut)
{
    DialogDriver driver(10000);
    driver.Then(IDC_ABOUT_LINK, whileOpen);
    return ShowAboutBox(GetModuleHandleA(NULL), owner, 300, openFlags, closeFlags);
}

void PressEsc(HWND dialog)
{
    PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
}

// Puts the pointer on a screen point and tells the box, as the system does.
void MovePointer(HWND dialog, POINT screen)
{
    SetCursorPos(screen.x, screen.y);
    ScreenToClient(dialog, &screen);
    SendMessageA(dialog, WM_MOUSEMOVE, 0, MAKELPARAM(screen.x, screen.y));
}

// Puts the pointer on a screen point and lets the moves it makes reach
// whatever window is there now: none is left over to land in a box that
// opens later.
void SettlePointer(POINT screen)
{
    SetCursorPos(screen.x, screen.y);
    DWORD quietSince = GetTickCount();
    DWORD deadline = quietSince + 2000;
    while (GetTickCount() - quietSince < 100 && (LONG)(GetTickCount() - deadline) < 0) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST)
                quietSince = GetTickCount();
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

void PressLeftButton(HWND dialog)
{
    POINT client;
    GetCursorPos(&client);
    ScreenToClient(dialog, &client);
    SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.x, client.y));
}

std::string LinkPainted(HWND dialog)
{
    return Rgb(TextColourSetBy([&](HDC dc) {
        return (HBRUSH)SendMessageA(dialog, WM_CTLCOLORSTATIC, (WPARAM)dc,
                                    (LPARAM)GetDlgItem(dialog, IDC_ABOUT_LINK));
    }));
}

class AboutBoxTest : public ::testing::Test {
protected:
    AboutBoxTest() : owner(Rect(100, 100, 700, 500)) {}
    void SetUp() override
    {
        SetCursorPos(Away.x, Away.y);
        ASSERT_TRUE(shell.Installed());
    }

    TestWindow owner;
    ShellExecuteRecorder shell;
};

int CreatedWindows = 0;

LRESULT CALLBACK CountCreatedWindows(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND)
        ++CreatedWindows;
    return CallNextHookEx(NULL, code, wParam, lParam);
}

TEST_F(AboutBoxTest, ShowsNothingWithoutTimeFlagsOrTemplate)
{
    HINSTANCE self = GetModuleHandleA(NULL);
    HINSTANCE noTemplate = GetModuleHandleA("kernel32.dll");
    struct { const char* name; HINSTANCE instance; DWORD time, open, close; } cases[] = {
        { "no time", self, 0, SlideIn, SlideOut },
        { "no opening flags", self, 300, 0, SlideOut },
        { "no closing flags", self, 300, SlideIn, 0 },
        { "no template", noTemplate, 300, SlideIn, SlideOut },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        DialogDriver watchdog(3000);
        CreatedWindows = 0;
        HHOOK hook = SetWindowsHookExA(WH_CBT, CountCreatedWindows, NULL, GetCurrentThreadId());
        ASSERT_NE(hook, (HHOOK)NULL);
        int result = ShowAboutBox(c.instance, owner.hwnd(), c.time, c.open, c.close);
        UnhookWindowsHookEx(hook);
        EXPECT_EQ(result, -1);
        EXPECT_EQ(CreatedWindows, 0);
    }
}

bool VisibleAfterInit = false;

LRESULT CALLBACK WatchInitDialog(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT* message = (const CWPRETSTRUCT*)lParam;
    if (code == HC_ACTION && message->message == WM_INITDIALOG)
        VisibleAfterInit = IsWindowVisible(message->hwnd) != FALSE;
    return CallNextHookEx(NULL, code, wParam, lParam);
}

TEST_F(AboutBoxTest, OpensAndClosesWithOrWithoutAnimation)
{
    struct { const char* name; DWORD open, close; bool shownByAnimation; } cases[] = {
        { "animated", SlideIn, SlideOut, true },
        { "animation refused", RefusedIn, RefusedOut, false },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        VisibleAfterInit = false;
        HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, WatchInitDialog, NULL, GetCurrentThreadId());
        ASSERT_NE(hook, (HHOOK)NULL);
        bool visible = false;
        int result = RunAboutBox(
            owner.hwnd(),
            [&](HWND dialog) {
                visible = IsWindowVisible(dialog) != FALSE;
                PressEsc(dialog);
            },
            c.open, c.close);
        UnhookWindowsHookEx(hook);
        EXPECT_EQ(VisibleAfterInit, c.shownByAnimation);
        EXPECT_TRUE(visible);
        EXPECT_EQ(result, 1);
    }
}

TEST_F(AboutBoxTest, StandsOverItsOwnerInsideTheWorkArea)
{
    RECT area;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    enum Place { Centred, AtStart, AtEnd };
    struct { const char* name; RECT owner; Place x, y; } cases[] = {
        { "inside", Rect(100, 100, 700, 500), Centred, Centred },
        { "owner smaller than the box", Rect(400, 300, 401, 301), Centred, Centred },
        { "past the right and bottom",
          Rect(area.right - 150, area.bottom - 80, area.right + 250, area.bottom + 220), AtEnd, AtEnd },
        { "past the left and top",
          Rect(area.left - 400, area.top - 300, area.left - 100, area.top - 100), AtStart, AtStart },
        { "past the left only", Rect(area.left - 400, 200, area.left - 100, 600), AtStart, Centred },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestWindow ownerHere(c.owner);
        RECT box = { 0, 0, 0, 0 };
        EXPECT_EQ(RunAboutBox(ownerHere.hwnd(),
                              [&](HWND dialog) {
                                  GetWindowRect(dialog, &box);
                                  PressEsc(dialog);
                              }),
                  1);
        int width = box.right - box.left, height = box.bottom - box.top;
        ASSERT_GT(width, 0);
        int x = c.x == AtStart ? area.left
                : c.x == AtEnd ? area.right - width
                               : c.owner.left + (c.owner.right - c.owner.left - width) / 2;
        int y = c.y == AtStart ? area.top
                : c.y == AtEnd ? area.bottom - height
                               : c.owner.top + (c.owner.bottom - c.owner.top - height) / 2;
        EXPECT_EQ(box.left, x);
        EXPECT_EQ(box.top, y);
    }
}

BOOL CALLBACK FindTooltip(HWND window, LPARAM search)
{
    char name[32] = "";
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpiA(name, TOOLTIPS_CLASSA) != 0 || GetWindow(window, GW_OWNER) != *(HWND*)search)
        return TRUE;
    *(HWND*)search = window;
    return FALSE;
}

HWND TooltipOf(HWND owner)
{
    HWND search = owner;
    EnumThreadWindows(GetCurrentThreadId(), FindTooltip, (LPARAM)&search);
    return search != owner ? search : NULL;
}

TEST_F(AboutBoxTest, LinkIsFittedToItsTextAtTheTemplatesRightEdge)
{
    RECT placed = {}, tool = {}, templ = Rect(82, 45, 82 + 88, 45 + 8);
    SIZE extent = {};
    std::string text, toolText;
    LOGFONTA font = {}, dialogFont = {};
    EXPECT_EQ(RunAboutBox(owner.hwnd(),
                          [&](HWND dialog) {
                              HWND link = GetDlgItem(dialog, IDC_ABOUT_LINK);
                              MapDialogRect(dialog, &templ);
                              placed = RectInParent(link);
                              text = WindowText(link);
                              extent = ExtentInControlFont(link, text);
                              GetObjectA((HFONT)SendMessageA(link, WM_GETFONT, 0, 0), sizeof font, &font);
                              GetObjectA((HFONT)SendMessageA(dialog, WM_GETFONT, 0, 0),
                                         sizeof dialogFont, &dialogFont);
                              tool = ToolRect(TooltipOf(dialog), link, &toolText);
                              PressEsc(dialog);
                          }),
              1);

    EXPECT_EQ(text.compare(0, 8, "https://"), 0) << text;
    EXPECT_EQ(placed.right, templ.right);
    EXPECT_EQ(placed.top, templ.top);
    EXPECT_EQ(placed.right - placed.left, extent.cx);
    EXPECT_EQ(placed.bottom - placed.top, extent.cy);
    EXPECT_EQ(font.lfUnderline, 1);
    EXPECT_STREQ(font.lfFaceName, dialogFont.lfFaceName);
    EXPECT_EQ(font.lfHeight, dialogFont.lfHeight);
    EXPECT_EQ(tool, placed);
    EXPECT_EQ(toolText, text);
}

// The link object lives for the whole run and never forgets a visit, so
// this is the one test of the program that opens the about box's link.
// Each showing closes with the pointer still over the link.
TEST_F(AboutBoxTest, LinkColoursFollowThePointerAndTheVisitLasts)
{
    struct Seen {
        std::string colour;
        HWND capture;
    };
    auto look = [](HWND dialog) {
        Seen seen = { LinkPainted(dialog), GetCapture() };
        return seen;
    };
    Seen before = {}, over = {}, reopened = {}, overAgain = {}, clicked = {}, overVisited = {},
         off = {}, nextTime = {};
    bool openAfterClick = false;
    HWND shown = NULL;
    std::string address;

    DialogDriver driver(10000);
    driver
        .Then(IDC_ABOUT_LINK,
              [&](HWND dialog) {
                  MovePointer(dialog, CentreOf(GetDlgItem(dialog, IDC_ABOUT_VERSION)));
                  before = look(dialog);
                  MovePointer(dialog, CentreOf(GetDlgItem(dialog, IDC_ABOUT_LINK)));
                  over = look(dialog);
                  PressEsc(dialog);
              })
        .Then(IDC_ABOUT_LINK,
              [&](HWND dialog) {
                  reopened = look(dialog);
                  shown = dialog;
                  HWND link = GetDlgItem(dialog, IDC_ABOUT_LINK);
                  address = WindowText(link);
                  MovePointer(dialog, CentreOf(link));
                  overAgain = look(dialog);
                  PressLeftButton(dialog);
                  clicked = look(dialog);
                  openAfterClick = IsWindow(dialog) && IsWindowVisible(dialog);
                  MovePointer(dialog, CentreOf(link));
                  overVisited = look(dialog);
                  MovePointer(dialog, Away);
                  off = look(dialog);
                  MovePointer(dialog, CentreOf(link));
                  PressEsc(dialog);
              })
        .Then(IDC_ABOUT_LINK, [&](HWND dialog) {
            nextTime = look(dialog);
            PressEsc(dialog);
        });
    for (int showing = 0; showing < 3; ++showing) {
        EXPECT_EQ(ShowAboutBox(GetModuleHandleA(NULL), owner.hwnd(), 300, SlideIn, SlideOut), 1);
        SettlePointer(Away);  // the next showing opens away from the pointer
    }

    EXPECT_EQ(before.colour, Rgb(LinkNormal));
    EXPECT_EQ(before.capture, (HWND)NULL);
    EXPECT_EQ(over.colour, Rgb(LinkHover));
    EXPECT_NE(over.capture, (HWND)NULL);

    // Closed while hovered, it opens again in its normal colour.
    EXPECT_EQ(reopened.colour, Rgb(LinkNormal));
    EXPECT_EQ(reopened.capture, (HWND)NULL);
    EXPECT_EQ(overAgain.colour, Rgb(LinkHover));
    EXPECT_EQ(overAgain.capture, shown);

    EXPECT_TRUE(openAfterClick);
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].file, address);
    EXPECT_EQ(shell.Calls()[0].owner, shown);
    EXPECT_EQ(clicked.colour, Rgb(LinkVisited));
    EXPECT_EQ(clicked.capture, (HWND)NULL);

    EXPECT_EQ(overVisited.colour, Rgb(LinkHover));
    EXPECT_EQ(off.colour, Rgb(LinkVisited));
    EXPECT_EQ(off.capture, (HWND)NULL);
    // Closed while hovered after the visit, it opens again as visited.
    EXPECT_EQ(nextTime.colour, Rgb(LinkVisited));
    EXPECT_EQ(nextTime.capture, (HWND)NULL);
}

TEST_F(AboutBoxTest, ClickOffTheLinkEnterAndEscClose)
{
    // Real input: a click has to pass through the static texts to the box.
    struct { const char* name; std::function<void(HWND)> act; } cases[] = {
        { "version text",
          [](HWND dialog) { ClickAt(CentreOf(GetDlgItem(dialog, IDC_ABOUT_VERSION))); } },
        { "icon", [](HWND dialog) { ClickAt(CentreOf(GetDlgItem(dialog, IDC_ABOUT_ICON))); } },
        { "empty surface",
          [](HWND dialog) {
              POINT corner = { 4, 4 };
              ClientToScreen(dialog, &corner);
              ClickAt(corner);
          } },
        { "Enter", [](HWND) { TypeKey(VK_RETURN); } },
        { "Esc", [](HWND) { TypeKey(VK_ESCAPE); } },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RunAboutBox(owner.hwnd(), c.act), 1);
        SetCursorPos(Away.x, Away.y);
    }
    EXPECT_TRUE(shell.Calls().empty());
}

}  // namespace
