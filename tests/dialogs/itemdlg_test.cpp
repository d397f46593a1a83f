// The item settings dialog, opened for real over the main window and its
// job list and driven from inside the process.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/mainwnd.h"
#include "appfixture.h"
#include "dialogs/itemdlg.h"
#include "joblist/jobrow.h"
#include "joblist/listview.h"
#include "res/resource.h"
#include "screenshot.h"
#include "support/settings.h"
#include "testutil.h"

namespace {

struct RowText {
    const char* src;
    const char* dest;
    const char* label;
};

const int TypeButtons[] = { IDC_ITEM_INVERT, IDC_ITEM_REVERSE, IDC_ITEM_PASSWORD, IDC_ITEM_NONE };

// Id of the only checked type button; 0 when none is, -1 when several are.
int CheckedTypeButton(HWND dialog)
{
    int found = 0;
    for (int id : TypeButtons) {
        if (IsChecked(dialog, id))
            found = found == 0 ? id : -1;
    }
    return found;
}

// A click as the mouse gives it: the button checks itself and notifies.
void Click(HWND dialog, int id)
{
    SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0);
}

// Types text into an edit as a whole (raises the change notification).
void Type(HWND dialog, int id, const std::string& text)
{
    SetDlgItemTextA(dialog, id, text.c_str());
}

std::string Repeat(const std::string& part, int times)
{
    std::string s;
    for (int i = 0; i < times; ++i)
        s += part;
    return s;
}

// The folder browser runs its own modal loop inside the click on "...";
// this timer finds it there, a visible pop-up owned by the item dialog.
// (Wine's GetWindow(GW_ENABLEDPOPUP) does not find it.)
HWND BrowsingDialog = NULL;
std::function<void(HWND)> BrowserAction;

BOOL CALLBACK MatchBrowser(HWND window, LPARAM found)
{
    if (GetWindow(window, GW_OWNER) != BrowsingDialog || !IsWindowVisible(window))
        return TRUE;
    *(HWND*)found = window;
    return FALSE;
}

void CALLBACK AnswerBrowser(HWND, UINT, UINT_PTR, DWORD)
{
    HWND browser = NULL;
    EnumThreadWindows(GetCurrentThreadId(), MatchBrowser, (LPARAM)&browser);
    if (browser == NULL || !BrowserAction)
        return;
    std::function<void(HWND)> run;
    run.swap(BrowserAction);
    run(browser);
}

// Clicks "..." and lets answer deal with the browser; returns once the
// browser has closed, false when it never opened.
bool BrowseWith(HWND dialog, std::function<void(HWND)> answer)
{
    BrowsingDialog = dialog;
    BrowserAction = answer;
    UINT_PTR timer = SetTimer(NULL, 0, 20, AnswerBrowser);
    Click(dialog, IDC_ITEM_BROWSE);
    KillTimer(NULL, timer);
    bool answered = !BrowserAction;
    BrowserAction = nullptr;
    return answered;
}

void SetDefaults(const char* dir, int type, const char* password)
{
    strcpy(ItemDefaults.DefDir, dir);
    ItemDefaults.DefType = type;
    strcpy(ItemDefaults.DefPass, password);
}

class ItemSettings : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        owner_ = MainWindow;
        list_ = JobListView;
    }

    // Replaces the list's rows; false when the list refused one.
    bool SetRows(const std::vector<RowText>& rows)
    {
        ClearRows();
        for (const RowText& row : rows) {
            LVITEMA item;
            ZeroMemory(&item, sizeof item);
            item.mask = LVIF_TEXT;
            item.iItem = RowCount();
            item.pszText = (LPSTR)row.src;
            if (SendMessageA(list_, LVM_INSERTITEMA, 0, (LPARAM)&item) != item.iItem
                || WriteJobColumn(list_, item.iItem, ColDestFile, row.dest) != 1
                || WriteJobColumn(list_, item.iItem, ColTypeLabel, row.label) != 1)
                return false;
        }
        return true;
    }

    bool Select(const std::vector<int>& rows)
    {
        MainWindowTest::Select(rows);
        return SelectedRows() == rows;
    }

    bool IsSelected(int row)
    {
        std::vector<int> rows = SelectedRows();
        return std::find(rows.begin(), rows.end(), row) != rows.end();
    }

    std::string Column(int row, int column) { return Cell(row, column); }

    // Opens the dialog on row (-1: the defaults), runs action once it shows
    // (the action closes it) and returns the dialog's result.
    int Run(int row, std::function<void(HWND)> action)
    {
        DialogDriver driver;
        driver.Then(IDC_ITEM_DIR, action);
        return OpenItemSettings(owner_, row);
    }

    // The usual single row, selected.
    bool SetOneRow(const char* label = "リバース")
    {
        return SetRows({ { "C:\\src\\a.txt", "C:\\out\\a.txt", label } }) && Select({ 0 });
    }

    HWND owner_ = NULL;
    HWND list_ = NULL;
};

