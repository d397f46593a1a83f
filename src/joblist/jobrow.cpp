#include "joblist/jobrow.h"

#include <commctrl.h>

#include "support/text.h"

int ReadJobColumn(HWND list, int row, int column, char* buffer, int size)
{
    if (size <= 0)
        return 0;
    buffer[0] = '\0';
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = size;
    SendMessageA(list, LVM_GETITEMTEXTA, (WPARAM)row, (LPARAM)&item);
    // A text longer than the buffer comes back filling it with no terminator
    // (Wine), possibly ending in a lead byte without its trail byte.
    buffer[size - 1] = '\0';
    int length = 0;
    while (buffer[length] != '\0') {
        if (IsLeadByte((unsigned char)buffer[length]) && buffer[length + 1] == '\0') {
            buffer[length] = '\0';
            break;
        }
        length += CharBytes(buffer + length);
    }
    return length;
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
