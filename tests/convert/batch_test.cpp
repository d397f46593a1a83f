#include <windows.h>
#include <commctrl.h>

#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/mainwnd.h"
#include "appfixture.h"
#include "convert/batch.h"
#include "convert/fileconv.h"
#include "convert/rowconv.h"
#include "convert/transform.h"
#include "joblist/jobrow.h"
#include "joblist/listview.h"
#include "res/resource.h"
#include "support/settings.h"
#include "testutil.h"

namespace {

std::vector<std::string> LogEntries()
{
    return LogEntriesOf(LogFile());
}

class BatchTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        DeleteFileA(LogFile().c_str());
        dir_ = TestDir();
    }
    void TearDown() override
    {
        MainWindowTest::TearDown();
        DeleteFileA(LogFile().c_str());
    }
    // Writes a source file and adds it as a row with the current defaults.
    std::string AddSource(const std::string& name, const Bytes& data)
    {
        std::string path = dir_ + "\\" + name;
        EXPECT_TRUE(WriteBytes(path, data));
        EXPECT_EQ(AddJobRow(JobListView, path.c_str(), -1), 1);
        return path;
    }
    void SetLabel(int row, const std::string& label)
    {
        WriteJobColumn(JobListView, row, ColTypeLabel, label.c_str());
    }
    void SetDest(int row, const std::string& dest)
    {
        WriteJobColumn(JobListView, row, ColDestFile, dest.c_str());
    }
    std::vector<std::string> SrcColumn()
    {
        std::vector<std::string> rows;
        for (int r = 0; r < RowCount(); ++r)
            rows.push_back(Cell(r, ColSrcFile));
        return rows;
    }
    std::string dir_;
};

TEST_F(BatchTest, AllRowsWithTheSecondFailing)
{
    Bytes data = RandomBytes(1000, 1);
    std::string a = AddSource("a.bin", data);
    std::string b = AddSource("b.bin", data);
    std::string c = AddSource("c.bin", data);
    DeleteFileA(b.c_str());  // the second cannot be opened
    ItemDefaults.DefPolicy = MakeOverwritePolicy(1, 1);
    StartBatch(MainWindow, 1);

    EXPECT_EQ(SrcColumn(), std::vector<std::string>{ b });
    EXPECT_TRUE(SelectedRows().empty());
    EXPECT_EQ(ReadBytes(a), ReferenceInvert(data));
    EXPECT_EQ(ReadBytes(c), ReferenceInvert(data));
    std::vector<std::string> entries = LogEntries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].find("Failed!"), std::string::npos);
    EXPECT_NE(entries[1].find("SrcFile  = " + b + "\nDestFile = " + b + "\nFailed!\n\n"),
              std::string::npos);
    EXPECT_EQ(entries[2].find("Failed!"), std::string::npos);
}

