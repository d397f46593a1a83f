// A batch: every row or the selected rows, converted one after the other
// inside the modal progress dialog.
#ifndef MIRTAVOLEN_CONVERT_BATCH_H
#define MIRTAVOLEN_CONVERT_BATCH_H

#include <windows.h>

#include "support/globals.h"

// Starts a batch over all rows (allRows 1) or the selected rows, owned by
// owner; returns when it has ended. Nothing happens while a batch runs.
void StartBatch(HWND owner, int allRows);

// Stops the running batch as its stop button does, also while the
// overwrite question is open (which is cancelled): the current file is
// abandoned at its next chunk and no further row is converted.
void StopBatch(void);

// Posts a Cancel to every visible dialog of the thread, as a click on its
// Cancel button would: the progress dialog's is its stop button, the
// overwrite question's stops the batch, and the others close unchanged.
void CancelOpenDialogs(void);

// Dialog procedure of template 2001.
INT_PTR CALLBACK ProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the rows of the batch; called from the dialog's first paint.
void RunBatch(HWND progressDlg);

#endif
