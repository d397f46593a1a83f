// What the job list tests share: a main window with a scratch folder, the
// rows read back as texts, and answers for the Open dialog.
#ifndef MIRTAVOLEN_TESTS_JOBLIST_LISTTEST_H
#define MIRTAVOLEN_TESTS_JOBLIST_LISTTEST_H

#include <windows.h>

#include <string>
#include <vector>

#include "appfixture.h"
#include "testutil.h"

typedef std::vector<std::string> Texts;

// The main window from default settings, an empty scratch folder for the
// test, and the current directory put back afterwards (the Open dialog
// changes it).
class JobListTest : public MainWindowTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // An existing file in the scratch folder; its full path.
    std::string MakeFile(const std::string& name) const;
    // A folder in the scratch folder; its full path.
    std::string MakeFolder(const std::string& name) const;

    // One column of every row, top to bottom.
    Texts Column(int column) const;
    // Sends a menu command to the main window, as a menu choice does.
    void Command(int id) const;

    std::string dir_;

private:
    char savedDir_[MAX_PATH];
};

// "a" "b" as typed into the Open dialog for a multiple choice.
std::string Quoted(const Texts& names);

// Answers the Open dialog: browses into folder, types names into the file
// name box and confirms.
DialogDriver::Action ChooseInOpenDialog(const std::wstring& folder, const std::wstring& names);
DialogDriver::Action ChooseInOpenDialog(const std::string& folder, const std::string& names);

#endif