TEST_F(BatchTest, ABatchNeverWritesOverItsOwnInputsOrOutputs)
{
    // Two rows under "overwrite without asking"; folders below the test's
    // directory. A row whose DestFile is the source of a row still to come,
    // or a file an earlier row wrote, fails and touches nothing.
    ASSERT_TRUE(MakeDirectories(dir_ + "\\long output folder"));
    std::string shortOut = ShortPath(Wide(dir_ + "\\long output folder"));
    ASSERT_NE(shortOut, "") << "no 8.3 name here";
    shortOut = shortOut.substr(shortOut.find_last_of('\\') + 1);
    struct Row {
        std::string src, dest;  // dest "": in place
        bool converted;
        std::string label = "";  // "(not convert)", or "": the default type
    };
    struct {
        int line;
        Row first, second;
    } cases[] = {
        { __LINE__, { "d1\\a.txt", "out\\a.txt", false }, { "out\\a.txt", "", true } },
        { __LINE__, { "d1\\a.txt", "out\\a.txt", true }, { "d2\\a.txt", "out\\a.txt", false } },
        // other spellings of one file
        { __LINE__, { "d1\\a.txt", "OUT\\A.TXT.", false }, { "out\\a.txt", "", true } },
        { __LINE__, { "d1\\a.txt", "out\\x\\..\\a.txt", true }, { "d2\\a.txt", "OUT\\a.txt ", false } },
        { __LINE__, { "d1\\a.txt", shortOut + "\\a.txt", false },
          { "long output folder\\a.txt", "", true } },
        // a source read before is the overwrite policy's to decide
        { __LINE__, { "d1\\a.txt", "out\\a.txt", true }, { "d2\\b.txt", "d1\\a.txt", true } },
        // a source that is not to be converted is never read
        { __LINE__, { "d1\\a.txt", "out\\a.txt", true }, { "out\\a.txt", "", false, "(not convert)" } },
    };
    ItemDefaults.DefPolicy = MakeOverwritePolicy(1, 1);
    for (auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        for (const char* sub : { "d1", "d2", "out" }) {
            RemoveTree(dir_ + "\\" + sub);
            ASSERT_TRUE(MakeDirectories(dir_ + "\\" + sub));
        }
        ClearRows();
        DeleteFileA(LogFile().c_str());
        std::map<std::string, Bytes> before;  // every file there, by its own name
        for (const Row* row : { &c.first, &c.second }) {
            std::string path = dir_ + "\\" + row->src;
            before[path] = RandomBytes(5000 + before.size(), (unsigned)before.size() + 40);
            ASSERT_TRUE(WriteBytes(path, before[path]));
            ASSERT_EQ(AddJobRow(JobListView, path.c_str(), -1), 1);
            if (!row->dest.empty())
                SetDest(RowCount() - 1, dir_ + "\\" + row->dest);
            if (!row->label.empty())
                SetLabel(RowCount() - 1, row->label);
        }
        std::vector<Bytes> sources = { before[dir_ + "\\" + c.first.src],
                                       before[dir_ + "\\" + c.second.src] };
        std::string outputs[] = { Cell(0, ColDestFile), Cell(1, ColDestFile) };
        Bytes outputsBefore[] = { ReadBytes(outputs[0]), ReadBytes(outputs[1]) };
        StartBatch(MainWindow, 1);

        // A row not to be converted (only ever the second) logs nothing.
        std::vector<std::string> entries = LogEntries();
        ASSERT_EQ(entries.size(), c.second.label.empty() ? 2u : 1u);
        const Row* rows[] = { &c.first, &c.second };
        for (size_t i = 0; i < entries.size(); ++i) {
            SCOPED_TRACE(i == 0 ? "first row" : "second row");
            EXPECT_EQ(entries[i].find("Failed!") == std::string::npos, rows[i]->converted);
            if (rows[i]->converted) {
                EXPECT_EQ(ReadBytes(outputs[i]), ReferenceInvert(sources[i]));
            }
        }
        // what a refused row would have replaced is as it was
        if (!c.first.converted) {
            EXPECT_EQ(ReadBytes(outputs[0]), c.second.converted ? ReferenceInvert(sources[1])
                                                                : outputsBefore[0]);
        }
        if (!c.second.converted) {
            EXPECT_EQ(ReadBytes(outputs[1]), ReferenceInvert(sources[0]));
        }
        EXPECT_EQ(RowCount(), (int)!c.first.converted + (int)!c.second.converted);
        EXPECT_TRUE(SelectedRows().empty());
    }
}

TEST_F(BatchTest, SelectedRowsOnly)
{
    Bytes data = RandomBytes(300, 2);
    std::vector<std::string> paths;
    for (int i = 0; i < 5; ++i)
        paths.push_back(AddSource("f" + std::to_string(i), data));
    Select({ 1, 3 });
    // The caret on a row the batch does not touch: it is there afterwards.
    LVITEMA caret;
    ZeroMemory(&caret, sizeof caret);
    caret.stateMask = LVIS_FOCUSED;
    caret.state = LVIS_FOCUSED;
    SendMessageA(JobListView, LVM_SETITEMSTATE, 4, (LPARAM)&caret);
    ItemDefaults.DefPolicy = MakeOverwritePolicy(1, 1);
    StartBatch(MainWindow, 0);

    EXPECT_EQ(SrcColumn(), (std::vector<std::string>{ paths[0], paths[2], paths[4] }));
    EXPECT_EQ(FocusedRow(), 2);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ReadBytes(paths[i]), (i == 1 || i == 3) ? ReferenceInvert(data) : data);
    }
    std::vector<std::string> entries = LogEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_NE(entries[0].find(paths[1]), std::string::npos);  // in list order
    EXPECT_NE(entries[1].find(paths[3]), std::string::npos);
}

