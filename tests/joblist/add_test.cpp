// Adding files to the job list from every source: the command line, the
// Open dialog and drops; what each new row's output path and type label
// are; and which paths are refused.
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/mainwnd.h"
#include "joblist/jobrow.h"
#include "joblist/listview.h"
#include "listtest.h"
#include "res/resource.h"
#include "support/settings.h"

namespace {

class AddRowTest : public JobListTest {
protected:
    // Adds the files of a command line that names them after the program,
    // each in double quotes, as the program does at its start.
    void AddFromCommandLine(const std::vector<std::wstring>& args)
    {
        std::wstring line = L"\"Mirtavolen.exe\"";
        for (const std::wstring& arg : args)
            line += L" \"" + arg + L"\"";
        AddCommandLineFiles(JobListView, line.c_str());
    }
    void AddFromCommandLine(const Texts& args)
    {
        std::vector<std::wstring> wide;
        for (const std::string& arg : args)
            wide.push_back(Wide(arg));
        AddFromCommandLine(wide);
    }

    template <typename Names>
    void Drop(const Names& names)
    {
        PostDropFiles(MainWindow, names);
        FlushMessages();
    }

    // Runs command 1010 with the Open dialog answered by action.
    void AddFromOpenDialog(DialogDriver::Action action)
    {
        DialogDriver driver;
        driver.Then(cmb13, action);
        Command(IDM_FILE_ADD);
    }
};

// Files the Open dialog can pick in a drive root: C: is the test prefix's
// own drive_c, so these never touch anything outside the build tree.
struct RootFiles {
    Texts paths;
    explicit RootFiles(const Texts& names)
    {
        for (const std::string& name : names) {
            paths.push_back("C:\\" + name);
            EXPECT_TRUE(WriteText(paths.back(), name));
        }
    }
    ~RootFiles()
    {
        for (const std::string& path : paths)
            DeleteFileA(path.c_str());
    }
};

TEST_F(AddRowTest, EverySpellingOfAListedFileFindsItsRow)
{
    // Rows hold the long name in the letter case of the file system, so a
    // file spelt another way (short name, other case, relative) is still
    // the same row, although rows are compared case-sensitively.
    std::string file = MakeFile("a long name.txt");
    std::string shortName = ShortPath(Wide(file));
    ASSERT_NE(shortName, "");
    ASSERT_NE(shortName, file);
    std::string folder = dir_.substr(dir_.rfind('\\') + 1);
    ASSERT_TRUE(SetCurrentDirectoryA(dir_.c_str()));

    struct {
        int line;
        std::string first;
        std::string second;
    } cases[] = {
        { __LINE__, file, shortName },
        { __LINE__, shortName, file },
        { __LINE__, file, dir_ + "\\A LONG NAME.TXT" },
        { __LINE__, "A Long Name.TXT", file },
        { __LINE__, file, "a long name.txt" },
        { __LINE__, "a long name.txt", file },
        { __LINE__, file, "..\\" + folder + "\\.\\a long name.txt" },
        { __LINE__, file, dir_ + "/a long name.txt" },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        ClearRows();
        EXPECT_EQ(AddJobRow(JobListView, c.first.c_str(), -1), 1);
        EXPECT_EQ(AddJobRow(JobListView, c.second.c_str(), -1), 1);
        EXPECT_EQ(Column(ColSrcFile), Texts({ file }));
    }
}

TEST_F(AddRowTest, FileCanBeAddedAgainOnceItsRowIsGone)
{
    std::string a = MakeFile("a.txt");
    std::string b = MakeFile("b.txt");
    ItemDefaults.DefPolicy = MakeOverwritePolicy(1, 1);

    struct {
        const char* way;
        std::function<void()> removeA;  // a is the first row, b the second
    } cases[] = {
        { "delete command", [this] { Select({ 0 }); Command(IDM_FILE_DELETE); } },
        { "converted", [this] { Select({ 0 }); Command(IDM_ITEM_CONVERTSEL); } },
        { "all rows removed", [this] { ClearRows(); } },
        { "window closed and opened again",
          [] { CloseMainWindowIfOpen(); OpenMainWindow(); } },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.way);
        ClearRows();
        AddJobRow(JobListView, a.c_str(), -1);
        AddJobRow(JobListView, b.c_str(), -1);
        c.removeA();
        ASSERT_EQ(FindJobRow(JobListView, a.c_str()), 0);

        Drop(Texts{ a, b });
        Texts rows = Column(ColSrcFile);
        EXPECT_EQ(std::count(rows.begin(), rows.end(), a), 1);
        EXPECT_EQ(std::count(rows.begin(), rows.end(), b), 1);
    }
    DeleteFileA(LogFile().c_str());
}

