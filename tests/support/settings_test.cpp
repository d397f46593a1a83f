#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/mainwnd.h"
#include "appfixture.h"
#include "joblist/listview.h"
#include "support/settings.h"
#include "taskbar.h"
#include "testutil.h"

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetSettings();
        DeleteFileA(SettingsFile().c_str());
        user_ = UserName();
    }
    void TearDown() override
    {
        CloseMainWindowIfOpen();
        DeleteFileA(SettingsFile().c_str());
    }
    // Opens the main window from AppSettings and closes it again, which
    // saves; returns the file.
    std::string SaveThroughWindow(int showCommand = SW_SHOWNORMAL)
    {
        EXPECT_NE(OpenMainWindow(showCommand), (HWND)NULL);
        CloseMainWindowIfOpen();
        return ReadText(SettingsFile());
    }
    std::string Key(const std::string& section, const char* key)
    {
        char value[1024];
        GetPrivateProfileStringA((user_ + "/" + section).c_str(), key, "<missing>", value,
                                 sizeof value, SettingsFile().c_str());
        return value;
    }
    std::string user_;
};

TEST_F(SettingsTest, FirstSaveWritesTheSixteenLinesInOrder)
{
    AppSettings.WindowPosLeft = 120;
    AppSettings.WindowPosTop = 80;
    std::string expected =
        "[" + user_ + "/Main]\r\n"
        "WindowPosLeft=120\r\n"
        "WindowPosTop=80\r\n"
        "WindowWidth=640\r\n"
        "WindowHeight=320\r\n"
        "Maximized=0\r\n"
        "[" + user_ + "/ListView]\r\n"
        "ColWidth1=256\r\n"
        "ColWidth2=256\r\n"
        "ColWidth3=116\r\n"
        "[" + user_ + "/Item]\r\n"
        "DefDir=\r\n"
        "DefType=0\r\n"
        "DefPass=\r\n"
        "DefOverWrite=0\r\n"
        "DefNoConfirm=0\r\n";
    std::string text = SaveThroughWindow();
    // The profile service may separate sections with an empty line.
    std::string compact;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos)
            end = text.size();
        if (end > at)
            compact += text.substr(at, end - at) + "\r\n";
        at = end + 2;
    }
    EXPECT_EQ(compact, expected);
}

TEST_F(SettingsTest, ReloadRoundTripsEveryField)
{
    AppSettings.WindowPosLeft = 33;
    AppSettings.WindowPosTop = 44;
    AppSettings.WindowWidth = 700;
    AppSettings.WindowHeight = 450;
    AppSettings.ColWidth1 = 101;
    AppSettings.ColWidth2 = 202;
    AppSettings.ColWidth3 = 77;
    lstrcpyA(ItemDefaults.DefDir, "C:\\出力\\予定表");
    ItemDefaults.DefType = ConvPassword;
    lstrcpyA(ItemDefaults.DefPass, "パス=ソ1");
    ItemDefaults.DefPolicy = MakeOverwritePolicy(1, 1);
    SaveThroughWindow();

    ResetSettings();
    LoadSettings();
    EXPECT_EQ(AppSettings.WindowPosLeft, 33);
    EXPECT_EQ(AppSettings.WindowPosTop, 44);
    EXPECT_EQ(AppSettings.WindowWidth, 700);
    EXPECT_EQ(AppSettings.WindowHeight, 450);
    EXPECT_EQ(AppSettings.Maximized, 0);
    EXPECT_EQ(AppSettings.ColWidth1, 101);
    EXPECT_EQ(AppSettings.ColWidth2, 202);
    EXPECT_EQ(AppSettings.ColWidth3, 77);
    EXPECT_STREQ(ItemDefaults.DefDir, "C:\\出力\\予定表");
    EXPECT_EQ(ItemDefaults.DefType, ConvPassword);
    EXPECT_STREQ(ItemDefaults.DefPass, "パス=ソ1");
    EXPECT_EQ(ItemDefaults.DefPolicy, 0x00010001u);
}