TEST_F(ItemSettings, TabVisitsTheControlsAUserCanReach)
{
    // Tab from the directory edit until it is back there: a disabled or
    // hidden control is passed over, and every type button but the checked one.
    const int Browse = IDC_ITEM_BROWSE, Name = IDC_ITEM_NAME, Ok = IDOK, Cancel = IDCANCEL;
    const struct {
        int line;
        int selected;       // rows selected; 0: the defaults, of the password type
        const char* label;  // of the rows
        std::vector<int> stops;
    } cases[] = {
        { __LINE__, 1, "ビット反転", { Browse, Name, IDC_ITEM_INVERT, Ok, Cancel } },
        { __LINE__, 1, "リバース", { Browse, Name, IDC_ITEM_REVERSE, Ok, Cancel } },
        { __LINE__, 1, "パスワード=pw",
          { Browse, Name, IDC_ITEM_PASSWORD, IDC_ITEM_PASSEDIT, Ok, Cancel } },
        { __LINE__, 1, "(not convert)", { Browse, Name, IDC_ITEM_NONE, Ok, Cancel } },
        { __LINE__, 2, "リバース", { Browse, IDC_ITEM_REVERSE, Ok, Cancel } },
        { __LINE__, 0, "", { Browse, IDC_ITEM_PASSWORD, IDC_ITEM_PASSEDIT, Ok, Cancel } },
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(SetRows({ { "C:\\in\\a.txt", "C:\\out\\a.txt", c.label },
                              { "C:\\in\\b.txt", "C:\\out\\b.txt", c.label } }));
        ASSERT_TRUE(Select(c.selected == 2 ? std::vector<int>{ 0, 1 } : std::vector<int>{ 0 }));
        SetDefaults("C:\\out", ConvPassword, "pw");
        std::vector<int> stops;
        Run(c.selected == 0 ? -1 : 0, [&](HWND dialog) {
            SetFocus(GetDlgItem(dialog, IDC_ITEM_DIR));
            for (int i = 0; i < 20; ++i) {
                SendMessageA(dialog, WM_NEXTDLGCTL, 0, FALSE);  // what Tab does
                int id = GetDlgCtrlID(GetFocus());
                if (id == IDC_ITEM_DIR)
                    break;
                stops.push_back(id);
            }
            PostClick(dialog, IDCANCEL);
        });
        EXPECT_EQ(stops, c.stops) << "case at line " << c.line;
    }
}

TEST_F(ItemSettings, ShowsTheTextsOfItsMode)
{
    // Every text shown, in the dialog's order, none cut off by its edge; no
    // close box: OK or Cancel ends the dialog. The defaults have no file.
    const struct {
        int row;
        const char* caption;
        std::vector<std::string> texts;
    } cases[] = {
        { 0, "アイテム設定",
          { "対象ファイル：", "C:\\out\\a.txt", "出力ディレクトリ：", "C:\\out", "...",
            "出力ファイル名：", "a.txt", "変換タイプ", "ビット反転(&B)", "リバース(&R)",
            "パスワード(&P)", "pw", "※パスワードは1～32文字の範囲内", "無変換(&N)", "OK",
            "Cancel" } },
        { -1, "デフォルト設定",
          { "", "出力ディレクトリ：", "D:\\conv", "...", "変換タイプ", "ビット反転(&B)",
            "リバース(&R)", "パスワード(&P)", "kept", "※パスワードは1～32文字の範囲内",
            "無変換(&N)", "OK", "Cancel" } },
    };
    ASSERT_TRUE(SetOneRow("パスワード=pw"));
    SetDefaults("D:\\conv", ConvReverse, "kept");
    for (const auto& c : cases) {
        std::vector<std::string> texts;
        Run(c.row, [&](HWND dialog) {
            EXPECT_EQ(WindowText(dialog), c.caption);
            EXPECT_EQ(GetWindowLongA(dialog, GWL_STYLE) & WS_SYSMENU, 0);
            RECT client, rect, inside;
            GetClientRect(dialog, &client);
            for (HWND child = GetWindow(dialog, GW_CHILD); child != NULL;
                 child = GetWindow(child, GW_HWNDNEXT)) {
                if (!IsWindowVisible(child))
                    continue;
                texts.push_back(WindowText(child));
                GetWindowRect(child, &rect);
                MapWindowPoints(NULL, dialog, (POINT*)&rect, 2);
                EXPECT_TRUE(IntersectRect(&inside, &rect, &client) && EqualRect(&inside, &rect))
                    << texts.back();
            }
            PostClick(dialog, IDCANCEL);
        });
        EXPECT_EQ(texts, c.texts) << c.caption;
    }
}