TEST_F(BatchTest, NoConfirmationWithoutOverwritePassesOverExistingOutputs)
{
    Bytes data = RandomBytes(100, 3);
    AddSource("a", data);  // in place: the output always exists
    AddSource("b", data);
    Select({ 0, 1 });
    ItemDefaults.DefPolicy = MakeOverwritePolicy(1, 0);
    StartBatch(MainWindow, 0);
    EXPECT_EQ(RowCount(), 2);
    EXPECT_TRUE(SelectedRows().empty());
    EXPECT_FALSE(FileExists(LogFile()));
    EXPECT_EQ(ReadBytes(dir_ + "\\a"), data);
}

TEST_F(BatchTest, NoConfirmationWithOverwriteReplacesWithoutAsking)
{
    Bytes data = RandomBytes(100, 4);
    std::string a = AddSource("a", data);
    ItemDefaults.DefPolicy = MakeOverwritePolicy(1, 1);
    StartBatch(MainWindow, 1);
    EXPECT_EQ(RowCount(), 0);
    EXPECT_EQ(ReadBytes(a), ReferenceInvert(data));
}

TEST_F(BatchTest, DoNotOverwriteWithoutTheCheckBoxAsksAgainForTheNextRow)
{
    Bytes data = RandomBytes(100, 5);
    AddSource("a", data);
    AddSource("b", data);
    std::vector<std::string> owners;
    {
        DialogDriver driver;
        for (int i = 0; i < 2; ++i)
            driver.Then(IDC_OVER_NO, [&](HWND d) {
                owners.push_back(ItemText(d, IDC_OVER_KEEP));
                EXPECT_TRUE(IsChecked(d, IDC_OVER_NO));  // the default policy's preset
                PostClick(d, IDOK);
            });
        StartBatch(MainWindow, 1);
        EXPECT_EQ(driver.Done(), 2);
    }
    // Owned by the progress dialog, the check box keeps its batch text.
    EXPECT_EQ(owners, (std::vector<std::string>{ "以降同設定(&A)", "以降同設定(&A)" }));
    EXPECT_EQ(RowCount(), 2);
    EXPECT_FALSE(FileExists(LogFile()));
    EXPECT_EQ(ItemDefaults.DefPolicy, 0u);  // an answer never changes the default
}

TEST_F(BatchTest, OverwriteQuestionComesWithItsRowInTheProgressDialog)
{
    // Every output exists (in place); each question is answered
    // "上書きする", so the rows before it have been converted.
    struct {
        std::string label;
        std::string type;  // what "タイプ：" shows while the row is asked about
    } rows[] = {
        { "ビット反転", "ビット反転" },
        { "パスワード=秘密pw", "パスワード" },  // never the password
        { "リバース", "リバース" },
        { "(not convert)", "(not convert)" },
        { "ビット反転 ", "(not convert)" },  // a label the conversion does not know
    };
    Bytes data = RandomBytes(100, 15);
    std::vector<std::string> files, types, expectedFiles, expectedTypes;
    std::vector<int> bars;
    DialogDriver driver;
    for (auto& row : rows) {
        expectedFiles.push_back(AddSource("f" + std::to_string(expectedFiles.size()), data));
        SetLabel(RowCount() - 1, row.label);
        expectedTypes.push_back(row.type);
        driver.Then(IDC_OVER_YES, [&](HWND d) {
            HWND progress = GetWindow(d, GW_OWNER);
            files.push_back(ItemText(progress, IDC_PROG_FILE));
            types.push_back(ItemText(progress, IDC_PROG_TYPE));
            bars.push_back((int)SendDlgItemMessageA(progress, IDC_PROG_BAR, PBM_GETPOS, 0, 0));
            CheckRadioButton(d, IDC_OVER_YES, IDC_OVER_NO, IDC_OVER_YES);
            PostClick(d, IDOK);
        });
    }
    StartBatch(MainWindow, 1);
    EXPECT_EQ(driver.Done(), 5);
    EXPECT_EQ(files, expectedFiles);
    EXPECT_EQ(types, expectedTypes);
    EXPECT_EQ(bars, std::vector<int>(5, 0));  // not the last row's 100
    EXPECT_EQ(SrcColumn(), (std::vector<std::string>{ expectedFiles[3], expectedFiles[4] }));
}

