#include "support/editlimit.h"

#include <stdlib.h>
#include <string.h>

// The subclass is a Unicode window procedure: an ANSI one would get a
// typed double-byte character as two WM_CHAR messages, lead and trail byte,
// and Wine hands each of them on to the edit as a character of its own.
// Lengths are counted in bytes of the ANSI code page all the same.

namespace {

// The edit's own procedure, its limit, and "a correction is under way".
const char ProcProp[] = "MirtavolenEditLimitProc";
const char BytesProp[] = "MirtavolenEditLimitBytes";
const char BusyProp[] = "MirtavolenEditLimitBusy";

// Messages that insert text where the selection is. After them the part
// that came in is cut to the room left, and the text around it stays.
int InsertsText(UINT message)
{
    switch (message) {
    case WM_CHAR:              // typing; Ctrl+V under Wine
    case WM_KEYDOWN:           // Shift+Insert, Ctrl+V
    case WM_IME_CHAR:
    case WM_IME_COMPOSITION:   // an input method's result
    case WM_PASTE:
    case EM_REPLACESEL:
    case WM_UNDO:
    case EM_UNDO:
        return 1;
    default:
        return 0;
    }
}

// Messages that only read; the corrections below send them themselves.
int ReadsOnly(UINT message)
{
    switch (message) {
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case EM_GETSEL:
    case EM_LINELENGTH:
        return 1;
    default:
        return 0;
    }
}

LRESULT CallOriginal(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC original = (WNDPROC)GetPropA(edit, ProcProp);
    if (original == NULL)
        return DefWindowProcW(edit, message, wParam, lParam);
    return CallWindowProcW(original, edit, message, wParam, lParam);
}

// UTF-16 units of the character starting at text[i]: 2 for a surrogate pair.
int Units(const WCHAR* text, int i)
{
    if (text[i] >= 0xD800 && text[i] <= 0xDBFF && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
        return 2;
    return 1;
}

// Bytes of count UTF-16 units of text in the ANSI code page.
int AnsiBytes(const WCHAR* text, int count)
{
    if (count <= 0)
        return 0;
    int bytes = WideCharToMultiByte(CP_ACP, 0, text, count, NULL, 0, NULL, NULL);
    return bytes > 0 ? bytes : count;
}

// Whether the character of units UTF-16 units at text is one the ANSI code
// page holds exactly: it converts without a default character or a
// look-alike (é would become e, ¥ a backslash, 한 "?") and back again.
int InCodePage(const WCHAR* text, int units)
{
    char bytes[8];
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, units, bytes, sizeof bytes,
                                NULL, &usedDefault);
    if (n <= 0 || usedDefault)
        return 0;
    WCHAR back[8];
    return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, n, back, 8) == units
        && memcmp(back, text, units * sizeof(WCHAR)) == 0;
}

// Takes out of text (count units) every character that the ANSI code page
// lacks; returns the units left. The password made from the text is then
// what the edit shows, not a "?" standing for any of thousands of
// characters.
int KeepCodePage(WCHAR* text, int count)
{
    int kept = 0;
    for (int at = 0; at < count;) {
        int step = at + 1 < count ? Units(text, at) : 1;
        if (InCodePage(text + at, step)) {
            memmove(text + kept, text + at, step * sizeof(WCHAR));
            kept += step;
        }
        at += step;
    }
    return kept;
}

int AllInCodePage(const WCHAR* text, int count)
{
    for (int at = 0; at < count;) {
        int step = at + 1 < count ? Units(text, at) : 1;
        if (!InCodePage(text + at, step))
            return 0;
        at += step;
    }
    return 1;
}

// How many UTF-16 units of text (count in all) make whole characters of at
// most maxBytes ANSI bytes.
int UnitsWithin(const WCHAR* text, int count, int maxBytes)
{
    int kept = 0;
    int bytes = 0;
    while (kept < count) {
        int step = kept + 1 < count ? Units(text, kept) : 1;
        int more = AnsiBytes(text + kept, step);
        if (bytes + more > maxBytes)
            break;
        bytes += more;
        kept += step;
    }
    return kept;
}