TEST_F(SettingsTest, TextsComeBackExactlyWhateverTheirEnds)
{
    // The profile reader strips blanks and one enclosing pair of quotes;
    // such values are saved quoted, every other value as it is.
    struct {
        int line;
        const char* value;
        const char* written;  // the line in the file after "Key="
    } cases[] = {
        { __LINE__, "\"secret\"", "\"\"secret\"\"" },
        { __LINE__, " secret ", "\" secret \"" },
        { __LINE__, "secret ", "\"secret \"" },
        { __LINE__, "\tpw", "\"\tpw\"" },
        { __LINE__, "'pw'", "\"'pw'\"" },
        { __LINE__, "\"", "\"\"\"" },
        { __LINE__, "a\"b", "a\"b" },
        { __LINE__, "パス ワード", "パス ワード" },
        { __LINE__, "　全角", "　全角" },
        { __LINE__, "", "" },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        ResetSettings();
        lstrcpyA(ItemDefaults.DefPass, c.value);
        lstrcpyA(ItemDefaults.DefDir, c.value);
        std::string text = SaveThroughWindow();
        EXPECT_NE(text.find(std::string("\r\nDefPass=") + c.written + "\r\n"), std::string::npos)
            << text;
        ResetSettings();
        LoadSettings();
        EXPECT_STREQ(ItemDefaults.DefPass, c.value);
        EXPECT_STREQ(ItemDefaults.DefDir, c.value);
        DeleteFileA(SettingsFile().c_str());
    }
}

TEST_F(SettingsTest, MissingFileSectionOrKeyGivesDefaults)
{
    LoadSettings();  // no file at all
    EXPECT_EQ(AppSettings.WindowPosLeft, (int)CW_USEDEFAULT);
    EXPECT_EQ(AppSettings.WindowPosTop, (int)CW_USEDEFAULT);
    EXPECT_EQ(AppSettings.WindowWidth, 640);
    EXPECT_EQ(AppSettings.WindowHeight, 320);
    EXPECT_EQ(AppSettings.ColWidth3, 116);
    EXPECT_EQ(ItemDefaults.DefType, 0);
    EXPECT_EQ(ItemDefaults.DefPolicy, 0u);

    // Only some keys of one section, and another user's sections.
    WriteText(SettingsFile(), "[" + user_ + "/Main]\r\nWindowWidth=800\r\n"
                              "[someone/Item]\r\nDefType=2\r\nDefPass=x\r\n");
    LoadSettings();
    EXPECT_EQ(AppSettings.WindowWidth, 800);
    EXPECT_EQ(AppSettings.WindowHeight, 320);
    EXPECT_EQ(AppSettings.ColWidth1, 256);
    EXPECT_EQ(ItemDefaults.DefType, 0);
    EXPECT_STREQ(ItemDefaults.DefPass, "");
}

TEST_F(SettingsTest, PolicyKeysKeepOnlyTheirLowHalvesAndSaveAsFlags)
{
    struct {
        int line;
        const char* overwrite;
        const char* noConfirm;
        unsigned policy;
        const char* savedOverwrite;
        const char* savedNoConfirm;
    } cases[] = {
        { __LINE__, "1", "1", 0x00010001u, "1", "1" },
        // Asks, as the overwrite dialog's box shows: saved as asking.
        { __LINE__, "0", "2", 0x00020000u, "0", "0" },
        { __LINE__, "65536", "0", 0x00000000u, "0", "0" },
        { __LINE__, "7", "65537", 0x00010007u, "1", "1" },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        ResetSettings();
        WriteText(SettingsFile(), "[" + user_ + "/Item]\r\nDefOverWrite=" + c.overwrite +
                                      "\r\nDefNoConfirm=" + c.noConfirm + "\r\n");
        LoadSettings();
        EXPECT_EQ(ItemDefaults.DefPolicy, c.policy);
        SaveThroughWindow();
        EXPECT_EQ(Key("Item", "DefOverWrite"), c.savedOverwrite);
        EXPECT_EQ(Key("Item", "DefNoConfirm"), c.savedNoConfirm);
    }
}

