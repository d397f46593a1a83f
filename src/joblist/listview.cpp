#include "joblist/listview.h"

#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

#include "joblist/jobrow.h"
#include "res/resource.h"
#include "support/paths.h"
#include "support/settings.h"
#include "support/text.h"

HWND JobListView = NULL;
WNDPROC PrevListViewProc = NULL;

namespace {

const DWORD ListStyle = 0x50008409;  // child, visible, report, show selection always,
                                     // owner-drawn fixed rows, no sort header
const DWORD ListExStyle = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT;
const UINT DrawFlags = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX
                       | DT_END_ELLIPSIS;
const size_t OpenBufferSize = 1040;

struct ColumnDef {
    UINT titleId;
    const int* width;
};
const ColumnDef Columns[] = {
    { IDS_COL_SRCFILE, &AppSettings.ColWidth1 },
    { IDS_COL_DESTFILE, &AppSettings.ColWidth2 },
    { IDS_COL_TYPE, &AppSettings.ColWidth3 },
};

void SetRowState(HWND list, int row, UINT state, UINT mask)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.state = state;
    item.stateMask = mask;
    SendMessageA(list, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&item);
}

void FillSolid(HDC dc, const RECT* rect, COLORREF color)
{
    HBRUSH brush = CreateSolidBrush(color);
    if (brush == NULL)
        return;
    FillRect(dc, rect, brush);
    DeleteObject(brush);
}

}  // namespace

void CreateJobListView(HWND mainWindow, WNDPROC subclass)
{
    JobListView = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, NULL, ListStyle, 0, 0, 0, 0,
                                  mainWindow, (HMENU)(INT_PTR)IDC_JOBLIST, AppInstance, NULL);
    if (JobListView == NULL)
        return;
    SendMessageA(JobListView, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, ListExStyle);

    for (int i = 0; i < 3; ++i) {
        char title[64] = "";
        LoadStringA(AppInstance, Columns[i].titleId, title, sizeof title);
        LVCOLUMNA column;
        ZeroMemory(&column, sizeof column);
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = *Columns[i].width;
        column.pszText = title;
        column.iSubItem = i;
        SendMessageA(JobListView, LVM_INSERTCOLUMNA, i, (LPARAM)&column);
    }

    PrevListViewProc = (WNDPROC)GetWindowLongPtrA(JobListView, GWLP_WNDPROC);
    SetWindowLongPtrA(JobListView, GWLP_WNDPROC, (LONG_PTR)subclass);

    for (int i = 1; i < __argc; ++i)
        AddJobRow(JobListView, __argv[i], -1);
}

void MeasureJobRow(MEASUREITEMSTRUCT* item)
{
    item->itemHeight = GetSystemMetrics(SM_CYSMICON) + 1;
}