// Names given in UTF-16 whose characters code page 932 lacks. The system's
// best-fit table would make look-alikes of them (é → e, Å → A, U+00A5 → a
// backslash), naming other files; each must give a row for its own file,
// by its short name, or no row at all.
TEST_F(AddRowTest, NameOutsideTheCodePageGivesItsOwnFileOrNone)
{
    const std::wstring dir = Wide(dir_);
    WriteText(dir_ + "\\cafe.txt", "cafe");
    WriteText(dir_ + "\\Aland.txt", "Aland");
    MakeFolder("a");
    WriteText(dir_ + "\\a\\b.txt", "a\\b");
    ASSERT_TRUE(CreateDirectoryW((dir + L"\\d\u00e9").c_str(), NULL));

    struct {
        int line;
        std::wstring name;  // below the scratch folder
        bool exists;
        std::wstring shortFrom;  // the part given by its short name (empty: none)
        std::string rest;       // what follows it in the row
    } cases[] = {
        { __LINE__, L"caf\u00e9.txt", true, L"caf\u00e9.txt", "" },
        { __LINE__, L"caf\u00eb.txt", false, L"", "" },  // cafe.txt beside it
        { __LINE__, L"\u00c5land.txt", true, L"\u00c5land.txt", "" },
        { __LINE__, L"a\u00a5b.txt", true, L"a\u00a5b.txt", "" },
        { __LINE__, L"\ud55c\uad6d\uc5b4.txt", true, L"\ud55c\uad6d\uc5b4.txt", "" },
        { __LINE__, L"d\u00e9\\x.txt", true, L"d\u00e9", "\\x.txt" },
        { __LINE__, L"予定表.txt", true, L"", "予定表.txt" },
    };
    enum { CommandLine, Dropped, OpenDialog };
    for (int source : { CommandLine, Dropped, OpenDialog }) {
        for (auto& c : cases) {
            SCOPED_TRACE(testing::Message() << "source " << source << ", case at line " << c.line);
            std::wstring path = dir + L"\\" + c.name;
            std::string content = "content " + std::to_string(c.line);
            if (c.exists) {
                ASSERT_TRUE(WriteTextW(path, content));
            }
            ClearRows();
            if (source == CommandLine) {
                AddFromCommandLine(std::vector<std::wstring>{ path });
            } else if (source == Dropped) {
                Drop(std::vector<std::wstring>{ path });
            } else if (c.exists) {
                // The dialog itself lets only existing files through.
                AddFromOpenDialog(ChooseInOpenDialog(dir, c.name));
            }

            Texts rows;
            if (c.exists && !c.shortFrom.empty()) {
                std::wstring part = dir + L"\\" + c.shortFrom;
                std::string shortPart = ShortPath(part);
                rows.push_back(dir_ + shortPart.substr(shortPart.rfind('\\')) + c.rest);
            } else if (c.exists) {
                rows.push_back(dir_ + "\\" + c.rest);
            }
            ASSERT_EQ(Column(ColSrcFile), rows);
            if (c.exists) {
                EXPECT_EQ(ReadText(rows[0]), content);
            }
        }
    }
    EXPECT_EQ(ReadText(dir_ + "\\cafe.txt"), "cafe");
}

