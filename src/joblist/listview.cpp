#include "joblist/listview.h"

#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

#include "joblist/jobrow.h"
#include "joblist/srcset.h"
#include "res/resource.h"
#include "support/paths.h"
#include "support/settings.h"
#include "support/text.h"

HWND JobListView = NULL;
WNDPROC PrevListViewProc = NULL;

namespace {

const DWORD ListStyle = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS
                        | LVS_OWNERDRAWFIXED | LVS_NOSORTHEADER;
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
const int ColumnCount = (int)(sizeof Columns / sizeof Columns[0]);

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

int AddRow(HWND list, const char* path, int index, LongFolderMemo* memo)
{
    if (list == NULL || path == NULL || index < -1)
        return 0;
    // A failed query returns all bits, the directory bit among them.
    if (GetFileAttributesA(path) & FILE_ATTRIBUTE_DIRECTORY)
        return 0;

    char srcFile[MAX_PATH];
    unsigned n = ResolveLongPathWith(path, srcFile, MAX_PATH, memo);
    if (n == 0 || n >= MAX_PATH)
        return 0;
    if (index == -1)
        index = JobRowCount(list);
    if (IsSrcFileListed(list, srcFile))
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
    NoteSrcFileListed(list, srcFile);
    WriteJobColumn(list, row, ColDestFile, destFile);
    WriteJobColumn(list, row, ColTypeLabel, label);
    return 1;
}

// A file named in UTF-16 goes in only by a code page 932 name of the same
// file: a look-alike could name another file, which would be converted.
int AddWideRow(HWND list, const WCHAR* path, LongFolderMemo* memo)
{
    char ansi[MAX_PATH];
    if (!ExactAnsiPath(path, ansi))
        return 0;
    return AddRow(list, ansi, -1, memo);
}

// out (MAX_PATH characters) = directory, a separator unless it ends with
// one, then name. 0 when it does not fit.
int JoinWidePath(WCHAR* out, const WCHAR* directory, const WCHAR* name)
{
    int d = lstrlenW(directory);
    int sep = d > 0 && directory[d - 1] == L'\\' ? 0 : 1;
    if (d + sep + lstrlenW(name) >= MAX_PATH)
        return 0;
    lstrcpyW(out, directory);
    if (sep)
        lstrcatW(out, L"\\");
    lstrcatW(out, name);
    return 1;
}

}  // namespace

void CreateJobListView(HWND mainWindow, WNDPROC subclass)
{
    JobListView = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, NULL, ListStyle, 0, 0, 0, 0,
                                  mainWindow, (HMENU)(INT_PTR)IDC_JOBLIST, AppInstance, NULL);
    if (JobListView == NULL)
        return;
    SendMessageA(JobListView, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, ListExStyle);

    for (int i = 0; i < ColumnCount; ++i) {
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

    ForgetListedSrcFiles(NULL);
    AddCommandLineFiles(JobListView, GetCommandLineW());
}

void AddCommandLineFiles(HWND list, const WCHAR* commandLine)
{
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(commandLine, &count);
    if (args == NULL)
        return;
    LongFolderMemo memo;
    ZeroMemory(&memo, sizeof memo);
    HoldJobListDrawing(list);
    for (int i = 1; i < count; ++i)
        AddWideRow(list, args[i], &memo);
    ReleaseJobListDrawing(list);
    LocalFree(args);
}

void AddDroppedFiles(HWND list, HDROP drop)
{
    LongFolderMemo memo;
    ZeroMemory(&memo, sizeof memo);
    HoldJobListDrawing(list);
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, NULL, 0);
    for (UINT i = 0; i < count; ++i) {
        // A name that does not fit would arrive cut short.
        if (DragQueryFileW(drop, i, NULL, 0) >= MAX_PATH)
            continue;
        WCHAR name[MAX_PATH];
        if (DragQueryFileW(drop, i, name, MAX_PATH) > 0)
            AddWideRow(list, name, &memo);
    }
    ReleaseJobListDrawing(list);
}