void DrawJobRow(HWND list, const DRAWITEMSTRUCT* item)
{
    HDC dc = item->hDC;
    int row = (int)item->itemID;
    int saved = SaveDC(dc);

    LVITEMA state;
    ZeroMemory(&state, sizeof state);
    state.mask = LVIF_STATE;
    state.iItem = row;
    state.stateMask = 0xFFFF;
    SendMessageA(list, LVM_GETITEMA, 0, (LPARAM)&state);
    int hasFocus = GetFocus() == list;
    int showAlways = (GetWindowLongA(list, GWL_STYLE) & LVS_SHOWSELALWAYS) != 0;
    int highlighted = (state.state & LVIS_DROPHILITED)
        || ((state.state & LVIS_SELECTED) && (hasFocus || showAlways));

    SIZE blank = { 0, 0 };
    GetTextExtentPoint32A(dc, " ", 1, &blank);
    int half = blank.cx / 2;
    int oneAndHalf = blank.cx * 3 / 2;

    RECT rowRect;
    rowRect.left = LVIR_BOUNDS;
    SendMessageA(list, LVM_GETITEMRECT, (WPARAM)row, (LPARAM)&rowRect);
    RECT labelRect;
    labelRect.left = LVIR_LABEL;
    SendMessageA(list, LVM_GETITEMRECT, (WPARAM)row, (LPARAM)&labelRect);
    labelRect.left += half;
    labelRect.right -= half;
    RECT highlightRect = rowRect;
    highlightRect.left += half;
    highlightRect.bottom -= 1;

    char text[1024];
    ReadJobColumn(list, row, ColSrcFile, text, sizeof text);

    COLORREF rowColor = (row % 2 == 0) ? RowColorEven : RowColorOdd;
    SetBkColor(dc, rowColor);
    FillSolid(dc, &rowRect, rowColor);
    SetTextColor(dc, RGB(0, 0, 0));
    if (highlighted) {
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RowColorHighlight);
        FillSolid(dc, &highlightRect, RowColorHighlight);
    }
    DrawTextA(dc, text, -1, &labelRect, DrawFlags);

    for (int column = 1;; ++column) {
        LVCOLUMNA info;
        ZeroMemory(&info, sizeof info);
        info.mask = LVCF_FMT | LVCF_WIDTH;
        if (!SendMessageA(list, LVM_GETCOLUMNA, column, (LPARAM)&info))
            break;
        ReadJobColumn(list, row, column, text, sizeof text);
        if (text[0] == '\0')
            continue;
        RECT cell;
        cell.top = column;
        cell.left = LVIR_LABEL;
        SendMessageA(list, LVM_GETSUBITEMRECT, (WPARAM)row, (LPARAM)&cell);
        cell.left += oneAndHalf;
        cell.right -= oneAndHalf;
        UINT align = 0;
        if ((info.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT)
            align = DT_RIGHT;
        else if ((info.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER)
            align = DT_CENTER;
        DrawTextA(dc, text, -1, &cell, DrawFlags | align);
    }

    if ((state.state & LVIS_FOCUSED) && hasFocus)
        DrawFocusRect(dc, &highlightRect);
    RestoreDC(dc, saved);
}

int AddJobRow(HWND list, const char* path, int index)
{
    if (list == NULL || path == NULL || index < -1)
        return 0;
    // A failed query returns all bits, the directory bit among them.
    if (GetFileAttributesA(path) & FILE_ATTRIBUTE_DIRECTORY)
        return 0;

    char srcFile[MAX_PATH];
    unsigned n = ResolveLongPath(path, srcFile, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return 0;
    if (index == -1)
        index = JobRowCount(list);
    if (FindJobRow(list, srcFile))
        return 1;

    char label[LabelSize];
    ComposeTypeLabel(ItemDefaults.DefType, ItemDefaults.DefPass, label, sizeof label);

    char destFile[MAX_PATH];
    if (ItemDefaults.DefDir[0] == '\0') {
        memcpy(destFile, srcFile, strlen(srcFile) + 1);
    } else {
        char name[MAX_PATH];
        if (SplitPath(srcFile, NULL, name, 0) < 0 || !JoinPath(destFile, ItemDefaults.DefDir, name))
            return 0;
    }

    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = srcFile;
    int row = (int)SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&item);
    if (row < 0)
        return 0;
    WriteJobColumn(list, row, ColDestFile, destFile);
    WriteJobColumn(list, row, ColTypeLabel, label);
    return 1;
}

int FindJobRow(HWND list, const char* path)
{
    char text[MAX_PATH];
    for (int row = JobRowCount(list) - 1; row >= 0; --row) {
        ReadJobColumn(list, row, ColSrcFile, text, sizeof text);
        if (lstrcmpA(text, path) == 0)
            return 1;
    }
    return 0;
}

int AddFilesFromOpenDialog(HWND list)
{
    char filter[128];
    int n = LoadStringA(AppInstance, IDS_FILTER_ALL, filter, 100);
    if (n <= 0)
        return 0;
    memcpy(filter + n + 1, "*.*\0", 5);  // name, pattern, closing null

    char buffer[OpenBufferSize];
    buffer[0] = '\0';
    WORD nameOffset = 0;
    if (ShowOpenFileDialog(GetParent(list), buffer, sizeof buffer, &nameOffset, filter, 0) < 0)
        return 0;

    if (nameOffset > 0 && buffer[nameOffset - 1] != '\0') {
        AddJobRow(list, buffer, -1);
        return 1;
    }

    // Several files: the directory, then each name, all null-terminated.
    const char* directory = buffer;
    char path[MAX_PATH];
    for (const char* name = buffer + nameOffset; *name != '\0'; name += strlen(name) + 1) {
        if (name >= buffer + sizeof buffer)
            break;
        if (JoinPath(path, directory, name))
            AddJobRow(list, path, -1);
    }
    return 1;
}

int ShowOpenFileDialog(HWND owner, char* buffer, int size, WORD* nameOffset,
                       const char* filter, int filterIndex)
{
    if (buffer == NULL || size < MAX_PATH)
        return -2;
    OPENFILENAMEA ofn;
    ZeroMemory(&ofn, sizeof ofn);
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;  // 76 bytes
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = (DWORD)filterIndex;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = (DWORD)size;
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ALLOWMULTISELECT
                | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&ofn))
        return -1;
    if (nameOffset != NULL)
        *nameOffset = ofn.nFileOffset;
    return (int)ofn.nFilterIndex;
}

int DeleteSelectedRows(HWND list)
{
    int first = NextSelectedRow(list, -1);
    if (first == -1)
        return 1;
    for (int row = first; row != -1; row = NextSelectedRow(list, -1))
        SendMessageA(list, LVM_DELETEITEM, (WPARAM)row, 0);

    int n = JobRowCount(list);
    if (n > 0) {
        int target = first < n ? first : first - 1;
        SetRowState(list, target, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    InvalidateRect(list, NULL, FALSE);
    return 1;
}

void SelectAllRows(HWND list)
{
    int n = JobRowCount(list);
    for (int row = 0; row < n - 1; ++row)
        SetRowState(list, row, LVIS_SELECTED, LVIS_SELECTED);
    if (n > 0)
        SetRowState(list, n - 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}