TEST_F(BatchTest, SameSettingFromNowOnAnswersTheRestOfTheBatch)
{
    Bytes data = RandomBytes(100, 6);
    std::string a = AddSource("a", data);
    std::string b = AddSource("b", data);
    {
        DialogDriver driver;
        driver.Then(IDC_OVER_YES, [](HWND d) {
            SetCheck(d, IDC_OVER_YES, true);
            SetCheck(d, IDC_OVER_NO, false);
            SetCheck(d, IDC_OVER_KEEP, true);
            PostClick(d, IDOK);
        });
        StartBatch(MainWindow, 1);
        EXPECT_EQ(driver.Done(), 1);
    }
    EXPECT_EQ(RowCount(), 0);
    EXPECT_EQ(ReadBytes(a), ReferenceInvert(data));
    EXPECT_EQ(ReadBytes(b), ReferenceInvert(data));
    EXPECT_EQ(LogEntries().size(), 2u);
}

TEST_F(BatchTest, CancelInTheOverwriteQuestionStopsTheBatch)
{
    Bytes data = RandomBytes(100, 7);
    std::string a = AddSource("a", data);
    std::string b = AddSource("b", data);
    Select({ 0, 1 });
    {
        DialogDriver driver;
        driver.Then(IDC_OVER_NO, [](HWND d) { PostClick(d, IDCANCEL); });
        StartBatch(MainWindow, 0);
        EXPECT_EQ(driver.Done(), 1);
    }
    EXPECT_EQ(CancelFlag, 1);
    EXPECT_EQ(SelectedRows(), (std::vector<int>{ 0, 1 }));  // the row keeps its selection
    EXPECT_FALSE(FileExists(LogFile()));
    EXPECT_EQ(ReadBytes(a), data);
    EXPECT_EQ(ReadBytes(b), data);
}

TEST_F(BatchTest, NotConvertRowWithExistingOutputIsAskedThenLeftAlone)
{
    Bytes data = RandomBytes(100, 8);
    std::string a = AddSource("a", data);
    SetLabel(0, "(not convert)");
    Select({ 0 });
    {
        DialogDriver driver;
        driver.Then(IDC_OVER_YES, [](HWND d) {
            SetCheck(d, IDC_OVER_NO, false);
            SetCheck(d, IDC_OVER_YES, true);
            PostClick(d, IDOK);
        });
        StartBatch(MainWindow, 1);
        EXPECT_EQ(driver.Done(), 1);
    }
    EXPECT_EQ(RowCount(), 1);
    EXPECT_TRUE(SelectedRows().empty());
    EXPECT_FALSE(FileExists(LogFile()));
    EXPECT_EQ(ReadBytes(a), data);
}

TEST_F(BatchTest, UnknownLabelWithoutExistingOutputIsDeselectedSilently)
{
    Bytes data = RandomBytes(10, 9);
    AddSource("a", data);
    SetDest(0, dir_ + "\\out\\a");
    SetLabel(0, "ビット反転 ");
    Select({ 0 });
    StartBatch(MainWindow, 0);
    EXPECT_EQ(RowCount(), 1);
    EXPECT_TRUE(SelectedRows().empty());
    EXPECT_FALSE(FileExists(LogFile()));
}