TEST_F(AddRowTest, CommandLineAddsFilesAndRefusesFoldersAndMissingPaths)
{
    std::string a = MakeFile("a.txt");
    std::string b = MakeFile("b.txt");
    std::string folder = MakeFolder("folder");
    std::string missing = dir_ + "\\missing.txt";

    AddFromCommandLine(Texts{ b, folder, missing, a, b });

    EXPECT_EQ(Column(ColSrcFile), Texts({ b, a }));
}

TEST_F(AddRowTest, DropAddsFilesInDropOrderAndRefusesFoldersAndMissingPaths)
{
    std::string a = MakeFile("a.txt");
    std::string b = MakeFile("b.txt");
    std::string folder = MakeFolder("folder");

    Drop(Texts{ b, folder, a, dir_ + "\\missing.txt" });
    EXPECT_EQ(Column(ColSrcFile), Texts({ b, a }));

    // A second drop of a listed file adds nothing and changes nothing.
    Drop(Texts{ a });
    EXPECT_EQ(Column(ColSrcFile), Texts({ b, a }));
}

TEST_F(AddRowTest, OpenDialogMultipleChoiceJoinsFolderAndNames)
{
    std::string plain = MakeFolder("plain");
    // The last character of these folders has 0x5C as its second byte:
    // the folder still needs a backslash before the names.
    std::string hyo = MakeFolder("x表");
    std::string so = MakeFolder("xソ");
    for (const std::string& folder : { plain, hyo, so }) {
        WriteText(folder + "\\a.txt", "a");
        WriteText(folder + "\\b.txt", "b");
        CreateDirectoryA((folder + "\\sub").c_str(), NULL);
    }
    RootFiles root({ "mirtavolen_a.txt", "mirtavolen_b.txt" });

    struct {
        int line;
        std::string folder;
        Texts names;
        Texts rows;
    } cases[] = {
        { __LINE__, plain, { "b.txt", "sub", "a.txt" }, { plain + "\\b.txt", plain + "\\a.txt" } },
        { __LINE__, hyo, { "a.txt", "b.txt" }, { hyo + "\\a.txt", hyo + "\\b.txt" } },
        { __LINE__, so, { "a.txt", "b.txt" }, { so + "\\a.txt", so + "\\b.txt" } },
        // A drive root comes back as "C:\": no doubled backslash.
        { __LINE__, "C:\\", { "mirtavolen_a.txt", "mirtavolen_b.txt" }, root.paths },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        ClearRows();
        AddFromOpenDialog(ChooseInOpenDialog(c.folder, Quoted(c.names)));
        EXPECT_EQ(Column(ColSrcFile), c.rows);
    }
}

TEST_F(AddRowTest, OpenDialogSingleChoiceAddsTheFullPath)
{
    std::string hyo = MakeFolder("x表");
    WriteText(hyo + "\\a.txt", "a");
    RootFiles root({ "mirtavolen_single.txt" });

    struct {
        int line;
        std::string folder;
        std::string name;
        std::string row;
    } cases[] = {
        { __LINE__, hyo, "a.txt", hyo + "\\a.txt" },
        { __LINE__, "C:\\", "mirtavolen_single.txt", root.paths[0] },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        ClearRows();
        AddFromOpenDialog(ChooseInOpenDialog(c.folder, c.name));
        EXPECT_EQ(Column(ColSrcFile), Texts({ c.row }));
    }
}

