// The type commands on the selected rows with the password prompt, and the
// overwrite question, answered from inside the process.
#include <windows.h>
#include <commctrl.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/mainwnd.h"
#include "convert/batch.h"
#include "dialogs/prompts.h"
#include "joblist/jobrow.h"
#include "joblist/listview.h"
#include "listtest.h"
#include "res/resource.h"
#include "support/settings.h"

namespace {

const std::string Word = "パスワード=";

// The defaults a row is added with.
struct RowDefaults {
    int type;
    std::string password;
};
const RowDefaults Invert = { ConvInvert, "" };
const RowDefaults Reverse = { ConvReverse, "" };
const RowDefaults NoConversion = { ConvNone, "" };
RowDefaults Password(const std::string& password)
{
    RowDefaults d = { ConvPassword, password };
    return d;
}

// What a password prompt showed when it opened.
struct Shown {
    std::string text;
    bool okEnabled;
    bool sameTicked;
};

class PasswordPromptTest : public JobListTest {
protected:
    void SetUp() override
    {
        JobListTest::SetUp();
        // As at the start of a run: nothing entered yet.
        LastPassword[0] = '\0';
        PasswordPromptText[0] = '\0';
        PasswordPrefill = 0;
        SamePasswordFlag = 0;
    }

    // Lists one file per entry, labelled as the defaults of the entry make
    // new rows. Returns the labels.
    Texts AddRows(const std::vector<RowDefaults>& rows)
    {
        for (size_t i = 0; i < rows.size(); ++i) {
            ItemDefaults.DefType = rows[i].type;
            strcpy(ItemDefaults.DefPass, rows[i].password.c_str());
            std::string file = MakeFile("f" + std::to_string(i) + ".txt");
            AddJobRow(JobListView, file.c_str(), -1);
        }
        ItemDefaults.DefType = ConvInvert;
        ItemDefaults.DefPass[0] = '\0';
        EXPECT_EQ(RowCount(), (int)rows.size());
        return Column(ColTypeLabel);
    }

    // Records the prompt, then types text (unless empty), ticks
    // "以降、同じパスワードにする" if asked, and confirms.
    DialogDriver::Action Confirm(const std::string& text, bool same = false)
    {
        return [this, text, same](HWND dialog) {
            Record(dialog);
            if (!text.empty())
                SetDlgItemTextA(dialog, IDC_PASS_EDIT, text.c_str());
            SetCheck(dialog, IDC_PASS_SAME, same);
            PostClick(dialog, IDOK);
        };
    }

    DialogDriver::Action Cancel()
    {
        return [this](HWND dialog) {
            Record(dialog);
            PostClick(dialog, IDCANCEL);
        };
    }

    void Record(HWND dialog)
    {
        Shown s = { ItemText(dialog, IDC_PASS_EDIT), IsEnabled(dialog, IDOK),
                    IsChecked(dialog, IDC_PASS_SAME) };
        shown_.push_back(s);
    }

    Texts ShownTexts() const
    {
        Texts texts;
        for (const Shown& s : shown_)
            texts.push_back(s.text);
        return texts;
    }

    std::vector<Shown> shown_;
};

TEST_F(PasswordPromptTest, FirstPromptStartsEmptyWithOkDisabledUntilSomethingIsTyped)
{
    AddRows({ Invert });
    Select({ 0 });
    std::vector<bool> okWhile;  // after typing, clearing, typing again
    DialogDriver driver;
    driver.Then(IDC_PASS_EDIT, [&](HWND dialog) {
        Record(dialog);
        SetDlgItemTextA(dialog, IDC_PASS_EDIT, "a");
        okWhile.push_back(IsEnabled(dialog, IDOK));
        SetDlgItemTextA(dialog, IDC_PASS_EDIT, "");
        okWhile.push_back(IsEnabled(dialog, IDOK));
        SetDlgItemTextA(dialog, IDC_PASS_EDIT, "typed");
        okWhile.push_back(IsEnabled(dialog, IDOK));
        PostClick(dialog, IDOK);
    });
    Command(IDM_ITEM_TYPEPASSWORD);

    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].text, "");
    EXPECT_FALSE(shown_[0].okEnabled);
    EXPECT_FALSE(shown_[0].sameTicked);
    EXPECT_EQ(okWhile, std::vector<bool>({ true, false, true }));
    EXPECT_EQ(Column(ColTypeLabel), Texts({ Word + "typed" }));
}

