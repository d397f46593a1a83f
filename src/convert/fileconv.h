// Conversion of one source file into one destination file, chunk by chunk,
// inside the progress dialog. Each returns 1 when the destination holds the
// converted file and 0 on every failure and on cancellation; a failure
// deletes what was written and never touches an in-place source.
#ifndef MIRTAVOLEN_CONVERT_FILECONV_H
#define MIRTAVOLEN_CONVERT_FILECONV_H

#include <windows.h>

// Set to 1 to stop the running conversion before its next chunk.
extern int CancelFlag;

// Name of the temporary file of an in-place conversion, in the output
// directory.
extern const char TempFileName[];

int BitInvertFile(const char* srcFile, const char* destFile, HWND progressDlg);
int ReverseFile(const char* srcFile, const char* destFile, HWND progressDlg);
int PasswordFile(const char* srcFile, const char* destFile, const char* password,
                 HWND progressDlg);

// Dispatches every pending message of the thread (no dialog keyboard
// handling, no accelerators).
void DrainMessageQueue(void);

#endif