TEST_F(ItemSettings, OkFollowsDirectoryAndFileName)
{
    struct Case {
        const char* dir;
        const char* name;  // row mode only
        bool ok;
    };
    const Case defaultsCases[] = {
        { "", nullptr, true },  // empty: converted in place
        { "C:", nullptr, false },
        { "C:\\", nullptr, true },
        { "\\\\server\\share", nullptr, false },
        { "x:\\", nullptr, true },
        { "7:\\out", nullptr, true },  // the drive letter itself is not judged
        { "C:out", nullptr, false },
        { "out\\dir", nullptr, false },
    };
    const Case rowCases[] = {
        { "", "a.txt", false },
        { "C:", "a.txt", false },
        { "C:\\", "a.txt", true },
        { "\\\\server\\share", "a.txt", false },
        { "x:\\", "a.txt", true },
        { "D:\\out", "a.txt", true },
        { "D:\\out", "", false },
        { "D:\\out", " ", true },
    };

    SetDefaults("", ConvInvert, "");
    Run(-1, [&](HWND dialog) {
        for (const Case& c : defaultsCases) {
            Type(dialog, IDC_ITEM_DIR, c.dir);
            EXPECT_EQ(IsEnabled(dialog, IDOK), c.ok) << "defaults, directory \"" << c.dir << "\"";
        }
        PostClick(dialog, IDCANCEL);
    });

    ASSERT_TRUE(SetOneRow());
    Run(0, [&](HWND dialog) {
        for (const Case& c : rowCases) {
            Type(dialog, IDC_ITEM_DIR, c.dir);
            Type(dialog, IDC_ITEM_NAME, c.name);
            EXPECT_EQ(IsEnabled(dialog, IDOK), c.ok)
                << "row, directory \"" << c.dir << "\", name \"" << c.name << "\"";
        }
        PostClick(dialog, IDCANCEL);
    });
}

TEST_F(ItemSettings, OneRowOpensOnItsDestFile)
{
    struct Case {
        const char* dest;
        const char* dir;
        const char* name;
    };
    const Case cases[] = {
        { "C:\\out\\a.txt", "C:\\out", "a.txt" },
        { "C:\\a.txt", "C:\\", "a.txt" },
        { "D:\\data\\表", "D:\\data", "表" },      // 表 ends in 0x5C: no separator
        { "E:\\表\\b.bin", "E:\\表", "b.bin" },
        { "F:\\a&b\\c.txt", "F:\\a&b", "c.txt" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dest);
        ASSERT_TRUE(SetRows({ { "C:\\src\\file.dat", c.dest, "ビット反転" } }));
        ASSERT_TRUE(Select({ 0 }));
        Run(0, [&](HWND dialog) {
            EXPECT_EQ(ItemText(dialog, IDC_ITEM_DESTFILE), c.dest);
            EXPECT_EQ(ItemText(dialog, IDC_ITEM_DIR), c.dir);
            EXPECT_EQ(ItemText(dialog, IDC_ITEM_NAME), c.name);
            EXPECT_TRUE(IsEnabled(dialog, IDC_ITEM_NAME));
            EXPECT_TRUE(IsEnabled(dialog, IDOK));
            PostClick(dialog, IDCANCEL);
        });
    }
}