TEST_F(PasswordPromptTest, EditHolds32BytesAndOkKeepsWhatItShows)
{
    // The edit's own limit counts characters under Wine: double-byte
    // characters would make more than 32 bytes of it.
    AddRows({ Invert });
    for (const PasswordEntry& entry : PasswordEntries()) {
        SCOPED_TRACE(entry.what);
        Select({ 0 });
        std::string shown;
        DialogDriver driver;
        driver.Then(IDC_PASS_EDIT, [&](HWND dialog) {
            EnterPassword(GetDlgItem(dialog, IDC_PASS_EDIT), entry);
            shown = ItemText(dialog, IDC_PASS_EDIT);
            PostClick(dialog, IDOK);
        });
        Command(IDM_ITEM_TYPEPASSWORD);
        EXPECT_EQ(shown, entry.kept);
        EXPECT_EQ(Column(ColTypeLabel), Texts({ Word + entry.kept }));
    }
}

TEST_F(PasswordPromptTest, LaterPromptStartsWithTheTextConfirmedLast)
{
    AddRows({ Invert, Invert });
    Select({ 0 });
    {
        DialogDriver driver;
        driver.Then(IDC_PASS_EDIT, Confirm("first"));
        Command(IDM_ITEM_TYPEPASSWORD);
    }
    Select({ 1 });
    {
        DialogDriver driver;
        driver.Then(IDC_PASS_EDIT, Confirm(""));  // OK as it stands
        Command(IDM_ITEM_TYPEPASSWORD);
    }

    ASSERT_EQ(shown_.size(), 2u);
    EXPECT_EQ(shown_[1].text, "first");
    EXPECT_TRUE(shown_[1].okEnabled);
    EXPECT_EQ(Column(ColTypeLabel), Texts({ Word + "first", Word + "first" }));
}

TEST_F(PasswordPromptTest, PromptStartsFromTheRowsOwnPasswordAndKeepsItAfterCancel)
{
    AddRows({ Invert, Password("own"), Invert });
    Select({ 0 });
    {
        DialogDriver driver;
        driver.Then(IDC_PASS_EDIT, Confirm("earlier"));
        Command(IDM_ITEM_TYPEPASSWORD);
    }
    Select({ 1 });
    {
        DialogDriver driver;
        driver.Then(IDC_PASS_EDIT, Cancel());
        Command(IDM_ITEM_TYPEPASSWORD);
    }
    EXPECT_EQ(std::string(LastPassword), "own");
    EXPECT_EQ(std::string(PasswordPromptText), "own");

    // A row without a password now starts from the cancelled row's.
    Select({ 2 });
    {
        DialogDriver driver;
        driver.Then(IDC_PASS_EDIT, Cancel());
        Command(IDM_ITEM_TYPEPASSWORD);
    }

    EXPECT_EQ(ShownTexts(), Texts({ "", "own", "own" }));
    EXPECT_TRUE(shown_[1].okEnabled);
    EXPECT_EQ(Column(ColTypeLabel), Texts({ Word + "earlier", Word + "own", "ビット反転" }));
}

TEST_F(PasswordPromptTest, LongOwnPasswordIsCutForThePromptWithoutSplittingACharacter)
{
    std::string hyo16;
    for (int i = 0; i < 16; ++i)
        hyo16 += "表";
    struct {
        int line;
        std::string own;
        std::string shown;
    } cases[] = {
        { __LINE__, std::string(32, 'a'), std::string(32, 'a') },
        { __LINE__, std::string(33, 'b'), std::string(32, 'b') },
        { __LINE__, std::string(52, 'c'), std::string(32, 'c') },
        { __LINE__, hyo16, hyo16 },                                      // 32 bytes
        { __LINE__, std::string(31, 'd') + "表表", std::string(31, 'd') },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        ClearRows();
        shown_.clear();
        Texts labels = AddRows({ Password(c.own) });
        Select({ 0 });
        {
            DialogDriver driver;
            driver.Then(IDC_PASS_EDIT, Cancel());
            Command(IDM_ITEM_TYPEPASSWORD);
        }
        EXPECT_EQ(ShownTexts(), Texts({ c.shown }));
        EXPECT_EQ(std::string(LastPassword), c.own);
        EXPECT_EQ(std::string(PasswordPromptText), c.shown);
        EXPECT_EQ(Column(ColTypeLabel), labels);
    }
}

