// The item settings dialog: output directory, file name and type of the
// selected rows, or the defaults for new rows.
#ifndef MIRTAVOLEN_DIALOGS_ITEMDLG_H
#define MIRTAVOLEN_DIALOGS_ITEMDLG_H

#include <windows.h>

#include "dialogs/dialogresult.h"
#include "support/globals.h"

// Dialog procedure of template 2002. Result DialogConfirmed after OK
// (applied), DialogCancelled after Cancel or Escape (nothing changed),
// DialogNotApplied when OK could not write every selected row.
INT_PTR CALLBACK ItemSettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Sets CurrentRowIndex to rowIndex (-1: the defaults) and runs the dialog
// modally over owner. Returns the dialog's result, DialogNotShown when it
// could not be created.
int OpenItemSettings(HWND owner, int rowIndex);

#endif
