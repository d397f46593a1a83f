// What the progress dialog (template 2001) shows while files are converted:
// the file, its type and the bar. Each is told only when it changes, and
// while held the three controls are drawn at most every ProgressPaintMs:
// under Wine a repaint costs more than converting a small file, while the
// eye needs no more.
#ifndef MIRTAVOLEN_CONVERT_PROGRESSVIEW_H
#define MIRTAVOLEN_CONVERT_PROGRESSVIEW_H

#include <windows.h>

const DWORD ProgressPaintMs = 30;

// From now on the file, type and bar of dialog draw only when painted
// here. A batch holds its dialog from start to end; a file procedure
// called on its own holds it for the file. Nothing is known as shown yet.
void HoldProgress(HWND dialog);

// Whether dialog is held.
int ProgressHeld(HWND dialog);

// Draws what was told and lets the controls draw themselves again.
void ReleaseProgress(HWND dialog);

// The file and type being converted, with the bar at 0.
void ShowProgressFile(HWND dialog, const char* file, const char* type);

// The bar at percent (0 to 100).
void ShowProgressPosition(HWND dialog, unsigned percent);

// Draws the held controls: at once, or only when something was told since
// the last drawing and ProgressPaintMs have passed.
void PaintProgressNow(HWND dialog);
void PaintProgressWhenDue(HWND dialog);

#endif
