// A job is one row of the job list view: its three texts are the whole
// record. These read and write a row's columns through the list view.
#ifndef MIRTAVOLEN_JOBLIST_JOBROW_H
#define MIRTAVOLEN_JOBLIST_JOBROW_H

#include <windows.h>

#include "joblist/joblabel.h"

enum JobColumn {
    ColSrcFile = 0,
    ColDestFile = 1,
    ColTypeLabel = 2
};

struct JobRow {
    char SrcFile[MAX_PATH];
    char DestFile[MAX_PATH];
    char TypeLabel[LabelSize];
};

// Reads a column's text into buffer (size bytes; a longer text is cut after
// its last whole character that fits). Returns the length read.
int ReadJobColumn(HWND list, int row, int column, char* buffer, int size);

// Writes a column's text. Returns 1 when the list view took it.
int WriteJobColumn(HWND list, int row, int column, const char* text);

// Reads all three columns of a row.
void ReadJobRow(HWND list, int row, JobRow* job);

// Clears the selected and focused states of a row.
void ClearRowSelection(HWND list, int row);

// Index of the first selected row at or after start + 1 (start -1: from
// the top), or -1.
int NextSelectedRow(HWND list, int start);

// How many rows the list has, and how many of them are selected.
int JobRowCount(HWND list);
int SelectedRowCount(HWND list);

// Deletes a row (the rows below move up) and has the list repainted
// without erasing (once drawing is let go, when it is held).
void DeleteJobRow(HWND list, int row);

// Changing many rows with drawing on makes the list scroll, update its
// scroll bar and repaint for every row (under Wine tens of milliseconds a
// row). Held off, the list is drawn once when it is let go (the whole
// list is invalidated).
void HoldJobListDrawing(HWND list);
void ReleaseJobListDrawing(HWND list);

// Takes the caret (the focused state) off its row and returns that row,
// -1 when no row has it. Under Wine a focused row below a deleted one
// makes the list scroll to keep it in view, even while it does not draw.
int TakeRowFocus(HWND list);

// Puts the caret on row, leaving its selection as it is.
void PutRowFocus(HWND list, int row);

// Index of the row whose SrcFile is srcFile, or -1 (reads every row).
int FindRowOf(HWND list, const char* srcFile);

// Width of a column in pixels.
int JobColumnWidth(HWND list, int column);

#endif
