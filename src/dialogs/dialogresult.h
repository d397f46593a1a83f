// What the opener of a modal dialog returns: the dialog's answer, or that
// it could not be shown. Every opener of the program uses these values.
#ifndef MIRTAVOLEN_DIALOGS_DIALOGRESULT_H
#define MIRTAVOLEN_DIALOGS_DIALOGRESULT_H

#include <windows.h>

enum DialogResult {
    DialogNotShown = -1,    // the dialog could not be created: nothing was asked
    DialogNotApplied = 0,   // confirmed, but not all of it could be applied
    DialogConfirmed = IDOK,
    DialogCancelled = IDCANCEL
};

#endif