TEST_F(PasswordPromptTest, SamePasswordTickedAtTheFirstPromptServesTheOtherRows)
{
    AddRows({ Invert, Password("x"), Reverse });
    Select({ 0, 1, 2 });
    {
        DialogDriver driver;
        driver.Then(IDC_PASS_EDIT, Confirm("same", true));
        Command(IDM_ITEM_TYPEPASSWORD);
        EXPECT_EQ(driver.Done(), 1);
    }
    EXPECT_EQ(Column(ColTypeLabel), Texts({ Word + "same", Word + "same", Word + "same" }));

    // The choice lasted for that command only: the next one asks again.
    {
        DialogDriver driver;
        driver.Then(IDC_PASS_EDIT, Confirm("next", true));
        Command(IDM_ITEM_TYPEPASSWORD);
        EXPECT_EQ(driver.Done(), 1);
    }
    EXPECT_EQ(shown_.size(), 2u);
    EXPECT_FALSE(shown_[1].sameTicked);
    EXPECT_EQ(Column(ColTypeLabel), Texts({ Word + "next", Word + "next", Word + "next" }));
}

TEST_F(PasswordPromptTest, CancelAtEveryPromptKeepsEveryLabel)
{
    Texts labels = AddRows({ Invert, Password("x"), Reverse });
    Select({ 0, 1, 2 });
    {
        DialogDriver driver;
        driver.Then(IDC_PASS_EDIT, Cancel()).Then(IDC_PASS_EDIT, Cancel())
            .Then(IDC_PASS_EDIT, Cancel());
        Command(IDM_ITEM_TYPEPASSWORD);
    }
    EXPECT_EQ(ShownTexts(), Texts({ "", "x", "x" }));
    EXPECT_EQ(Column(ColTypeLabel), labels);
}

TEST_F(PasswordPromptTest, FixedTypesChangeEverySelectedRowWithoutPrompt)
{
    struct {
        int line;
        int command;
        std::string label;
    } cases[] = {
        { __LINE__, IDM_ITEM_TYPEINVERT, "ビット反転" },
        { __LINE__, IDM_ITEM_TYPEREVERSE, "リバース" },
        { __LINE__, IDM_ITEM_TYPENONE, "(not convert)" },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        ClearRows();
        Texts before = AddRows({ Password("x"), Reverse, NoConversion, Invert });
        Texts src = Column(ColSrcFile);
        Texts dest = Column(ColDestFile);
        Select({ 0, 1, 2 });
        {
            DialogDriver noPrompt(3000);  // fails the test if any dialog opens
            Command(c.command);
        }
        EXPECT_EQ(Column(ColTypeLabel), Texts({ c.label, c.label, c.label, before[3] }));
        EXPECT_EQ(Column(ColSrcFile), src);
        EXPECT_EQ(Column(ColDestFile), dest);
    }
}

// ---- Overwrite question ----

struct OverwriteShown {
    bool overwrite;
    bool keepDecision;
    bool dontOverwrite;
    std::string keepText;
};

class OverwritePromptTest : public MainWindowTest {
protected:
    // Records how the question opened, then sets it to overwrite or not
    // and the check box as given, and closes it with the button id.
    DialogDriver::Action Answer(bool overwrite, bool keep, int button)
    {
        return [this, overwrite, keep, button](HWND dialog) {
            Record(dialog);
            CheckRadioButton(dialog, IDC_OVER_YES, IDC_OVER_NO,
                             overwrite ? IDC_OVER_YES : IDC_OVER_NO);
            SetCheck(dialog, IDC_OVER_KEEP, keep);
            PostClick(dialog, button);
        };
    }

    void Record(HWND dialog)
    {
        OverwriteShown s = { IsChecked(dialog, IDC_OVER_YES), IsChecked(dialog, IDC_OVER_KEEP),
                             IsChecked(dialog, IDC_OVER_NO), ItemText(dialog, IDC_OVER_KEEP) };
        shown_.push_back(s);
    }

    // The question as a batch asks it: owned by the progress dialog.
    INT_PTR AskDuringBatch(DialogDriver::Action action)
    {
        ProgressWindow progress;
        DialogDriver driver;
        driver.Then(IDC_OVER_YES, action);
        return DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_OVERWRITE), progress.hwnd(),
                               OverwriteDlgProc, 0);
    }

    // The settings command 1034, owned by the main window.
    void AskFromSettings(DialogDriver::Action action)
    {
        DialogDriver driver;
        driver.Then(IDC_OVER_YES, action);
        SendMessageA(MainWindow, WM_COMMAND, IDM_SET_OVERWRITE, 0);
    }

    std::vector<OverwriteShown> shown_;
};

