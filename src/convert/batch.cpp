#include "convert/batch.h"

#include <commctrl.h>

#include "convert/fileconv.h"
#include "convert/progressview.h"
#include "convert/rowconv.h"
#include "joblist/jobrow.h"
#include "joblist/listview.h"
#include "res/resource.h"
#include "support/placement.h"
#include "support/settings.h"

int BatchMode = 0;
int BatchStartPending = 0;
OverwritePolicy BatchPolicy = 0;
int BatchRunning = 0;

void StartBatch(HWND owner, int allRows)
{
    if (BatchRunning)
        return;  // one batch at a time, whatever asks for another
    BatchMode = allRows ? 1 : 0;
    BatchPolicy = ItemDefaults.DefPolicy;  // answers of earlier batches are forgotten
    BatchRunning = 1;
    DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_PROGRESS), owner, ProgressDlgProc, 0);
    BatchRunning = 0;
}

namespace {

BOOL CALLBACK CancelDialog(HWND window, LPARAM)
{
    char className[16];
    if (IsWindowVisible(window) && GetClassNameA(window, className, sizeof className) > 0
        && lstrcmpA(className, "#32770") == 0)
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return TRUE;
}

}  // namespace

void CancelOpenDialogs(void)
{
    EnumThreadWindows(GetCurrentThreadId(), CancelDialog, 0);
}

void StopBatch(void)
{
    if (!BatchRunning)
        return;
    CancelFlag = 1;
    CancelOpenDialogs();
}

INT_PTR CALLBACK ProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitCommonControls();
        SendDlgItemMessageA(dialog, IDC_PROG_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        CenterWindowInWorkArea(dialog, GetParent(dialog));
        // Cleared here, not at the first paint: a stop that comes before
        // the batch starts is kept.
        CancelFlag = 0;
        BatchStartPending = 1;
        return TRUE;
    case WM_COMMAND:
        // The stop button only asks the batch to stop: the dialog stays,
        // and with it the disabled main window, until the batch has ended,
        // so no command can start a second batch meanwhile.
        if (LOWORD(wParam) != IDCANCEL)
            return FALSE;
        CancelFlag = 1;
        EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
        return TRUE;
    case WM_PAINT:
        // The batch runs inside the first paint, once the dialog is on the
        // screen; the drains paint it meanwhile through the default handling.
        if (!BatchStartPending)
            return FALSE;
        BatchStartPending = 0;
        RunBatch(dialog);
        EndDialog(dialog, CancelFlag ? IDCANCEL : IDOK);
        return FALSE;
    default:
        return FALSE;
    }
}

namespace {

// While a batch runs, the list draws itself at most every ListPaintMs and
// at the end: under Wine every deleted row makes it scroll the rows below
// and update its scroll bar, which costs far more than converting a small
// file, while the user still sees the rows go.
const DWORD ListPaintMs = 250;

struct ListPainting {
    HWND list;
    DWORD lastPaint;
    char focused[MAX_PATH];  // SrcFile of the row that had the caret, or ""
};

void HoldList(ListPainting* painting, HWND list)
{
    painting->list = list;
    painting->lastPaint = GetTickCount();
    painting->focused[0] = '\0';
    int row = TakeRowFocus(list);
    if (row >= 0)
        ReadJobColumn(list, row, ColSrcFile, painting->focused, sizeof painting->focused);
    HoldJobListDrawing(list);
}

void PaintList(ListPainting* painting)
{
    ReleaseJobListDrawing(painting->list);
    UpdateWindow(painting->list);
    painting->lastPaint = GetTickCount();
    HoldJobListDrawing(painting->list);
}

// The list draws itself again, with the caret back on its row if that
// row is still there.
void ReleaseList(ListPainting* painting)
{
    if (painting->focused[0] != '\0') {
        int row = FindRowOf(painting->list, painting->focused);
        if (row >= 0)
            PutRowFocus(painting->list, row);
    }
    ReleaseJobListDrawing(painting->list);
}

// After each row: the queue when due (a stop click is seen within
// DrainIntervalMs), the list and the dialog when their time has come.
void AfterRow(ListPainting* painting, HWND progressDlg)
{
    DrainMessageQueueWhenDue();
    PaintProgressWhenDue(progressDlg);
    if (GetTickCount() - painting->lastPaint >= ListPaintMs)
        PaintList(painting);
}

}  // namespace

void RunBatch(HWND progressDlg)
{
    HWND list = JobListView;
    ForgetFolders();
    BatchFiles files;
    CollectBatchFiles(list, BatchMode, &files);
    ListPainting painting;
    HoldList(&painting, list);
    HoldProgress(progressDlg);
    KeepChunkBuffer();
    if (BatchMode) {
        // A converted row leaves the list, so the index only moves past
        // rows that stay.
        int count = JobRowCount(list);
        int row = 0;
        for (int turn = 0; turn < count && !CancelFlag; ++turn) {
            if (!ConvertBatchRow(list, row, progressDlg, &files))
                ++row;
            AfterRow(&painting, progressDlg);
        }
    } else {
        for (int row = NextSelectedRow(list, -1); row != -1 && !CancelFlag;
             row = NextSelectedRow(list, -1)) {
            ConvertBatchRow(list, row, progressDlg, &files);
            AfterRow(&painting, progressDlg);
        }
    }
    FreeChunkBuffer();
    ReleaseProgress(progressDlg);
    ReleaseList(&painting);
    DrainMessageQueue();
}
