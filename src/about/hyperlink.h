// A static text control turned into a web link without subclassing it: the
// owner forwards WM_CTLCOLORSTATIC, WM_MOUSEMOVE and WM_LBUTTONDOWN, and the
// link draws itself underlined in its state's colour, shows its cursor and
// tooltip while the pointer is over it, and opens its text through the shell
// when clicked.
#ifndef MIRTAVOLEN_ABOUT_HYPERLINK_H
#define MIRTAVOLEN_ABOUT_HYPERLINK_H

#include <windows.h>

// Passed to SetColors for a colour that is to stay as it is.
const COLORREF KeepColor = 0xFFFFFFFF;

// Results of the link's operations.
enum HyperLinkResult {
    LinkDone = 1,          // carried out
    LinkFailed = 0,        // a system call the operation depends on failed
    LinkNotAttached = -2,  // no control attached
    LinkNullHandle = -3,   // a null window handle was passed
    LinkOpened = 2         // OnClick: the pointer was over the link, its text was opened
};

class HyperLink {
public:
    // Not attached, empty texts, no handles, the default colours.
    HyperLink();

    // Makes control the link. The first time (or after Release) the link
    // takes the control's text as its address, an underlined (underline
    // nonzero) copy of its font, the default colours and the hand cursor.
    // Attached already, it moves to the new control and gives it the font
    // and the address it has, keeping its colours and its visited state; it
    // starts there not hovered. LinkNullHandle for a null control, else
    // LinkDone.
    int Attach(HWND control, int underline);

    // Shows text in the control and sizes the control to it, keeping its
    // left edge, centre or right edge as its SS_ alignment says, and its
    // top; the tooltip area follows. LinkNotAttached when not attached;
    // LinkFailed when the text cannot be measured or the control not placed.
    int SetTextAndFit(const char* text);

    // A new font like the control's, underlined when underline is nonzero;
    // the caller owns it. Null when not attached or on failure.
    HFONT CreateUnderlinedFont(int underline);

    // Text colours for the three states; KeepColor leaves one as it is.
    int SetColors(COLORREF normal, COLORREF visited, COLORREF hover);

    // The cursor shown over the link; null asks for the system's hand cursor
    // (the help viewer's where the system has none, the arrow where neither
    // can be found).
    int SetLinkCursor(HCURSOR cursor);

    // Registers the link with tooltip, whose owner must be the link's
    // parent, showing text or, when text is null or empty, the address.
    // LinkNullHandle for a null tooltip window, LinkFailed when the tooltip
    // refuses the tool, else LinkDone.
    int AddTooltip(HWND tooltip, const char* text);
    int RemoveTooltip();

    // For WM_CTLCOLORSTATIC: sets the text colour of the link's state into dc
    // and returns a brush of its background, owned by the link; null when
    // control is not the link's.
    HBRUSH OnCtlColor(HDC dc, HWND control);

    // For WM_MOUSEMOVE: enters or leaves the hover state from where the
    // pointer is now; while hovering the parent holds the mouse capture.
    // LinkNotAttached when not attached, LinkFailed when the positions
    // cannot be read, else LinkDone.
    int OnMouseMove();

    // For WM_LBUTTONDOWN: opens the address when hovering. LinkOpened when
    // opened, LinkDone when the pointer was not over the link,
    // LinkNotAttached when not attached.
    int OnClick();

    // Frees the font, brush and private cursor, leaves the tooltip and
    // detaches. LinkNotAttached when not attached, else LinkDone.
    int Release();

private:
    void SetDefaultColors();
    int ReadRectInParent(RECT* rect) const;

    HWND control_;
    char text_[256];
    HFONT font_;
    HBRUSH brush_;
    COLORREF normalText_;
    COLORREF visitedText_;
    COLORREF hoverText_;
    COLORREF normalBack_;
    COLORREF visitedBack_;
    COLORREF hoverBack_;
    HCURSOR cursor_;
    int cursorOwned_;
    int visited_;
    int hover_;
    RECT rect_;
    HWND tooltip_;
    char tooltipText_[256];
};

#endif
