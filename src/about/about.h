// The about box: icon, version, copyright, author and a link, sliding in
// and out where the system can animate windows.
#ifndef MIRTAVOLEN_ABOUT_ABOUT_H
#define MIRTAVOLEN_ABOUT_ABOUT_H

#include <windows.h>

#include "dialogs/dialogresult.h"
#include "support/globals.h"

class HyperLink;

// DialogNotShown when time, openFlags or closeFlags is 0 or the box could
// not be created; DialogConfirmed after a normal close.
int ShowAboutBox(HINSTANCE instance, HWND owner, DWORD time, DWORD openFlags, DWORD closeFlags);

// AnimateWindow looked up in user32.dll on every call; 0 when missing.
int AnimateWindowIfAvailable(HWND window, DWORD time, DWORD flags);

// Dialog procedure of template 9999. Its link object is made on the first
// call and lives until the program exits, so it remembers being visited.
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// A tooltip window owned by owner; null when owner is null or creation fails.
HWND CreateTooltipWindow(HWND owner);

// The brush of the first link, among the HyperLink pointers that follow
// control up to a (HyperLink*)NULL, whose control is control, after that
// link has set its text colour into dc; null if none.
HBRUSH CtlColorHyperLinks(HDC dc, HWND control, ...);

#endif
