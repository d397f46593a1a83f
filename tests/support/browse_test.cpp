// The shell's folder browser, answered from inside the process: the
// dialog opens with the start folder selected, OK returns it, Cancel
// leaves the output alone.
#include <windows.h>
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "support/paths.h"
#include "testutil.h"

namespace {

const char Untouched[] = "(untouched)";
const char Title[] = "出力ディレクトリ";

// Wine's browser finds the start folder by comparing the shell's item IDs
// of the folders on the way, and those hold each folder's last access time.
// Two things can make them differ while the dialog opens, and then nothing
// gets selected: another process changing a folder on the way (the build
// tree under Z: is shared), and the first listing of a folder after a
// change, which moves its access time (relatime). So the folders live on
// the prefix's own C: drive, and each is listed once before the dialog.
std::string QuietDir()
{
    const std::string dir = "C:\\Mirtavolen browse test";
    RemoveTree(dir);
    EXPECT_TRUE(CreateDirectoryA(dir.c_str(), NULL));
    return dir;
}

// Lists base, path and every folder between them, so that the listings of
// the dialog change no access time.
void SettleAccessTimes(const std::string& base, const std::string& path)
{
    ListDir(base);
    for (const char* p = path.c_str() + base.size(); *p != '\0'; p = CharNextA(p)) {
        if (*p == '\\')
            ListDir(std::string(path.c_str(), p));
    }
    ListDir(path);
}

TEST(BrowseForFolder, CancelReturnsTwoAndLeavesTheOutput)
{
    const std::string t = QuietDir();
    char out[MAX_PATH];
    strcpy(out, Untouched);
    DialogDriver driver;
    driver.Then(IDCANCEL, [](HWND dialog) { PostClick(dialog, IDCANCEL); });
    EXPECT_EQ(BrowseForFolder(NULL, Title, t.c_str(), out), 2);
    EXPECT_EQ(driver.Done(), 1);
    EXPECT_STREQ(out, Untouched);

    // the caller may pass one buffer as start folder and output
    strcpy(out, t.c_str());
    driver.Then(IDCANCEL, [](HWND dialog) { PostClick(dialog, IDCANCEL); });
    EXPECT_EQ(BrowseForFolder(NULL, Title, out, out), 2);
    EXPECT_EQ(std::string(out), t);
    RemoveTree(t);
}

TEST(BrowseForFolder, OkReturnsOneWithThePreselectedStartFolder)
{
    const std::string t = QuietDir();
    const std::string folders[] = { t, t + "\\予定表", t + "\\能力\\ソ" };
    for (const std::string& start : folders) {
        SCOPED_TRACE(start);
        ASSERT_TRUE(MakeDirectories(start));
        SettleAccessTimes(t, start);
        char out[MAX_PATH];
        strcpy(out, Untouched);
        DialogDriver driver;
        driver.Then(IDOK, [](HWND dialog) { PostClick(dialog, IDOK); });
        EXPECT_EQ(BrowseForFolder(NULL, Title, start.c_str(), out), 1);
        EXPECT_EQ(std::string(out), start);
    }
    RemoveTree(t);
}

}  // namespace
