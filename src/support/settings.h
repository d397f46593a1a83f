// The settings kept between runs in "Mirtavolen.ini" beside the executable,
// three sections per Windows user. Read once at start-up; written when the
// main window closes or the session ends, and only the sections whose
// values changed (never over a file that could not be read at start); in
// between they live only in memory.
#ifndef MIRTAVOLEN_SUPPORT_SETTINGS_H
#define MIRTAVOLEN_SUPPORT_SETTINGS_H

#include <windows.h>

#include "support/globals.h"

// Gives AppSettings and ItemDefaults the values a missing settings file
// gives, and lets the next save write them.
void ResetSettings(void);

// Fills AppSettings and ItemDefaults from the file; anything missing takes
// its default. Values are used as read. A file that exists but cannot be
// opened (another program holds it) is tried again for about two seconds;
// if it still cannot be read, everything takes its default and no save of
// this run writes the file. A missing file is not waited for.
void LoadSettings(void);

// Brings the file to the values of AppSettings and ItemDefaults as writing
// every key in the file's order with the profile functions does (the same
// bytes, for a file they wrote), but in one write, and none at all when the
// file holds every value already: the user's sections whose values differ
// are written in the profile functions' layout, every other byte stays.
// The main window puts its live placement and column widths into
// AppSettings first. Nothing is written after a load that could not read
// the file. A file another program holds is waited for as by LoadSettings;
// the results of the writes are not examined.
void SaveSettings(void);

// "Mirtavolen.ini" in the executable's directory as the system reports it.
// path has 260 bytes; returns 0 when the path does not fit.
int GetSettingsPath(char* path);

// Bytes of the name below, with its terminator.
const int SettingsLockNameSize = 32;

// The name of the mutex under which instances read and write the settings
// file: the same for every letter case of file's path, and of one length
// whatever the path's.
void GetSettingsLockName(const char* file, char* name);

#endif
