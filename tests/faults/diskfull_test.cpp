// Conversions on a small file system: a tmpfs of 8 MiB mounted for these
// tests. Filled until only as much as a case allows is free, a conversion
// that does not fit must fail whole: no partial output, an in-place source
// untouched, a "Failed!" entry, the row kept. Sparse files of 4 GiB and
// more on it must be refused before anything is written.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "appprocess.h"
#include "faults.h"
#include "reference.h"
#include "res/resource.h"

namespace {

const long long Page = 4096;

struct Conversion {
    std::string label;
    int type;
    Bytes convert(const Bytes& data) const { return ReferenceConversion(type, "pw", data); }
};

const Conversion Invertion = { "ビット反転", 0 };
const Conversion Reversal = { "リバース", 1 };
const Conversion WithPassword = { "パスワード=pw", 2 };

class TmpfsTest : public FaultBatchTest {
protected:
    void SetUp() override
    {
        std::string why;
        root_ = FullDiskFixture(&why);
        if (root_.empty())
            GTEST_SKIP() << why;
        FaultBatchTest::SetUp();
        if (HasFatalFailure())
            return;
        const ::testing::TestInfo* info =
            ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = root_ + "\\" + info->name();
        RemoveTree(dir_);
        ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), NULL)) << dir_;
    }
    void TearDown() override
    {
        if (!dir_.empty())
            RemoveTree(dir_);
        FaultBatchTest::TearDown();
    }
    std::string root_;
    std::string dir_;  // on the tmpfs
};

TEST_F(TmpfsTest, ConversionThatDoesNotFitFailsWholeAndOneThatFitsSucceeds)
{
    const size_t Size = 600000;  // three chunks, 147 pages
    const long long Needed = (Size + Page - 1) / Page * Page;
    struct {
        int line;
        bool inPlace;
        long long free;
        bool missingDir;  // the output directory does not exist yet
        Conversion conv;
        bool fits;
    } cases[] = {
        { __LINE__, false, 0, false, Invertion, false },
        { __LINE__, false, 0, true, Reversal, false },
        { __LINE__, false, Page, false, WithPassword, false },
        { __LINE__, false, 70 * Page, false, Reversal, false },   // in the second chunk
        { __LINE__, false, Needed - Page, false, Invertion, false },  // the last write is short
        { __LINE__, false, Needed, false, Reversal, true },
        { __LINE__, true, 0, false, Invertion, false },
        { __LINE__, true, 70 * Page, false, WithPassword, false },
        { __LINE__, true, Needed - Page, false, Reversal, false },
        { __LINE__, true, Needed, false, Invertion, true },
    };
    std::string elsewhere = TestDir();  // sources of the cases that write onto the tmpfs
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        DeleteFileA(LogFile().c_str());
        Bytes data = RandomBytes(Size, (unsigned)c.line);
        std::string src = (c.inPlace ? dir_ : elsewhere) + "\\source.bin";
        std::string outDir = c.inPlace ? dir_ : dir_ + (c.missingDir ? "\\new\\deep" : "\\out");
        std::string dest = c.inPlace ? "" : outDir + "\\converted.bin";
        ASSERT_TRUE(WriteBytes(src, data));
        if (!c.inPlace && !c.missingDir) {
            ASSERT_TRUE(CreateDirectoryA(outDir.c_str(), NULL));
        }
        AddRow(src, dest, c.conv.label);
        std::string destPath = c.inPlace ? Cell(0, 1) : dest;
        std::vector<std::string> before = ListDir(dir_);

        DiskFiller filler(root_);
        ASSERT_TRUE(filler.Fill(c.free));
        RunBatch();
        filler.Release();

        std::vector<std::string> entries = Entries();
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_NE(entries[0].find("DestFile = " + destPath + "\n"), std::string::npos);
        if (c.fits) {
            EXPECT_EQ(RowCount(), 0);
            EXPECT_EQ(entries[0].find("Failed!"), std::string::npos);
            EXPECT_EQ(ReadBytes(destPath), c.conv.convert(data));
        } else {
            EXPECT_EQ(RowCount(), 1);
            EXPECT_TRUE(SelectedRows().empty());
            EXPECT_NE(entries[0].find("\nFailed!\n\n"), std::string::npos);
            EXPECT_EQ(ReadBytes(src), data);
            if (c.inPlace) {
                EXPECT_EQ(ListDir(dir_), before);  // no "_Mirtavolen.tmp"
            } else {
                EXPECT_FALSE(FileExists(dest));
            }
        }
        if (!c.inPlace) {
            EXPECT_EQ(ListDir(outDir), c.fits ? std::vector<std::string>{ "converted.bin" }
                                            : std::vector<std::string>{});
        }

        ClearRows();
        RemoveTree(dir_);
        CreateDirectoryA(dir_.c_str(), NULL);
        if (HasFatalFailure())
            return;
    }
}

