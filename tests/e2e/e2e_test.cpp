// The real program, started and driven from outside its process.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "appprocess.h"
#include "reference.h"
#include "res/resource.h"
#include "testutil.h"

namespace {

const unsigned Chunk = 262144;

struct Source {
    std::string name;
    std::string path;
    Bytes data;
};

std::vector<Source> MakeSources(const std::string& dir, const std::vector<size_t>& sizes)
{
    std::vector<Source> sources;
    for (size_t i = 0; i < sizes.size(); ++i) {
        std::string name = "file" + std::to_string(i) + (i == 1 ? "予定表.dat" : ".dat");
        Source s = { name, dir + "\\" + name, RandomBytes(sizes[i], (unsigned)(i + 100)) };
        EXPECT_TRUE(WriteBytes(s.path, s.data));
        sources.push_back(s);
    }
    return sources;
}

std::vector<std::string> Paths(const std::vector<Source>& sources)
{
    std::vector<std::string> paths;
    for (const Source& s : sources)
        paths.push_back(s.path);
    return paths;
}


size_t CountOf(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TEST(EndToEnd, EveryTypeInPlaceAndBackAgain)
{
    struct {
        int line;
        int type;
        std::string password;
        std::string label;
    } cases[] = {
        { __LINE__, 0, "", "ビット反転" },
        { __LINE__, 1, "", "リバース" },
        { __LINE__, 2, "秘密のpass", "パスワード=秘密のpass" },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        std::string dir = TestDir(std::to_string(c.type));
        std::vector<Source> sources = MakeSources(dir, { 1, Chunk + 1, 3 * Chunk - 5 });
        // In place the output always exists: overwrite without asking.
        AppProcess app(dir, ItemSettings("", c.type, c.password, 1, 1));
        ASSERT_TRUE(app.Start(Paths(sources)));
        EXPECT_EQ(app.RowCount(), 3);
        app.Command(IDM_ITEM_CONVERTALL);
        EXPECT_EQ(app.RowCount(), 0);
        for (const Source& s : sources)
            EXPECT_EQ(ReadBytes(s.path), ReferenceConversion(c.type, c.password, s.data)) << s.path;
        EXPECT_FALSE(FileExists(dir + "\\_Mirtavolen.tmp"));
        EXPECT_EQ(app.Close(), 0);

        AppProcess again(dir, "");
        ASSERT_TRUE(again.Start(Paths(sources)));
        again.Command(IDM_ITEM_CONVERTALL);
        EXPECT_EQ(again.Close(), 0);
        for (const Source& s : sources)
            EXPECT_EQ(ReadBytes(s.path), s.data) << s.path;

        std::string log = ReadText(app.LogPath());
        EXPECT_EQ(CountOf(log, "Type     = " + c.label + "\n"), 6u);
        EXPECT_EQ(CountOf(log, "Failed!"), 0u);
    }
}

TEST(EndToEnd, IntoAnotherDirectoryAndBack)
{
    std::string dir = TestDir();
    std::vector<Source> sources = MakeSources(dir, { 1000, 2 * Chunk });
    std::string out = dir + "\\出力\\深い\\場所";
    std::string back = dir + "\\back";
    {
        AppProcess app(dir, ItemSettings(out, 2, "pw", 0, 0));
        ASSERT_TRUE(app.Start(Paths(sources)));
        app.Command(IDM_ITEM_CONVERTALL);
        EXPECT_EQ(app.RowCount(), 0);
        EXPECT_EQ(app.Close(), 0);
    }
    std::vector<std::string> converted;
    for (const Source& s : sources) {
        EXPECT_EQ(ReadBytes(s.path), s.data);  // the sources stay
        EXPECT_EQ(ReadBytes(out + "\\" + s.name), ReferencePassword("pw", s.data));
        converted.push_back(out + "\\" + s.name);
    }
    {
        AppProcess app(dir, ItemSettings(back, 2, "pw", 0, 0));
        ASSERT_TRUE(app.Start(converted));
        app.Command(IDM_ITEM_CONVERTALL);
        EXPECT_EQ(app.Close(), 0);
    }
    for (const Source& s : sources)
        EXPECT_EQ(ReadBytes(back + "\\" + s.name), s.data);
}

TEST(EndToEnd, OverwriteQuestionAnsweredFromOutside)
{
    std::string dir = TestDir();
    std::vector<Source> sources = MakeSources(dir, { 500, 600, 700 });
    AppProcess app(dir, ItemSettings("", 0, "", 0, 0));
    ASSERT_TRUE(app.Start(Paths(sources)));
    std::vector<std::string> asked;
    int question = 0;
    app.Command(IDM_ITEM_CONVERTALL, [&](HWND dialog, const std::string& caption) {
        asked.push_back(caption);
        ++question;
        if (question == 1) {
            // Do not overwrite this one (preselected by the default).
            ClickInOtherProcess(dialog, IDOK);
        } else {
            // Overwrite, and the same for the rest of the batch.
            ClickInOtherProcess(dialog, IDC_OVER_YES);
            ClickInOtherProcess(dialog, IDC_OVER_KEEP);
            ClickInOtherProcess(dialog, IDOK);
        }
    });
    EXPECT_EQ(asked, (std::vector<std::string>{ "上書き確認", "上書き確認" }));
    EXPECT_EQ(app.RowCount(), 1);
    EXPECT_EQ(ReadBytes(sources[0].path), sources[0].data);
    EXPECT_EQ(ReadBytes(sources[1].path), ReferenceInvert(sources[1].data));
    EXPECT_EQ(ReadBytes(sources[2].path), ReferenceInvert(sources[2].data));

    // Cancel stops the batch with nothing converted.
    app.Command(IDM_ITEM_CONVERTALL,
                [&](HWND dialog, const std::string&) { ClickInOtherProcess(dialog, IDCANCEL); });
    EXPECT_EQ(app.RowCount(), 1);
    EXPECT_EQ(ReadBytes(sources[0].path), sources[0].data);
    EXPECT_EQ(app.Close(), 0);
    EXPECT_EQ(CountOf(ReadText(app.LogPath()), "\n\n"), 2u);
}

TEST(EndToEnd, SettingsFileIsWrittenOnClose)
{
    std::string dir = TestDir();
    AppProcess app(dir, ItemSettings("D:\\x", 1, "", 1, 0));
    ASSERT_TRUE(app.Start({}));
    HWND main = app.MainWindow();
    MoveWindow(main, 130, 90, 700, 400, TRUE);
    // The overwrite settings from the menu: confirm "overwrite" with the
    // no-confirmation box; the default changes and is saved.
    app.Command(IDM_SET_OVERWRITE, [](HWND dialog, const std::string& caption) {
        EXPECT_EQ(caption, "上書き確認");
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_OVER_KEEP)), "その都度の確認なし(&A)");
        ClickInOtherProcess(dialog, IDC_OVER_KEEP);
        ClickInOtherProcess(dialog, IDOK);
    });
    EXPECT_EQ(app.Close(), 0);

    const std::string user = UserName();
    std::string ini = app.IniPath();
    auto key = [&](const char* section, const char* name) {
        char value[300];
        GetPrivateProfileStringA((user + "/" + section).c_str(), name, "?", value,
                                 sizeof value, ini.c_str());
        return std::string(value);
    };
    EXPECT_EQ(key("Main", "WindowPosLeft"), "130");
    EXPECT_EQ(key("Main", "WindowPosTop"), "90");
    EXPECT_EQ(key("Main", "WindowWidth"), "700");
    EXPECT_EQ(key("Main", "WindowHeight"), "400");
    EXPECT_EQ(key("Main", "Maximized"), "0");
    EXPECT_EQ(key("ListView", "ColWidth3"), "116");
    EXPECT_EQ(key("Item", "DefDir"), "D:\\x");
    EXPECT_EQ(key("Item", "DefType"), "1");
    EXPECT_EQ(key("Item", "DefOverWrite"), "1");
    EXPECT_EQ(key("Item", "DefNoConfirm"), "1");
}