TEST_F(ItemSettings, OkWritesTheRowsDestFileAndType)
{
    struct Case {
        const char* dir;
        const char* name;
        const char* dest;
    };
    const Case cases[] = {
        { "C:\\", "a.txt", "C:\\a.txt" },        // a drive root gets no second backslash
        { "C:\\表", "a.txt", "C:\\表\\a.txt" },  // 表 is no separator: one is added
        { "C:\\new\\", "b.txt", "C:\\new\\b.txt" },
        { "D:\\x", "表", "D:\\x\\表" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dest);
        ASSERT_TRUE(SetRows({ { "C:\\src\\a.txt", "C:\\out\\a.txt", "ビット反転" },
                              { "C:\\src\\b.txt", "C:\\out\\b.txt", "ビット反転" } }));
        ASSERT_TRUE(Select({ 0 }));
        int result = Run(0, [&](HWND dialog) {
            Type(dialog, IDC_ITEM_DIR, c.dir);
            Type(dialog, IDC_ITEM_NAME, c.name);
            Click(dialog, IDC_ITEM_REVERSE);
            PostClick(dialog, IDOK);
        });
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(Column(0, 0), "C:\\src\\a.txt");
        EXPECT_EQ(Column(0, 1), c.dest);
        EXPECT_EQ(Column(0, 2), "リバース");
        EXPECT_EQ(Column(1, 1), "C:\\out\\b.txt");
        EXPECT_EQ(Column(1, 2), "ビット反転");
    }
}