TEST_F(AddRowTest, OpenDialogChoiceWhosePathWouldNotFitIsRefused)
{
    // The dialog counts characters, the program bytes: in a folder of
    // double-byte names the dialog accepts a path of more than 259 bytes.
    std::string deep = dir_;
    while (deep.size() < 200) {
        deep += "\\表ソ表ソ表ソ表ソ表ソ表ソ表ソ表ソ表ソ表ソ";
        ASSERT_TRUE(CreateDirectoryA(deep.c_str(), NULL));
    }
    std::string fits(259 - deep.size() - 1, 'f');     // 259 bytes in all
    std::string tooLong(260 - deep.size() - 1, 'g');  // 260 bytes
    ASSERT_TRUE(SetCurrentDirectoryA(deep.c_str()));
    ASSERT_TRUE(WriteText(fits, "f"));
    ASSERT_TRUE(WriteText(tooLong, "g"));

    struct {
        int line;
        std::string typed;
        Texts rows;
    } cases[] = {
        { __LINE__, Quoted({ tooLong, fits }), { deep + "\\" + fits } },
        { __LINE__, tooLong, {} },
        { __LINE__, fits, { deep + "\\" + fits } },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        ClearRows();
        AddFromOpenDialog(ChooseInOpenDialog(deep, c.typed));
        EXPECT_EQ(Column(ColSrcFile), c.rows);
    }
}

// The file to remove while the Open dialog closes, after it has checked
// that every chosen file exists.
std::string VanishingFile;

LRESULT CALLBACK RemoveFileWhenDialogCloses(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_DESTROYWND && GetDlgItem((HWND)wParam, cmb13) != NULL)
        DeleteFileA(VanishingFile.c_str());
    return CallNextHookEx(NULL, code, wParam, lParam);
}

TEST_F(AddRowTest, OpenDialogChoiceThatNoLongerExistsIsRefused)
{
    std::string a = MakeFile("a.txt");
    VanishingFile = MakeFile("b.txt");
    HHOOK hook = SetWindowsHookExA(WH_CBT, RemoveFileWhenDialogCloses, NULL,
                                   GetCurrentThreadId());
    ASSERT_NE(hook, (HHOOK)NULL);
    AddFromOpenDialog(ChooseInOpenDialog(dir_, Quoted({ "b.txt", "a.txt" })));
    UnhookWindowsHookEx(hook);

    EXPECT_FALSE(FileExists(VanishingFile));
    EXPECT_EQ(Column(ColSrcFile), Texts({ a }));
}

TEST_F(AddRowTest, OpenDialogCancelledAddsNothing)
{
    MakeFile("a.txt");
    AddFromOpenDialog([](HWND dialog) { PostClick(dialog, IDCANCEL); });
    EXPECT_EQ(RowCount(), 0);
}

TEST_F(AddRowTest, DestFileFollowsTheDefaultFolder)
{
    std::string plain = MakeFile("a.txt");
    // 表 ends in 0x5C, which is not a separator inside the character.
    std::string hyo = MakeFile("表.txt");

    struct {
        int line;
        std::string defDir;
        std::string file;
        std::string destFile;
    } cases[] = {
        { __LINE__, "", plain, plain },
        { __LINE__, "", hyo, hyo },
        { __LINE__, "D:\\out", plain, "D:\\out\\a.txt" },
        { __LINE__, "D:\\out\\", plain, "D:\\out\\a.txt" },
        { __LINE__, "D:\\", plain, "D:\\a.txt" },
        { __LINE__, "D:\\out", hyo, "D:\\out\\表.txt" },
        { __LINE__, "D:\\x表", plain, "D:\\x表\\a.txt" },
        { __LINE__, "D:\\xソ", hyo, "D:\\xソ\\表.txt" },
        { __LINE__, "D:\\x表\\", plain, "D:\\x表\\a.txt" },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        ClearRows();
        strcpy(ItemDefaults.DefDir, c.defDir.c_str());
        EXPECT_EQ(AddJobRow(JobListView, c.file.c_str(), -1), 1);
        EXPECT_EQ(Column(ColSrcFile), Texts({ c.file }));
        EXPECT_EQ(Column(ColDestFile), Texts({ c.destFile }));
    }
}

