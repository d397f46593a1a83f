#include "about/hyperlink.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {

// The tooltip structure as comctl32 5.8 knows it: every comctl32 takes this
// size, with or without a manifest asking for version 6.
const UINT ToolInfoSize = TTTOOLINFOA_V2_SIZE;

// The hand cursor (resource 106) of the help viewer in the Windows
// directory, copied so the viewer can be unloaded again; null when the
// viewer or its cursor is missing.
HCURSOR CopyHelpViewerHand()
{
    char path[260];
    UINT length = GetWindowsDirectoryA(path, 248);
    if (length == 0 || length >= 248)
        return NULL;
    lstrcatA(path, "\\winhlp32.exe");

    HMODULE viewer = LoadLibraryA(path);
    if (viewer == NULL)
        return NULL;
    HCURSOR copy = NULL;
    HCURSOR hand = LoadCursorA(viewer, MAKEINTRESOURCEA(106));
    if (hand != NULL)
        copy = (HCURSOR)CopyIcon((HICON)hand);
    FreeLibrary(viewer);
    return copy;
}

// The tool entry of a link control in a tooltip owned by the link's dialog.
TOOLINFOA LinkTool(HWND tooltip, HWND control, UINT flags)
{
    TOOLINFOA tool;
    ZeroMemory(&tool, sizeof tool);
    tool.cbSize = ToolInfoSize;
    tool.uFlags = flags;
    tool.hwnd = GetParent(tooltip);
    tool.uId = (UINT_PTR)control;
    return tool;
}

HCURSOR ArrowCursor()
{
    return LoadCursorA(NULL, IDC_ARROW);
}

}  // namespace

HyperLink::HyperLink()
    : control_(NULL), font_(NULL), brush_(NULL), cursor_(NULL), cursorOwned_(0), visited_(0),
      hover_(0), tooltip_(NULL)
{
    text_[0] = '\0';
    tooltipText_[0] = '\0';
    SetRectEmpty(&rect_);
    SetDefaultColors();
}

void HyperLink::SetDefaultColors()
{
    normalText_ = RGB(0, 0, 255);
    visitedText_ = RGB(128, 0, 128);
    hoverText_ = RGB(255, 0, 0);
    normalBack_ = visitedBack_ = hoverBack_ = GetSysColor(COLOR_BTNFACE);
}

// The control's window rectangle in its parent's client coordinates.
int HyperLink::ReadRectInParent(RECT* rect) const
{
    RECT window;
    if (!GetWindowRect(control_, &window))
        return 0;
    // MapWindowPoints may rightly return 0 (no offset); only the error says it failed.
    SetLastError(ERROR_SUCCESS);
    if (MapWindowPoints(HWND_DESKTOP, GetParent(control_), (POINT*)&window, 2) == 0
        && GetLastError() != ERROR_SUCCESS)
        return 0;
    *rect = window;
    return 1;
}

int HyperLink::Attach(HWND control, int underline)
{
    if (control == NULL)
        return LinkNullHandle;

    if (control_ != NULL) {
        // A new showing of the same link: it keeps its address, font, colours
        // and visited state, so a link opened before is still drawn as
        // visited. The pointer is over no new control yet (nor does its
        // parent hold the capture), whatever it was over when the last
        // showing closed.
        control_ = control;
        hover_ = 0;
        SendMessageA(control_, WM_SETFONT, (WPARAM)font_, TRUE);
        SetTextAndFit(text_);
        return LinkDone;
    }

    control_ = control;
    if (GetWindowTextA(control_, text_, sizeof text_) <= 0)
        text_[0] = '\0';
    font_ = CreateUnderlinedFont(underline);
    if (font_ != NULL)
        SendMessageA(control_, WM_SETFONT, (WPARAM)font_, TRUE);
    SetDefaultColors();
    visited_ = 0;
    hover_ = 0;
    if (!ReadRectInParent(&rect_))
        SetRectEmpty(&rect_);
    SetLinkCursor(NULL);
    SetTextAndFit(text_);
    return LinkDone;
}