TEST_F(ItemSettings, SeveralRowsKeepTheirOwnFileNames)
{
    ASSERT_TRUE(SetRows({ { "C:\\in\\a.txt", "C:\\in\\a.txt", "ビット反転" },
                          { "C:\\in\\b.txt", "C:\\old\\b.txt", "リバース" },
                          { "C:\\in\\表", "C:\\in\\表", "(not convert)" },
                          { "C:\\x表\\c.dat", "C:\\x表\\c.dat", "パスワード=old" } }));
    ASSERT_TRUE(Select({ 0, 2, 3 }));
    int result = Run(0, [&](HWND dialog) {
        EXPECT_EQ(ItemText(dialog, IDC_ITEM_DESTFILE), "");
        EXPECT_FALSE(IsEnabled(dialog, IDC_ITEM_NAME));
        EXPECT_EQ(ItemText(dialog, IDC_ITEM_NAME), "");
        EXPECT_EQ(ItemText(dialog, IDC_ITEM_DIR), "C:\\in");
        EXPECT_TRUE(IsEnabled(dialog, IDOK));
        Type(dialog, IDC_ITEM_DIR, "F:\\out");
        Click(dialog, IDC_ITEM_PASSWORD);
        Type(dialog, IDC_ITEM_PASSEDIT, "pw");
        EXPECT_TRUE(IsEnabled(dialog, IDOK));
        PostClick(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    const RowText expected[] = {
        { "C:\\in\\a.txt", "F:\\out\\a.txt", "パスワード=pw" },
        { "C:\\in\\b.txt", "C:\\old\\b.txt", "リバース" },
        { "C:\\in\\表", "F:\\out\\表", "パスワード=pw" },
        { "C:\\x表\\c.dat", "F:\\out\\c.dat", "パスワード=pw" },
    };
    for (int row = 0; row < 4; ++row) {
        SCOPED_TRACE(testing::Message() << "row " << row);
        EXPECT_EQ(Column(row, 0), expected[row].src);
        EXPECT_EQ(Column(row, 1), expected[row].dest);
        EXPECT_EQ(Column(row, 2), expected[row].label);
        EXPECT_EQ(IsSelected(row), row != 1);
    }
}

TEST_F(ItemSettings, LabelChoosesTheOpeningType)
{
    struct Case {
        std::string label;
        int button;
        std::string password;
        bool ok;
    };
    const std::string longPassword = "a" + Repeat("表", 25);  // the list reads 63 bytes
    const Case cases[] = {
        { "ビット反転", IDC_ITEM_INVERT, "", true },
        { "リバース", IDC_ITEM_REVERSE, "", true },
        { "パスワード=abc", IDC_ITEM_PASSWORD, "abc", true },
        { "パスワード=a=b", IDC_ITEM_PASSWORD, "a=b", true },
        { "パスワード", IDC_ITEM_PASSWORD, "", false },
        { "パスワードabc", IDC_ITEM_PASSWORD, "", false },
        { "(not convert)", IDC_ITEM_NONE, "", true },
        { "ビット反転 ", IDC_ITEM_NONE, "", true },
        { "anything", IDC_ITEM_NONE, "", true },
        { "", IDC_ITEM_NONE, "", true },
        // The edit shows the first 32 bytes: what OK would keep.
        { "パスワード=" + longPassword + "表", IDC_ITEM_PASSWORD, "a" + Repeat("表", 15), true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(SetOneRow(c.label.c_str()));
        Run(0, [&](HWND dialog) {
            EXPECT_EQ(CheckedTypeButton(dialog), c.button);
            EXPECT_EQ(IsEnabled(dialog, IDC_ITEM_PASSEDIT), c.button == IDC_ITEM_PASSWORD);
            EXPECT_EQ(ItemText(dialog, IDC_ITEM_PASSEDIT), c.password);
            EXPECT_EQ(IsEnabled(dialog, IDOK), c.ok);
            PostClick(dialog, IDCANCEL);
        });
    }
}

TEST_F(ItemSettings, DefTypeChoosesTheOpeningButton)
{
    struct Case {
        int defType;
        int button;
        int stored;  // DefType after OK without touching anything
    };
    const Case cases[] = {
        { 0, IDC_ITEM_INVERT, 0 },
        { 1, IDC_ITEM_REVERSE, 1 },
        { 2, IDC_ITEM_PASSWORD, 2 },
        { 3, IDC_ITEM_NONE, 3 },
        { 4, 0, 3 },
        { -1, 0, 3 },
        { 0x7FFFFFFF, 0, 3 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "DefType " << c.defType);
        SetDefaults("", c.defType, "secret");
        int result = Run(-1, [&](HWND dialog) {
            EXPECT_EQ(CheckedTypeButton(dialog), c.button);
            EXPECT_EQ(IsEnabled(dialog, IDC_ITEM_PASSEDIT), c.button == IDC_ITEM_PASSWORD);
            EXPECT_TRUE(IsEnabled(dialog, IDOK));
            PostClick(dialog, IDOK);
        });
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(ItemDefaults.DefType, c.stored);
        EXPECT_STREQ(ItemDefaults.DefPass, "secret");
    }
}

TEST_F(ItemSettings, DefaultsOkStoresDirectoryTypeAndPassword)
{
    struct Case {
        const char* dir;
        int button;
        const char* password;  // typed after choosing the button; null: left alone
        int defType;
        const char* defPass;
    };
    const Case cases[] = {
        { "", IDC_ITEM_REVERSE, nullptr, 1, "old" },
        { "G:\\dest", IDC_ITEM_PASSWORD, "new", 2, "new" },
        { "C:\\", IDC_ITEM_INVERT, nullptr, 0, "old" },   // the former password stays
        { "x:\\表", IDC_ITEM_NONE, nullptr, 3, "old" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dir);
        SetDefaults("D:\\before", ConvPassword, "old");
        int result = Run(-1, [&](HWND dialog) {
            Type(dialog, IDC_ITEM_DIR, c.dir);
            Click(dialog, c.button);
            if (c.password != nullptr)
                Type(dialog, IDC_ITEM_PASSEDIT, c.password);
            PostClick(dialog, IDOK);
        });
        EXPECT_EQ(result, IDOK);
        EXPECT_STREQ(ItemDefaults.DefDir, c.dir);
        EXPECT_EQ(ItemDefaults.DefType, c.defType);
        EXPECT_STREQ(ItemDefaults.DefPass, c.defPass);
    }
}

TEST_F(ItemSettings, EmptyPasswordBlocksOkUntilAnotherTypeIsChosen)
{
    for (int row : { -1, 0 }) {
        SCOPED_TRACE(row < 0 ? "defaults" : "row");
        ASSERT_TRUE(SetOneRow("ビット反転"));
        SetDefaults("C:\\out", ConvInvert, "old");
        int result = Run(row, [&](HWND dialog) {
            Click(dialog, IDC_ITEM_PASSWORD);
            Type(dialog, IDC_ITEM_PASSEDIT, "");
            EXPECT_FALSE(IsEnabled(dialog, IDOK));
            Click(dialog, IDC_ITEM_REVERSE);
            EXPECT_TRUE(IsEnabled(dialog, IDOK));
            Click(dialog, IDC_ITEM_PASSWORD);
            EXPECT_FALSE(IsEnabled(dialog, IDOK));
            Type(dialog, IDC_ITEM_PASSEDIT, "typed");
            EXPECT_TRUE(IsEnabled(dialog, IDOK));
            Click(dialog, IDC_ITEM_NONE);
            EXPECT_TRUE(IsEnabled(dialog, IDOK));
            EXPECT_FALSE(IsEnabled(dialog, IDC_ITEM_PASSEDIT));
            EXPECT_EQ(ItemText(dialog, IDC_ITEM_PASSEDIT), "typed");
            PostClick(dialog, IDOK);
        });
        EXPECT_EQ(result, IDOK);
        if (row < 0) {
            EXPECT_EQ(ItemDefaults.DefType, ConvNone);
            EXPECT_STREQ(ItemDefaults.DefPass, "old");
        } else {
            EXPECT_EQ(Column(0, 2), "(not convert)");
        }
    }
}

TEST_F(ItemSettings, TypeButtonsExcludeEachOther)
{
    ASSERT_TRUE(SetOneRow());
    Run(0, [&](HWND dialog) {
        for (int from : TypeButtons) {
            for (int to : TypeButtons) {
                if (from == to)
                    continue;
                Click(dialog, from);
                Click(dialog, to);
                EXPECT_EQ(CheckedTypeButton(dialog), to) << from << " then " << to;
                EXPECT_EQ(IsEnabled(dialog, IDC_ITEM_PASSEDIT), to == IDC_ITEM_PASSWORD)
                    << from << " then " << to;
            }
        }
        PostClick(dialog, IDCANCEL);
    });
}

TEST_F(ItemSettings, CancelAndEscapeApplyNothing)
{
    struct Case {
        int row;
        bool escape;
    };
    const Case cases[] = { { 0, false }, { 0, true }, { -1, false }, { -1, true } };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.row < 0 ? "defaults" : "row")
                                        << (c.escape ? ", Escape" : ", Cancel"));
        ASSERT_TRUE(SetOneRow("ビット反転"));
        SetDefaults("D:\\before", ConvInvert, "old");
        int result = Run(c.row, [&](HWND dialog) {
            Type(dialog, IDC_ITEM_DIR, "E:\\changed");
            if (c.row >= 0)
                Type(dialog, IDC_ITEM_NAME, "changed.txt");
            Click(dialog, IDC_ITEM_PASSWORD);
            Type(dialog, IDC_ITEM_PASSEDIT, "new");
            SetFocus(GetDlgItem(dialog, IDC_ITEM_DIR));
            if (c.escape)
                PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
            else
                PostClick(dialog, IDCANCEL);
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(Column(0, 1), "C:\\out\\a.txt");
        EXPECT_EQ(Column(0, 2), "ビット反転");
        EXPECT_STREQ(ItemDefaults.DefDir, "D:\\before");
        EXPECT_EQ(ItemDefaults.DefType, ConvInvert);
        EXPECT_STREQ(ItemDefaults.DefPass, "old");
    }
}

TEST_F(ItemSettings, BrowseButtonWritesOnlyAChosenFolder)
{
    std::string chosen = TestDir();
    std::string start = chosen + "\\start";
    ASSERT_TRUE(CreateDirectoryA(start.c_str(), NULL));
    ASSERT_TRUE(SetOneRow());

    // Cancelled: the typed text stays, even one the browser cannot show.
    Run(0, [&](HWND dialog) {
        Type(dialog, IDC_ITEM_DIR, "C:");
        EXPECT_TRUE(BrowseWith(dialog, [](HWND browser) { PostClick(browser, IDCANCEL); }));
        EXPECT_EQ(ItemText(dialog, IDC_ITEM_DIR), "C:");
        EXPECT_FALSE(IsEnabled(dialog, IDOK));
        PostClick(dialog, IDCANCEL);
    });

    // Confirmed: the browser opens on the typed folder, and its choice
    // replaces the text and reruns the check.
    Run(0, [&](HWND dialog) {
        Type(dialog, IDC_ITEM_DIR, start);
        Type(dialog, IDC_ITEM_NAME, "");
        EXPECT_TRUE(BrowseWith(dialog, [&](HWND browser) {
            SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, (LPARAM)chosen.c_str());
            PostClick(browser, IDOK);
        }));
        EXPECT_EQ(ItemText(dialog, IDC_ITEM_DIR), chosen);
        EXPECT_FALSE(IsEnabled(dialog, IDOK));  // the empty name still blocks it
        Type(dialog, IDC_ITEM_NAME, "a.txt");
        EXPECT_TRUE(IsEnabled(dialog, IDOK));
        PostClick(dialog, IDCANCEL);
    });

    Run(0, [&](HWND dialog) {
        Type(dialog, IDC_ITEM_DIR, start);
        EXPECT_TRUE(BrowseWith(dialog, [](HWND browser) { PostClick(browser, IDOK); }));
        EXPECT_EQ(ItemText(dialog, IDC_ITEM_DIR), start);
        PostClick(dialog, IDCANCEL);
    });
}

TEST_F(ItemSettings, NoDestFileLongerThan259Bytes)
{
    // One row: directory, separator and typed name together.
    struct Case {
        std::string dir;
        std::string name;
        bool ok;
    };
    const std::string d = "C:\\" + Repeat("d", 50);  // 53 bytes
    const Case oneRow[] = {
        { "C:\\", Repeat("n", 256), true },           // 259: the root's separator is its own
        { "C:\\", Repeat("n", 257), false },
        { d, Repeat("n", 205), true },               // 53 + 1 + 205 = 259
        { d, Repeat("n", 206), false },
        { "C:\\表", Repeat("n", 253), true },         // 5 + 1 + 253: a separator is added
        { "C:\\表", Repeat("n", 254), false },
        { "C:\\" + Repeat("d", 300), "a.txt", false },
        { "C:\\out", Repeat("n", 300), false },
    };
    ASSERT_TRUE(SetOneRow());
    Run(0, [&](HWND dialog) {
        for (const Case& c : oneRow) {
            Type(dialog, IDC_ITEM_DIR, c.dir);
            Type(dialog, IDC_ITEM_NAME, c.name);
            EXPECT_EQ(IsEnabled(dialog, IDOK), c.ok)
                << c.dir.size() << "-byte directory, " << c.name.size() << "-byte name";
        }
        // A plain IDOK command does not get past the check either.
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(IsWindowVisible(dialog));
        Type(dialog, IDC_ITEM_DIR, d);
        Type(dialog, IDC_ITEM_NAME, Repeat("n", 205));
        PostClick(dialog, IDOK);
    });
    EXPECT_EQ(Column(0, 1), d + "\\" + Repeat("n", 205));

    // Several rows: every row's own name must fit, not only the first's.
    std::string longName = Repeat("L", 200);
    std::string longDest = "C:\\in\\" + longName;
    std::string skipDest = "C:\\in\\" + Repeat("S", 250);  // not selected: not judged
    ASSERT_TRUE(SetRows({ { "C:\\in\\a.txt", "C:\\in\\a.txt", "リバース" },
                          { "C:\\in\\skip", skipDest.c_str(), "リバース" },
                          { longDest.c_str(), longDest.c_str(), "リバース" } }));
    ASSERT_TRUE(Select({ 0, 2 }));
    const Case severalRows[] = {
        { "C:\\" + Repeat("d", 55), "", true },   // 58 + 1 + 200 = 259
        { "C:\\" + Repeat("d", 56), "", false },  // 260 for the third row only
        { "C:\\" + Repeat("d", 55) + "\\", "", true },
    };
    Run(0, [&](HWND dialog) {
        for (const Case& c : severalRows) {
            Type(dialog, IDC_ITEM_DIR, c.dir);
            EXPECT_EQ(IsEnabled(dialog, IDOK), c.ok) << c.dir.size() << "-byte directory";
        }
        PostClick(dialog, IDOK);
    });
    EXPECT_EQ(Column(2, 1), "C:\\" + Repeat("d", 55) + "\\" + longName);
    EXPECT_EQ(Column(2, 1).size(), 259u);

    // The defaults hold a directory of at most 259 bytes.
    Run(-1, [&](HWND dialog) {
        Type(dialog, IDC_ITEM_DIR, "C:\\" + Repeat("d", 256));
        EXPECT_TRUE(IsEnabled(dialog, IDOK));
        Type(dialog, IDC_ITEM_DIR, "C:\\" + Repeat("d", 257));
        EXPECT_FALSE(IsEnabled(dialog, IDOK));
        PostClick(dialog, IDCANCEL);
    });
}

TEST_F(ItemSettings, PasswordEditHolds32BytesAndOkKeepsWhatItShows)
{
    // The edit's own limit counts characters under Wine: double-byte
    // characters would make more than 32 bytes of it.
    for (int row : { 0, -1 }) {
        for (const PasswordEntry& entry : PasswordEntries()) {
            SCOPED_TRACE(testing::Message() << (row < 0 ? "defaults: " : "row: ") << entry.what);
            ASSERT_TRUE(SetOneRow("ビット反転"));
            SetDefaults("", ConvInvert, "old");
            std::string shown;
            int result = Run(row, [&](HWND dialog) {
                Click(dialog, IDC_ITEM_PASSWORD);
                EnterPassword(GetDlgItem(dialog, IDC_ITEM_PASSEDIT), entry);
                shown = ItemText(dialog, IDC_ITEM_PASSEDIT);
                PostClick(dialog, IDOK);
            });
            EXPECT_EQ(result, IDOK);
            EXPECT_EQ(shown, entry.kept);
            if (row < 0) {
                EXPECT_EQ(ItemDefaults.DefPass, entry.kept);
            } else {
                EXPECT_EQ(Column(0, 2), "パスワード=" + entry.kept);
            }
        }
    }
}

TEST_F(ItemSettings, LongDefaultPasswordShowsAndKeepsItsFirst32Bytes)
{
    // Longer defaults come only from a hand-edited settings file.
    struct Case {
        std::string defPass;
        std::string shown;
    };
    const Case cases[] = {
        { Repeat("0123456789", 4), Repeat("0123456789", 3) + "01" },
        { "a" + Repeat("表", 20), "a" + Repeat("表", 15) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.defPass);
        SetDefaults("", ConvPassword, c.defPass.c_str());
        std::string shown;
        Run(-1, [&](HWND dialog) {
            shown = ItemText(dialog, IDC_ITEM_PASSEDIT);
            PostClick(dialog, IDOK);
        });
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(ItemDefaults.DefPass, c.shown);
    }
}

// One bit mask of ink rows for every column of a picture, without the
// empty columns before the first ink and after the last.
std::vector<unsigned> InkMask(const Screenshot& shot)
{
    std::vector<unsigned> mask;
    for (int x = 0; x < shot.Width(); ++x) {
        unsigned bits = 0;
        for (int y = 0; y < shot.Height() && y < 32; ++y)
            bits |= IsInk(shot.At(x, y)) ? 1u << y : 0;
        mask.push_back(bits);
    }
    while (!mask.empty() && mask.back() == 0)
        mask.pop_back();
    size_t first = 0;
    while (first < mask.size() && mask[first] == 0)
        ++first;
    return std::vector<unsigned>(mask.begin() + first, mask.end());
}

TEST_F(ItemSettings, LongDestFileShowsOnOneLineEndingInItsFileName)
{
    const std::string name = "\\結果表&1.txt";
    const std::string dest = "C:\\" + Repeat("d", 150) + name;
    ASSERT_TRUE(SetRows({ { "C:\\src\\a.txt", dest.c_str(), "ビット反転" } }));
    ASSERT_TRUE(Select({ 0 }));
    Run(0, [&](HWND dialog) {
        PostClick(dialog, IDCANCEL);  // once the pictures are taken
        HWND shown = GetDlgItem(dialog, IDC_ITEM_DESTFILE);
        EXPECT_EQ(WindowText(shown), dest);  // shortened only on the screen

        // The file name as a static of the same dialog draws it alone.
        RECT place = { 5, 130, 150, 8 };
        MapDialogRect(dialog, &place);
        HWND alone = CreateWindowExA(0, "STATIC", name.c_str(), WS_CHILD | WS_VISIBLE | SS_NOPREFIX,
                                     place.left, place.top, place.right, place.bottom, dialog,
                                     NULL, AppInstance, NULL);
        ASSERT_NE(alone, (HWND)NULL);
        SendMessageA(alone, WM_SETFONT, SendMessageA(shown, WM_GETFONT, 0, 0), TRUE);

        Screenshot line(shown);
        std::vector<unsigned> drawn = InkMask(line);
        std::vector<unsigned> nameOnly = InkMask(Screenshot(alone));
        DestroyWindow(alone);

        // One line filled to its end ("C:\dd" would stop far short)...
        ASSERT_FALSE(drawn.empty());
        EXPECT_GT((int)drawn.size(), line.Width() * 3 / 4);
        // ...that ends in the file name, drawn whole and with its '&'.
        ASSERT_FALSE(nameOnly.empty());
        ASSERT_GE(drawn.size(), nameOnly.size());
        EXPECT_TRUE(std::equal(nameOnly.begin(), nameOnly.end(),
                               drawn.end() - nameOnly.size()));
    });
}

}  // namespace