// Waits until the program shows a dialog with this caption; false after
// ten seconds.
bool WaitForDialog(const AppProcess& app, const std::string& wanted)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(5)) {
        std::string caption;
        if (app.FindDialog(&caption) != NULL && caption == wanted)
            return true;
    }
    return false;
}

TEST(EndToEnd, CloseRequestDuringABatchStopsItAndEndsTheProgram)
{
    // "End task" or a shutdown asks the main window to close while the
    // progress dialog, or the overwrite question over it, is open.
    struct {
        int line;
        int noConfirm;        // 0: the question is asked for the in-place row
        const char* waitFor;  // the dialog open when the request comes
        bool endSession;      // the session ends instead: the system ends the process
    } cases[] = {
        { __LINE__, 1, "Mirtavolen", false },
        { __LINE__, 0, "上書き確認", false },
        { __LINE__, 1, "Mirtavolen", true },
        { __LINE__, 0, "上書き確認", true },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        std::string dir = TestDir(std::to_string(c.line));
        std::vector<Source> sources = MakeSources(dir, { 96u << 20, 1000 });
        AppProcess app(dir, ItemSettings("", 0, "", 1, c.noConfirm));
        ASSERT_TRUE(app.Start(Paths(sources)));
        ASSERT_TRUE(app.PostCommand(IDM_ITEM_CONVERTALL));
        ASSERT_TRUE(WaitForDialog(app, c.waitFor));
        if (c.noConfirm) {
            // the first file is being converted
            for (DWORD start = GetTickCount();
                 !FileExists(dir + "\\_Mirtavolen.tmp") && GetTickCount() - start < 10000;)
                Sleep(1);
        }

        if (c.endSession) {
            DWORD_PTR answer = 0;
            ASSERT_TRUE(SendMessageTimeoutA(app.MainWindow(), WM_QUERYENDSESSION, 0, 0,
                                            SMTO_NORMAL, 10000, &answer));
            EXPECT_EQ(answer, (DWORD_PTR)TRUE);
            ASSERT_TRUE(SendMessageTimeoutA(app.MainWindow(), WM_ENDSESSION, TRUE, 0,
                                            SMTO_NORMAL, 10000, &answer));
            // saved before the system ends the process; here it lives on
            EXPECT_NE(ReadText(app.IniPath()).find("/Main]"), std::string::npos);
            EXPECT_EQ(app.Close(), 0) << "the program did not end";
        } else {
            EXPECT_EQ(app.Close(), 0) << "the program did not end";
        }

        // The batch stopped: no row after the first one was converted, and
        // the first is whole, old or new.
        EXPECT_EQ(ReadBytes(sources[1].path), sources[1].data);
        Bytes first = ReadBytes(sources[0].path);
        EXPECT_TRUE(first == sources[0].data || first == ReferenceInvert(sources[0].data));
        // Nothing but the settings and, for the stopped file, the log is new.
        std::vector<std::string> names = { "Mirtavolen.exe", "Mirtavolen.ini", sources[0].name,
                                           sources[1].name };
        if (c.noConfirm)
            names.insert(names.begin() + 2, "Mirtavolen.log");
        EXPECT_EQ(ListDir(dir), names);
        if (c.noConfirm) {
            std::string log = ReadText(app.LogPath());
            EXPECT_EQ(CountOf(log, "\n\n"), 1u) << log;
            EXPECT_EQ(CountOf(log, "Failed!") == 1, first == sources[0].data) << log;
        }
        std::string ini = ReadText(app.IniPath());
        EXPECT_NE(ini.find("/Main]"), std::string::npos) << "settings were not saved: " << ini;
        EXPECT_NE(ini.find("/ListView]"), std::string::npos);
    }
}