// Clicks the stop button with the mouse when the progress dialog starts
// showing a given file.
// How StopWhenShown stops the batch when the progress dialog shows
// StopAtFile.
enum StopBy { StopByClick, StopByQuit };
std::string StopAtFile;
StopBy StopHow;
HHOOK StopHook;
LRESULT CALLBACK StopWhenShown(int code, WPARAM wp, LPARAM lp)
{
    const CWPSTRUCT* m = (const CWPSTRUCT*)lp;
    if (code == HC_ACTION && m->message == WM_SETTEXT && GetDlgCtrlID(m->hwnd) == IDC_PROG_FILE
        && m->lParam != 0 && StopAtFile == (const char*)m->lParam) {
        if (StopHow == StopByClick) {
            HWND stop = GetDlgItem(GetParent(m->hwnd), IDCANCEL);
            PostMessageA(stop, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            PostMessageA(stop, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
            // What a user could do next: start another batch.
            PostMessageA(MainWindow, WM_COMMAND, MAKEWPARAM(IDM_ITEM_CONVERTALL, 0), 0);
        } else {
            PostQuitMessage(3);  // the program is asked to end
        }
    }
    return CallNextHookEx(StopHook, code, wp, lp);
}

// Whether the main window took input when the convert command that
// StopWhenShown posts after its click was taken from the queue.
int MainEnabledAtCommand;
HHOOK CommandHook;
LRESULT CALLBACK SeeCommand(int code, WPARAM wp, LPARAM lp)
{
    const MSG* m = (const MSG*)lp;
    if (code == HC_ACTION && m->hwnd == MainWindow && m->message == WM_COMMAND)
        MainEnabledAtCommand = IsWindowEnabled(MainWindow);
    return CallNextHookEx(CommandHook, code, wp, lp);
}

TEST_F(BatchTest, StopDuringTheSecondOfThreeFiles)
{
    // A click on the stop button, or a quit message met by a drain, which
    // is left for the message loops.
    for (StopBy how : { StopByClick, StopByQuit }) {
        SCOPED_TRACE(how == StopByClick ? "click" : "quit message");
        Bytes big = RandomBytes(5 * ChunkSize + 17, 10);
        std::string out = dir_ + "\\out" + std::to_string(how);
        lstrcpyA(ItemDefaults.DefDir, out.c_str());
        std::string a = AddSource("a", big);
        std::string b = AddSource("b", big);
        std::string c = AddSource("c", big);
        Select({ 0, 1, 2 });
        StopAtFile = b;
        StopHow = how;
        StopHook = SetWindowsHookExA(WH_CALLWNDPROC, StopWhenShown, NULL, GetCurrentThreadId());
        MainEnabledAtCommand = -1;
        CommandHook = SetWindowsHookExA(WH_GETMESSAGE, SeeCommand, NULL, GetCurrentThreadId());
        StartBatch(MainWindow, 1);
        UnhookWindowsHookEx(CommandHook);
        UnhookWindowsHookEx(StopHook);
        // The stopped batch keeps its dialog, and the main window disabled,
        // until it has ended; a command that still arrives starts nothing.
        EXPECT_EQ(MainEnabledAtCommand, how == StopByClick ? FALSE : -1);
        MSG quit;
        BOOL quitLeft = PeekMessageA(&quit, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);
        EXPECT_EQ(quitLeft != FALSE, how == StopByQuit);
        if (quitLeft) {
            EXPECT_EQ(quit.wParam, 3u);
        }

        EXPECT_EQ(ReadBytes(out + "\\a"), ReferenceInvert(big));
        EXPECT_FALSE(FileExists(out + "\\b"));  // the partial output is deleted
        EXPECT_FALSE(FileExists(out + "\\c"));
        EXPECT_EQ(SrcColumn(), (std::vector<std::string>{ b, c }));
        EXPECT_EQ(SelectedRows(), (std::vector<int>{ 1 }));  // the third keeps its selection
        std::vector<std::string> entries = LogEntries();
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_NE(entries[1].find("SrcFile  = " + b), std::string::npos);
        EXPECT_NE(entries[1].find("Failed!"), std::string::npos);
        SendMessageA(JobListView, LVM_DELETEALLITEMS, 0, 0);
        DeleteFileA(LogFile().c_str());
    }
}

// The key that KeysAtTheStopButton presses on the stop button.
WPARAM StopKey;

TEST_F(BatchTest, KeysAtTheStopButtonDuringABatch)
{
    // The drains do not do the dialog manager's keyboard handling: Escape
    // does not reach the stop button, while the button itself, which has
    // the focus, takes Space as a click.
    struct {
        const char* key;
        WPARAM vk;
        bool stops;
    } cases[] = {
        { "Escape", VK_ESCAPE, false },
        { "Space", VK_SPACE, true },
    };
    Bytes big = RandomBytes(3 * ChunkSize, 11);
    std::string a = AddSource("a", big);
    struct Local {
        static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp)
        {
            const CWPSTRUCT* m = (const CWPSTRUCT*)lp;
            if (code == HC_ACTION && m->message == WM_SETTEXT
                && GetDlgCtrlID(m->hwnd) == IDC_PROG_FILE) {
                HWND stop = GetDlgItem(GetParent(m->hwnd), IDCANCEL);
                PostMessageA(stop, WM_KEYDOWN, StopKey, 0);
                PostMessageA(stop, WM_KEYUP, StopKey, 0);
            }
            return CallNextHookEx(NULL, code, wp, lp);
        }
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.key);
        RemoveTree(dir_ + "\\out");
        if (RowCount() == 0) {
            ASSERT_EQ(AddJobRow(JobListView, a.c_str(), -1), 1);
        }
        SetDest(0, dir_ + "\\out\\a");
        StopKey = c.vk;
        HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, Local::Hook, NULL, GetCurrentThreadId());
        StartBatch(MainWindow, 1);
        UnhookWindowsHookEx(hook);
        EXPECT_EQ(RowCount(), c.stops ? 1 : 0);
        EXPECT_EQ(CancelFlag, c.stops ? 1 : 0);
        if (c.stops) {
            EXPECT_FALSE(FileExists(dir_ + "\\out\\a"));  // the partial output is deleted
        } else {
            EXPECT_EQ(ReadBytes(dir_ + "\\out\\a"), ReferenceInvert(big));
        }
    }
}

