#include "joblist/jobrow.h"

#include <commctrl.h>

#include "support/text.h"

int ReadJobColumn(HWND list, int row, int column, char* buffer, int size)
{
    if (size <= 0)
        return 0;
    buffer[0] = '\0';
    // The list view may count the limit in characters, not bytes (Wine's
    // does), so a double-byte text can come back twice as long: read into
    // room for that, then keep what fits without splitting a character.
    const int RoomMax = 2 * 1024 + 2;
    char text[RoomMax];
    int room = size <= 1024 ? 2 * size + 2 : RoomMax;
    int limit = size <= 1024 ? size : 1024;
    text[0] = '\0';
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = limit;
    SendMessageA(list, LVM_GETITEMTEXTA, (WPARAM)row, (LPARAM)&item);
    text[room - 1] = '\0';
    return (int)CopyTextCut(buffer, (size_t)size - 1, text);
}

int WriteJobColumn(HWND list, int row, int column, const char* text)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = (LPSTR)text;
    return SendMessageA(list, LVM_SETITEMA, 0, (LPARAM)&item) ? 1 : 0;
}

void ReadJobRow(HWND list, int row, JobRow* job)
{
    ReadJobColumn(list, row, ColSrcFile, job->SrcFile, sizeof job->SrcFile);
    ReadJobColumn(list, row, ColDestFile, job->DestFile, sizeof job->DestFile);
    ReadJobColumn(list, row, ColTypeLabel, job->TypeLabel, sizeof job->TypeLabel);
}

void ClearRowSelection(HWND list, int row)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    SendMessageA(list, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&item);
}

int NextSelectedRow(HWND list, int start)
{
    return (int)SendMessageA(list, LVM_GETNEXTITEM, (WPARAM)start, MAKELPARAM(LVNI_SELECTED, 0));
}

int JobRowCount(HWND list)
{
    return (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
}

int SelectedRowCount(HWND list)
{
    return (int)SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0);
}

namespace {

// Set while the list's drawing is held. Wine's list view keeps itself
// visible then, so an invalidation of ours would still be painted.
HWND HeldList = NULL;

}  // namespace

void DeleteJobRow(HWND list, int row)
{
    SendMessageA(list, LVM_DELETEITEM, (WPARAM)row, 0);
    if (list != HeldList)
        InvalidateRect(list, NULL, FALSE);
}

int JobColumnWidth(HWND list, int column)
{
    return (int)SendMessageA(list, LVM_GETCOLUMNWIDTH, (WPARAM)column, 0);
}

void HoldJobListDrawing(HWND list)
{
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    HeldList = list;
}

void ReleaseJobListDrawing(HWND list)
{
    if (HeldList == list)
        HeldList = NULL;
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, NULL, FALSE);
}

int TakeRowFocus(HWND list)
{
    int row = (int)SendMessageA(list, LVM_GETNEXTITEM, (WPARAM)-1, MAKELPARAM(LVNI_FOCUSED, 0));
    if (row < 0)
        return -1;
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.stateMask = LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&item);
    return row;
}

void PutRowFocus(HWND list, int row)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.stateMask = LVIS_FOCUSED;
    item.state = LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&item);
}

int FindRowOf(HWND list, const char* srcFile)
{
    char text[MAX_PATH];
    for (int row = JobRowCount(list) - 1; row >= 0; --row) {
        ReadJobColumn(list, row, ColSrcFile, text, sizeof text);
        if (lstrcmpA(text, srcFile) == 0)
            return row;
    }
    return -1;
}