TEST(EndToEnd, CloseRequestWhileADialogIsOpenEndsTheProgram)
{
    // The request cancels the dialog, nothing of it is applied, no further
    // dialog opens, and the program saves its settings and ends.
    struct {
        int line;
        UINT command;
        const char* caption;  // of the dialog open when the request comes
    } cases[] = {
        { __LINE__, IDM_ITEM_TYPEPASSWORD, "パスワード" },  // two rows: asked twice
        { __LINE__, IDM_ITEM_SETTINGS, "アイテム設定" },
        { __LINE__, IDM_SET_DEFAULTS, "デフォルト設定" },
        { __LINE__, IDM_SET_OVERWRITE, "上書き確認" },
        { __LINE__, IDM_HELP_ABOUT, "" },
        { __LINE__, IDM_FILE_ADD, "開く" },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        std::string dir = TestDir(std::to_string(c.line));
        std::vector<Source> sources = MakeSources(dir, { 10, 20 });
        AppProcess app(dir, ItemSettings("", 0, "", 0, 0));
        ASSERT_TRUE(app.Start(Paths(sources)));
        app.Command(IDM_ITEM_SELECTALL);
        ASSERT_TRUE(app.PostCommand(c.command));
        ASSERT_TRUE(WaitForDialog(app, c.caption));
        EXPECT_EQ(app.Close(), 0) << "the program did not end";
        std::string ini = ReadText(app.IniPath());
        EXPECT_NE(ini.find("/Main]"), std::string::npos) << "settings were not saved: " << ini;
        EXPECT_NE(ini.find("DefNoConfirm=0"), std::string::npos) << ini;
        for (const Source& s : sources)
            EXPECT_EQ(ReadBytes(s.path), s.data);
    }
}

