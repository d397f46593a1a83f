// The item settings dialog: output directory, file name and type of the
// selected rows, or the defaults for new rows.
#ifndef MIRTAVOLEN_DIALOGS_ITEMDLG_H
#define MIRTAVOLEN_DIALOGS_ITEMDLG_H

#include <windows.h>

// The row the dialog starts from; -1 opens it on the item defaults.
extern int CurrentRowIndex;

// Dialog procedure of template 2002. Result 1 after OK (applied), 2 after
// Cancel.
INT_PTR CALLBACK ItemSettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
