#include "dialogs/prompts.h"

#include <string.h>

#include "res/resource.h"
#include "support/editlimit.h"
#include "support/placement.h"
#include "support/settings.h"
#include "support/text.h"

char LastPassword[64] = "";
char PasswordPromptText[PasswordMaxBytes + 1] = "";
int PasswordPrefill = 0;
int SamePasswordFlag = 0;

namespace {

void UpdatePasswordOk(HWND dialog)
{
    int hasText = GetWindowTextLengthA(GetDlgItem(dialog, IDC_PASS_EDIT)) > 0;
    EnableWindow(GetDlgItem(dialog, IDOK), hasText);
}

void InitPasswordDialog(HWND dialog)
{
    EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
    // 32 bytes, not characters: the edit shows exactly the password that OK
    // takes, as the item settings' password edit does.
    LimitEditBytes(GetDlgItem(dialog, IDC_PASS_EDIT), PasswordMaxBytes);
    // A row's password can be longer than the prompt holds (from a hand-
    // edited default); it is cut after the last whole character that fits.
    if (PasswordPrefill)
        CopyTextCut(PasswordPromptText, PasswordMaxBytes, LastPassword);
    if (PasswordPromptText[0] != '\0') {
        SetDlgItemTextA(dialog, IDC_PASS_EDIT, PasswordPromptText);
        UpdatePasswordOk(dialog);
    }
    CenterWindowInWorkArea(dialog, GetParent(dialog));
}

void ConfirmPassword(HWND dialog)
{
    // The edit holds at most 32 bytes; the cut only bounds the read.
    char typed[MAX_PATH];
    GetDlgItemTextA(dialog, IDC_PASS_EDIT, typed, sizeof typed);
    CopyTextCut(PasswordPromptText, PasswordMaxBytes, typed);
    memcpy(LastPassword, PasswordPromptText, strlen(PasswordPromptText) + 1);
    SamePasswordFlag = IsDlgButtonChecked(dialog, IDC_PASS_SAME) == BST_CHECKED ? 1 : 0;
    EndDialog(dialog, IDOK);
}

}  // namespace

INT_PTR CALLBACK PasswordDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitPasswordDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_PASS_EDIT:
            if (HIWORD(wParam) != EN_CHANGE)
                return FALSE;
            UpdatePasswordOk(dialog);
            return TRUE;
        case IDOK:
            ConfirmPassword(dialog);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

namespace {

void InitOverwriteDialog(HWND dialog)
{
    OverwritePolicy preset = ItemDefaults.DefPolicy;
    CheckDlgButton(dialog, PolicyOverwrites(preset) ? IDC_OVER_YES : IDC_OVER_NO, BST_CHECKED);
    if (GetParent(dialog) == MainWindow && MainWindow != NULL) {
        char text[64];
        if (LoadStringA(AppInstance, IDS_OVER_KEEP_MAIN, text, sizeof text) > 0)
            SetDlgItemTextA(dialog, IDC_OVER_KEEP, text);
    }
    // Ticked exactly when a batch would decide without asking.
    if (PolicySkipsQuestion(preset))
        CheckDlgButton(dialog, IDC_OVER_KEEP, BST_CHECKED);
    CenterWindowInWorkArea(dialog, GetParent(dialog));
}

}  // namespace

INT_PTR CALLBACK OverwriteDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitOverwriteDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            BatchPolicy = MakeOverwritePolicy(
                IsDlgButtonChecked(dialog, IDC_OVER_KEEP) == BST_CHECKED ? 1 : 0,
                IsDlgButtonChecked(dialog, IDC_OVER_YES) == BST_CHECKED ? 1 : 0);
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

namespace {

// A dialog's result as the openers give it.
int OpenerResult(INT_PTR result)
{
    return result == IDOK || result == IDCANCEL ? (int)result : DialogNotShown;
}

}  // namespace

int AskPassword(HWND owner, const char* rowPassword)
{
    if (rowPassword != NULL) {
        CopyTextCut(LastPassword, sizeof LastPassword - 1, rowPassword);
        PasswordPrefill = 1;
    }
    INT_PTR result = DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_PASSWORD), owner,
                                     PasswordDlgProc, 0);
    PasswordPrefill = 0;
    return OpenerResult(result);
}

int AskOverwrite(HWND owner, OverwritePolicy* answer)
{
    INT_PTR result = DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_OVERWRITE), owner,
                                     OverwriteDlgProc, 0);
    if (result == IDOK)
        *answer = BatchPolicy;
    return OpenerResult(result);
}
