// The password prompt and the overwrite question.
#ifndef MIRTAVOLEN_DIALOGS_PROMPTS_H
#define MIRTAVOLEN_DIALOGS_PROMPTS_H

#include <windows.h>

#include "dialogs/dialogresult.h"
#include "support/globals.h"

// Asks for a password over owner. The edit starts from rowPassword (a
// row's own password, cut to 32 bytes) or, when it is NULL, from the last
// entry. DialogConfirmed: LastPassword holds the password, and
// SamePasswordFlag says whether the rest of the command is to use it
// without asking; DialogCancelled; DialogNotShown.
int AskPassword(HWND owner, const char* rowPassword);

// Asks whether an existing output may be replaced, starting from the
// default policy. owner is the progress dialog during a batch, or the main
// window for the default itself (whose check box then reads "その都度の確認
// なし"). DialogConfirmed: *answer holds the policy chosen (BatchPolicy
// too); DialogCancelled; DialogNotShown.
int AskOverwrite(HWND owner, OverwritePolicy* answer);

// Template 2004. Result 1: LastPassword holds the new password; 2: cancelled.
INT_PTR CALLBACK PasswordDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Template 2005. Result 1: BatchPolicy holds the answer; 2: cancelled.
INT_PTR CALLBACK OverwriteDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