TEST_F(SettingsTest, OtherUsersSectionsAreLeftAlone)
{
    std::string other = "[other/Main]\r\nWindowPosLeft=5\r\n[other/Item]\r\nDefDir=D:\\x\r\n";
    WriteText(SettingsFile(), other);
    SaveThroughWindow();
    char value[64];
    GetPrivateProfileStringA("other/Item", "DefDir", "", value, sizeof value,
                             SettingsFile().c_str());
    EXPECT_STREQ(value, "D:\\x");
    EXPECT_EQ(GetPrivateProfileIntA("other/Main", "WindowPosLeft", 0, SettingsFile().c_str()), 5u);
    EXPECT_EQ(Key("Item", "DefType"), "0");
    EXPECT_EQ(ReadText(SettingsFile()).find(other), 0u);
}

TEST_F(SettingsTest, NegativeCoordinatesAreWrittenWithAMinusSign)
{
    AppSettings.WindowPosLeft = -50;
    AppSettings.WindowPosTop = -30;
    SaveThroughWindow();
    EXPECT_EQ(Key("Main", "WindowPosLeft"), "-50");
    EXPECT_EQ(Key("Main", "WindowPosTop"), "-30");
    LoadSettings();
    EXPECT_EQ(AppSettings.WindowPosLeft, -50);
}

TEST_F(SettingsTest, TaskbarOnTopOrLeftShiftsTheSavedPosition)
{
    struct {
        int line;
        int x, y, w, h;
        const char* left;
        const char* top;
    } cases[] = {
        { __LINE__, 0, 0, 1280, 30, "120", "110" },     // top: add its bottom
        { __LINE__, 0, 0, 60, 1024, "180", "80" },      // left: add its right
        { __LINE__, 0, 994, 1280, 30, "120", "80" },    // bottom: no change
        { __LINE__, 1220, 0, 60, 1024, "120", "80" },   // right: no change
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        TaskbarWindow bar(c.x, c.y, c.w, c.h);
        ASSERT_NE(bar.hwnd(), (HWND)NULL);
        AppSettings.WindowPosLeft = 120;
        AppSettings.WindowPosTop = 80;
        SaveThroughWindow();
        EXPECT_EQ(Key("Main", "WindowPosLeft"), c.left);
        EXPECT_EQ(Key("Main", "WindowPosTop"), c.top);
    }
}

TEST_F(SettingsTest, MaximizedWindowSavesItsRestoredRectangle)
{
    AppSettings.WindowPosLeft = 40;
    AppSettings.WindowPosTop = 50;
    AppSettings.Maximized = 1;
    HWND window = OpenMainWindow(SW_SHOWNORMAL);
    ASSERT_NE(window, (HWND)NULL);
    EXPECT_TRUE(IsZoomed(window));  // the setting wins over the starter's wish
    CloseMainWindowIfOpen();
    EXPECT_EQ(Key("Main", "Maximized"), "1");
    EXPECT_EQ(Key("Main", "WindowPosLeft"), "40");
    EXPECT_EQ(Key("Main", "WindowWidth"), "640");
}

TEST_F(SettingsTest, OverlongTextsAreCutToTheirFields)
{
    std::string dir = "C:\\" + std::string(400, 'd');
    std::string pass(200, 'p');
    WriteText(SettingsFile(), "[" + user_ + "/Item]\r\nDefDir=" + dir + "\r\nDefPass=" + pass +
                                  "\r\nDefType=-7\r\n[" + user_ + "/ListView]\r\nColWidth1=-20\r\n");
    LoadSettings();
    EXPECT_EQ(std::string(ItemDefaults.DefDir), dir.substr(0, 259));
    EXPECT_EQ(std::string(ItemDefaults.DefPass), pass.substr(0, 63));
    EXPECT_EQ(ItemDefaults.DefType, -7);  // used as read
    EXPECT_EQ(AppSettings.ColWidth1, -20);
}

