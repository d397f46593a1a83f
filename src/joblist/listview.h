// The job list view: the only store of jobs, one owner-drawn row per file.
#ifndef MIRTAVOLEN_JOBLIST_LISTVIEW_H
#define MIRTAVOLEN_JOBLIST_LISTVIEW_H

#include <windows.h>

#include "support/globals.h"

// Row colours (0x00BBGGRR).
const COLORREF RowColorEven = 0x00E8E0FF;
const COLORREF RowColorOdd = 0x00FFE8E0;
const COLORREF RowColorHighlight = 0x00C0F0FF;

// Creates the list and its columns, puts the main window's subclass
// procedure in front of the list's own (kept in PrevListViewProc), then adds
// the files of the command line.
void CreateJobListView(HWND mainWindow, WNDPROC subclass);

// Adds the files named by the arguments after the program's name in a
// UTF-16 command line, in order.
void AddCommandLineFiles(HWND list, const WCHAR* commandLine);

// Adds the files of a drop, in order (the caller finishes the drop).
void AddDroppedFiles(HWND list, HDROP drop);

// Keeps the list's record of its files true: the main window passes every
// notification of the list here. MessageHandled for a row deletion (and
// for all rows: the list then tells each one), MessageGoesOn for any other.
int OnJobListNotify(const NMHDR* header);

// Every row is as high as a small icon plus one pixel.
void MeasureJobRow(MEASUREITEMSTRUCT* item);

// Draws one row in its colour, with its texts.
void DrawJobRow(HWND list, const DRAWITEMSTRUCT* item);

// Adds a file as a row at index (-1: at the end) with the item defaults.
// 1: added or already listed; 0: refused (folder, missing, unresolvable,
// or a path that does not fit). Files given in UTF-16 (the command line,
// drops, the Open dialog) come here only in a code page 932 form that
// names the same file (ExactAnsiPath); without one they are refused.
int AddJobRow(HWND list, const char* path, int index);

// 1 when a row's SrcFile equals path (case-sensitive), 0 otherwise.
int FindJobRow(HWND list, const char* path);

// Adds the files chosen in the Open dialog. 1 after the dialog was
// confirmed, 0 when it was cancelled or failed.
int AddFilesFromOpenDialog(HWND list);

// Runs the Open dialog (multiple choice) on a UTF-16 buffer of size
// characters. OpenDialogNoBuffer: buffer missing or below 260 characters;
// OpenDialogCancelled: cancelled or failed; otherwise the chosen filter
// index (0 or more), with *nameOffset the offset of the first file name in
// buffer, in characters.
enum OpenDialogResult { OpenDialogNoBuffer = -2, OpenDialogCancelled = -1 };
int ShowOpenFileDialog(HWND owner, WCHAR* buffer, int size, WORD* nameOffset,
                       const WCHAR* filter, int filterIndex);

// Deletes the selected rows and selects the row that took the place of the
// first one (or the new last row), with one repaint. Returns 1.
int DeleteSelectedRows(HWND list);

// Selects every row, with one repaint; the focus goes to the last.
void SelectAllRows(HWND list);

#endif
