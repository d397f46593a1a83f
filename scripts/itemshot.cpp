// Shows the item settings dialog for a screenshot, over a window with a job
// list like the program's. Usage: itemshot MODE READYFILE DONEFILE, MODE
// being "row" (one row selected), "rows" (two rows) or "defaults". Once the
// dialog is on screen its rectangle is written to READYFILE as
// "WIDTHxHEIGHT+X+Y"; the dialog is cancelled as soon as DONEFILE exists.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <string.h>

#include "app/mainwnd.h"
#include "dialogs/itemdlg.h"
#include "joblist/listview.h"
#include "support/settings.h"

static const char* ReadyFile;
static const char* DoneFile;
static HWND Shown;

static void AddRow(HWND list, const char* src, const char* dest, const char* label)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.mask = LVIF_TEXT;
    item.iItem = (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    item.pszText = (LPSTR)src;
    item.iItem = (int)SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&item);
    item.iSubItem = 1;
    item.pszText = (LPSTR)dest;
    SendMessageA(list, LVM_SETITEMA, 0, (LPARAM)&item);
    item.iSubItem = 2;
    item.pszText = (LPSTR)label;
    SendMessageA(list, LVM_SETITEMA, 0, (LPARAM)&item);
}

static void SelectRow(HWND list, int row)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, row, (LPARAM)&item);
}

static BOOL CALLBACK FindDialog(HWND window, LPARAM)
{
    char cls[16];
    if (GetClassNameA(window, cls, sizeof cls) && strcmp(cls, "#32770") == 0
        && IsWindowVisible(window)) {
        Shown = window;
        return FALSE;
    }
    return TRUE;
}

static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (Shown == NULL) {
        EnumThreadWindows(GetCurrentThreadId(), FindDialog, 0);
        if (Shown == NULL)
            return;
        UpdateWindow(Shown);
        RECT r;
        GetWindowRect(Shown, &r);
        FILE* f = fopen(ReadyFile, "w");
        if (f != NULL) {
            fprintf(f, "%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
            fclose(f);
        }
        return;
    }
    if (GetFileAttributesA(DoneFile) != INVALID_FILE_ATTRIBUTES)
        EndDialog(Shown, IDCANCEL);
}

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    ReadyFile = argv[2];
    DoneFile = argv[3];
    InitCommonControls();
    AppInstance = GetModuleHandleA(NULL);

    HWND main = CreateWindowExA(0, "STATIC", "Mirtavolen", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                40, 40, 720, 360, NULL, NULL, AppInstance, NULL);
    HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT
                                | LVS_SHOWSELALWAYS, 0, 0, 704, 322, main, NULL, AppInstance, NULL);
    const char* headers[] = { "対象ファイル", "変換後ファイル", "変換タイプ" };
    for (int i = 0; i < 3; ++i) {
        LVCOLUMNA column;
        ZeroMemory(&column, sizeof column);
        column.mask = LVCF_WIDTH | LVCF_TEXT;
        column.cx = i == 2 ? 150 : 270;
        column.pszText = (LPSTR)headers[i];
        SendMessageA(list, LVM_INSERTCOLUMNA, i, (LPARAM)&column);
    }
    AddRow(list, "C:\\書類\\見積書&請求書.xls", "D:\\変換後\\表計算\\見積書&請求書.xls",
           "パスワード=ひみつ123");
    AddRow(list, "C:\\書類\\議事録.doc", "D:\\変換後\\議事録.doc", "ビット反転");
    JobListView = list;

    int row = 0;
    if (strcmp(argv[1], "defaults") == 0) {
        strcpy(ItemDefaults.DefDir, "D:\\変換後");
        ItemDefaults.DefType = ConvReverse;
        strcpy(ItemDefaults.DefPass, "ひみつ");
        row = -1;
    } else {
        SelectRow(list, 0);
        if (strcmp(argv[1], "rows") == 0)
            SelectRow(list, 1);
    }
    SetTimer(NULL, 0, 100, Tick);
    int result = OpenItemSettings(main, row);
    DestroyWindow(main);
    return result == IDCANCEL ? 0 : 1;
}
