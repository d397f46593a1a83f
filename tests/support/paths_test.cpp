// Path utilities on the real file system under Wine. Names hold 予, 表, ソ
// and 能, whose second byte is 0x5C, at the end and in the middle of
// directory and file names.
#include <windows.h>
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/paths.h"
#include "testutil.h"

namespace {

typedef std::vector<std::string> Names;

const char Untouched[] = "(untouched)";

// The first drive letter that names no drive at all.
std::string MissingDrive()
{
    for (char letter = 'B'; letter <= 'Y'; ++letter) {
        char root[] = { letter, ':', '\\', '\0' };
        if (GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR)
            return std::string(1, letter) + ":";
    }
    return "";
}

// True when the path exists, asked through the wide calls, which also
// reach paths longer than 259 bytes.
bool ExistsW(const std::string& path)
{
    return GetFileAttributesW(LongPathW(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A file of exactly `length` bytes of path below dir, created with its
// parents.
std::string MakeFileOfLength(const std::string& dir, size_t length)
{
    std::string path = PathOfLength(dir, length);
    EXPECT_EQ(path.size(), length);
    EXPECT_TRUE(MakeDirectories(path.substr(0, path.rfind('\\'))));
    EXPECT_TRUE(WriteTextW(path, "x"));
    return path;
}

// The files and directories the PathExists cases look for.
std::string MakeSampleTree()
{
    std::string t = TestDir();
    EXPECT_TRUE(WriteText(t + "\\file.txt", "f"));
    EXPECT_TRUE(CreateDirectoryA((t + "\\dir").c_str(), NULL));
    EXPECT_TRUE(CreateDirectoryA((t + "\\予定表").c_str(), NULL));
    EXPECT_TRUE(WriteText(t + "\\予定表\\ソ", "s"));
    EXPECT_TRUE(CreateDirectoryA((t + "\\能力").c_str(), NULL));
    EXPECT_TRUE(CreateDirectoryA((t + "\\予定").c_str(), NULL));
    EXPECT_TRUE(WriteText(t + "\\能力\\ソース.txt", "s"));
    return t;
}

struct ExistsCase {
    int line;
    std::string path;
    int expected;
};

void CheckExists(const std::vector<ExistsCase>& cases)
{
    for (const ExistsCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.path);
        EXPECT_EQ(PathExists(c.path.c_str()), c.expected);
    }
}

TEST(PathExists, AbsolutePaths)
{
    const std::string t = MakeSampleTree();
    const std::string drive = t.substr(0, 2);
    CheckExists({
        { __LINE__, t + "\\file.txt", 1 },
        { __LINE__, t + "\\dir", 1 },
        { __LINE__, t + "\\dir\\", 1 },  // same answer as without the backslash
        { __LINE__, t + "\\missing", 0 },
        { __LINE__, t + "\\missing\\", 0 },
        { __LINE__, t + "\\dir\\missing", 0 },
        { __LINE__, drive, 0 },  // a bare drive
        { __LINE__, "C:", 0 },
        // wildcards are not escaped: they ask whether anything matches
        { __LINE__, t + "\\*.txt", 1 },
        { __LINE__, t + "\\*.none", 0 },
        // a name ending in 表 or ソ does not end in a separator
        { __LINE__, t + "\\予定表", 1 },
        { __LINE__, t + "\\予定表\\", 1 },
        { __LINE__, t + "\\予定表\\ソ", 1 },
        { __LINE__, t + "\\予定表\\能", 0 },
        { __LINE__, t + "\\表", 0 },
        { __LINE__, t + "\\能力", 1 },
        { __LINE__, t + "\\予定\\", 1 },
        { __LINE__, t + "\\予定\\x", 0 },
        { __LINE__, t + "\\能力\\ソース.txt", 1 },
        { __LINE__, t + "\\能力\\ソ", 0 },
    });
    EXPECT_EQ(PathExists(NULL), 0);
    EXPECT_EQ(PathExists(""), 0);
}

TEST(PathExists, DriveRootDependsOnlyOnTheDriveType)
{
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        char root[] = { letter, ':', '\\', '\0' };
        UINT type = GetDriveTypeA(root);
        SCOPED_TRACE(testing::Message() << root << " has drive type " << type);
        EXPECT_EQ(PathExists(root), type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR ? 0 : 1);
    }
    EXPECT_EQ(PathExists("C:\\"), 1);
    EXPECT_EQ(PathExists("Z:\\"), 1);
    ASSERT_NE(MissingDrive(), "");
    EXPECT_EQ(PathExists((MissingDrive() + "\\").c_str()), 0);
}

TEST(PathExists, RelativeNamesJoinTheCurrentDirectory)
{
    const std::string t = MakeSampleTree();
    {
        CurrentDirectory cd(t);
        CheckExists({
            { __LINE__, "file.txt", 1 },
            { __LINE__, "dir", 1 },
            { __LINE__, "dir\\", 1 },
            { __LINE__, "missing", 0 },
            { __LINE__, "予定表", 1 },
            { __LINE__, "予定表\\ソ", 1 },
            { __LINE__, "表", 0 },
            { __LINE__, "能力\\ソース.txt", 1 },
        });
    }
    {
        // the current directory ends in 表, not in a separator
        CurrentDirectory cd(t + "\\予定表");
        CheckExists({
            { __LINE__, "ソ", 1 },
            { __LINE__, "能", 0 },
        });
    }
}

TEST(PathExists, RelativeNameFromADriveRootGetsOneBackslash)
{
    const std::string t = TestDir();
    // 3 bytes of root and 256 of relative name fill the 259 bytes exactly:
    // a doubled backslash would no longer fit.
    const std::string file = MakeFileOfLength(t, 259);
    ASSERT_TRUE(WriteText(t + "\\file.txt", "f"));
    CurrentDirectory cd(t.substr(0, 3));
    CheckExists({
        { __LINE__, t.substr(3) + "\\file.txt", 1 },
        { __LINE__, t.substr(3) + "\\missing", 0 },
        { __LINE__, file.substr(3), 1 },
    });
}

TEST(PathExists, PathsLongerThan259BytesAreRefused)
{
    const std::string t = TestDir();
    const std::string fits = MakeFileOfLength(t, 259);
    const std::string tooLong = MakeFileOfLength(t, 260);
    ASSERT_TRUE(ExistsW(tooLong));
    CheckExists({
        { __LINE__, fits, 1 },
        { __LINE__, tooLong, 0 },
    });
    // relative names count with the current directory they are joined to
    CurrentDirectory cd(t);
    CheckExists({
        { __LINE__, fits.substr(t.size() + 1), 1 },
        { __LINE__, tooLong.substr(t.size() + 1), 0 },
    });
}

TEST(CreateDirectoryTree, CreatesEveryMissingLevel)
{
    const std::string t = TestDir();
    EXPECT_NE(CreateDirectoryTree((t + "\\a\\b\\c").c_str()), 0);
    EXPECT_NE(CreateDirectoryTree((t + "\\予定表\\能力\\ソ\\表").c_str()), 0);
    EXPECT_NE(CreateDirectoryTree((t + "\\予定\\x").c_str()), 0);
    // exactly these directories and no others, such as one cut at a 0x5C
    EXPECT_EQ(ListDir(t), (Names{ "a", "予定", "予定表" }));
    EXPECT_EQ(ListDir(t + "\\予定"), (Names{ "x" }));
    EXPECT_EQ(ListDir(t + "\\a"), (Names{ "b" }));
    EXPECT_EQ(ListDir(t + "\\a\\b"), (Names{ "c" }));
    EXPECT_EQ(ListDir(t + "\\予定表"), (Names{ "能力" }));
    EXPECT_EQ(ListDir(t + "\\予定表\\能力"), (Names{ "ソ" }));
    EXPECT_EQ(ListDir(t + "\\予定表\\能力\\ソ"), (Names{ "表" }));
    EXPECT_NE(GetFileAttributesA((t + "\\予定表\\能力\\ソ\\表").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              0u);

    // the longest path that fits
    const std::string deepest = PathOfLength(t + "\\deep", 259);
    EXPECT_NE(CreateDirectoryTree(deepest.c_str()), 0);
    EXPECT_TRUE(ExistsW(deepest));

    // the first level below a drive root (the prefix's own C: drive)
    const std::string underRoot = "C:\\Mirtavolen tree test";
    RemoveTree(underRoot);
    EXPECT_NE(CreateDirectoryTree((underRoot + "\\a\\b").c_str()), 0);
    EXPECT_EQ(ListDir(underRoot), (Names{ "a" }));
    EXPECT_EQ(ListDir(underRoot + "\\a"), (Names{ "b" }));
    RemoveTree(underRoot);
}

TEST(CreateDirectoryTree, ExistingDirectoryGivesOne)
{
    const std::string t = TestDir();
    ASSERT_TRUE(CreateDirectoryA((t + "\\予定表").c_str(), NULL));
    EXPECT_EQ(CreateDirectoryTree(t.c_str()), 1);
    EXPECT_EQ(CreateDirectoryTree((t + "\\予定表").c_str()), 1);
    EXPECT_EQ(CreateDirectoryTree("C:\\"), 1);
    EXPECT_EQ(ListDir(t), (Names{ "予定表" }));
}

TEST(CreateDirectoryTree, RelativeNamesJoinTheCurrentDirectory)
{
    const std::string t = TestDir();
    ASSERT_TRUE(CreateDirectoryA((t + "\\予定表").c_str(), NULL));
    const std::string root = t.substr(0, 3);
    ASSERT_FALSE(FileExists(root + "lead"));
    // joined with no further backslash, this fills the 259 bytes exactly
    const std::string edge = PathOfLength(t + "\\edge", 259);
    {
        CurrentDirectory cd(t);
        EXPECT_NE(CreateDirectoryTree("rel\\x"), 0);
        // a leading backslash joins the current directory, not the root
        EXPECT_NE(CreateDirectoryTree("\\lead\\y"), 0);
        EXPECT_NE(CreateDirectoryTree(edge.substr(t.size()).c_str()), 0);
    }
    {
        CurrentDirectory cd(t + "\\予定表");
        EXPECT_NE(CreateDirectoryTree("能\\ソ"), 0);
    }
    EXPECT_EQ(ListDir(t), (Names{ "edge", "lead", "rel", "予定表" }));
    EXPECT_TRUE(ExistsW(edge));
    EXPECT_EQ(ListDir(t + "\\rel"), (Names{ "x" }));
    EXPECT_EQ(ListDir(t + "\\lead"), (Names{ "y" }));
    EXPECT_EQ(ListDir(t + "\\予定表"), (Names{ "能" }));
    EXPECT_EQ(ListDir(t + "\\予定表\\能"), (Names{ "ソ" }));
    EXPECT_FALSE(FileExists(root + "lead"));
}

TEST(CreateDirectoryTree, FailuresCreateNothing)
{
    const std::string t = TestDir();
    ASSERT_TRUE(WriteText(t + "\\file.txt", "f"));
    ASSERT_NE(MissingDrive(), "");
    const std::string tooLong = PathOfLength(t + "\\long", 260);
    struct { int line; std::string path; } cases[] = {
        { __LINE__, MissingDrive() + "\\a\\b" },
        { __LINE__, MissingDrive() + "\\" },
        { __LINE__, t + "\\file.txt\\sub" },
        { __LINE__, tooLong },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.path);
        EXPECT_EQ(CreateDirectoryTree(c.path.c_str()), 0);
    }
    EXPECT_EQ(CreateDirectoryTree(NULL), 0);
    EXPECT_EQ(CreateDirectoryTree(""), 0);
    {
        // joined with the current directory it no longer fits
        CurrentDirectory cd(t);
        EXPECT_EQ(CreateDirectoryTree(tooLong.substr(t.size() + 1).c_str()), 0);
    }
    EXPECT_EQ(ListDir(t), (Names{ "file.txt" }));
}

struct ResolveCase {
    int line;
    std::string path;
    unsigned outSize;
    unsigned result;
    std::string out;
};

void CheckResolve(const std::vector<ResolveCase>& cases)
{
    for (const ResolveCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.path
                                        << ", size " << c.outSize);
        char out[MAX_PATH];
        strcpy(out, Untouched);
        EXPECT_EQ(ResolveLongPath(c.path.c_str(), out, c.outSize), c.result);
        EXPECT_EQ(std::string(out), c.out);
    }
}

TEST(ResolveLongPath, GivesTheLongFormWhenItFits)
{
    const std::string t = TestDir();
    const std::string dir = t + "\\予定表 long directory name";
    const std::string file = dir + "\\ソース a long file name.text";
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), NULL));
    ASSERT_TRUE(WriteText(file, "s"));
    const std::string shortFile = ShortPath(Wide(file));
    const std::string shortDir = ShortPath(Wide(dir));
    ASSERT_NE(shortFile, "");
    ASSERT_NE(shortFile, file);
    ASSERT_NE(shortDir, dir);
    const unsigned len = (unsigned)file.size();
    CheckResolve({
        { __LINE__, file, MAX_PATH, len, file },
        { __LINE__, file, len + 1, len, file },
        // one byte short: nothing copied, the size needed is returned
        { __LINE__, file, len, len + 1, Untouched },
        { __LINE__, file, 0, len + 1, Untouched },
        // 8.3 names are expanded
        { __LINE__, shortFile, MAX_PATH, len, file },
        { __LINE__, shortFile, len, len + 1, Untouched },
        { __LINE__, shortDir, MAX_PATH, (unsigned)dir.size(), dir },
    });
}

