// Conversions that must fail, and what they must leave behind: the source,
// an existing DestFile and the directories exactly as they were, and no
// output and no temporary file of their own.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "conversion.h"
#include "res/resource.h"

namespace {

typedef std::vector<std::string> Names;

const unsigned long long GiB = 1ull << 30;

TEST_F(FileConversion, MissingArgumentOrEmptyPasswordTouchesNothing)
{
    const std::string src = dir + "\\src.bin";
    const std::string dest = dir + "\\new\\dest.bin";
    ASSERT_TRUE(WriteBytes(src, RandomBytes(1000, 1)));
    struct {
        int line;
        Kind kind;
        const char* src;
        const char* dest;
        const char* password;
        bool withDialog;
    } cases[] = {
        { __LINE__, Invert, NULL, dest.c_str(), TestPassword, true },
        { __LINE__, Reverse, "", dest.c_str(), TestPassword, true },
        { __LINE__, Password, NULL, dest.c_str(), TestPassword, true },
        { __LINE__, Invert, src.c_str(), NULL, TestPassword, true },
        { __LINE__, Reverse, src.c_str(), "", TestPassword, true },
        { __LINE__, Password, src.c_str(), "", TestPassword, true },
        { __LINE__, Invert, src.c_str(), dest.c_str(), TestPassword, false },
        { __LINE__, Reverse, src.c_str(), dest.c_str(), TestPassword, false },
        { __LINE__, Password, src.c_str(), dest.c_str(), TestPassword, false },
        { __LINE__, Password, src.c_str(), dest.c_str(), "", true },
        { __LINE__, Password, src.c_str(), dest.c_str(), NULL, true },
        { __LINE__, Password, src.c_str(), src.c_str(), "", true },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        // what the previous file left in the dialog
        SetDlgItemTextA(dialog(), IDC_PROG_FILE, "previous file");
        SetDlgItemTextA(dialog(), IDC_PROG_TYPE, "previous type");
        progress.ClearPositions();
        EXPECT_EQ(ConvertRaw(c.kind, c.src, c.dest, c.password, c.withDialog ? dialog() : NULL), 0);
        EXPECT_EQ(ItemText(dialog(), IDC_PROG_FILE), "previous file");
        EXPECT_EQ(ItemText(dialog(), IDC_PROG_TYPE), "previous type");
        EXPECT_EQ(progress.Positions(), std::vector<int>());
        EXPECT_EQ(ListDir(dir), (Names{ "src.bin" }));
    }
}

TEST_F(FileConversion, PathsLongerThan259BytesAreRefused)
{
    const Bytes data = RandomBytes(1000, 2);
    const std::string src = dir + "\\src.bin";
    ASSERT_TRUE(WriteBytes(src, data));
    for (Kind kind : AllKinds) {
        SCOPED_TRACE(KindName(kind));
        // DestFile: its missing directories are made only when it fits
        for (size_t length : { 259, 260 }) {
            SCOPED_TRACE(testing::Message() << "DestFile of " << length << " bytes");
            const std::string top = dir + "\\dest" + std::to_string(length);
            const std::string dest = PathOfLength(top, length);
            const int fits = length <= 259;
            EXPECT_EQ(Convert(kind, src, dest, dialog()), fits);
            if (fits)
                EXPECT_TRUE(ReadBytes(dest) == Expected(kind, data));
            else
                EXPECT_EQ(GetFileAttributesW(LongPathW(top).c_str()), INVALID_FILE_ATTRIBUTES);
            RemoveTree(top);
        }
        // SrcFile
        for (size_t length : { 259, 260 }) {
            SCOPED_TRACE(testing::Message() << "SrcFile of " << length << " bytes");
            const std::string longSrc = PathOfLength(dir + "\\src" + std::to_string(length), length);
            ASSERT_TRUE(MakeDirectories(longSrc.substr(0, longSrc.rfind('\\'))));
            ASSERT_TRUE(WriteTextW(longSrc, std::string(data.begin(), data.end())));
            const int fits = length <= 259;
            EXPECT_EQ(Convert(kind, longSrc, dir + "\\out.bin", dialog()), fits);
            if (fits)
                EXPECT_TRUE(ReadBytes(dir + "\\out.bin") == Expected(kind, data));
            else
                EXPECT_FALSE(FileExists(dir + "\\out.bin"));
            DeleteFileA((dir + "\\out.bin").c_str());
        }
    }
}

TEST_F(FileConversion, ADirectoryTooDeepForTheTemporaryNameUsesItsShortForm)
{
    // The temporary path is the directory, a backslash and 15 bytes: 243
    // bytes of directory fit in 259; 244 do not, and the directory's short
    // form takes their place. In place and into an existing DestFile alike.
    for (size_t length : { 243, 244 }) {
        const std::string folder = PathOfLength(dir + "\\d" + std::to_string(length), length);
        ASSERT_TRUE(MakeDirectories(folder));
        const std::string src = folder + "\\a.bin";
        const std::string dest = folder + "\\b.bin";
        for (Kind kind : AllKinds) {
            SCOPED_TRACE(testing::Message() << KindName(kind) << ", directory of " << length
                                            << " bytes");
            const Bytes data = RandomBytes(1000, kind);
            ASSERT_TRUE(WriteBytes(src, data));
            ASSERT_TRUE(WriteBytes(dest, RandomBytes(10, kind)));
            EXPECT_EQ(Convert(kind, src, src, dialog()), 1);
            EXPECT_TRUE(ReadBytes(src) == Expected(kind, data));
            EXPECT_EQ(Convert(kind, src, dest, dialog()), 1);
            EXPECT_TRUE(ReadBytes(dest) == data);
            EXPECT_EQ(ListDir(folder), (Names{ "a.bin", "b.bin" }));
        }
    }
}

TEST_F(FileConversion, DestFileWithoutABackslashIsRefused)
{
    const Bytes data = RandomBytes(1000, 3);
    ASSERT_TRUE(WriteBytes(dir + "\\src.bin", data));
    CurrentDirectory cd(dir);
    struct { int line; std::string src, dest; } cases[] = {
        { __LINE__, dir + "\\src.bin", "out.bin" },
        { __LINE__, "src.bin", "out.bin" },
        { __LINE__, "src.bin", "src.bin" },
    };
    for (auto& c : cases) {
        for (Kind kind : AllKinds) {
            SCOPED_TRACE(testing::Message() << "case at line " << c.line << ", " << KindName(kind));
            EXPECT_EQ(Convert(kind, c.src, c.dest, dialog()), 0);
            EXPECT_EQ(ListDir(dir), (Names{ "src.bin" }));
            EXPECT_TRUE(ReadBytes(dir + "\\src.bin") == data);
        }
    }
}

TEST_F(FileConversion, DestFileNamingTheSourceAnotherWayFails)
{
    // Not an in-place conversion: the output would be the open source.
    const std::string src = dir + "\\Source File.bin";
    const Bytes data = RandomBytes(600000, 4);
    ASSERT_TRUE(WriteBytes(src, data));
    ASSERT_TRUE(CreateDirectoryA((dir + "\\sub").c_str(), NULL));
    const std::string shortName = ShortPath(Wide(src));
    ASSERT_NE(shortName, "");
    const std::string names[] = {
        dir + "\\SOURCE FILE.BIN",
        dir + "\\source file.bin",
        shortName,
        dir + "\\.\\Source File.bin",
        dir + "\\sub\\..\\Source File.bin",
    };
    for (const std::string& dest : names) {
        for (Kind kind : AllKinds) {
            SCOPED_TRACE(testing::Message() << dest << ", " << KindName(kind));
            EXPECT_EQ(Convert(kind, src, dest, dialog()), 0);
            EXPECT_TRUE(ReadBytes(src) == data);
            EXPECT_EQ(ListDir(dir), (Names{ "Source File.bin", "sub" }));
        }
    }
}

TEST_F(FileConversion, ExistingDestFileOpenElsewhereIsLeftAlone)
{
    const std::string src = dir + "\\src.bin";
    const std::string dest = dir + "\\dest.bin";
    const Bytes old = RandomBytes(5000, 5);
    ASSERT_TRUE(WriteBytes(src, RandomBytes(1000, 6)));
    ASSERT_TRUE(WriteBytes(dest, old));
    // another program holds it: exclusively, or reading and letting others
    // only read
    for (DWORD share : { (DWORD)0, (DWORD)FILE_SHARE_READ }) {
        HANDLE held = CreateFileA(dest.c_str(), GENERIC_READ, share, NULL, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        for (Kind kind : AllKinds) {
            SCOPED_TRACE(testing::Message() << "share mode " << share << ", " << KindName(kind));
            EXPECT_EQ(Convert(kind, src, dest, dialog()), 0);
        }
        CloseHandle(held);
        EXPECT_TRUE(ReadBytes(dest) == old);
        EXPECT_EQ(ListDir(dir), (Names{ "dest.bin", "src.bin" }));
    }
}

TEST_F(FileConversion, ImmutableFileIsNeverChanged)
{
    // Nobody may write it or rename anything over it, not even root.
    std::string why;
    const std::string locked = ImmutableFixture(&why);
    if (locked.empty())
        GTEST_SKIP() << why;
    const Bytes old = ReadBytes(locked);
    ASSERT_FALSE(old.empty());
    const std::string src = dir + "\\src.bin";
    ASSERT_TRUE(WriteBytes(src, RandomBytes(1000, 7)));
    for (Kind kind : AllKinds) {
        SCOPED_TRACE(KindName(kind));
        // as DestFile: the output cannot be created
        EXPECT_EQ(Convert(kind, src, locked, dialog()), 0);
        EXPECT_TRUE(ReadBytes(locked) == old);
        // in place: converted into the temporary file, which cannot replace it
        progress.ClearPositions();
        EXPECT_EQ(Convert(kind, locked, locked, dialog()), 0);
        EXPECT_EQ(progress.Positions().back(), 100);
        EXPECT_TRUE(ReadBytes(locked) == old);
        EXPECT_EQ(ListDir(locked.substr(0, locked.rfind('\\'))), (Names{ "locked.bin" }));
    }
}

TEST_F(FileConversion, AFileThatMustNotBeReplacedIsLeftExactlyAsItWas)
{
    // The file to be replaced is the source (in place) or an existing
    // DestFile. Nothing is written for it, or what was written is deleted.
    enum Obstacle { ReadOnly, OpenElsewhere, HardLinked, SymbolicLink };
    struct {
        int line;
        Obstacle obstacle;
        bool convertsFirst;  // fails only when it would take the file's place
    } cases[] = {
        // refused before anything is written (Wine itself would let root
        // replace a read-only file)
        { __LINE__, ReadOnly, false },
        // read by another program that does not share deletion: the
        // rename over it fails
        { __LINE__, OpenElsewhere, true },
        // a second name would keep the old bytes
        { __LINE__, HardLinked, false },
        // made from Linux: replacing it would turn the link into a plain
        // file and leave the file it names as it was
        { __LINE__, SymbolicLink, false },
    };
    for (auto& c : cases) {
        for (bool inPlace : { true, false }) {
            const std::string folder = dir + "\\" + std::to_string(c.line) + (inPlace ? "i" : "o");
            ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL)) << folder << " " << GetLastError();
            const std::string target = folder + "\\target.bin";
            const std::string src = inPlace ? target : folder + "\\src.bin";
            const std::string other = folder + "\\other name.bin";  // the link's other end
            for (Kind kind : AllKinds) {
                SCOPED_TRACE(testing::Message() << "case at line " << c.line << ", "
                                                << (inPlace ? "in place, " : "into DestFile, ")
                                                << KindName(kind));
                const Bytes data = RandomBytes(600000, kind);
                const Bytes old = inPlace ? data : RandomBytes(7000, kind + 10);
                if (!inPlace) {
                    ASSERT_TRUE(WriteBytes(src, data));
                }
                HANDLE held = INVALID_HANDLE_VALUE;
                switch (c.obstacle) {
                case ReadOnly:
                    ASSERT_TRUE(WriteBytes(target, old));
                    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
                    break;
                case OpenElsewhere:
                    ASSERT_TRUE(WriteBytes(target, old));
                    held = CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
                    ASSERT_NE(held, INVALID_HANDLE_VALUE);
                    break;
                case HardLinked:
                    ASSERT_TRUE(WriteBytes(target, old));
                    ASSERT_TRUE(CreateHardLinkA(other.c_str(), target.c_str(), NULL));
                    break;
                case SymbolicLink:
                    ASSERT_TRUE(WriteBytes(other, old));
                    ASSERT_TRUE(RunLinuxCommand("ln -s 'other name.bin' '" + UnixPath(target) + "'"));
                    ASSERT_TRUE(ReadBytes(target) == old) << "no symbolic link was made";
                    break;
                }
                bool tempSeen = false;
                progress.onPosition = [&](int) {
                    tempSeen = tempSeen || FileExists(folder + "\\" + TempName);
                };
                progress.ClearPositions();

                EXPECT_EQ(Convert(kind, src, target, dialog()), 0);

                progress.onPosition = nullptr;
                if (held != INVALID_HANDLE_VALUE)
                    CloseHandle(held);
                EXPECT_EQ(!progress.Positions().empty() && progress.Positions().back() == 100,
                          c.convertsFirst);
                EXPECT_EQ(tempSeen, c.convertsFirst);
                EXPECT_TRUE(ReadBytes(target) == old);
                Names expected{ "target.bin" };
                if (c.obstacle == HardLinked || c.obstacle == SymbolicLink) {
                    EXPECT_TRUE(ReadBytes(other) == old);
                    expected.insert(expected.begin(), "other name.bin");
                }
                if (!inPlace) {
                    expected.push_back("src.bin");
                    std::sort(expected.begin(), expected.end());
                }
                EXPECT_EQ(ListDir(folder), expected);
                if (c.obstacle == ReadOnly) {
                    EXPECT_NE(GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
                    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
                }
                DeleteFileA(target.c_str());
                DeleteFileA(other.c_str());
            }
        }
    }
}

TEST_F(FileConversion, SourceChangingLengthMeanwhileFails)
{
    // Another program, one that ignores share modes, shortens or lengthens
    // the source after the first chunk: the output would have another
    // length than the source had, so nothing is put in place.
    struct {
        int line;
        const char* command;  // on the source's Linux path
    } cases[] = {
        { __LINE__, "truncate -s 300000" },
        { __LINE__, "truncate -s 100" },
        { __LINE__, "truncate -s 0" },
        { __LINE__, "truncate -s 700000" },
    };
    const std::string src = dir + "\\src.bin";
    const std::string dest = dir + "\\dest.bin";
    const Bytes old = RandomBytes(3000, 12);
    for (auto& c : cases) {
        for (bool inPlace : { true, false }) {
            for (Kind kind : AllKinds) {
                SCOPED_TRACE(testing::Message() << "case at line " << c.line << ", "
                                                << (inPlace ? "in place, " : "into DestFile, ")
                                                << KindName(kind));
                ASSERT_TRUE(WriteBytes(src, RandomBytes(600000, kind)));
                if (!inPlace) {
                    ASSERT_TRUE(WriteBytes(dest, old));
                }
                const Bytes before = ReadBytes(src);
                bool changed = false;
                progress.onPosition = [&](int position) {
                    if (position > 0 && !changed)
                        changed = RunLinuxCommand(std::string(c.command) + " '" + UnixPath(src) + "'");
                };
                EXPECT_EQ(Convert(kind, src, inPlace ? src : dest, dialog()), 0);
                progress.onPosition = nullptr;
                EXPECT_TRUE(changed);
                EXPECT_NE(ReadBytes(src).size(), before.size());
                if (!inPlace) {
                    EXPECT_TRUE(ReadBytes(dest) == old);
                }
                EXPECT_EQ(ListDir(dir), inPlace ? (Names{ "src.bin" }) : (Names{ "dest.bin", "src.bin" }));
                DeleteFileA(dest.c_str());
            }
        }
    }
}

TEST_F(FileConversion, OutputThatIsNoDiskFileFails)
{
    // Device names write nowhere: reporting them as converted would be a lie.
    const std::string src = dir + "\\src.bin";
    ASSERT_TRUE(WriteBytes(src, RandomBytes(1000, 13)));
    for (const char* name : { "NUL", "nul.txt", "CON", "aux.bin" }) {
        for (Kind kind : AllKinds) {
            SCOPED_TRACE(testing::Message() << name << ", " << KindName(kind));
            EXPECT_EQ(Convert(kind, src, dir + "\\" + name, dialog()), 0);
            EXPECT_EQ(ListDir(dir), (Names{ "src.bin" }));
        }
    }
}

TEST_F(FileConversion, FullDiskFailsAndDeletesWhatItWrote)
{
    std::string why;
    const std::string disk = FullDiskFixture(&why);
    if (disk.empty())
        GTEST_SKIP() << why;
    const std::string full = disk + "\\convert";
    RemoveTree(full);
    ASSERT_TRUE(CreateDirectoryA(full.c_str(), NULL)) << full;
    // 1 MiB left: room for the source in place, not for it and its copy.
    DiskFiller filler(disk);
    ASSERT_TRUE(filler.Fill(1 << 20));
    const Bytes big = RandomBytes(1500000, 8);
    ASSERT_TRUE(WriteBytes(dir + "\\big.bin", big));
    const Bytes data = RandomBytes(600000, 9);
    const std::string inPlace = full + "\\in place.bin";
    for (Kind kind : AllKinds) {
        SCOPED_TRACE(KindName(kind));
        // the output does not fit
        EXPECT_EQ(Convert(kind, dir + "\\big.bin", full + "\\out.bin", dialog()), 0);
        EXPECT_EQ(ListDir(full), Names());
        // nor beside an existing DestFile, which keeps its bytes
        const Bytes old = RandomBytes(1000, 14);
        ASSERT_TRUE(WriteBytes(full + "\\out.bin", old));
        EXPECT_EQ(Convert(kind, dir + "\\big.bin", full + "\\out.bin", dialog()), 0);
        EXPECT_EQ(ListDir(full), (Names{ "out.bin" }));
        EXPECT_TRUE(ReadBytes(full + "\\out.bin") == old);
        DeleteFileA((full + "\\out.bin").c_str());
        // the source fits, it and its temporary copy do not
        ASSERT_TRUE(WriteBytes(inPlace, data));
        EXPECT_EQ(Convert(kind, inPlace, inPlace, dialog()), 0);
        EXPECT_TRUE(ReadBytes(inPlace) == data);
        EXPECT_EQ(ListDir(full), (Names{ "in place.bin" }));
        DeleteFileA(inPlace.c_str());
    }
    RemoveTree(full);
}

TEST_F(FileConversion, FilesOf4GiBOrMoreAreRefusedBeforeAnythingIsWritten)
{
    const std::string big = dir + "\\big.bin";
    const std::string old = dir + "\\old.bin";
    const Bytes oldData = RandomBytes(5000, 10);
    ASSERT_TRUE(WriteBytes(old, oldData));
    for (unsigned long long size : { 4 * GiB, 4 * GiB + 1, 5 * GiB }) {
        // sparse: no data is written, the holes read as zeros
        ASSERT_TRUE(MakeSparseFile(big, size));
        ASSERT_EQ(FileSize(big), (long long)size);
        for (Kind kind : AllKinds) {
            SCOPED_TRACE(testing::Message() << KindName(kind) << ", " << size << " bytes");
            EXPECT_EQ(Convert(kind, big, dir + "\\new.bin", dialog()), 0);
            EXPECT_EQ(Convert(kind, big, old, dialog()), 0);
            EXPECT_TRUE(ReadBytes(old) == oldData);
            EXPECT_EQ(Convert(kind, big, big, dialog()), 0);
            EXPECT_EQ(FileSize(big), (long long)size);
            EXPECT_EQ(ListDir(dir), (Names{ "big.bin", "old.bin" }));
        }
    }
    DeleteFileA(big.c_str());
}

TEST_F(FileConversion, ReverseReadsChunksBeyondTwoGiB)
{
    // A sparse source of 3 GiB + 262,145 bytes whose end holds data: the
    // reverse conversion reads its last chunks first, at offsets above
    // 2 GiB, and is stopped when the bar first moves (1 %). The temporary
    // output is deleted then, so a second name made for it meanwhile keeps
    // what was written.
    const unsigned long long size = 3 * GiB + 262145;
    const Bytes tail = RandomBytes(262145, 11);
    const std::string big = dir + "\\big.bin";
    const std::string dest = dir + "\\dest.bin";
    const std::string witness = dir + "\\witness.bin";
    ASSERT_TRUE(MakeSparseFile(big, size, tail));

    progress.onPosition = [&](int position) {
        if (position == 1) {
            CreateHardLinkA(witness.c_str(), (dir + "\\" + TempName).c_str(), NULL);
            CancelFlag = 1;
        }
    };
    EXPECT_EQ(ReverseFile(big.c_str(), dest.c_str(), dialog()), 0);
    progress.onPosition = nullptr;

    EXPECT_FALSE(FileExists(dest));
    Bytes written = ReadBytes(witness);
    ASSERT_GE(written.size(), tail.size());
    written.resize(tail.size());
    EXPECT_TRUE(written == Expected(Reverse, tail)) << "bytes at the end differ";
    DeleteFileA(big.c_str());
    DeleteFileA(witness.c_str());
}

}  // namespace
