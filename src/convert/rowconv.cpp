#include "convert/rowconv.h"

#include <commctrl.h>
#include <string.h>

#include "convert/batch.h"
#include "convert/fileconv.h"
#include "convert/logentry.h"
#include "dialogs/prompts.h"
#include "joblist/jobrow.h"
#include "res/resource.h"
#include "support/paths.h"
#include "support/text.h"

const char LogFileName[] = "Mirtavolen.log";

namespace {

// What the progress dialog shows as the type of a row: the word of the
// file procedures ("パスワード" alone, never the password), and for a row
// that is not convertible the label of that class, "(not convert)".
const char* TypeWord(const char* typeLabel)
{
    switch (ClassifyTypeLabel(typeLabel, NULL)) {
    case ConvInvert:
        return LabelInvert;
    case ConvReverse:
        return LabelReverse;
    case ConvPassword:
        return LabelPassword;
    default:
        return LabelNone;
    }
}

// The progress dialog names the row's file and type, as the file procedure
// does when it starts, so that a question about the row's output is not
// read against the row before (or against nothing, on the first row).
void ShowRowInProgress(HWND progressDlg, const JobRow& job)
{
    SetDlgItemTextA(progressDlg, IDC_PROG_FILE, job.SrcFile);
    SetDlgItemTextA(progressDlg, IDC_PROG_TYPE, TypeWord(job.TypeLabel));
    SendDlgItemMessageA(progressDlg, IDC_PROG_BAR, PBM_SETPOS, 0, 0);
}

// Whether an existing output may be replaced: 1 go on, 0 pass over,
// -1 the question was cancelled.
int DecideOverwrite(HWND progressDlg, const JobRow& job)
{
    if (PolicySkipsQuestion(BatchPolicy))
        return PolicyOverwrites(BatchPolicy) ? 1 : 0;
    ShowRowInProgress(progressDlg, job);
    OverwritePolicy answer = 0;
    int asked = AskOverwrite(progressDlg, &answer);
    if (asked == IDCANCEL)
        return -1;
    if (asked != IDOK)
        return 0;  // the question could not be shown: leave the file alone
    return PolicyOverwrites(answer) ? 1 : 0;
}

// Opens the log for appending, alone: while another instance is writing
// its entry, tries again for about a second before the entry is given up.
HANDLE OpenLogFile(const char* file)
{
    const DWORD RetryMs = 50;
    const int Tries = 20;
    for (int attempt = 1;; ++attempt) {
        HANDLE log = CreateFileA(file, GENERIC_WRITE, 0, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 NULL);
        if (log != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION
            || attempt == Tries)
            return log;
        Sleep(RetryMs);
    }
}

}  // namespace

int ConvertRow(HWND list, int row, HWND progressDlg)
{
    if (row < 0)
        return 0;
    JobRow job;
    ReadJobColumn(list, row, ColSrcFile, job.SrcFile, sizeof job.SrcFile);
    ReadJobColumn(list, row, ColDestFile, job.DestFile, sizeof job.DestFile);
    // The list cannot change during the batch: the label read now is the
    // one the conversion uses.
    ReadJobColumn(list, row, ColTypeLabel, job.TypeLabel, sizeof job.TypeLabel);

    if (PathExists(job.DestFile)) {
        int decision = DecideOverwrite(progressDlg, job);
        if (decision < 0) {
            CancelFlag = 1;
            return 0;
        }
        if (decision == 0) {
            ClearRowSelection(list, row);
            return 0;
        }
    }

    // The moment the conversion begins, after any question.
    char date[12] = "";
    char time[10] = "";
    GetDateFormatA(LOCALE_SYSTEM_DEFAULT, 0, NULL, "yyyy/MM/dd", date, sizeof date);
    GetTimeFormatA(LOCALE_SYSTEM_DEFAULT, TIME_FORCE24HOURFORMAT, NULL, "HH:mm:ss", time,
                   sizeof time);

    const char* password = NULL;
    const char* typeText = job.TypeLabel;
    int converted = 0;
    switch (ClassifyTypeLabel(job.TypeLabel, &password)) {
    case ConvInvert:
        converted = BitInvertFile(job.SrcFile, job.DestFile, progressDlg);
        break;
    case ConvReverse:
        converted = ReverseFile(job.SrcFile, job.DestFile, progressDlg);
        break;
    case ConvPassword:
        converted = PasswordFile(job.SrcFile, job.DestFile, password, progressDlg);
        break;
    default:
        ClearRowSelection(list, row);
        return 0;
    }

    char entry[LogEntrySize];
    if (ComposeLogEntry(entry, sizeof entry, date, time, typeText, job.SrcFile, job.DestFile,
                        !converted) > 0)
        AppendLog(NULL, entry);

    if (!converted) {
        ClearRowSelection(list, row);
        return 0;
    }
    DeleteJobRow(list, row);
    return 1;
}

int AppendLog(const char* path, const char* text)
{
    if (text == NULL || text[0] == '\0')
        return 0;
    char file[MAX_PATH];
    if (path == NULL) {
        if (GetModuleDir(file, 1) == 0 || !AppendText(file, sizeof file, LogFileName))
            return 0;
    } else if (!CopyText(file, sizeof file, path)) {
        return 0;
    }

    HANDLE log = OpenLogFile(file);
    if (log == INVALID_HANDLE_VALUE)
        return 0;
    int written = 0;
    LONG endHigh = 0;
    DWORD endLow = SetFilePointer(log, 0, &endHigh, FILE_END);
    if (!(endLow == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)) {
        DWORD length = (DWORD)strlen(text);
        DWORD done = 0;
        written = WriteFile(log, text, length, &done, NULL) && done == length;
        if (!written) {
            // A partial entry (disk full) is taken back: entries stay whole.
            SetFilePointer(log, (LONG)endLow, &endHigh, FILE_BEGIN);
            SetEndOfFile(log);
        }
    }
    CloseHandle(log);
    return written;
}