// The log beside a copy of the real program on the full disk: the entry
// does not fit, the part that did is taken back, and the conversion
// itself is unaffected. With room again, entries are appended as before.
TEST_F(TmpfsTest, LogEntryThatDoesNotFitIsTakenBackWhole)
{
    std::string out = TestDir();
    Bytes data = RandomBytes(1000, 9);
    std::string first = out + "\\first.bin";
    std::string second = out + "\\second.bin";
    ASSERT_TRUE(WriteBytes(first, data));
    ASSERT_TRUE(WriteBytes(second, data));
    std::string settings = ItemSettings(out + "\\converted", 0, "", 0, 0);

    // Earlier entries end inside a page: its rest (96 bytes) takes the
    // start of the next entry before the disk is full.
    std::string earlier;
    while (earlier.size() < 4000)
        earlier += "[2000/04/22 09:05:07]\nType     = ビット反転\nSrcFile  = C:\\a\nDestFile = C:\\b\n\n";
    earlier.resize(4000);
    {
        AppProcess app(dir_, settings);
        ASSERT_TRUE(WriteText(app.LogPath(), earlier));
        ASSERT_TRUE(app.Start({ first }));
        ASSERT_EQ(app.RowCount(), 1);
        DiskFiller filler(root_);
        ASSERT_TRUE(filler.Fill(0));
        app.Command(IDM_ITEM_CONVERTALL);
        EXPECT_EQ(app.RowCount(), 0);
        EXPECT_EQ(ReadBytes(out + "\\converted\\first.bin"), ReferenceInvert(data));
        std::string log = ReadText(app.LogPath());
        EXPECT_EQ(log.size(), earlier.size());
        EXPECT_TRUE(log == earlier) << "the earlier entries changed";
        filler.Release();  // room for the settings file
        EXPECT_EQ(app.Close(), 0);
    }

    AppProcess app(dir_, settings);
    ASSERT_TRUE(app.Start({ second }));
    app.Command(IDM_ITEM_CONVERTALL);
    EXPECT_EQ(app.RowCount(), 0);
    EXPECT_EQ(ReadBytes(out + "\\converted\\second.bin"), ReferenceInvert(data));
    EXPECT_EQ(app.Close(), 0);
    std::string log = ReadText(app.LogPath());
    ASSERT_GT(log.size(), earlier.size());
    EXPECT_TRUE(log.compare(0, earlier.size(), earlier) == 0) << "the earlier entries changed";
    std::string added = log.substr(earlier.size());
    EXPECT_EQ(added.substr(0, 1), "[");
    EXPECT_NE(added.find("\nSrcFile  = " + second + "\n"), std::string::npos);
    EXPECT_EQ(added.find("Failed!"), std::string::npos);
    EXPECT_EQ(added.find("\n\n"), added.size() - 2);
}

// The size and the bytes at both ends, or "" when the file cannot be read.
std::string SizeAndEnds(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return "";
    LARGE_INTEGER size;
    char head[5] = "", tail[5] = "";
    DWORD got = 0;
    LARGE_INTEGER at;
    at.QuadPart = size.QuadPart = 0;
    bool ok = GetFileSizeEx(h, &size) && ReadFile(h, head, 4, &got, NULL);
    at.QuadPart = size.QuadPart - 4;
    ok = ok && SetFilePointerEx(h, at, NULL, FILE_BEGIN) && ReadFile(h, tail, 4, &got, NULL);
    CloseHandle(h);
    return ok ? std::to_string(size.QuadPart) + " " + head + " " + tail : "";
}

TEST_F(TmpfsTest, FilesOf4GiBOrMoreAreRefusedWithoutWritingAnything)
{
    const long long G4 = 1ll << 32;
    struct {
        int line;
        long long size;
        bool inPlace;
        Conversion conv;
    } cases[] = {
        { __LINE__, G4, false, Invertion },       // the low part alone is 0
        { __LINE__, G4, true, Reversal },
        { __LINE__, G4 + 1, false, WithPassword },
        { __LINE__, G4 + 1, true, Invertion },
        { __LINE__, G4 + 600000, false, Reversal },  // the low part alone is three chunks
        { __LINE__, G4 + 600000, true, WithPassword },
        { __LINE__, 2 * G4 + 5, true, Invertion },
    };
    std::string out = TestDir();
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        DeleteFileA(LogFile().c_str());
        std::string src = dir_ + "\\huge.bin";
        long long freeBefore = FreeBytes(root_);
        ASSERT_TRUE(MakeSparseFile(src, c.size, { 'T', 'A', 'I', 'L' }, { 'H', 'E', 'A', 'D' }));
        // Sparse under Wine too: a few pages, not gigabytes.
        ASSERT_LE(freeBefore - FreeBytes(root_), 16 * Page);
        std::string original = SizeAndEnds(src);
        ASSERT_EQ(original, std::to_string(c.size) + " HEAD TAIL");
        std::string dest = c.inPlace ? "" : out + "\\huge.bin";
        AddRow(src, dest, c.conv.label);
        long long freeAtStart = FreeBytes(root_);

        RunBatch();

        EXPECT_EQ(RowCount(), 1);
        EXPECT_TRUE(SelectedRows().empty());
        std::vector<std::string> entries = Entries();
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_NE(entries[0].find("\nFailed!\n\n"), std::string::npos);
        EXPECT_EQ(SizeAndEnds(src), original);
        EXPECT_EQ(ListDir(dir_), std::vector<std::string>{ "huge.bin" });
        EXPECT_EQ(ListDir(out), std::vector<std::string>{});
        EXPECT_EQ(FreeBytes(root_), freeAtStart);

        ClearRows();
        DeleteFileA(src.c_str());
        if (HasFatalFailure())
            return;
    }
}

}  // namespace
