#include "dialogs/itemdlg.h"

#include <commctrl.h>
#include <string.h>

#include "joblist/joblabel.h"
#include "joblist/jobrow.h"
#include "joblist/listview.h"
#include "res/resource.h"
#include "support/editlimit.h"
#include "support/paths.h"
#include "support/placement.h"
#include "support/settings.h"
#include "support/text.h"

int CurrentRowIndex = -1;

namespace {

// The type buttons are numbered as the types are.
static_assert(IDC_ITEM_INVERT == 2026 + ConvInvert && IDC_ITEM_REVERSE == 2026 + ConvReverse
                  && IDC_ITEM_PASSWORD == 2026 + ConvPassword && IDC_ITEM_NONE == 2026 + ConvNone,
              "radio button 2026 + n is type n");

// Controls that only make sense for rows; defaults mode hides them.
const int RowOnlyControls[] = { IDC_ITEM_FILELABEL, IDC_ITEM_NAMELABEL, IDC_ITEM_NAME };

int InDefaultsMode()
{
    return CurrentRowIndex < 0;
}

// Two or more rows share the dialog: the file name edit is then out of
// play and each row keeps its own name. The selection cannot change while
// the dialog is open (its owner is disabled).
int SeveralRowsSelected()
{
    return SelectedRowCount(JobListView) >= 2;
}

// The rows the dialog applies to: the starting row, then every selected
// row after it. Returns -1 after the last.
int NextRow(int row)
{
    return row < 0 ? CurrentRowIndex : NextSelectedRow(JobListView, row);
}

// Reads a control's text into buffer (size bytes). Returns its length, or
// -1 when the text does not fit (the buffer is then empty).
int ReadFittingText(HWND dialog, int id, char* buffer, int size)
{
    buffer[0] = '\0';
    HWND control = GetDlgItem(dialog, id);
    if (control == NULL)
        return -1;
    int length = GetWindowTextLengthA(control);
    if (length < 0 || length >= size)
        return -1;
    if (length == 0)
        return 0;
    int got = GetWindowTextA(control, buffer, size);
    if (got <= 0) {
        buffer[0] = '\0';
        return -1;
    }
    return got;
}

// The password as the edit shows it (out has PasswordMaxBytes + 1 bytes). The
// edit holds no more than PasswordMaxBytes bytes; the cut only bounds the read.
void ReadPassword(HWND dialog, char* out)
{
    char text[MAX_PATH];
    text[0] = '\0';
    if (GetDlgItemTextA(dialog, IDC_ITEM_PASSEDIT, text, sizeof text) <= 0)
        text[0] = '\0';
    CopyTextCut(out, PasswordMaxBytes, text);
}

int PasswordEmpty(HWND dialog)
{
    return GetWindowTextLengthA(GetDlgItem(dialog, IDC_ITEM_PASSEDIT)) <= 0;
}

// A directory the conversion can use: a drive letter (not examined),
// colon and backslash.
int HasDrivePrefix(const char* dir)
{
    return strlen(dir) >= 3 && dir[1] == ':' && dir[2] == '\\';
}

// The file name part of a row's DestFile into name (260 bytes).
void ReadRowFileName(int row, char* name)
{
    char dest[MAX_PATH];
    ReadJobColumn(JobListView, row, ColDestFile, dest, sizeof dest);
    name[0] = '\0';
    if (SplitPath(dest, NULL, name, 0) < 0)
        name[0] = '\0';
}

// The checked type: the first checked button of 2026 to 2029, and no
// conversion when none is.
int CheckedType(HWND dialog)
{
    for (int type = ConvInvert; type < ConvNone; ++type) {
        if (IsDlgButtonChecked(dialog, IDC_ITEM_INVERT + type) == BST_CHECKED)
            return type;
    }
    return ConvNone;
}

// Checks the button of type and unchecks the others; a type outside 0 to 3
// leaves all four unchecked. The password edit is usable only for the
// password type.
int ShowType(HWND dialog, int type)
{
    int known = type >= ConvInvert && type <= ConvNone;
    int checkId = known ? IDC_ITEM_INVERT + type : 0;
    if (!CheckRadioButton(dialog, IDC_ITEM_INVERT, IDC_ITEM_NONE, checkId))
        return 0;
    EnableWindow(GetDlgItem(dialog, IDC_ITEM_PASSEDIT), type == ConvPassword);
    return 1;
}

// Whether OK may be pressed. Besides the password and the drive prefix it
// makes sure no DestFile it would form is longer than 259 bytes.
int InputAcceptable(HWND dialog)
{
    if (IsDlgButtonChecked(dialog, IDC_ITEM_PASSWORD) == BST_CHECKED && PasswordEmpty(dialog))
        return 0;

    char dir[MAX_PATH];
    int dirLength = ReadFittingText(dialog, IDC_ITEM_DIR, dir, sizeof dir);
    if (InDefaultsMode())
        return dirLength == 0 || (dirLength > 0 && HasDrivePrefix(dir));  // empty: in place

    char name[MAX_PATH];
    int several = SeveralRowsSelected();
    if (!several && ReadFittingText(dialog, IDC_ITEM_NAME, name, sizeof name) <= 0)
        return 0;
    if (dirLength <= 0 || !HasDrivePrefix(dir))
        return 0;

    char dest[MAX_PATH];
    if (!several)
        return JoinPath(dest, dir, name);
    for (int row = NextRow(-1); row >= 0; row = NextRow(row)) {
        ReadRowFileName(row, name);
        if (!JoinPath(dest, dir, name))
            return 0;
    }
    return 1;
}

void UpdateOkButton(HWND dialog)
{
    EnableWindow(GetDlgItem(dialog, IDOK), InputAcceptable(dialog));
}

int InitDefaultsMode(HWND dialog)
{
    char title[64];
    HINSTANCE instance = (HINSTANCE)GetWindowLongPtrA(dialog, GWLP_HINSTANCE);
    if (LoadStringA(instance, IDS_ITEM_DEFAULTS, title, sizeof title) <= 0
        || !SetWindowTextA(dialog, title))
        return 0;
    EnableWindow(GetDlgItem(dialog, IDC_ITEM_NAME), FALSE);
    if (!SetDlgItemTextA(dialog, IDC_ITEM_DIR, ItemDefaults.DefDir))
        return 0;
    for (int id : RowOnlyControls)
        ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
    if (!ShowType(dialog, ItemDefaults.DefType))
        return 0;
    return SetDlgItemTextA(dialog, IDC_ITEM_PASSEDIT, ItemDefaults.DefPass) ? 1 : 0;
}

int InitRowMode(HWND dialog)
{
    char dest[MAX_PATH];
    ReadJobColumn(JobListView, CurrentRowIndex, ColDestFile, dest, sizeof dest);
    int several = SeveralRowsSelected();
    if (!several && !SetDlgItemTextA(dialog, IDC_ITEM_DESTFILE, dest))
        return 0;

    char dir[MAX_PATH];
    char name[MAX_PATH];
    dir[0] = '\0';
    name[0] = '\0';
    SplitPath(dest, dir, name, 0);  // an empty DestFile leaves both empty
    if (!SetDlgItemTextA(dialog, IDC_ITEM_DIR, dir))
        return 0;
    if (several)
        EnableWindow(GetDlgItem(dialog, IDC_ITEM_NAME), FALSE);
    else if (!SetDlgItemTextA(dialog, IDC_ITEM_NAME, name))
        return 0;

    char label[LabelSize];
    ReadJobColumn(JobListView, CurrentRowIndex, ColTypeLabel, label, sizeof label);
    const char* password = NULL;
    int type = ClassifyTypeLabel(label, &password);
    if (type == ConvPassword && !SetDlgItemTextA(dialog, IDC_ITEM_PASSEDIT, password))
        return 0;
    return ShowType(dialog, type);
}

int InitItemSettings(HWND dialog)
{
    // Set before filling: a longer password from a row or the defaults
    // shows its first 32 bytes, which are what OK then keeps.
    LimitEditBytes(GetDlgItem(dialog, IDC_ITEM_PASSEDIT), PasswordMaxBytes);
    int filled = InDefaultsMode() ? InitDefaultsMode(dialog) : InitRowMode(dialog);
    if (!filled)
        return 0;
    CenterWindowInWorkArea(dialog, GetWindow(dialog, GW_OWNER));
    UpdateOkButton(dialog);
    return 1;
}

// Stores the dialog's choice in ItemDefaults; the password only for the
// password type, so another type keeps the former one.
int ApplyToDefaults(HWND dialog)
{
    char dir[MAX_PATH];
    if (ReadFittingText(dialog, IDC_ITEM_DIR, dir, sizeof dir) < 0)
        return 0;
    memcpy(ItemDefaults.DefDir, dir, strlen(dir) + 1);
    int type = CheckedType(dialog);
    ItemDefaults.DefType = type;
    if (type == ConvPassword)
        ReadPassword(dialog, ItemDefaults.DefPass);
    return 1;
}

// Gives every row the dialog applies to its new DestFile and type label.
// Returns 1 when every row took both.
int ApplyToRows(HWND dialog)
{
    char dir[MAX_PATH];
    char name[MAX_PATH];
    if (ReadFittingText(dialog, IDC_ITEM_DIR, dir, sizeof dir) <= 0)
        return 0;
    int several = SeveralRowsSelected();
    if (!several && ReadFittingText(dialog, IDC_ITEM_NAME, name, sizeof name) <= 0)
        return 0;

    char password[LabelSize];
    ReadPassword(dialog, password);
    char label[LabelSize];
    ComposeTypeLabel(CheckedType(dialog), password, label, sizeof label);

    int all = 1;
    for (int row = NextRow(-1); row >= 0; row = NextRow(row)) {
        if (several)
            ReadRowFileName(row, name);
        char dest[MAX_PATH];
        if (!JoinPath(dest, dir, name)) {
            all = 0;
            continue;
        }
        if (!WriteJobColumn(JobListView, row, ColDestFile, dest))
            all = 0;
        if (!WriteJobColumn(JobListView, row, ColTypeLabel, label))
            all = 0;
    }
    return all;
}

// "...": the folder browser starts at the typed directory; a chosen
// folder replaces the text (and so reruns the OK check), a cancelled
// browser leaves it as it was.
void BrowseOutputDir(HWND dialog)
{
    char title[64];
    HINSTANCE instance = (HINSTANCE)GetWindowLongPtrA(dialog, GWLP_HINSTANCE);
    if (LoadStringA(instance, IDS_ITEM_BROWSE, title, sizeof title) <= 0)
        return;
    char dir[MAX_PATH];
    int fits = ReadFittingText(dialog, IDC_ITEM_DIR, dir, sizeof dir) >= 0;
    if (BrowseForFolder(dialog, title, fits ? dir : NULL, dir) == 1)
        SetDlgItemTextA(dialog, IDC_ITEM_DIR, dir);
}

void OnTypeClicked(HWND dialog, int id)
{
    UpdateOkButton(dialog);
    EnableWindow(GetDlgItem(dialog, IDC_ITEM_PASSEDIT), id == IDC_ITEM_PASSWORD);
}

void OnOk(HWND dialog)
{
    // OK can only be pressed when enabled, but IDOK may also arrive as a
    // plain command; nothing is applied that the check would refuse.
    if (!InputAcceptable(dialog))
        return;
    int applied = InDefaultsMode() ? ApplyToDefaults(dialog) : ApplyToRows(dialog);
    EndDialog(dialog, applied ? DialogConfirmed : DialogNotApplied);
}

BOOL OnCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case IDC_ITEM_NAME:
    case IDC_ITEM_DIR:
    case IDC_ITEM_PASSEDIT:
        if (code != EN_CHANGE)
            return FALSE;
        UpdateOkButton(dialog);
        return TRUE;
    case IDC_ITEM_INVERT:
    case IDC_ITEM_REVERSE:
    case IDC_ITEM_PASSWORD:
    case IDC_ITEM_NONE:
        if (code != BN_CLICKED)
            return FALSE;
        OnTypeClicked(dialog, id);
        return TRUE;
    case IDC_ITEM_BROWSE:
        if (code != BN_CLICKED)
            return FALSE;
        BrowseOutputDir(dialog);
        return TRUE;
    case IDOK:
        OnOk(dialog);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK ItemSettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        // A dialog that cannot show its values must not be confirmed.
        if (!InitItemSettings(dialog))
            EndDialog(dialog, IDCANCEL);
        return TRUE;
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    default:
        return FALSE;
    }
}

int OpenItemSettings(HWND owner, int rowIndex)
{
    CurrentRowIndex = rowIndex;
    return (int)DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_ITEMSETTINGS), owner,
                                ItemSettingsDlgProc, 0);
}
