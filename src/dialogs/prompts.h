// The password prompt and the overwrite question.
#ifndef MIRTAVOLEN_DIALOGS_PROMPTS_H
#define MIRTAVOLEN_DIALOGS_PROMPTS_H

#include <windows.h>

// The password last confirmed, or the current row's own password.
extern char LastPassword[64];
// What the password edit shows when the prompt opens (at most 32 bytes).
extern char PasswordPromptText[33];
// Set: the prompt starts from LastPassword instead of the last entry.
extern int PasswordPrefill;
// Set by an OK with "以降、同じパスワードにする" ticked: the rest of one
// type command gets LastPassword without asking.
extern int SamePasswordFlag;

// Template 2004. Result 1: LastPassword holds the new password; 2: cancelled.
INT_PTR CALLBACK PasswordDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Template 2005. Result 1: BatchPolicy holds the answer; 2: cancelled.
INT_PTR CALLBACK OverwriteDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