TEST_F(BatchTest, PasswordRowWithoutPasswordFailsWithItsLabelLogged)
{
    struct {
        int line;
        std::string label;
    } cases[] = {
        { __LINE__, "パスワード=" },
        { __LINE__, "パスワード" },
    };
    Bytes data = RandomBytes(50, 12);
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        DeleteFileA(LogFile().c_str());
        AddSource("p" + std::to_string(c.line), data);
        int row = RowCount() - 1;
        SetDest(row, dir_ + "\\none\\x");
        SetLabel(row, c.label);
        Select({ row });
        StartBatch(MainWindow, 0);
        EXPECT_TRUE(SelectedRows().empty());
        std::vector<std::string> entries = LogEntries();
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_NE(entries[0].find("\nType     = " + c.label + "\n"), std::string::npos);
        EXPECT_NE(entries[0].find("Failed!"), std::string::npos);
        EXPECT_FALSE(FileExists(dir_ + "\\none"));  // nothing was created
    }
}

TEST_F(BatchTest, EntriesAreExactBytes)
{
    Bytes data = RandomBytes(10, 13);
    std::string a = AddSource("予定表.txt", data);
    SetLabel(0, "パスワード=ｱｲ=表");
    std::string b = AddSource("gone.txt", data);
    DeleteFileA(b.c_str());
    SetDest(1, dir_ + "\\sub\\gone.txt");
    ItemDefaults.DefPolicy = MakeOverwritePolicy(1, 1);
    StartBatch(MainWindow, 1);

    std::string log = ReadText(LogFile());
    std::regex stamp("\\[\\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}:\\d{2}\\]\n");
    std::string success = "Type     = パスワード=ｱｲ=表\nSrcFile  = " + a + "\nDestFile = " + a +
                          "\n\n";
    std::string failure = "Type     = ビット反転\nSrcFile  = " + b + "\nDestFile = " + dir_ +
                          "\\sub\\gone.txt\nFailed!\n\n";
    std::smatch m;
    ASSERT_TRUE(std::regex_search(log, m, stamp));
    EXPECT_EQ(m.position(0), 0);
    const size_t stampLength = 22;  // "[yyyy/MM/dd HH:mm:ss]\n"
    EXPECT_EQ(log.size(), 2 * stampLength + success.size() + failure.size());
    EXPECT_EQ(log.substr(stampLength, success.size()), success);
    EXPECT_TRUE(std::regex_match(log.substr(stampLength + success.size(), stampLength), stamp));
    EXPECT_EQ(log.substr(2 * stampLength + success.size()), failure);
    EXPECT_EQ(log.find('\r'), std::string::npos);  // LF only
    // The date is today's.
    SYSTEMTIME now;
    GetLocalTime(&now);
    char today[16];
    wsprintfA(today, "[%04d/%02d/%02d", now.wYear, now.wMonth, now.wDay);
    EXPECT_EQ(log.substr(0, 11), today);
}