// The edit's text in a new buffer (free it) with its length, or null.
WCHAR* ReadWide(HWND edit, int* length)
{
    int room = GetWindowTextLengthW(edit);
    if (room < 0)
        return NULL;
    WCHAR* text = (WCHAR*)malloc(((size_t)room + 1) * sizeof(WCHAR));
    if (text == NULL)
        return NULL;
    text[0] = L'\0';
    GetWindowTextW(edit, text, room + 1);
    *length = lstrlenW(text);
    return text;
}

// What the edit showed before a message that inserts text: its text and the
// selection, both as the edit reported it and as UTF-16 indices into that
// text. The edit counts positions in characters (a Unicode edit, Wine's) or
// in bytes (an ANSI edit of Windows); its length tells which. known is 0
// when neither fits.
struct Before {
    WCHAR text[EditLimitMaxBytes + 1];
    int length;
    DWORD selStart;
    DWORD selEnd;
    int start;
    int end;
    int known;
};

// UTF-16 index in text (length units) of the position the edit reported.
int IndexOf(const WCHAR* text, int length, DWORD position, int inBytes)
{
    if (!inBytes)
        return (int)position < length ? (int)position : length;
    int at = 0;
    DWORD bytes = 0;
    while (at < length && bytes < position) {
        int step = at + 1 < length ? Units(text, at) : 1;
        bytes += (DWORD)AnsiBytes(text + at, step);
        at += step;
    }
    return at;
}

void ReadBefore(HWND edit, Before* before)
{
    before->known = 0;
    before->length = 0;
    before->text[0] = L'\0';
    if (GetWindowTextLengthW(edit) > EditLimitMaxBytes)
        return;
    GetWindowTextW(edit, before->text, EditLimitMaxBytes + 1);
    before->length = lstrlenW(before->text);
    before->selStart = 0;
    before->selEnd = 0;
    SendMessageW(edit, EM_GETSEL, (WPARAM)&before->selStart, (LPARAM)&before->selEnd);
    DWORD reported = (DWORD)SendMessageW(edit, EM_LINELENGTH, 0, 0);
    int inBytes;
    if (reported == (DWORD)before->length)
        inBytes = 0;
    else if (reported == (DWORD)AnsiBytes(before->text, before->length))
        inBytes = 1;
    else
        return;
    DWORD low = before->selStart < before->selEnd ? before->selStart : before->selEnd;
    DWORD high = before->selStart < before->selEnd ? before->selEnd : before->selStart;
    before->start = IndexOf(before->text, before->length, low, inBytes);
    before->end = IndexOf(before->text, before->length, high, inBytes);
    before->known = 1;
}

// Puts text into the edit past the limit's own WM_SETTEXT handling, which
// it needs no more: the text fits.
void SetWithinLimit(HWND edit, const WCHAR* text)
{
    CallOriginal(edit, WM_SETTEXT, 0, (LPARAM)text);
}

// Whether now (length units) is before's text with something in place of
// its selection; tail is then the length of what follows the selection.
int IsInsertion(const Before* before, const WCHAR* now, int length, int maxBytes, int* tail)
{
    if (before == NULL || !before->known)
        return 0;
    *tail = before->length - before->end;
    if (length < before->start + *tail)
        return 0;
    if (AnsiBytes(before->text, before->start)
            + AnsiBytes(before->text + before->end, *tail) > maxBytes)
        return 0;
    return memcmp(now, before->text, before->start * sizeof(WCHAR)) == 0
        && memcmp(now + length - *tail, before->text + before->end, *tail * sizeof(WCHAR)) == 0;
}

// After a message: if the text now holds a character the code page lacks
// or is longer than maxBytes, takes those characters out and brings it
// back within the bytes. When the new text is the former one with
// something in place of the selection, only that something is corrected
// and put in again in place of the same selection; otherwise the whole
// text is corrected and keeps its first maxBytes bytes.
void KeepWithinLimit(HWND edit, int maxBytes, const Before* before)
{
    int length = 0;
    WCHAR* now = ReadWide(edit, &length);
    if (now == NULL)
        return;
    if (!AllInCodePage(now, length) || AnsiBytes(now, length) > maxBytes) {
        SetPropA(edit, BusyProp, (HANDLE)1);
        int tail = 0;
        if (IsInsertion(before, now, length, maxBytes, &tail)) {
            int room = maxBytes - AnsiBytes(before->text, before->start)
                       - AnsiBytes(before->text + before->end, tail);
            WCHAR* inserted = now + before->start;
            int count = KeepCodePage(inserted, length - tail - before->start);
            inserted[UnitsWithin(inserted, count, room)] = L'\0';
            SetWithinLimit(edit, before->text);
            CallOriginal(edit, EM_SETSEL, before->selStart, before->selEnd);
            CallOriginal(edit, EM_REPLACESEL, TRUE, (LPARAM)inserted);
        } else {
            length = KeepCodePage(now, length);
            now[UnitsWithin(now, length, maxBytes)] = L'\0';
            SetWithinLimit(edit, now);
        }
        RemovePropA(edit, BusyProp);
    }
    free(now);
}

