// Splitting DestFile into output directory and file name. Sources are
// compiled to code page 932: 予 and 表 end in the byte 0x5C, as do ソ and 能.
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "support/pathtext.h"

namespace {

const size_t PathRoom = 260;  // the program's path buffers

const char Untouched[] = "(untouched)";
const char* const Keep = Untouched;  // expected directory: buffer not written

struct SplitCase {
    int line;
    const char* path;
    int keepSlash;
    int result;
    const char* dir;
    const char* name;
};

TEST(SplitPath, SplitsAtTheLastSeparator)
{
    const SplitCase cases[] = {
        { __LINE__, "C:\\dir\\file.txt", 0, 8, "C:\\dir", "file.txt" },
        { __LINE__, "C:\\dir\\file.txt", 1, 8, "C:\\dir\\", "file.txt" },
        { __LINE__, "C:\\a\\b\\c.d", 0, 3, "C:\\a\\b", "c.d" },
        // a drive root keeps its backslash whatever keepSlash says
        { __LINE__, "C:\\file.txt", 0, 8, "C:\\", "file.txt" },
        { __LINE__, "C:\\file.txt", 1, 8, "C:\\", "file.txt" },
        { __LINE__, "C:\\", 0, 0, "C:\\", "" },
        // a trailing backslash leaves an empty name
        { __LINE__, "C:\\dir\\", 0, 0, "C:\\dir", "" },
        { __LINE__, "C:\\dir\\", 1, 0, "C:\\dir\\", "" },
        // quotes around the whole path are dropped first
        { __LINE__, "\"C:\\dir\\file.txt\"", 0, 8, "C:\\dir", "file.txt" },
        { __LINE__, "\"C:\\dir\\file.txt\"", 1, 8, "C:\\dir\\", "file.txt" },
        { __LINE__, "\"C:\\file.txt\"", 0, 8, "C:\\", "file.txt" },
        { __LINE__, "\"C:\\dir\\file.txt", 0, 8, "C:\\dir", "file.txt" },
        // a closing quote without an opening one is part of the name
        { __LINE__, "C:\\dir\\file.txt\"", 0, 9, "C:\\dir", "file.txt\"" },
        { __LINE__, "\"", 0, 0, Keep, "" },
        { __LINE__, "\"\"", 0, 0, Keep, "" },
        // no backslash: only the name is written
        { __LINE__, "file.txt", 0, 8, Keep, "file.txt" },
        { __LINE__, "file.txt", 1, 8, Keep, "file.txt" },
        { __LINE__, "C:", 0, 2, Keep, "C:" },
        { __LINE__, "\"file.txt\"", 0, 8, Keep, "file.txt" },
        // a backslash at position 0 has no colon before it: keepSlash decides
        { __LINE__, "\\file.txt", 0, 8, "", "file.txt" },
        { __LINE__, "\\file.txt", 1, 8, "\\", "file.txt" },
        { __LINE__, "dir\\sub\\f", 0, 1, "dir\\sub", "f" },
        // the 0x5C of 予, 表, ソ and 能 belongs to the character
        { __LINE__, "C:\\data\\予定表.xls", 0, 10, "C:\\data", "予定表.xls" },
        { __LINE__, "C:\\data\\ソース.txt", 0, 10, "C:\\data", "ソース.txt" },
        { __LINE__, "C:\\data\\能", 0, 2, "C:\\data", "能" },
        { __LINE__, "C:\\data\\表", 1, 2, "C:\\data\\", "表" },
        { __LINE__, "C:\\予定表\\a.txt", 0, 5, "C:\\予定表", "a.txt" },
        // 定 is 0x92 0xE8: a trail byte that could also lead, then a real separator
        { __LINE__, "C:\\予定\\a.txt", 0, 5, "C:\\予定", "a.txt" },
        { __LINE__, "C:\\予定表\\a.txt", 1, 5, "C:\\予定表\\", "a.txt" },
        { __LINE__, "C:\\能力\\予定表\\ソ", 0, 2, "C:\\能力\\予定表", "ソ" },
        { __LINE__, "C:\\予定表", 0, 6, "C:\\", "予定表" },
        { __LINE__, "\"C:\\表\\能\"", 0, 2, "C:\\表", "能" },
        { __LINE__, "予定表.xls", 0, 10, Keep, "予定表.xls" },
        { __LINE__, "表", 0, 2, Keep, "表" },
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.path
                                        << ", keepSlash " << c.keepSlash);
        char dir[PathRoom];
        char name[PathRoom];
        strcpy(dir, Untouched);
        strcpy(name, Untouched);
        EXPECT_EQ(SplitPath(c.path, dir, name, c.keepSlash), c.result);
        EXPECT_STREQ(dir, c.dir);
        EXPECT_STREQ(name, c.name);
        // each output is optional and does not change the other
        strcpy(dir, Untouched);
        EXPECT_EQ(SplitPath(c.path, dir, NULL, c.keepSlash), c.result);
        EXPECT_STREQ(dir, c.dir);
        strcpy(name, Untouched);
        EXPECT_EQ(SplitPath(c.path, NULL, name, c.keepSlash), c.result);
        EXPECT_STREQ(name, c.name);
        EXPECT_EQ(SplitPath(c.path, NULL, NULL, c.keepSlash), c.result);
    }
}

TEST(SplitPath, RefusesNullEmptyAndOverlongPathsWritingNothing)
{
    const std::string fits = "C:\\" + std::string(250, 'd') + "\\abcde";  // 259 bytes
    const std::string tooLong = fits + "f";                               // 260 bytes
    ASSERT_EQ(fits.size(), 259u);

    // A quoted path of 260 bytes is too long as given, even though it
    // would fit once unquoted.
    const std::string quoted = "\"" + fits.substr(0, 258) + "\"";
    ASSERT_EQ(quoted.size(), 260u);

    struct { int line; const char* path; int result; } cases[] = {
        { __LINE__, NULL, -1 },
        { __LINE__, "", -1 },
        { __LINE__, tooLong.c_str(), -1 },
        { __LINE__, quoted.c_str(), -1 },
    };
    const std::string untouched(PathRoom, 'U');
    for (auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        char dir[PathRoom];
        char name[PathRoom];
        memset(dir, 'U', PathRoom);
        memset(name, 'U', PathRoom);
        EXPECT_EQ(SplitPath(c.path, dir, name, 0), c.result);
        EXPECT_EQ(std::string(dir, PathRoom), untouched) << "no byte of either buffer is written";
        EXPECT_EQ(std::string(name, PathRoom), untouched);
    }

    char dir[PathRoom];
    char name[PathRoom];
    EXPECT_EQ(SplitPath(fits.c_str(), dir, name, 0), 5);
    EXPECT_EQ(std::string(dir), fits.substr(0, 253));
    EXPECT_STREQ(name, "abcde");
}

}  // namespace
