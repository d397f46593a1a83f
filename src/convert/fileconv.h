// Conversion of one source file into one destination file, chunk by chunk,
// inside the progress dialog. Each returns 1 when the destination holds the
// converted file and 0 on every failure and on cancellation. The converted
// bytes go to a temporary file of their own beside DestFile, which takes
// DestFile's place only when complete: a failure deletes it and leaves an
// existing DestFile (the source, in place) exactly as it was.
#ifndef MIRTAVOLEN_CONVERT_FILECONV_H
#define MIRTAVOLEN_CONVERT_FILECONV_H

#include <windows.h>

#include "convert/target.h"
#include "support/globals.h"

int BitInvertFile(const char* srcFile, const char* destFile, HWND progressDlg);
int ReverseFile(const char* srcFile, const char* destFile, HWND progressDlg);
int PasswordFile(const char* srcFile, const char* destFile, const char* password,
                 HWND progressDlg);

// The procedure of type (a ConvType; ConvNone and anything else give 0),
// for a DestFile that the caller looked at just before with
// InspectDestFile (known; null: it is looked at here).
int ConvertFileOfType(int type, const char* srcFile, const char* destFile, const char* password,
                      HWND progressDlg, const TargetState* known);

// Each conversion allocates its chunk buffer, unless a batch lends them
// one for its whole run: mapping and zeroing 256 KiB afresh costs more
// than converting a small file (about 0.6 ms under Wine). KeepChunkBuffer
// returns 1 when the buffer is there (0: each file allocates its own).
int KeepChunkBuffer(void);
void FreeChunkBuffer(void);

// Dispatches every pending message of the thread (no dialog keyboard
// handling, no accelerators). A quit message is posted again for the
// message loops and sets CancelFlag.
void DrainMessageQueue(void);

// Drains the queue when DrainIntervalMs have passed since the last drain,
// so that a stop click is seen soon without a round trip to the window
// system after every small piece of work.
const DWORD DrainIntervalMs = 15;
void DrainMessageQueueWhenDue(void);

#endif