TEST_F(BatchTest, EntriesOfSuccessiveBatchesFollowOneAnother)
{
    Bytes data = RandomBytes(10, 14);
    ItemDefaults.DefPolicy = MakeOverwritePolicy(1, 1);
    std::string a = AddSource("a", data);
    StartBatch(MainWindow, 1);
    EXPECT_EQ(ReadBytes(a), ReferenceInvert(data));
    ASSERT_EQ(AddJobRow(JobListView, a.c_str(), -1), 1);
    StartBatch(MainWindow, 1);
    EXPECT_EQ(LogEntries().size(), 2u);
    EXPECT_EQ(ReadBytes(dir_ + "\\a"), data);  // converted twice: back to the original
}

TEST_F(BatchTest, EmptyListOpensAndClosesTheDialog)
{
    StartBatch(MainWindow, 1);
    StartBatch(MainWindow, 0);
    EXPECT_FALSE(FileExists(LogFile()));
    EXPECT_EQ(ConvertRow(JobListView, -1, NULL), 0);
}

TEST(AppendLogTest, WritesWholeEntriesAndSkipsWhatCannotBeWritten)
{
    std::string dir = TestDir();
    std::string path = dir + "\\x.log";
    EXPECT_EQ(AppendLog(path.c_str(), NULL), 0);
    EXPECT_EQ(AppendLog(path.c_str(), ""), 0);
    EXPECT_FALSE(FileExists(path));
    EXPECT_EQ(AppendLog(path.c_str(), "one\n\n"), 1);
    EXPECT_EQ(AppendLog(path.c_str(), "表\n\n"), 1);
    EXPECT_EQ(ReadText(path), "one\n\n表\n\n");

    std::string tooLong = dir + "\\" + std::string(300 - dir.size(), 'l') + ".log";
    EXPECT_EQ(AppendLog(tooLong.c_str(), "x"), 0);

    // Held open elsewhere without sharing: lost without notice.
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(AppendLog(path.c_str(), "lost\n\n"), 0);
    CloseHandle(held);
    EXPECT_EQ(ReadText(path), "one\n\n表\n\n");

    // Held for a moment, as by another instance writing its entry: written
    // once it is free.
    held = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::thread other([held] {
        Sleep(200);
        CloseHandle(held);
    });
    EXPECT_EQ(AppendLog(path.c_str(), "later\n\n"), 1);
    other.join();
    EXPECT_EQ(ReadText(path), "one\n\n表\n\nlater\n\n");
}

}  // namespace
