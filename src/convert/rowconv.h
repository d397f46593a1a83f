// Converting the job of one row during a batch: the overwrite decision,
// the file procedure for its type, the log entry and the row's fate.
#ifndef MIRTAVOLEN_CONVERT_ROWCONV_H
#define MIRTAVOLEN_CONVERT_ROWCONV_H

#include <windows.h>

// Name of the log file beside the executable.
extern const char LogFileName[];

// 1 when the row was converted and removed from the list; 0 otherwise
// (passed over, cancelled, not convertible, failed, index below 0). Every
// outcome but a cancelled overwrite question leaves the row deselected.
int ConvertRow(HWND list, int row, HWND progressDlg);

// Appends text to the log (path null: "Mirtavolen.log" beside the
// executable), in one write. 1 when written; 0 for no text, a path that
// does not fit, or a file that cannot be opened or written.
int AppendLog(const char* path, const char* text);

#endif
