#include "convert/progressview.h"

#include <commctrl.h>

#include "res/resource.h"
#include "support/text.h"

namespace {

const int Controls[] = { IDC_PROG_FILE, IDC_PROG_TYPE, IDC_PROG_BAR };
const unsigned PositionUnknown = 0xFFFFFFFFu;

// The one progress dialog of the thread and what it was last told.
struct ProgressView {
    HWND dialog;
    int held;
    int unpainted;  // told something since the last drawing
    DWORD lastPaint;
    unsigned position;
    char file[MAX_PATH];
    char type[32];
};
ProgressView View = { NULL, 0, 0, 0, PositionUnknown, "", "" };

void SetRedraw(HWND dialog, BOOL redraw)
{
    for (int id : Controls)
        SendDlgItemMessageA(dialog, id, WM_SETREDRAW, redraw, 0);
}

// Sets a control's text unless it already shows it.
void TellText(HWND dialog, int id, char* shown, size_t size, const char* text)
{
    if (lstrcmpA(shown, text) == 0)
        return;
    SetDlgItemTextA(dialog, id, text);
    if (!CopyText(shown, size, text))
        shown[0] = '\0';  // too long to remember: told again next time
    View.unpainted = 1;
}

void Draw(HWND dialog)
{
    SetRedraw(dialog, TRUE);
    for (int id : Controls)
        RedrawWindow(GetDlgItem(dialog, id), NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    View.lastPaint = GetTickCount();
    View.unpainted = 0;
}

}  // namespace

void HoldProgress(HWND dialog)
{
    View.dialog = dialog;
    View.held = 1;
    View.unpainted = 0;
    View.lastPaint = GetTickCount();
    View.position = PositionUnknown;
    View.file[0] = '\0';
    View.type[0] = '\0';
    SetRedraw(dialog, FALSE);
}

int ProgressHeld(HWND dialog)
{
    return View.held && View.dialog == dialog;
}

void ReleaseProgress(HWND dialog)
{
    if (!ProgressHeld(dialog))
        return;
    Draw(dialog);
    View.held = 0;
    View.dialog = NULL;
}

void ShowProgressFile(HWND dialog, const char* file, const char* type)
{
    if (View.dialog != dialog) {
        View.position = PositionUnknown;
        View.file[0] = '\0';
        View.type[0] = '\0';
        View.dialog = dialog;
    }
    TellText(dialog, IDC_PROG_FILE, View.file, sizeof View.file, file);
    TellText(dialog, IDC_PROG_TYPE, View.type, sizeof View.type, type);
    ShowProgressPosition(dialog, 0);
}

void ShowProgressPosition(HWND dialog, unsigned percent)
{
    if (percent == View.position && View.dialog == dialog)
        return;
    SendDlgItemMessageA(dialog, IDC_PROG_BAR, PBM_SETPOS, percent, 0);
    View.position = percent;
    View.unpainted = 1;
}

void PaintProgressNow(HWND dialog)
{
    if (!ProgressHeld(dialog))
        return;  // not held: the controls draw themselves
    Draw(dialog);
    SetRedraw(dialog, FALSE);
}

void PaintProgressWhenDue(HWND dialog)
{
    if (ProgressHeld(dialog) && View.unpainted && GetTickCount() - View.lastPaint >= ProgressPaintMs)
        PaintProgressNow(dialog);
}
