// Hostile and random settings files handed to the real program: it must
// start with its main window where it can be seen and used, keep working
// (rows, the defaults dialog), close normally, and leave a settings file
// in which every key of its three sections has a well-formed value.
// Values that the file can hold are written back as they were read: the
// program clamps nothing it need not.
#include <windows.h>
#include <commctrl.h>

#include <stdlib.h>

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "appprocess.h"
#include "faults.h"
#include "res/resource.h"

namespace {

const char* const MainKeys[] = { "WindowPosLeft", "WindowPosTop", "WindowWidth",
                                 "WindowHeight", "Maximized" };
const char* const ListKeys[] = { "ColWidth1", "ColWidth2", "ColWidth3" };
const char* const ItemIntKeys[] = { "DefType", "DefOverWrite", "DefNoConfirm" };

std::string Section(const char* part)
{
    return UserName() + "/" + part;
}

// A value as the profile service reads it into a buffer of `room` bytes;
// "<missing>" for a key that is not there.
std::string ReadValue(const std::string& file, const std::string& section, const char* key,
                      size_t room = 20000, const char* def = "<missing>")
{
    std::vector<char> value(room + 1, '\0');
    GetPrivateProfileStringA(section.c_str(), key, def, value.data(), (DWORD)room,
                             file.c_str());
    return value.data();
}

int ReadInt(const std::string& file, const std::string& section, const char* key, int def)
{
    return (int)GetPrivateProfileIntA(section.c_str(), key, def, file.c_str());
}

// A decimal number as "%d" writes it.
bool IsDecimal(const std::string& text)
{
    if (text.empty() || text.size() > 11)
        return false;
    char* end = NULL;
    long long n = strtoll(text.c_str(), &end, 10);
    return *end == '\0' && n >= -2147483648ll && n <= 2147483647ll && std::to_string(n) == text;
}

// Whether text survives a write and a read through the profile service
// unchanged: if so, the program must save it unchanged too.
bool SurvivesProfile(const std::string& dir, const std::string& text, size_t room)
{
    std::string scratch = dir + "\\scratch.ini";
    DeleteFileA(scratch.c_str());
    WritePrivateProfileStringA("s", "k", text.c_str(), scratch.c_str());
    bool same = ReadValue(scratch, "s", "k", room) == text;
    DeleteFileA(scratch.c_str());
    return same;
}

// Where a settings file's window position and size put the window.
enum Placed {
    Anywhere,  // on a monitor
    Kept,      // exactly there
    Back,      // off the screen: back inside the work area at that size
};

// Runs the program on one settings file and checks what it saved.
void CheckSettingsFile(int line, const std::string& name, const std::string& ini,
                       Placed placed = Anywhere)
{
    SCOPED_TRACE(testing::Message() << "line " << line << ", " << name);
    std::string dir = TestDir(name);
    std::string file = dir + "\\file.bin";
    ASSERT_TRUE(WriteText(file, "some bytes"));

    AppProcess app(dir, "");
    ASSERT_TRUE(WriteText(app.IniPath(), ini));
    // What the program reads, read the same way beforehand.
    const std::string item = Section("Item");
    const std::string ini0 = app.IniPath();
    int defType = ReadInt(ini0, item, "DefType", 0);
    unsigned overwrite = (unsigned)ReadInt(ini0, item, "DefOverWrite", 0);
    unsigned noConfirm = (unsigned)ReadInt(ini0, item, "DefNoConfirm", 0);
    std::string defDir = ReadValue(ini0, item, "DefDir", 260, "");
    std::string defPass = ReadValue(ini0, item, "DefPass", 64, "");
    const std::string M = Section("Main");
    const int x = ReadInt(ini0, M, "WindowPosLeft", 0), y = ReadInt(ini0, M, "WindowPosTop", 0);
    RECT filed = { x, y, x + ReadInt(ini0, M, "WindowWidth", 0),
                   y + ReadInt(ini0, M, "WindowHeight", 0) };

    ASSERT_TRUE(app.Start({ file })) << "no main window";
    HWND main = app.MainWindow();
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_TRUE(IsWindowEnabled(main));
    RECT start, area, inside;
    GetWindowRect(main, &start);
    SCOPED_TRACE(testing::Message() << "window at " << start.left << "," << start.top << ", "
                                    << start.right - start.left << " by "
                                    << start.bottom - start.top);
    EXPECT_NE(MonitorFromRect(&start, MONITOR_DEFAULTTONULL), (HMONITOR)NULL);
    if (placed == Back) {
        ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
        EXPECT_TRUE(IntersectRect(&inside, &start, &area) && EqualRect(&inside, &start));
        OffsetRect(&filed, start.left - filed.left, start.top - filed.top);
    }
    if (placed != Anywhere) {
        EXPECT_TRUE(EqualRect(&start, &filed));
    }

    // Still working: the row from the command line, the defaults dialog.
    EXPECT_LE(app.RowCount(), 1);
    app.Command(IDM_ITEM_SELECTALL);
    int dialogs = 0;
    app.Command(IDM_SET_DEFAULTS, [&](HWND dialog, const std::string&) {
        ++dialogs;
        ClickInOtherProcess(dialog, IDCANCEL);
    });
    EXPECT_EQ(dialogs, 1);

    HWND list = FindWindowExA(main, NULL, WC_LISTVIEWA, NULL);
    int widths[3];
    for (int c = 0; c < 3; ++c)
        widths[c] = (int)SendMessageA(list, LVM_GETCOLUMNWIDTH, c, 0);
    bool zoomed = IsZoomed(main) != FALSE;
    bool iconic = IsIconic(main) != FALSE;
    RECT rect;
    GetWindowRect(main, &rect);
    ASSERT_EQ(app.Close(), 0);

    const std::string saved = app.IniPath();
    for (const char* key : MainKeys)
        EXPECT_TRUE(IsDecimal(ReadValue(saved, Section("Main"), key)))
            << key << "=" << ReadValue(saved, Section("Main"), key);
    for (const char* key : ListKeys)
        EXPECT_TRUE(IsDecimal(ReadValue(saved, Section("ListView"), key)))
            << key << "=" << ReadValue(saved, Section("ListView"), key);
    for (const char* key : ItemIntKeys)
        EXPECT_TRUE(IsDecimal(ReadValue(saved, item, key)))
            << key << "=" << ReadValue(saved, item, key);
    std::string savedDir = ReadValue(saved, item, "DefDir");
    std::string savedPass = ReadValue(saved, item, "DefPass");
    EXPECT_NE(savedDir, "<missing>");
    EXPECT_NE(savedPass, "<missing>");
    EXPECT_LE(savedDir.size(), 259u);
    EXPECT_LE(savedPass.size(), 63u);

    // Saved as read, or as the live windows have them.
    EXPECT_EQ(ReadValue(saved, item, "DefType"), std::to_string(defType));
    EXPECT_EQ(ReadValue(saved, item, "DefOverWrite"), (overwrite & 0xFFFF) ? "1" : "0");
    EXPECT_EQ(ReadValue(saved, item, "DefNoConfirm"), (noConfirm & 0xFFFF) == 1 ? "1" : "0");
    if (SurvivesProfile(dir, defDir, 260)) {
        EXPECT_EQ(savedDir, defDir);
    }
    if (SurvivesProfile(dir, defPass, 64)) {
        EXPECT_EQ(savedPass, defPass);
    }
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(ReadValue(saved, Section("ListView"), ListKeys[c]), std::to_string(widths[c]));
    EXPECT_EQ(ReadValue(saved, Section("Main"), "Maximized"), zoomed ? "1" : "0");
    if (!zoomed && !iconic) {
        EXPECT_EQ(ReadValue(saved, Section("Main"), "WindowWidth"),
                  std::to_string(rect.right - rect.left));
        EXPECT_EQ(ReadValue(saved, Section("Main"), "WindowHeight"),
                  std::to_string(rect.bottom - rect.top));
    }
}

// key=value lines of one section.
std::string SectionText(const std::string& section,
                        const std::vector<std::pair<std::string, std::string>>& keys)
{
    std::string text = "[" + section + "]\r\n";
    for (auto& kv : keys)
        text += kv.first + "=" + kv.second + "\r\n";
    return text;
}

// Every key of the three sections with the same value.
std::string AllKeys(const std::string& value)
{
    std::vector<std::pair<std::string, std::string>> main, list, item;
    for (const char* key : MainKeys)
        main.push_back({ key, value });
    for (const char* key : ListKeys)
        list.push_back({ key, value });
    for (const char* key : ItemIntKeys)
        item.push_back({ key, value });
    item.push_back({ "DefDir", value });
    item.push_back({ "DefPass", value });
    return SectionText(Section("Main"), main) + SectionText(Section("ListView"), list) +
           SectionText(Section("Item"), item);
}

TEST(BadSettingsTest, HostileFilesAreSurvivedAndSavedWellFormed)
{
    const std::string M = Section("Main"), L = Section("ListView"), I = Section("Item");
    std::string binary;
    for (int c = 1; c < 256; ++c)
        if (c != '\r' && c != '\n')
            binary += (char)c;
    const std::string big(10000, '7');
    struct {
        int line;
        std::string name;
        std::string ini;
    } cases[] = {
        { __LINE__, "huge",
          SectionText(M, { { "WindowPosLeft", "2147483647" }, { "WindowPosTop", "99999999999999" },
                           { "WindowWidth", "4294967295" }, { "WindowHeight", "2147483647" },
                           { "Maximized", "123456789" } }) +
              SectionText(L, { { "ColWidth1", "2147483647" }, { "ColWidth2", "99999999999" },
                               { "ColWidth3", "4294967296" } }) +
              SectionText(I, { { "DefType", "2147483647" }, { "DefOverWrite", "4294967295" },
                               { "DefNoConfirm", "65536" } }) },
        { __LINE__, "negative",
          SectionText(M, { { "WindowPosLeft", "-100000" }, { "WindowPosTop", "-2147483648" },
                           { "WindowWidth", "-640" }, { "WindowHeight", "-1" },
                           { "Maximized", "-1" } }) +
              SectionText(L, { { "ColWidth1", "-256" }, { "ColWidth2", "-1" },
                               { "ColWidth3", "-2147483648" } }) +
              SectionText(I, { { "DefType", "-7" }, { "DefOverWrite", "-1" },
                               { "DefNoConfirm", "-65536" } }) },
        { __LINE__, "zero", AllKeys("0") },
        { __LINE__, "long", AllKeys(big) },
        { __LINE__, "longtext",
          SectionText(I, { { "DefDir", "C:\\" + std::string(10000, 'd') },
                           { "DefPass", std::string(10000, 'p') }, { "DefType", "2" } }) },
        { __LINE__, "binary", AllKeys(binary) + binary + "\r\n" + "[" + binary + "]\r\n" },
        { __LINE__, "trail5c",
          SectionText(I, { { "DefDir", "C:\\予定表" }, { "DefPass", "表表表表" },
                           { "DefType", "2" } }) +
              SectionText(M, { { "WindowWidth", "表" } }) },
        { __LINE__, "trail5cdeep",
          SectionText(I, { { "DefDir", "C:\\表\\" + std::string(127, '\x95') },
                           { "DefPass", std::string(31, 'p') + "表" + std::string(30, '\x95') },
                           { "DefType", "2" } }) },
        { __LINE__, "noequals",
          "[" + M + "]\r\nWindowWidth 800\r\nWindowHeight\r\n=5\r\n==\r\n[" + I +
              "]\r\nDefDir\r\nDefType 2\r\nDefPass\r\n" },
        { __LINE__, "duplicates",
          SectionText(M, { { "WindowWidth", "500" }, { "WindowWidth", "-3" } }) +
              SectionText(I, { { "DefType", "1" }, { "DefType", "9" }, { "DefDir", "C:\\a" } }) +
              SectionText(M, { { "WindowWidth", "700" }, { "WindowHeight", "-9" } }) +
              SectionText(I, { { "DefDir", "C:\\b" }, { "DefPass", "x" } }) },
        { __LINE__, "leadbytes",
          SectionText(I, { { "DefDir", "C:\\dir\x95" }, { "DefPass", "abc\x81" },
                           { "DefType", "2\x81" } }) +
              "[" + M + "\x81]\r\nWindowWidth=\x95\r\n[" + L + "]\r\nColWidth1=12\x95" },
        { __LINE__, "exactfit",
          SectionText(I, { { "DefDir", "C:\\" + std::string(256, 'x') },
                           { "DefPass", std::string(63, 'y') }, { "DefType", "2" } }) },
        { __LINE__, "cutinchar",
          SectionText(I, { { "DefDir", "C:\\" + std::string(255, 'x') + "表表" },
                           { "DefPass", std::string(62, 'y') + "表" }, { "DefType", "2" } }) },
        { __LINE__, "junknumbers",
          SectionText(M, { { "WindowPosLeft", " 42" }, { "WindowPosTop", "0x10" },
                           { "WindowWidth", "+500" }, { "WindowHeight", "12abc" },
                           { "Maximized", "--1" } }) +
              SectionText(L, { { "ColWidth1", "1e9" }, { "ColWidth2", "\"80\"" },
                               { "ColWidth3", "" } }) +
              SectionText(I, { { "DefType", "  -7  " } }) },
        { __LINE__, "lineends",
          "[" + M + "]\rWindowWidth=500\rWindowHeight=400\n[" + I + "]\nDefType=1\n\n\n" },
        { __LINE__, "utf16bom", std::string("\xFF\xFE") + AllKeys("5") },
        { __LINE__, "onlybom", "\xEF\xBB\xBF" },
        { __LINE__, "empty", "" },
        { __LINE__, "hugeline", std::string(100000, 'z') },
        { __LINE__, "nuls", AllKeys(std::string("1\0002", 3)) },
    };
    for (auto& c : cases) {
        CheckSettingsFile(c.line, c.name, c.ini);
        if (HasFatalFailure())
            return;
    }
}

TEST(BadSettingsTest, AWindowSavedOffTheScreenComesBackWhole)
{
    // Saved on a monitor that has gone, or by hand: the window comes back
    // inside the work area at its saved size. One partly on the screen stays.
    const int right = GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const struct {
        int line;
        std::string left, top, width, height;
        Placed placed;
    } cases[] = {
        { __LINE__, "30000", "30000", "300", "200", Back },
        { __LINE__, "-5000", "-5000", "640", "320", Back },
        { __LINE__, std::to_string(right), "100", "500", "300", Back },
        { __LINE__, "-250", "100", "500", "300", Kept },
        { __LINE__, std::to_string(right - 250), "100", "500", "300", Kept },
    };
    for (auto& c : cases) {
        CheckSettingsFile(c.line, "placed" + std::to_string(c.line),
                          SectionText(Section("Main"), { { "WindowPosLeft", c.left },
                                                         { "WindowPosTop", c.top },
                                                         { "WindowWidth", c.width },
                                                         { "WindowHeight", c.height } }),
                          c.placed);
    }
}

// Settings files pieced together at random from sections, keys, numbers,
// texts and garbage.
std::string RandomSettings(unsigned seed)
{
    Bytes noise = RandomBytes(20000, seed);
    size_t at = 0;
    auto next = [&](size_t n) { return n == 0 ? 0 : noise[at++ % noise.size()] % n; };
    auto text = [&](size_t length) {
        std::string s;
        for (size_t i = 0; i < length; ++i) {
            char c = (char)noise[at++ % noise.size()];
            s += c == '\0' ? 'x' : c;
        }
        return s;
    };
    static const char* const Keys[] = {
        "WindowPosLeft", "WindowPosTop", "WindowWidth", "WindowHeight", "Maximized",
        "ColWidth1", "ColWidth2", "ColWidth3", "DefDir", "DefType", "DefPass",
        "DefOverWrite", "DefNoConfirm", "windowwidth", "DEFPASS", "Other" };
    static const char* const Numbers[] = { "0", "-1", "1", "2147483647", "-2147483648",
                                           "4294967296", "99999999999999999999", "-0",
                                           "65535", "65536", "3", "7", "-7", "12x" };
    const std::string sections[] = { Section("Main"), Section("ListView"), Section("Item"),
                                     "OTHER/Item", UserName() + "/item", "" };
    static const char* const Ends[] = { "\r\n", "\n", "\r", "" };
    std::string ini;
    int lines = 5 + (int)next(40);
    for (int i = 0; i < lines; ++i) {
        switch (next(10)) {
        case 0:
        case 1:
            ini += "[" + sections[next(6)] + (next(8) == 0 ? text(3) : "") + "]";
            break;
        case 2:
        case 3:
        case 4:
            ini += std::string(Keys[next(16)]) + "=" + Numbers[next(14)];
            break;
        case 5:
        case 6:
            ini += std::string(Keys[next(16)]) + "=" + text(next(4) == 0 ? next(3000) : next(80));
            break;
        case 7:
            ini += std::string(Keys[next(16)]);
            break;
        default:
            ini += text(next(100));
            break;
        }
        ini += Ends[next(4)];
    }
    return ini;
}

TEST(BadSettingsTest, RandomFilesAreSurvivedAndSavedWellFormed)
{
    for (unsigned seed = 1; seed <= 10; ++seed) {
        CheckSettingsFile(__LINE__, "random" + std::to_string(seed), RandomSettings(seed));
        if (HasFatalFailure())
            return;
    }
}

TEST(HeldSettingsTest, FileHeldAtStartIsWaitedForOrNeverOverwritten)
{
    // Another program (a sync, backup or virus-scan tool) holds the file
    // with share mode 0 while the program starts, and lets it go later.
    const struct {
        DWORD heldMs;
        bool read;  // the program started from the file's values and saved
    } cases[] = { { 1000, true }, { 4000, false } };
    for (auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "held for " << c.heldMs << " ms");
        std::string dir = TestDir(std::to_string(c.heldMs));
        const std::string ini = SectionText(Section("Main"), { { "WindowWidth", "555" },
                                                               { "WindowHeight", "333" } }) +
                                ItemSettings("D:\\kept", 1, "", 0, 0);
        AppProcess app(dir, ini);
        HANDLE held = CreateFileA(app.IniPath().c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        std::thread release([held, &c] {
            Sleep(c.heldMs);
            CloseHandle(held);
        });
        bool started = app.Start({});
        release.join();
        ASSERT_TRUE(started) << "no main window";
        RECT rect;
        GetWindowRect(app.MainWindow(), &rect);
        EXPECT_EQ(rect.right - rect.left, c.read ? 555 : 640);
        EXPECT_EQ(rect.bottom - rect.top, c.read ? 333 : 320);
        ASSERT_EQ(app.Close(), 0);
        if (c.read) {
            EXPECT_EQ(ReadValue(app.IniPath(), Section("Item"), "DefDir"), "D:\\kept");
            EXPECT_EQ(ReadValue(app.IniPath(), Section("ListView"), "ColWidth1"), "256");
        } else {
            EXPECT_EQ(ReadText(app.IniPath()), ini) << "the defaults were saved over the file";
        }
    }
}

}  // namespace
