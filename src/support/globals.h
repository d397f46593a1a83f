// The state the whole program shares, on one screen: the types it is made
// of and every global that more than one file touches. All of it lives on
// the user-interface thread for the whole run. Each global is defined by
// the file named first in its comment; "writes" and "reads" say who else
// touches it. Nothing here includes anything from the folders above.
#ifndef MIRTAVOLEN_SUPPORT_GLOBALS_H
#define MIRTAVOLEN_SUPPORT_GLOBALS_H

#include <windows.h>

#include "support/types.h"

// Window placement and column widths: used when the windows are created,
// taken from them again when the main window closes.
struct AppSettingsData {
    int WindowPosLeft;
    int WindowPosTop;
    int WindowWidth;
    int WindowHeight;
    int Maximized;
    int ColWidth1;
    int ColWidth2;
    int ColWidth3;
};

// What new rows receive, and the preset answer for existing output files.
struct ItemDefaultsData {
    char DefDir[MAX_PATH];  // empty: convert in place
    int DefType;            // a ConvType; other values mean no conversion
    char DefPass[64];
    OverwritePolicy DefPolicy;
};

extern HINSTANCE AppInstance;          // app/mainwnd: set at start; read by every opener of a dialog
extern HWND MainWindow;                // app/mainwnd: created and destroyed; dialogs read it as owner
extern HWND JobListView;               // joblist/listview: created by the main window; rows go through joblist/
extern WNDPROC PrevListViewProc;       // joblist/listview: the list's own procedure; app puts it back on close
extern AppSettingsData AppSettings;    // support/settings: loaded at start; app and joblist read and update it
extern ItemDefaultsData ItemDefaults;  // support/settings: loaded at start; the item dialog and overwrite settings write it
extern int BatchMode;                  // convert/batch: 1 all rows, 0 the selected ones; read by the batch runner
extern int BatchRunning;               // convert/batch: 1 while the progress dialog is open; app reads it on a close request
extern OverwritePolicy BatchPolicy;    // convert/batch: set from the default at a batch's start; the overwrite question writes it
extern int CancelFlag;                 // convert/fileconv: the stop button and a cancelled question set it; file and batch loops read it
extern int CurrentRowIndex;            // dialogs/itemdlg: the row the item dialog starts from (-1: the defaults); its opener sets it
extern int SamePasswordFlag;           // dialogs/prompts: the prompt's check box; app reads it and clears it after each command
extern char LastPassword[64];          // dialogs/prompts: the password last confirmed; the prompt's opener prefills it
extern int PasswordPrefill;            // dialogs/prompts: set by the prompt's opener to start from LastPassword
extern char PasswordPromptText[33];    // dialogs/prompts: what the prompt's edit shows when it opens

#endif