HFONT HyperLink::CreateUnderlinedFont(int underline)
{
    if (control_ == NULL)
        return NULL;
    LOGFONTA font;
    ZeroMemory(&font, sizeof font);
    // Without a font of its own the control draws with the system font; the
    // zeroed description asks for a default font just the same.
    HFONT current = (HFONT)SendMessageA(control_, WM_GETFONT, 0, 0);
    if (current != NULL && GetObjectA(current, sizeof font, &font) != (int)sizeof font)
        ZeroMemory(&font, sizeof font);
    font.lfUnderline = underline ? 1 : 0;
    return CreateFontIndirectA(&font);
}

int HyperLink::SetTextAndFit(const char* text)
{
    if (control_ == NULL)
        return LinkNotAttached;
    if (text == NULL)
        text = "";
    if (!SetWindowTextA(control_, text))
        return LinkFailed;

    HDC dc = GetDC(control_);
    if (dc == NULL)
        return LinkFailed;
    int placed = 0;
    HGDIOBJ previousFont = NULL;
    if (font_ == NULL || (previousFont = SelectObject(dc, font_)) != NULL) {
        SIZE extent;
        RECT window;
        if (GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent)
            && GetWindowRect(control_, &window)) {
            LONG style = GetWindowLongA(control_, GWL_STYLE);
            POINT corner;
            if ((style & SS_TYPEMASK) == SS_CENTER)
                corner.x = window.right - (window.right - window.left) / 2 - extent.cx / 2;
            else if ((style & SS_TYPEMASK) == SS_RIGHT)
                corner.x = window.right - extent.cx;
            else
                corner.x = window.left;
            corner.y = window.top;
            placed = ScreenToClient(GetParent(control_), &corner)
                     && MoveWindow(control_, corner.x, corner.y, extent.cx, extent.cy, TRUE);
        }
        if (previousFont != NULL)
            SelectObject(dc, previousFont);
    }
    ReleaseDC(control_, dc);
    if (!placed || !ReadRectInParent(&rect_))
        return LinkFailed;

    // The tooltip's area is the text itself, so it moves with the control.
    if (tooltip_ != NULL && IsWindow(tooltip_)) {
        TOOLINFOA tool = LinkTool(tooltip_, control_, TTF_IDISHWND);
        if (SendMessageA(tooltip_, TTM_GETTOOLINFOA, 0, (LPARAM)&tool)) {
            tool.rect = rect_;
            SendMessageA(tooltip_, TTM_NEWTOOLRECTA, 0, (LPARAM)&tool);
        }
    }
    return LinkDone;
}

int HyperLink::SetColors(COLORREF normal, COLORREF visited, COLORREF hover)
{
    if (normal != KeepColor)
        normalText_ = normal;
    if (visited != KeepColor)
        visitedText_ = visited;
    if (hover != KeepColor)
        hoverText_ = hover;
    // A null window would invalidate every window on the desktop.
    if (control_ != NULL)
        InvalidateRect(control_, NULL, TRUE);
    return LinkDone;
}

int HyperLink::SetLinkCursor(HCURSOR cursor)
{
    if (cursorOwned_ && cursor_ != NULL)
        DestroyCursor(cursor_);
    cursorOwned_ = 0;
    cursor_ = cursor;
    if (cursor_ != NULL)
        return LinkDone;

    // The system's hand (Windows 2000 and later); before it, the help
    // viewer's; without either, the arrow.
    cursor_ = LoadCursorA(NULL, IDC_HAND);
    if (cursor_ == NULL) {
        cursor_ = CopyHelpViewerHand();
        cursorOwned_ = cursor_ != NULL;
    }
    if (cursor_ == NULL)
        cursor_ = ArrowCursor();
    return LinkDone;
}