// The file's last write time, or zero when it cannot be had.
ULONGLONG LastWriteTime(const std::string& file)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return ((ULONGLONG)data.ftLastWriteTime.dwHighDateTime << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

// Writes the settings in memory into file one key at a time through the
// profile functions, in the file's order, as saves used to: the bytes a
// save must leave. (Texts without blanks or quotes at their ends.)
void WriteKeyByKey(const std::string& user, const std::string& file)
{
    const AppSettingsData& a = AppSettings;
    const ItemDefaultsData& d = ItemDefaults;
    const struct {
        const char* section;
        const char* key;
        std::string value;
    } keys[] = {
        { "Main", "WindowPosLeft", std::to_string(a.WindowPosLeft) },
        { "Main", "WindowPosTop", std::to_string(a.WindowPosTop) },
        { "Main", "WindowWidth", std::to_string(a.WindowWidth) },
        { "Main", "WindowHeight", std::to_string(a.WindowHeight) },
        { "Main", "Maximized", std::to_string(a.Maximized) },
        { "ListView", "ColWidth1", std::to_string(a.ColWidth1) },
        { "ListView", "ColWidth2", std::to_string(a.ColWidth2) },
        { "ListView", "ColWidth3", std::to_string(a.ColWidth3) },
        { "Item", "DefDir", d.DefDir },
        { "Item", "DefType", std::to_string(d.DefType) },
        { "Item", "DefPass", d.DefPass },
        { "Item", "DefOverWrite", PolicyOverwrites(d.DefPolicy) ? "1" : "0" },
        { "Item", "DefNoConfirm", PolicySkipsQuestion(d.DefPolicy) ? "1" : "0" },
    };
    for (auto& k : keys)
        WritePrivateProfileStringA((user + "/" + k.section).c_str(), k.key, k.value.c_str(),
                                   file.c_str());
}

TEST_F(SettingsTest, SaveLeavesTheBytesOfKeyByKeyWritesAndNoneWhenNothingChanged)
{
    const std::string U = "[" + user_;
    const std::string sixteen =
        U + "/Main]\r\nWindowPosLeft=120\r\nWindowPosTop=80\r\nWindowWidth=640\r\n"
            "WindowHeight=320\r\nMaximized=0\r\n" + U + "/ListView]\r\nColWidth1=256\r\n"
            "ColWidth2=256\r\nColWidth3=116\r\n" + U + "/Item]\r\nDefDir=\r\nDefType=0\r\n"
            "DefPass=\r\nDefOverWrite=0\r\nDefNoConfirm=0\r\n";
    const std::string others = "[other/Main]\r\nWindowPosLeft=5\r\n[other/Item]\r\nDefDir=D:\\o\r\n";
    struct {
        int line;
        bool exists;
        std::string start;
        std::function<void()> change;
        bool rewritten;
    } cases[] = {
        { __LINE__, false, "", [] {}, true },
        { __LINE__, true, others, [] {}, true },
        // Every value there already, however spelled: left alone.
        { __LINE__, true, sixteen, [] {}, false },
        { __LINE__, true,
          "[OTHER/Item]\r\nDefType=1\r\n" + U + "/ITEM]\r\ndeftype = 0\r\nDefPass=\r\nExtra=x\r\n"
          "DefDir=\r\nDefOverWrite=0\r\nDefNoConfirm=0\r\n" + U + "/ListView]\r\nColWidth3=116\r\n"
          "ColWidth2=256\r\nColWidth1=256\r\n" + U + "/Main]\r\nMaximized=0\r\n"
          "WindowHeight= 320\r\nWindowWidth=640\r\nWindowPosTop=80\r\nWindowPosLeft=120\r\n" + others,
          [] {}, false },
        { __LINE__, true, sixteen + others, [] { AppSettings.WindowPosLeft = -7; }, true },
        { __LINE__, true, others + sixteen,
          [] {
              AppSettings.ColWidth2 = 12;
              lstrcpyA(ItemDefaults.DefDir, "C:\\出力\\予定表");
              ItemDefaults.DefPolicy = MakeOverwritePolicy(1, 1);
          },
          true },
        // Keys missing, foreign or twice, other letter cases, comments,
        // lines without '=' or name, blanks, a last line without its end.
        { __LINE__, true,
          U + "/Main]\r\nExtra=1\r\nwindowwidth=500\r\nWindowWidth=501\r\n" + others + U +
              "/item]\r\n;note=1\r\nOrphan\r\n\r\n\tDefPass = old \r\n=5\r\n=6\r\n[zz/Item]\r\nDefType=3",
          [] {}, true },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        const std::string file = SettingsFile(), reference = TestDir() + "\\reference.ini";
        DeleteFileA(file.c_str());
        DeleteFileA(reference.c_str());
        if (c.exists) {
            ASSERT_TRUE(WriteText(file, c.start) && WriteText(reference, c.start));
        }
        ResetSettings();
        AppSettings.WindowPosLeft = 120;
        AppSettings.WindowPosTop = 80;
        c.change();
        ULONGLONG before = LastWriteTime(file);
        Sleep(20);  // a rewrite would show in the time
        SaveSettings();
        WriteKeyByKey(user_, reference);
        EXPECT_EQ(ReadText(file), ReadText(reference));
        EXPECT_EQ(LastWriteTime(file) != before, c.rewritten);
    }
}

TEST_F(SettingsTest, FileHeldByAnotherProgramIsWaitedForAndNeverOverwrittenWithDefaults)
{
    // Held with share mode 0 (a sync, backup or virus-scan tool) at the
    // start or the close, let go from another thread after heldMs.
    const std::string saved = "[" + user_ + "/Main]\r\nWindowWidth=777\r\n";
    struct {
        int line;
        bool exists, atStart;
        DWORD heldMs;
        bool read;            // the start read the file
        DWORD minMs, maxMs;   // how long the held call took
        bool saved;           // the close wrote the file
    } cases[] = {
        { __LINE__, false, true, 0, false, 0, 1000, true },  // missing: never waited for
        { __LINE__, true, true, 700, true, 600, 1900, true },
        { __LINE__, true, true, 4000, false, 1800, 3900, false },
        { __LINE__, true, false, 700, true, 600, 1900, true },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        const std::string file = SettingsFile();
        DeleteFileA(file.c_str());
        if (c.exists) {
            ASSERT_TRUE(WriteText(file, saved));
        }
        ResetSettings();
        DWORD took[2];
        for (int call = 0; call < 2; ++call) {
            HANDLE held = INVALID_HANDLE_VALUE;
            if (c.exists && (call == 0) == c.atStart) {
                held = CreateFileA(file.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
                ASSERT_NE(held, INVALID_HANDLE_VALUE);
            }
            std::thread release([held, &c] {
                if (held != INVALID_HANDLE_VALUE) {
                    Sleep(c.heldMs);
                    CloseHandle(held);
                }
            });
            DWORD start = GetTickCount();
            if (call == 0) {
                LoadSettings();
                ItemDefaults.DefType = ConvReverse;  // a change to save
            } else {
                SaveSettings();
            }
            took[call] = GetTickCount() - start;
            release.join();
        }
        EXPECT_EQ(AppSettings.WindowWidth, c.read ? 777 : 640);
        EXPECT_GE(took[c.atStart ? 0 : 1], c.minMs);
        EXPECT_LE(took[c.atStart ? 0 : 1], c.maxMs);
        if (c.saved) {
            EXPECT_EQ(Key("Item", "DefType"), "1");
        } else {
            EXPECT_EQ(ReadText(file), saved);
        }
    }
}

TEST_F(SettingsTest, LockNameHasOneLengthAndIgnoresOnlyLetterCase)
{
    const std::string deep = "C:\\" + std::string(200, 'd') + "\\表ソ能\\Mirtavolen.in";
    const struct {
        std::string path;
        int file;  // rows of one file share a name; other files never do
    } cases[] = {
        { "C:\\Mirtavolen.ini", 0 }, { "c:\\mirtavolen.INI", 0 },
        { PathOfLength("C:\\a", 259), 1 }, { PathOfLength("c:\\A", 259), 1 },
        { PathOfLength("C:\\b", 259), 2 }, { deep + "i", 3 }, { deep + "I", 3 }, { deep, 4 },
    };
    std::vector<std::string> names;
    for (auto& c : cases) {
        char name[SettingsLockNameSize];
        GetSettingsLockName(c.path.c_str(), name);
        names.push_back(name);
        EXPECT_EQ(strlen(name), (size_t)SettingsLockNameSize - 1) << c.path;
        HANDLE mutex = CreateMutexA(NULL, FALSE, name);
        EXPECT_NE(mutex, (HANDLE)NULL) << c.path << ": error " << GetLastError();
        CloseHandle(mutex);
        for (size_t i = 0; i + 1 < names.size(); ++i)
            EXPECT_EQ(names[i] == name, cases[i].file == c.file) << cases[i].path << ", " << c.path;
    }
}

}  // namespace