TEST_F(AddRowTest, DestFileThatWouldNotFitIsRefused)
{
    std::string file = MakeFile("a.txt");
    const std::string d248(248, 'd'), d249(249, 'd'), d250(250, 'd'), d251(251, 'd');

    struct {
        int line;
        std::string defDir;
        std::string destFile;  // empty: refused
    } cases[] = {
        { __LINE__, "D:\\" + d250, "D:\\" + d250 + "\\a.txt" },        // 259 bytes
        { __LINE__, "D:\\" + d251, "" },                                // 260
        { __LINE__, "D:\\" + d250 + "\\", "D:\\" + d250 + "\\a.txt" },  // 259
        { __LINE__, "D:\\" + d251 + "\\", "" },                          // 260
        { __LINE__, "D:\\" + d248 + "表", "D:\\" + d248 + "表\\a.txt" },  // 259
        { __LINE__, "D:\\" + d249 + "表", "" },                          // 260
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        ClearRows();
        ASSERT_LT(c.defDir.size(), sizeof ItemDefaults.DefDir);
        strcpy(ItemDefaults.DefDir, c.defDir.c_str());
        if (c.destFile.empty()) {
            EXPECT_EQ(AddJobRow(JobListView, file.c_str(), -1), 0);
            EXPECT_EQ(RowCount(), 0);
        } else {
            ASSERT_EQ(c.destFile.size(), 259u);
            EXPECT_EQ(AddJobRow(JobListView, file.c_str(), -1), 1);
            EXPECT_EQ(Column(ColDestFile), Texts({ c.destFile }));
        }
    }
}

TEST_F(AddRowTest, TypeLabelFollowsTheDefaults)
{
    std::string file = MakeFile("a.txt");
    const std::string word = "パスワード=";

    struct {
        int line;
        int defType;
        std::string defPass;
        std::string label;
    } cases[] = {
        { __LINE__, 0, "pw", "ビット反転" },
        { __LINE__, 1, "pw", "リバース" },
        { __LINE__, 2, "pw", word + "pw" },
        { __LINE__, 2, "表ソ=&", word + "表ソ=&" },
        { __LINE__, 2, "", "(not convert)" },
        { __LINE__, 3, "pw", "(not convert)" },
        { __LINE__, 4, "pw", "(not convert)" },
        { __LINE__, -1, "pw", "(not convert)" },
        // The label holds 63 bytes: 11 for the word and '=', 52 of password.
        { __LINE__, 2, std::string(52, 'p'), word + std::string(52, 'p') },
        { __LINE__, 2, std::string(63, 'q'), word + std::string(52, 'q') },
        { __LINE__, 2, std::string(51, 'r') + "表表", word + std::string(51, 'r') },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        ClearRows();
        ItemDefaults.DefType = c.defType;
        ASSERT_LT(c.defPass.size(), sizeof ItemDefaults.DefPass);
        strcpy(ItemDefaults.DefPass, c.defPass.c_str());
        EXPECT_EQ(AddJobRow(JobListView, file.c_str(), -1), 1);
        EXPECT_EQ(Column(ColTypeLabel), Texts({ c.label }));
    }
}

TEST_F(JobListTest, LongLabelReadsBackCutToTheBuffer)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.mask = LVIF_TEXT;
    item.pszText = (LPSTR) "Z:\\x";
    ASSERT_EQ(SendMessageA(JobListView, LVM_INSERTITEMA, 0, (LPARAM)&item), 0);
    std::string longLabel = "パスワード=" + std::string(70, 'k');
    ASSERT_EQ(WriteJobColumn(JobListView, 0, ColTypeLabel, longLabel.c_str()), 1);

    char buffer[LabelSize];
    memset(buffer, 'X', sizeof buffer);
    ReadJobColumn(JobListView, 0, ColTypeLabel, buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer), longLabel.substr(0, 63));

    // Changing the type never touches the paths.
    EXPECT_EQ(Cell(0, ColSrcFile), "Z:\\x");
    EXPECT_EQ(Cell(0, ColDestFile), "");
}

}  // namespace