// A whole new text for the edit, corrected as KeepWithinLimit corrects one:
// its characters of the code page, then its first maxBytes bytes.
LRESULT SetTextWithinLimit(HWND edit, WPARAM wParam, const WCHAR* text, int maxBytes)
{
    int length = text != NULL ? lstrlenW(text) : 0;
    if (AllInCodePage(text, length) && AnsiBytes(text, length) <= maxBytes)
        return CallOriginal(edit, WM_SETTEXT, wParam, (LPARAM)text);
    // As many units as the text has, whatever the bytes they make.
    WCHAR* kept = (WCHAR*)malloc(((size_t)length + 1) * sizeof(WCHAR));
    if (kept == NULL)
        return FALSE;
    memcpy(kept, text, (size_t)length * sizeof(WCHAR));
    length = KeepCodePage(kept, length);
    kept[UnitsWithin(kept, length, maxBytes)] = L'\0';
    LRESULT result = CallOriginal(edit, WM_SETTEXT, wParam, (LPARAM)kept);
    free(kept);
    return result;
}

LRESULT CALLBACK LimitedEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCDESTROY) {
        WNDPROC original = (WNDPROC)GetPropA(edit, ProcProp);
        if (original != NULL)
            SetWindowLongPtrW(edit, GWLP_WNDPROC, (LONG_PTR)original);
        RemovePropA(edit, BytesProp);
        RemovePropA(edit, BusyProp);
        RemovePropA(edit, ProcProp);
        if (original == NULL)
            return DefWindowProcW(edit, message, wParam, lParam);
        return CallWindowProcW(original, edit, message, wParam, lParam);
    }
    int maxBytes = (int)(INT_PTR)GetPropA(edit, BytesProp);
    if (maxBytes <= 0 || GetPropA(edit, BusyProp) != NULL || ReadsOnly(message))
        return CallOriginal(edit, message, wParam, lParam);

    if (message == WM_SETTEXT)
        return SetTextWithinLimit(edit, wParam, (const WCHAR*)lParam, maxBytes);

    if (!InsertsText(message)) {
        // Anything else that might lengthen the text (a context menu's
        // paste, for one) leaves no longer text behind either.
        LRESULT result = CallOriginal(edit, message, wParam, lParam);
        if (IsWindow(edit))
            KeepWithinLimit(edit, maxBytes, NULL);
        return result;
    }

    Before before;
    ReadBefore(edit, &before);
    LRESULT result = CallOriginal(edit, message, wParam, lParam);
    if (IsWindow(edit))
        KeepWithinLimit(edit, maxBytes, &before);
    return result;
}

}  // namespace

int LimitEditBytes(HWND edit, int maxBytes)
{
    if (edit == NULL || maxBytes < 1 || maxBytes > EditLimitMaxBytes)
        return 0;
    if (GetPropA(edit, ProcProp) == NULL) {
        WNDPROC previous = (WNDPROC)GetWindowLongPtrW(edit, GWLP_WNDPROC);
        if (previous == NULL || !SetPropA(edit, ProcProp, (HANDLE)previous))
            return 0;
        SetLastError(ERROR_SUCCESS);
        if (SetWindowLongPtrW(edit, GWLP_WNDPROC, (LONG_PTR)LimitedEditProc) == 0
            && GetLastError() != ERROR_SUCCESS) {
            RemovePropA(edit, ProcProp);
            return 0;
        }
    }
    SetPropA(edit, BytesProp, (HANDLE)(INT_PTR)maxBytes);
    // Never more characters than bytes: the edit's own limit stops the
    // keyboard early where it counts bytes itself.
    SendMessageW(edit, EM_LIMITTEXT, (WPARAM)maxBytes, 0);
    KeepWithinLimit(edit, maxBytes, NULL);
    return 1;
}
