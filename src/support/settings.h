// The settings kept between runs in "Mirtavolen.ini" beside the executable,
// three sections per Windows user. Read once at start-up, written once when
// the main window closes; in between they live only in memory.
#ifndef MIRTAVOLEN_SUPPORT_SETTINGS_H
#define MIRTAVOLEN_SUPPORT_SETTINGS_H

#include <windows.h>

#include "joblist/joblabel.h"

// Window placement and column widths, used when the windows are created.
struct AppSettingsData {
    int WindowPosLeft;
    int WindowPosTop;
    int WindowWidth;
    int WindowHeight;
    int Maximized;
    int ColWidth1;
    int ColWidth2;
    int ColWidth3;
};

// What new rows receive, and the preset answer for existing output files.
struct ItemDefaultsData {
    char DefDir[MAX_PATH];  // empty: convert in place
    int DefType;            // a ConvType; other values mean no conversion
    char DefPass[64];
    OverwritePolicy DefPolicy;
};

extern AppSettingsData AppSettings;
extern ItemDefaultsData ItemDefaults;

// Fills AppSettings and ItemDefaults from the file; anything missing takes
// its default. Values are used as read.
void LoadSettings(void);

// Writes every key from the live main window, the live list view and
// ItemDefaults. Results of the writes are not examined.
void SaveSettings(void);

// "Mirtavolen.ini" in the executable's directory as the system reports it.
// path has 260 bytes; returns 0 when the path does not fit.
int GetSettingsPath(char* path);

#endif