int OnJobListNotify(const NMHDR* header)
{
    if (header->hwndFrom != JobListView)
        return MessageGoesOn;
    switch (header->code) {
    case LVN_DELETEITEM: {
        // Sent before the row goes, so its text is still there.
        char srcFile[MAX_PATH];
        ReadJobColumn(header->hwndFrom, ((const NMLISTVIEW*)header)->iItem, ColSrcFile, srcFile,
                      sizeof srcFile);
        NoteSrcFileUnlisted(header->hwndFrom, srcFile);
        return MessageHandled;
    }
    case LVN_DELETEALLITEMS:
        ForgetListedSrcFiles(header->hwndFrom);
        return MessageHandled;
    default:
        return MessageGoesOn;
    }
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
    return AddRow(list, path, index, NULL);
}

int FindJobRow(HWND list, const char* path)
{
    return IsSrcFileListed(list, path);
}

int AddFilesFromOpenDialog(HWND list)
{
    WCHAR filter[128];
    int n = LoadStringW(AppInstance, IDS_FILTER_ALL, filter, 100);
    if (n <= 0)
        return 0;
    memcpy(filter + n + 1, L"*.*\0", 5 * sizeof(WCHAR));  // name, pattern, closing null

    WCHAR buffer[OpenBufferSize];
    buffer[0] = L'\0';
    WORD nameOffset = 0;
    if (ShowOpenFileDialog(GetParent(list), buffer, OpenBufferSize, &nameOffset, filter, 0) < 0)
        return 0;

    LongFolderMemo memo;
    ZeroMemory(&memo, sizeof memo);
    HoldJobListDrawing(list);
    if (nameOffset > 0 && buffer[nameOffset - 1] != L'\0') {
        AddWideRow(list, buffer, &memo);
    } else {
        // Several files: the directory, then each name, all null-terminated.
        const WCHAR* directory = buffer;
        const WCHAR* end = buffer + OpenBufferSize;
        WCHAR path[MAX_PATH];
        for (const WCHAR* name = buffer + nameOffset; name < end && *name != L'\0';
             name += lstrlenW(name) + 1) {
            if (JoinWidePath(path, directory, name))
                AddWideRow(list, path, &memo);
        }
    }
    ReleaseJobListDrawing(list);
    return 1;
}

int ShowOpenFileDialog(HWND owner, WCHAR* buffer, int size, WORD* nameOffset,
                       const WCHAR* filter, int filterIndex)
{
    if (buffer == NULL || size < MAX_PATH)
        return OpenDialogNoBuffer;
    OPENFILENAMEW ofn;
    ZeroMemory(&ofn, sizeof ofn);
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = (DWORD)filterIndex;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = (DWORD)size;
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ALLOWMULTISELECT
                | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&ofn))
        return OpenDialogCancelled;
    if (nameOffset != NULL)
        *nameOffset = ofn.nFileOffset;
    return (int)ofn.nFilterIndex;
}

int DeleteSelectedRows(HWND list)
{
    int first = NextSelectedRow(list, -1);
    if (first == -1)
        return 1;
    HoldJobListDrawing(list);
    // A focused row below a deleted one moves up, and the list scrolls to
    // keep it in view even while it does not draw (under Wine about 15 ms a
    // row). The focus is given again below.
    SetRowState(list, -1, 0, LVIS_FOCUSED);
    // The next selected row is found where the deleted one was.
    for (int row = first; row != -1; row = NextSelectedRow(list, row - 1))
        SendMessageA(list, LVM_DELETEITEM, (WPARAM)row, 0);

    int n = JobRowCount(list);
    if (n > 0) {
        int target = first < n ? first : first - 1;
        SetRowState(list, target, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    ReleaseJobListDrawing(list);
    return 1;
}

void SelectAllRows(HWND list)
{
    int n = JobRowCount(list);
    if (n == 0)
        return;
    HoldJobListDrawing(list);
    SetRowState(list, -1, LVIS_SELECTED, LVIS_SELECTED);
    SetRowState(list, n - 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ReleaseJobListDrawing(list);
}