int HyperLink::AddTooltip(HWND tooltip, const char* text)
{
    if (tooltip == NULL)
        return LinkNullHandle;
    tooltip_ = tooltip;
    if (text != NULL)
        lstrcpynA(tooltipText_, text, sizeof tooltipText_);
    else
        tooltipText_[0] = '\0';

    TOOLINFOA tool = LinkTool(tooltip_, control_, TTF_SUBCLASS);
    tool.rect = rect_;
    tool.hinst = (HINSTANCE)GetWindowLongPtrA(GetParent(control_), GWLP_HINSTANCE);
    tool.lpszText = tooltipText_[0] != '\0' ? tooltipText_ : text_;
    if (!SendMessageA(tooltip_, TTM_ADDTOOLA, 0, (LPARAM)&tool))
        return LinkFailed;
    return LinkDone;
}

int HyperLink::RemoveTooltip()
{
    // The tooltip dies with the dialog that owns it; only a live one is told.
    if (tooltip_ != NULL && IsWindow(tooltip_)) {
        TOOLINFOA tool = LinkTool(tooltip_, control_, TTF_IDISHWND);
        SendMessageA(tooltip_, TTM_DELTOOLA, 0, (LPARAM)&tool);
    }
    tooltip_ = NULL;
    tooltipText_[0] = '\0';
    return LinkDone;
}

HBRUSH HyperLink::OnCtlColor(HDC dc, HWND control)
{
    if (control_ == NULL || control != control_)
        return NULL;

    // Hover wins over visited, so a visited link still reacts to the pointer.
    COLORREF text = normalText_;
    COLORREF back = normalBack_;
    if (hover_) {
        text = hoverText_;
        back = hoverBack_;
    } else if (visited_) {
        text = visitedText_;
        back = visitedBack_;
    }

    if (SetTextColor(dc, text) == CLR_INVALID)
        return NULL;
    // The brush handed out last time has been painted with by now.
    if (brush_ != NULL) {
        DeleteObject(brush_);
        brush_ = NULL;
    }
    brush_ = CreateSolidBrush(back);
    if (brush_ == NULL)
        return NULL;
    SetBkMode(dc, TRANSPARENT);
    return brush_;
}

int HyperLink::OnMouseMove()
{
    if (control_ == NULL)
        return LinkNotAttached;
    // The message's own position is relative to whichever window got it
    // (the parent or, under capture, anything); the screen position is not.
    RECT window;
    POINT pointer;
    if (!GetWindowRect(control_, &window) || !GetCursorPos(&pointer))
        return LinkFailed;

    int inside = PtInRect(&window, pointer) ? 1 : 0;
    if (inside && !hover_) {
        hover_ = 1;
        // The capture brings the parent the move that leaves the link.
        SetCapture(GetParent(control_));
        SetCursor(cursor_);
        InvalidateRect(control_, NULL, TRUE);
    } else if (!inside && hover_) {
        hover_ = 0;
        ReleaseCapture();
        SetCursor(ArrowCursor());
        InvalidateRect(control_, NULL, TRUE);
    }
    return LinkDone;
}

int HyperLink::OnClick()
{
    if (control_ == NULL)
        return LinkNotAttached;
    if (!hover_)
        return LinkDone;

    visited_ = 1;
    hover_ = 0;
    ReleaseCapture();
    SetCursor(ArrowCursor());
    InvalidateRect(control_, NULL, TRUE);
    // Whether the shell could open the address or not, the link was used:
    // it stays visited and nothing is reported.
    ShellExecuteA(GetParent(control_), NULL, text_, NULL, NULL, SW_SHOWNORMAL);
    return LinkOpened;
}

int HyperLink::Release()
{
    if (control_ == NULL)
        return LinkNotAttached;
    if (font_ != NULL) {
        DeleteObject(font_);
        font_ = NULL;
    }
    if (brush_ != NULL) {
        DeleteObject(brush_);
        brush_ = NULL;
    }
    if (cursorOwned_ && cursor_ != NULL)
        DestroyCursor(cursor_);
    cursor_ = NULL;
    cursorOwned_ = 0;
    RemoveTooltip();
    SetRectEmpty(&rect_);
    control_ = NULL;
    return LinkDone;
}