// A name that code page 932 cannot hold goes by its short form or not at
// all; one that converts but does not fit is refused, not shortened (its
// long form would not fit the row either).
TEST(ExactAnsiPath, ShortFormOnlyForNamesThatDoNotConvert)
{
    const std::string t = TestDir();
    const std::wstring file = Wide(t) + L"\\\u00c5land \ud55c.txt";
    ASSERT_TRUE(WriteTextW(file, "x"));
    struct {
        int line;
        std::wstring path;
        std::string out;  // "": none
    } cases[] = {
        { __LINE__, Wide(t) + L"\\予定表.txt", t + "\\予定表.txt" },
        { __LINE__, file, ShortPath(file) },
        { __LINE__, Wide(t) + L"\\missing \u00e9.txt", "" },
        { __LINE__, Wide(t) + L"\\" + std::wstring(130, L'予') + L".txt", "" },  // over 259 bytes
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        char out[MAX_PATH] = "";
        EXPECT_EQ(ExactAnsiPath(c.path.c_str(), out), c.out.empty() ? 0 : 1);
        EXPECT_EQ(std::string(out), c.out);
    }
}

TEST(ResolveLongPath, MissingOrOverlongPathGivesZero)
{
    const std::string t = TestDir();
    const std::string tooLong = MakeFileOfLength(t, 260);
    CheckResolve({
        { __LINE__, t + "\\missing.txt", MAX_PATH, 0, Untouched },
        { __LINE__, t + "\\missing\\予定表", MAX_PATH, 0, Untouched },
        { __LINE__, tooLong, MAX_PATH, 0, Untouched },
    });
    char out[MAX_PATH];
    strcpy(out, Untouched);
    EXPECT_EQ(ResolveLongPath(NULL, out, MAX_PATH), 0u);
    EXPECT_STREQ(out, Untouched);
}

}  // namespace