TEST(EndToEnd, TwoInstancesKeepEachOthersSettingsAndLogEntries)
{
    // Other users' sections of a shared settings file, the entries of two
    // instances converting at the same time into one log, and their
    // temporary files in one folder.
    std::string dir = TestDir();
    std::string others;
    for (int user = 0; user < 40; ++user) {
        std::string name = "user" + std::to_string(user);
        others += "[" + name + "/Main]\r\nWindowPosLeft=" + std::to_string(user) + "\r\n[" + name +
                  "/Item]\r\nDefDir=C:\\d" + std::to_string(user) + "\r\nDefPass=p\r\n";
    }
    const int Rows = 15;
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        WriteText(dir + "\\Mirtavolen.ini", others + ItemSettings("", 0, "", 1, 1));
        DeleteFileA((dir + "\\Mirtavolen.log").c_str());
        // Both convert in place in one folder, each through temporary files
        // of its own.
        std::string folder = dir + "\\in";
        RemoveTree(folder);
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
        std::vector<std::string> files[2];
        std::vector<Bytes> datas[2];
        for (int i = 0; i < 2; ++i) {
            for (int row = 0; row < Rows; ++row) {
                files[i].push_back(folder + "\\" + std::to_string(i) + "_" + std::to_string(row));
                datas[i].push_back(RandomBytes(400000 + row, (unsigned)(i * 100 + row)));
                ASSERT_TRUE(WriteBytes(files[i].back(), datas[i].back()));
            }
        }
        AppProcess first(dir, "");
        AppProcess second(dir, "");
        ASSERT_TRUE(first.Start(files[0]));
        ASSERT_TRUE(second.Start(files[1]));
        for (AppProcess* app : { &first, &second })
            app->PostCommand(IDM_ITEM_CONVERTALL);
        for (DWORD start = GetTickCount();
             (first.RowCount() != 0 || second.RowCount() != 0) && GetTickCount() - start < 20000;)
            Sleep(10);
        EXPECT_EQ(first.RowCount() + second.RowCount(), 0);
        // both close at the same moment
        PostMessageA(first.MainWindow(), WM_CLOSE, 0, 0);
        EXPECT_EQ(second.Close(), 0);
        EXPECT_EQ(first.Close(), 0);

        EXPECT_EQ(LogEntriesOf(dir + "\\Mirtavolen.log").size(), (size_t)(2 * Rows));
        for (int i = 0; i < 2; ++i) {
            for (int row = 0; row < Rows; ++row)
                EXPECT_TRUE(ReadBytes(files[i][row]) == ReferenceInvert(datas[i][row])) << files[i][row];
        }
        EXPECT_EQ(ListDir(folder).size(), (size_t)(2 * Rows)) << "a temporary file was left";
        std::string ini = ReadText(dir + "\\Mirtavolen.ini");
        for (int user = 0; user < 40; ++user) {
            std::string name = "user" + std::to_string(user);
            char value[64];
            GetPrivateProfileStringA((name + "/Item").c_str(), "DefDir", "lost", value,
                                     sizeof value, (dir + "\\Mirtavolen.ini").c_str());
            EXPECT_EQ(std::string(value), "C:\\d" + std::to_string(user)) << name;
        }
        EXPECT_NE(ini.find("/ListView]"), std::string::npos);
    }
}

