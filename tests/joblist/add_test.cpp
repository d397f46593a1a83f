// Adding files to the job list from every source: the command line, the
// Open dialog and drops; what each new row's output path and type label
// are; and which paths are refused.
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>
#include <stdlib.h>
#include <string.h>

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
    // Closes the main window and starts it again as the program starts
    // with these arguments after its name.
    void StartWithArguments(const Texts& args)
    {
        CloseMainWindowIfOpen();
        std::vector<std::string> storage;
        storage.push_back("Mirtavolen.exe");
        storage.insert(storage.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : storage)
            argv.push_back(&arg[0]);
        argv.push_back(NULL);

        int savedArgc = __argc;
        char** savedArgv = __argv;
        __argc = (int)storage.size();
        __argv = argv.data();
        HWND window = OpenMainWindow();
        __argc = savedArgc;
        __argv = savedArgv;
        ASSERT_NE(window, (HWND)NULL);
    }

    void Drop(const Texts& names)
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

std::string ShortName(const std::string& path)
{
    char buffer[MAX_PATH];
    DWORD n = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return std::string(buffer, n > 0 && n < MAX_PATH ? n : 0);
}

TEST_F(AddRowTest, LongAndShortNameOfOneFileMakeOneRow)
{
    std::string first = MakeFile("first long name.txt");
    std::string second = MakeFile("second long name.txt");
    std::string firstShort = ShortName(first);
    std::string secondShort = ShortName(second);
    ASSERT_NE(firstShort, "");
    ASSERT_NE(firstShort, first);
    ASSERT_NE(secondShort, second);

    // Long name first, then the short one; and the other way round. Either
    // way the row shows the long name.
    EXPECT_EQ(AddJobRow(JobListView, first.c_str(), -1), 1);
    EXPECT_EQ(AddJobRow(JobListView, firstShort.c_str(), -1), 1);
    EXPECT_EQ(AddJobRow(JobListView, secondShort.c_str(), -1), 1);
    EXPECT_EQ(AddJobRow(JobListView, second.c_str(), -1), 1);

    EXPECT_EQ(Column(ColSrcFile), Texts({ first, second }));
}

TEST_F(AddRowTest, CommandLineAddsFilesAndRefusesFoldersAndMissingPaths)
{
    std::string a = MakeFile("a.txt");
    std::string b = MakeFile("b.txt");
    std::string folder = MakeFolder("folder");
    std::string missing = dir_ + "\\missing.txt";

    StartWithArguments({ b, folder, missing, a, b });

    EXPECT_EQ(Column(ColSrcFile), Texts({ b, a }));
}

TEST_F(AddRowTest, RelativeNameTheShellCannotResolveIsRefused)
{
    // The attribute test finds "relative.txt" in the current directory; the
    // shell resolves such a name against the desktop and finds nothing, so
    // there is no long-name path for the row.
    std::string file = MakeFile("relative.txt");
    ASSERT_TRUE(SetCurrentDirectoryA(dir_.c_str()));
    ASSERT_NE(GetFileAttributesA("relative.txt"), INVALID_FILE_ATTRIBUTES);

    StartWithArguments({ "relative.txt", file });

    EXPECT_EQ(Column(ColSrcFile), Texts({ file }));
}

TEST_F(AddRowTest, DropAddsFilesInDropOrderAndRefusesFoldersAndMissingPaths)
{
    std::string a = MakeFile("a.txt");
    std::string b = MakeFile("b.txt");
    std::string folder = MakeFolder("folder");

    Drop({ b, folder, a, dir_ + "\\missing.txt" });
    EXPECT_EQ(Column(ColSrcFile), Texts({ b, a }));

    // A second drop of a listed file adds nothing and changes nothing.
    Drop({ a });
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
