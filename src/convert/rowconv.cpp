#include "convert/rowconv.h"

#include <commctrl.h>
#include <string.h>

#include "convert/batch.h"
#include "convert/fileconv.h"
#include "convert/logentry.h"
#include "convert/progressview.h"
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
    ShowProgressFile(progressDlg, job.SrcFile, TypeWord(job.TypeLabel));
    PaintProgressNow(progressDlg);
}

// Whether an existing output may be replaced; *asked says whether the
// question was asked.
enum OverwriteDecision { QuestionCancelled = -1, PassOver = 0, Replace = 1 };

int DecideOverwrite(HWND progressDlg, const JobRow& job, int* asked)
{
    *asked = 0;
    if (PolicySkipsQuestion(BatchPolicy))
        return PolicyOverwrites(BatchPolicy) ? Replace : PassOver;
    ShowRowInProgress(progressDlg, job);
    *asked = 1;
    OverwritePolicy answer = 0;
    int result = AskOverwrite(progressDlg, &answer);
    if (result == DialogCancelled)
        return QuestionCancelled;
    if (result != DialogConfirmed)
        return PassOver;  // the question could not be shown: leave the file alone
    return PolicyOverwrites(answer) ? Replace : PassOver;
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

// The moment a row's conversion begins, as its log entry states it.
struct LogMoment {
    char date[12];
    char time[10];
};

void TakeMoment(LogMoment* moment)
{
    moment->date[0] = '\0';
    moment->time[0] = '\0';
    GetDateFormatA(LOCALE_SYSTEM_DEFAULT, 0, NULL, "yyyy/MM/dd", moment->date,
                   sizeof moment->date);
    GetTimeFormatA(LOCALE_SYSTEM_DEFAULT, TIME_FORCE24HOURFORMAT, NULL, "HH:mm:ss", moment->time,
                   sizeof moment->time);
}

void LogAttempt(const LogMoment& moment, const JobRow& job, int converted)
{
    char entry[LogEntrySize];
    if (ComposeLogEntry(entry, sizeof entry, moment.date, moment.time, job.TypeLabel, job.SrcFile,
                        job.DestFile, !converted) > 0)
        AppendLog(NULL, entry);
}

// The key under which the batch knows a file: its full path, with 8.3
// names in their long forms, in capitals. Two spellings of one file give
// one key (letter case, a trailing dot or blank, "..", an 8.3 name); a
// link is not followed. An 8.3 name always holds a '~', so a path without
// one is asked nothing of the file system.
std::string FileKey(const char* path)
{
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(path, sizeof full, full, NULL);
    if (length == 0 || length >= sizeof full)
        lstrcpynA(full, path, sizeof full);
    char key[MAX_PATH * 2 + 1];
    lstrcpyA(key, full);
    char folder[MAX_PATH];
    char name[MAX_PATH];
    if (strchr(full, '~') != NULL && SplitPath(full, folder, name, 0) >= 0) {
        char longFolder[MAX_PATH];
        length = GetLongPathNameA(folder, longFolder, sizeof longFolder);
        if (length == 0 || length >= sizeof longFolder)
            lstrcpyA(longFolder, folder);
        char listed[MAX_PATH];
        if (ListedFileName(full, listed))
            lstrcpyA(name, listed);
        if (!JoinPath(key, longFolder, name))
            wsprintfA(key, "%s\\%s", longFolder, name);
    }
    CharUpperBuffA(key, (DWORD)strlen(key));
    return std::string(key);
}

// Whether writing DestFile would replace a file that this batch wrote
// before or that a row still to come is to read. The row's own source
// leaves the files still to read first.
int ClashesWithBatch(BatchFiles* files, const JobRow& job, std::string* destKey)
{
    if (files == NULL)
        return 0;
    files->toRead.erase(FileKey(job.SrcFile));
    *destKey = FileKey(job.DestFile);
    return files->written.count(*destKey) != 0 || files->toRead.count(*destKey) != 0;
}

}  // namespace

void CollectBatchFiles(HWND list, int allRows, BatchFiles* files)
{
    files->toRead.clear();
    files->written.clear();
    JobRow job;
    const char* password = NULL;
    int count = JobRowCount(list);
    for (int row = allRows ? (count > 0 ? 0 : -1) : NextSelectedRow(list, -1); row != -1;
         row = allRows ? (row + 1 < count ? row + 1 : -1) : NextSelectedRow(list, row)) {
        ReadJobRow(list, row, &job);
        // A row that is not to be converted never reads its source.
        if (ClassifyTypeLabel(job.TypeLabel, &password) != ConvNone)
            files->toRead.insert(FileKey(job.SrcFile));
    }
}

int ConvertRow(HWND list, int row, HWND progressDlg)
{
    return ConvertBatchRow(list, row, progressDlg, NULL);
}

int ConvertBatchRow(HWND list, int row, HWND progressDlg, BatchFiles* files)
{
    if (row < 0)
        return 0;
    JobRow job;
    // The user cannot change a row during the batch (the main window is
    // disabled): what is read now is what the conversion and the log use.
    ReadJobRow(list, row, &job);
    const char* password = NULL;
    int type = ClassifyTypeLabel(job.TypeLabel, &password);
    LogMoment moment;
    std::string destKey;
    if (type != ConvNone && ClashesWithBatch(files, job, &destKey)) {
        TakeMoment(&moment);
        LogAttempt(moment, job, 0);
        ClearRowSelection(list, row);
        return 0;
    }

    // In place, DestFile is the source, which the conversion opens and
    // looks at anyway: here only its being there counts.
    TargetState target;
    const int inPlace = lstrcmpA(job.SrcFile, job.DestFile) == 0;
    int exists = inPlace ? GetFileAttributesA(job.DestFile) != INVALID_FILE_ATTRIBUTES
                         : InspectDestFile(job.DestFile, &target);
    int asked = 0;
    if (exists) {
        int decision = DecideOverwrite(progressDlg, job, &asked);
        if (decision == QuestionCancelled) {
            CancelFlag = 1;
            return 0;
        }
        if (decision == PassOver) {
            ClearRowSelection(list, row);
            return 0;
        }
    }
    if (type == ConvNone) {
        ClearRowSelection(list, row);
        return 0;
    }

    // The moment the conversion begins, after any question, which leaves
    // the time to change DestFile: it is looked at again then.
    TakeMoment(&moment);
    int converted = ConvertFileOfType(type, job.SrcFile, job.DestFile, password, progressDlg,
                                      asked || inPlace ? NULL : &target);
    LogAttempt(moment, job, converted);
    if (!converted) {
        ClearRowSelection(list, row);
        return 0;
    }
    if (files != NULL)
        files->written.insert(destKey);
    DeleteJobRow(list, row);
    return 1;
}

int AppendLog(const char* path, const char* text)
{
    if (text == NULL || text[0] == '\0')
        return 0;
    // The log's place beside the executable is found once in a run.
    static char beside[MAX_PATH] = "";
    char file[MAX_PATH];
    if (path == NULL) {
        if (beside[0] == '\0'
            && (GetModuleDir(beside, 1) == 0 || !AppendText(beside, sizeof beside, LogFileName))) {
            beside[0] = '\0';
            return 0;
        }
        lstrcpyA(file, beside);
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
