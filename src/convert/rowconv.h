// Converting the job of one row during a batch: the overwrite decision,
// the file procedure for its type, the log entry and the row's fate.
#ifndef MIRTAVOLEN_CONVERT_ROWCONV_H
#define MIRTAVOLEN_CONVERT_ROWCONV_H

#include <windows.h>

#include <set>
#include <string>

// Name of the log file beside the executable.
extern const char LogFileName[];

// 1 when the row was converted and removed from the list; 0 otherwise
// (passed over, cancelled, not convertible, failed, index below 0). Every
// outcome but a cancelled overwrite question leaves the row deselected.
int ConvertRow(HWND list, int row, HWND progressDlg);

// The files of one batch: the sources of the rows it has still to convert
// and the outputs it has written, each under one key whatever its
// spelling. A batch never writes over either.
struct BatchFiles {
    std::set<std::string> toRead;
    std::set<std::string> written;
};

// Starts files afresh with the sources of the batch's rows that are to be
// converted: of every row, or of the selected ones.
void CollectBatchFiles(HWND list, int allRows, BatchFiles* files);

// ConvertRow within a batch (files null: on its own). A row whose DestFile
// is a file that the batch wrote, or the source of a row still to come,
// fails as a refused row does: "Failed!" logged, deselected, nothing
// touched, whatever the overwrite policy.
int ConvertBatchRow(HWND list, int row, HWND progressDlg, BatchFiles* files);

// Appends text to the log (path null: "Mirtavolen.log" beside the
// executable), in one write. 1 when written; 0 for no text, a path that
// does not fit, or a file that cannot be opened or written.
int AppendLog(const char* path, const char* text);

#endif
