// A byte limit for single-line edit controls. EM_LIMITTEXT counts what the
// edit counts: bytes in an ANSI edit of Windows, characters under Wine, so a
// limit of 32 lets 32 kanji (64 bytes) in there. This limit counts bytes of
// the ANSI code page (932), whoever puts the text in: typing, an input
// method, a paste, EM_REPLACESEL or WM_SETTEXT, and takes only characters
// that code page holds.
#ifndef MIRTAVOLEN_SUPPORT_EDITLIMIT_H
#define MIRTAVOLEN_SUPPORT_EDITLIMIT_H

#include <windows.h>

// Longest limit LimitEditBytes takes.
const int EditLimitMaxBytes = 255;

// Keeps the text of edit within maxBytes bytes (1 to EditLimitMaxBytes)
// from now on, never ending in half a double-byte character, and made only
// of characters that the ANSI code page holds exactly: a character it
// lacks (Hangul, é, ¥, which would turn into "?" or a look-alike) is
// refused as it comes in, and what is typed or pasted beyond the limit is
// cut after the last whole character that fits. The text around an
// insertion stays; a new whole text keeps its characters of the code page,
// then its first maxBytes bytes. A text already in the edit is corrected
// the same way. Also sets EM_LIMITTEXT to maxBytes. 1 when the edit is
// limited; 0 for a null edit or a limit out of range.
int LimitEditBytes(HWND edit, int maxBytes);

#endif
