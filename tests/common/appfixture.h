// A test fixture that runs the real main window (with its job list view)
// in the test process, starting from default settings and no settings file.
#ifndef MIRTAVOLEN_TESTS_APPFIXTURE_H
#define MIRTAVOLEN_TESTS_APPFIXTURE_H

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/settings.h"  // ResetSettings: the program's own defaults

// Path of the settings file and of the log beside the test program.
std::string SettingsFile();
std::string LogFile();

// Removes the remaining messages of the thread, WM_QUIT included, so that
// a closed main window does not end the next modal loop.
void FlushMessages();

// Creates the main window (and so the list view) from the current
// AppSettings. Returns it, or null.
HWND OpenMainWindow(int showCommand = SW_SHOWNORMAL);

// Closes the main window the way the close box does, if it is still open.
void CloseMainWindowIfOpen();

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    int RowCount() const;
    std::string Cell(int row, int column) const;
    void Select(const std::vector<int>& rows) const;
    std::vector<int> SelectedRows() const;
    int FocusedRow() const;
    // Writes files f0.txt, f1.txt, ... into dir, lists each as a row with
    // the current defaults and returns their paths.
    std::vector<std::string> AddFileRows(const std::string& dir, int count) const;
    // Removes every row directly, to start a case of a table afresh.
    void ClearRows() const;
};

#endif
