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

// What a handler of one kind of window message tells its window procedure:
// done, or to go on to the default handling.
enum MessageResult { MessageHandled = 0, MessageGoesOn = 1 };

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
extern char PasswordPromptText[PasswordMaxBytes + 1];  // dialogs/prompts: what the prompt's edit shows when it opens
extern int BatchStartPending;          // convert/batch: set when the progress dialog opens; its first paint clears it and runs the batch
extern DWORD AboutAnimTime;            // about/about: the about box's animation, stored by ShowAboutBox for its procedure
extern DWORD AboutOpenFlags;           // about/about: as above, the opening flags
extern DWORD AboutCloseFlags;          // about/about: as above, the closing flags

// State that one file keeps to itself (in its anonymous namespace), by owner:
//   app/mainwnd         CloseRequested (a close waits for a running handler),
//                       HandlersRunning (how many command handlers are under way)
//   about/about         AboutLink (the link object, made once, released at exit)
//   convert/fileconv    LastDrain (when the queue was last drained), KeptBuffer
//                       (the chunk buffer a batch lends its files)
//   convert/progressview View (what the progress dialog was last told, and
//                       whether its drawing is held)
//   convert/rowconv     the log file's path, found once (a function's static)
//   convert/target      LastFolder (the output folder's resolved name, for a
//                       batch), the ntdll functions, found once
//   convert/transform   PasswordRandomState (the generator), KeyTable and
//                       KeyTableLength (built for the last password),
//                       ForcedXorPath (the benchmark's choice of path), and
//                       what the processor offers, asked once
//   joblist/jobrow      HeldList (the list whose drawing is held)
//   joblist/srcset      SetList and Listed (the SrcFile of every row)
//   support/settings    SettingsUnreadable (the file could not be read: it is
//                       not saved over), PolicyOverwrite and PolicyNoConfirm
//                       (the policy's halves as the file keeps them)

#endif