TEST(EndToEnd, ABatchNeverWritesOverItsOwnInputsOrOutputs)
{
    // Every row goes into the folder "out" and is replaced without asking.
    struct {
        int line;
        std::vector<std::string> files;  // on the command line, in order
        std::vector<bool> converted;     // each row's outcome
    } cases[] = {
        // out\a.txt is the first row's DestFile and the second row's source
        { __LINE__, { "d1\\a.txt", "out\\a.txt" }, { false, true } },
        // two rows, one DestFile
        { __LINE__, { "d1\\a.txt", "d2\\a.txt" }, { true, false } },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        std::string dir = TestDir(std::to_string(c.line));
        std::vector<std::string> paths;
        std::vector<Bytes> datas;
        for (size_t i = 0; i < c.files.size(); ++i) {
            paths.push_back(dir + "\\" + c.files[i]);
            datas.push_back(RandomBytes(3000 + i, (unsigned)i + 7));
            ASSERT_TRUE(MakeDirectories(paths.back().substr(0, paths.back().find_last_of('\\'))));
            ASSERT_TRUE(WriteBytes(paths.back(), datas.back()));
        }
        AppProcess app(dir, ItemSettings(dir + "\\out", 0, "", 1, 1));
        ASSERT_TRUE(app.Start(paths));
        app.Command(IDM_ITEM_CONVERTALL);
        std::vector<std::string> entries = LogEntriesOf(app.LogPath());
        ASSERT_EQ(entries.size(), c.files.size());
        for (size_t i = 0; i < c.files.size(); ++i) {
            EXPECT_EQ(entries[i].find("Failed!") == std::string::npos, c.converted[i]) << i;
            std::string out = dir + "\\out\\" + c.files[i].substr(c.files[i].find('\\') + 1);
            if (c.converted[i]) {
                EXPECT_EQ(ReadBytes(out), ReferenceInvert(datas[i])) << i;
            }
            if (paths[i] != out) {
                EXPECT_EQ(ReadBytes(paths[i]), datas[i]) << "a source was changed: " << i;
            }
        }
        EXPECT_EQ(app.RowCount(), 1);
        EXPECT_EQ(app.Close(), 0);
    }
}

