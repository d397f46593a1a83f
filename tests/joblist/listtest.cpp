#include "listtest.h"

#include <commctrl.h>
#include <dlgs.h>

#include "app/mainwnd.h"
#include "joblist/listview.h"

void JobListTest::SetUp()
{
    GetCurrentDirectoryA(MAX_PATH, savedDir_);
    MainWindowTest::SetUp();
    if (HasFatalFailure())
        return;
    dir_ = TestDir();
}

void JobListTest::TearDown()
{
    MainWindowTest::TearDown();
    SetCurrentDirectoryA(savedDir_);
}

std::string JobListTest::MakeFile(const std::string& name) const
{
    std::string path = dir_ + "\\" + name;
    EXPECT_TRUE(WriteText(path, name)) << path;
    return path;
}

std::string JobListTest::MakeFolder(const std::string& name) const
{
    std::string path = dir_ + "\\" + name;
    EXPECT_TRUE(CreateDirectoryA(path.c_str(), NULL)) << path;
    return path;
}

Texts JobListTest::Column(int column) const
{
    Texts texts;
    for (int row = 0; row < RowCount(); ++row)
        texts.push_back(Cell(row, column));
    return texts;
}

void JobListTest::Command(int id) const
{
    SendMessageA(MainWindow, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

std::string Quoted(const Texts& names)
{
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "\"" : " \"") + name + "\"";
    return text;
}

DialogDriver::Action ChooseInOpenDialog(const std::wstring& folder, const std::wstring& names)
{
    return [folder, names](HWND dialog) {
        // A folder typed into the name box and confirmed is browsed into;
        // the dialog stays open.
        SetDlgItemTextW(dialog, cmb13, folder.c_str());
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     (LPARAM)GetDlgItem(dialog, IDOK));
        SetDlgItemTextW(dialog, cmb13, names.c_str());
        PostClick(dialog, IDOK);
    };
}

DialogDriver::Action ChooseInOpenDialog(const std::string& folder, const std::string& names)
{
    return ChooseInOpenDialog(Wide(folder), Wide(names));
}