TEST_F(OverwritePromptTest, OpensFromTheDefaultPolicy)
{
    struct {
        int line;
        OverwritePolicy defPolicy;
        bool overwrite;
        bool keep;
    } cases[] = {
        { __LINE__, 0x00000000, false, false },
        { __LINE__, 0x00000001, true, false },
        { __LINE__, 0x00010000, false, true },
        { __LINE__, 0x00010001, true, true },
        { __LINE__, 0x00000005, true, false },
        // A high half other than 1 (a hand-edited settings file) leaves
        // the box unticked: a batch asks then, as the box says.
        { __LINE__, 0x00020000, false, false },
        { __LINE__, 0xFFFF0001, true, false },
        { __LINE__, 0x00030001, true, false },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        shown_.clear();
        ItemDefaults.DefPolicy = c.defPolicy;
        // An answer given earlier in a batch does not preset the question.
        BatchPolicy = ~c.defPolicy;
        AskFromSettings(Answer(false, false, IDCANCEL));
        ASSERT_EQ(shown_.size(), 1u);
        EXPECT_EQ(shown_[0].overwrite, c.overwrite);
        EXPECT_EQ(shown_[0].dontOverwrite, !c.overwrite);
        EXPECT_EQ(shown_[0].keepDecision, c.keep);
    }
}

TEST_F(OverwritePromptTest, CheckBoxTextDependsOnTheOwner)
{
    AskFromSettings(Answer(false, false, IDCANCEL));
    AskDuringBatch(Answer(false, false, IDCANCEL));
    ASSERT_EQ(shown_.size(), 2u);
    EXPECT_EQ(shown_[0].keepText, "その都度の確認なし(&A)");
    EXPECT_EQ(shown_[1].keepText, "以降同設定(&A)");
}

// OK during a batch answers for the batch only; OK from the settings
// command becomes the default policy and the batch's.
TEST_F(OverwritePromptTest, OkSetsThePolicyOfWhoAsked)
{
    struct {
        int line;
        bool fromSettings;
        OverwritePolicy defPolicy;
        bool overwrite;
        bool keep;
        OverwritePolicy answer;
    } cases[] = {
        { __LINE__, false, 0x00010001, false, false, 0x00000000 },
        { __LINE__, false, 0x00000000, true, false, 0x00000001 },
        { __LINE__, false, 0x00010001, false, true, 0x00010000 },
        { __LINE__, false, 0x00000000, true, true, 0x00010001 },
        { __LINE__, false, 0x00020000, false, true, 0x00010000 },
        { __LINE__, true, 0x00000000, true, true, 0x00010001 },
        { __LINE__, true, 0x00010001, false, false, 0x00000000 },
        { __LINE__, true, 0x00020001, true, false, 0x00000001 },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        ItemDefaults.DefPolicy = c.defPolicy;
        BatchPolicy = 0x12345678;
        if (c.fromSettings)
            AskFromSettings(Answer(c.overwrite, c.keep, IDOK));
        else
            EXPECT_EQ(AskDuringBatch(Answer(c.overwrite, c.keep, IDOK)), (INT_PTR)IDOK);
        EXPECT_EQ(BatchPolicy, c.answer);
        EXPECT_EQ(ItemDefaults.DefPolicy, c.fromSettings ? c.answer : c.defPolicy);
    }
}

TEST_F(OverwritePromptTest, CancelEscapeAndCloseBoxChangeNothing)
{
    struct {
        int line;
        const char* how;
        std::function<void(HWND)> close;
    } cases[] = {
        { __LINE__, "cancel button", [](HWND dialog) { PostClick(dialog, IDCANCEL); } },
        { __LINE__, "Escape", [](HWND) { PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0); } },
        { __LINE__, "close box",
          [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); } },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.how);
        auto changeThenClose = [&](HWND dialog) {
            CheckRadioButton(dialog, IDC_OVER_YES, IDC_OVER_NO, IDC_OVER_NO);
            SetCheck(dialog, IDC_OVER_KEEP, true);
            c.close(dialog);
        };
        ItemDefaults.DefPolicy = 0x00000001;
        BatchPolicy = 0x12345678;
        AskFromSettings(changeThenClose);
        EXPECT_EQ(ItemDefaults.DefPolicy, 0x00000001u);
        EXPECT_EQ(BatchPolicy, 0x12345678u);
        EXPECT_EQ(AskDuringBatch(changeThenClose), (INT_PTR)IDCANCEL);
        EXPECT_EQ(BatchPolicy, 0x12345678u);
    }
}

}  // namespace
