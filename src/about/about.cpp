#include "about/about.h"

#include <commctrl.h>
#include <stdarg.h>
#include <stdlib.h>

#include "about/hyperlink.h"
#include "res/resource.h"
#include "support/placement.h"

DWORD AboutAnimTime = 0;
DWORD AboutOpenFlags = 0;
DWORD AboutCloseFlags = 0;

namespace {

// Link colours of the about box; the backgrounds stay the dialog's face.
const COLORREF AboutLinkNormal = RGB(0, 64, 255);
const COLORREF AboutLinkVisited = RGB(128, 0, 255);
const COLORREF AboutLinkHover = RGB(255, 0, 64);

// The about box's one link, alive from the dialog procedure's first call
// to the end of the run.
HyperLink* AboutLink = NULL;

void ReleaseAboutLink(void)
{
    AboutLink->Release();
}

}  // namespace

typedef BOOL(WINAPI* AnimateWindowFunction)(HWND, DWORD, DWORD);

int ShowAboutBox(HINSTANCE instance, HWND owner, DWORD time, DWORD openFlags, DWORD closeFlags)
{
    if (time == 0 || openFlags == 0 || closeFlags == 0)
        return DialogNotShown;
    AboutAnimTime = time;
    AboutOpenFlags = openFlags;
    AboutCloseFlags = closeFlags;
    return (int)DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutDlgProc, 0);
}

int AnimateWindowIfAvailable(HWND window, DWORD time, DWORD flags)
{
    // Looked up every time rather than imported: where user32 has no
    // AnimateWindow the box shows and hides without animation, instead of
    // the program failing to start.
    HMODULE user = LoadLibraryA("user32.dll");
    if (user == NULL)
        return 0;
    int result = 0;
    FARPROC found = GetProcAddress(user, "AnimateWindow");
    if (found != NULL) {
        AnimateWindowFunction animate = reinterpret_cast<AnimateWindowFunction>(
            reinterpret_cast<void*>(found));
        result = animate(window, time, flags);
    }
    FreeLibrary(user);
    return result;
}

HWND CreateTooltipWindow(HWND owner)
{
    if (owner == NULL)
        return NULL;
    return CreateWindowExA(0, TOOLTIPS_CLASSA, NULL, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, NULL,
                           (HINSTANCE)GetWindowLongPtrA(owner, GWLP_HINSTANCE), NULL);
}

HBRUSH CtlColorHyperLinks(HDC dc, HWND control, ...)
{
    va_list links;
    va_start(links, control);
    HBRUSH brush = NULL;
    for (;;) {
        HyperLink* link = va_arg(links, HyperLink*);
        if (link == NULL)
            break;
        brush = link->OnCtlColor(dc, control);
        if (brush != NULL)
            break;
    }
    va_end(links);
    return brush;
}

namespace {

INT_PTR InitAboutBox(HWND dialog)
{
    AboutLink->Attach(GetDlgItem(dialog, IDC_ABOUT_LINK), 1);
    AboutLink->SetColors(AboutLinkNormal, AboutLinkVisited, AboutLinkHover);
    // A new tooltip for every showing: the last one went with its dialog.
    HWND tooltip = CreateTooltipWindow(dialog);
    if (tooltip != NULL)
        AboutLink->AddTooltip(tooltip, NULL);
    CenterWindowInWorkArea(dialog, GetParent(dialog));
    // Without animation the dialog manager shows the box once it is idle.
    if (AboutAnimTime != 0)
        AnimateWindowIfAvailable(dialog, AboutAnimTime, AboutOpenFlags);
    return TRUE;
}

// Slides the box out and ends it. The owner is enabled before the box
// hides: hiding the active box while its owner is still disabled (the modal
// loop enables it only in EndDialog) would hand the activation to some
// other window, and the keyboard would not come back to the owner. Should
// the system still have activated another one, the owner is made the
// active window once the box is gone.
void CloseAboutBox(HWND dialog)
{
    HWND owner = GetWindow(dialog, GW_OWNER);
    int wasActive = GetActiveWindow() == dialog;
    if (owner != NULL)
        EnableWindow(owner, TRUE);
    if (AboutAnimTime != 0)
        AnimateWindowIfAvailable(dialog, AboutAnimTime, AboutCloseFlags);
    EndDialog(dialog, 1);
    if (owner != NULL && wasActive && GetActiveWindow() != owner)
        SetForegroundWindow(owner);
}

}  // namespace

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The first message is WM_SETFONT, not WM_INITDIALOG: make the link on
    // whichever comes first.
    if (AboutLink == NULL) {
        static HyperLink link;
        AboutLink = &link;
        atexit(ReleaseAboutLink);
    }

    switch (message) {
    case WM_INITDIALOG:
        return InitAboutBox(dialog);
    case WM_CLOSE:
        CloseAboutBox(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
            SendMessageA(dialog, WM_CLOSE, 0, 0);
            return TRUE;
        default:
            return FALSE;
        }
    case WM_CTLCOLORSTATIC:
        // Null for the other statics: the dialog manager colours them.
        return (INT_PTR)CtlColorHyperLinks((HDC)wParam, (HWND)lParam, AboutLink,
                                           (HyperLink*)NULL);
    case WM_MOUSEMOVE:
        AboutLink->OnMouseMove();
        return TRUE;
    case WM_LBUTTONDOWN:
        // The static texts let clicks through, so any click but one on the
        // hovered link lands here and closes the box.
        if (AboutLink->OnClick() != LinkOpened)
            SendMessageA(dialog, WM_CLOSE, 0, 0);
        return TRUE;
    default:
        return FALSE;
    }
}
