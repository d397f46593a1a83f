// Conversion of one source file into one destination file, chunk by chunk,
// inside the progress dialog. Each returns 1 when the destination holds the
// converted file and 0 on every failure and on cancellation. The converted
// bytes go to a temporary file of their own beside DestFile, which takes
// DestFile's place only when complete: a failure deletes it and leaves an
// existing DestFile (the source, in place) exactly as it was.
#ifndef MIRTAVOLEN_CONVERT_FILECONV_H
#define MIRTAVOLEN_CONVERT_FILECONV_H

#include <windows.h>

#include "support/globals.h"

// Name of the temporary file in the output directory; when a file of that
// name exists, "_Mirtavolen1.tmp" and so on up to "_Mirtavolen99.tmp".
extern const char TempFileName[];

int BitInvertFile(const char* srcFile, const char* destFile, HWND progressDlg);
int ReverseFile(const char* srcFile, const char* destFile, HWND progressDlg);
int PasswordFile(const char* srcFile, const char* destFile, const char* password,
                 HWND progressDlg);

// Dispatches every pending message of the thread (no dialog keyboard
// handling, no accelerators). A quit message is posted again for the
// message loops and sets CancelFlag.
void DrainMessageQueue(void);

#endif