TEST(EndToEnd, SelectAllAndDeleteEmptyTheListAndLeaveTheFiles)
{
    // The calls the benchmark times: a start until every row shows, menu
    // commands sent and answered.
    std::string dir = TestDir();
    std::vector<Source> sources = MakeSources(dir, { 10, 20, 30 });
    AppProcess app(dir, "");
    ASSERT_TRUE(app.Launch(Paths(sources)));
    ASSERT_TRUE(app.WaitForRows(3, 20000));
    EXPECT_TRUE(app.SendCommand(IDM_ITEM_SELECTALL, 20000));
    EXPECT_TRUE(app.SendCommand(IDM_FILE_DELETE, 20000));
    EXPECT_EQ(app.RowCount(), 0);
    EXPECT_EQ(app.Close(), 0);
    for (const Source& s : sources)
        EXPECT_EQ(ReadBytes(s.path), s.data) << s.path;
}

TEST(EndToEnd, FoldersAndMissingFilesOnTheCommandLineAreNotAdded)
{
    std::string dir = TestDir();
    std::vector<Source> sources = MakeSources(dir, { 10 });
    AppProcess app(dir, "");
    ASSERT_TRUE(app.Start({ dir, dir + "\\missing.txt", sources[0].path, sources[0].path }));
    EXPECT_EQ(app.RowCount(), 1);
    EXPECT_EQ(app.Close(), 0);
}

// Names that code page 932 cannot hold, on the command line in UTF-16 as
// the shell gives them. Each converts its own file, reached by its short
// name, or nothing: never the look-alike that the system's best-fit table
// makes of the name (é → e, Å → A, U+00A5 → a backslash), which stands
// beside it here.
TEST(EndToEnd, NamesOutsideTheCodePageConvertTheirOwnFileOrNothing)
{
    std::string dir = TestDir();
    std::string out = dir + "\\out";
    const std::vector<std::string> lookAlikes = { "cafe.txt", "Aland.txt", "a\\b.txt" };
    ASSERT_TRUE(CreateDirectoryA((dir + "\\a").c_str(), NULL));
    for (const std::string& name : lookAlikes)
        ASSERT_TRUE(WriteText(dir + "\\" + name, name));

    struct {
        int line;
        std::wstring name;
        bool exists;
        bool byShortName;
    } cases[] = {
        { __LINE__, L"caf\u00e9.txt", true, true },
        { __LINE__, L"caf\u00eb.txt", false, false },
        { __LINE__, L"\u00c5land.txt", true, true },
        { __LINE__, L"a\u00a5b.txt", true, true },
        { __LINE__, L"\ud55c\uad6d\uc5b4.txt", true, true },
        { __LINE__, L"予定表.txt", true, false },
    };
    std::vector<std::wstring> args;
    for (auto& c : cases) {
        args.push_back(Wide(dir) + L"\\" + c.name);
        if (c.exists) {
            ASSERT_TRUE(WriteTextW(args.back(), "line " + std::to_string(c.line)));
        }
    }

    AppProcess app(dir, ItemSettings(out, 0, "", 1, 1));
    ASSERT_TRUE(app.StartWide(args));
    app.Command(IDM_ITEM_CONVERTALL);
    EXPECT_EQ(app.RowCount(), 0);
    EXPECT_EQ(app.Close(), 0);

    std::vector<std::string> outputs;
    for (size_t i = 0; i < args.size(); ++i) {
        SCOPED_TRACE(cases[i].line);
        if (!cases[i].exists)
            continue;
        std::string name = ShortPath(args[i]);
        name = cases[i].byShortName ? name.substr(name.rfind('\\') + 1) : "予定表.txt";
        outputs.push_back(name);
        std::string text = "line " + std::to_string(cases[i].line);
        EXPECT_EQ(ReadBytes(out + "\\" + name), ReferenceInvert(Bytes(text.begin(), text.end())));
        EXPECT_EQ(ReadBytes(ShortPath(args[i])), Bytes(text.begin(), text.end()));
    }
    std::sort(outputs.begin(), outputs.end());
    EXPECT_EQ(ListDir(out), outputs);
    for (const std::string& name : lookAlikes)
        EXPECT_EQ(ReadText(dir + "\\" + name), name);
    EXPECT_EQ(CountOf(ReadText(app.LogPath()), "Failed!"), 0u);
}

}  // namespace
