// Converting files on the real file system under Wine, inside a progress
// dialog made from template 2001: contents, progress, in-place
// replacement, cancelling, output directories and the dialog's texts.
#include <windows.h>
#include <sddl.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "conversion.h"
#include "convert/transform.h"
#include "res/resource.h"

namespace {

typedef std::vector<std::string> Names;

// The sizes around the 262,144-byte chunk.
const size_t Sizes[] = { 0, 1, 262143, 262144, 262145, 524288, 600000 };

TEST_F(FileConversion, ConvertsEverySizeByteForByte)
{
    ASSERT_TRUE(CreateDirectoryA((dir + "\\out").c_str(), NULL));
    // every type, and passwords of one byte and of double-byte characters
    const struct { Kind kind; const char* password; } conversions[] = {
        { Invert, TestPassword },  { Reverse, TestPassword }, { Password, TestPassword },
        { Password, "a" },         { Password, "パスワード" },
    };
    for (size_t size : Sizes) {
        const Bytes data = RandomBytes(size, (unsigned)size);
        const std::string src = dir + "\\src-" + std::to_string(size) + ".bin";
        ASSERT_TRUE(WriteBytes(src, data));
        for (auto& conversion : conversions) {
            const Kind kind = conversion.kind;
            SCOPED_TRACE(testing::Message() << KindName(kind) << ", " << size << " bytes, password "
                                            << conversion.password);
            const std::string dest = dir + "\\out\\dest.bin";
            const int result = Convert(kind, src, dest, dialog(), conversion.password);
            EXPECT_TRUE(ReadBytes(src) == data) << "source changed";
            if (size == 0) {
                // an empty source fails and leaves no output at all
                EXPECT_EQ(result, 0);
                EXPECT_EQ(ListDir(dir + "\\out"), Names());
            } else {
                EXPECT_EQ(result, 1);
                EXPECT_TRUE(ReadBytes(dest) == Expected(kind, data, conversion.password))
                    << "converted bytes differ";
                EXPECT_EQ(ListDir(dir + "\\out"), (Names{ "dest.bin" }));
            }
            DeleteFileA(dest.c_str());
        }
    }
}

// msvcrt's rand() is the same generator as the password's: an oracle
// independent of both the program and reference.h, asked once here, for
// the generator alone and for a whole password file (whose seed, 7 - 107,
// wraps below zero).
TEST_F(FileConversion, PasswordStreamIsTheCRuntimesRand)
{
    for (unsigned seed : { 1u, 0u, 102u, 0xFFFFFF87u, 0x80000000u }) {
        srand(seed);
        SeedPasswordRandom(seed);
        for (int i = 0; i < 1000; ++i)
            ASSERT_EQ(NextPasswordRandom(), rand()) << "seed " << seed << " step " << i;
    }
    const Bytes data = RandomBytes(300000, 3);
    Bytes expected = data;
    const size_t length = strlen(TestPassword);
    srand((unsigned)((int)length + (int)(signed char)TestPassword[0]));
    for (unsigned char& b : expected)
        b ^= (unsigned char)TestPassword[(size_t)rand() % length];
    ASSERT_TRUE(WriteBytes(dir + "\\src.bin", data));
    ASSERT_EQ(Convert(Password, dir + "\\src.bin", dir + "\\dest.bin", dialog()), 1);
    EXPECT_TRUE(ReadBytes(dir + "\\dest.bin") == expected);
}

TEST_F(FileConversion, ReplacesALongerExistingDestFile)
{
    const Bytes data = RandomBytes(300000, 1);
    ASSERT_TRUE(WriteBytes(dir + "\\src.bin", data));
    for (Kind kind : AllKinds) {
        SCOPED_TRACE(KindName(kind));
        ASSERT_TRUE(WriteBytes(dir + "\\dest.bin", RandomBytes(700000, 2)));
        EXPECT_EQ(Convert(kind, dir + "\\src.bin", dir + "\\dest.bin", dialog()), 1);
        EXPECT_TRUE(ReadBytes(dir + "\\dest.bin") == Expected(kind, data));
    }
}

TEST_F(FileConversion, ProgressMovesOncePerChunk)
{
    // Reverse writes the short last chunk first.
    struct {
        int line;
        size_t size;
        std::vector<int> forward;  // bit inversion and password
        std::vector<int> reverse;
    } cases[] = {
        { __LINE__, 0, { 0 }, { 0 } },
        { __LINE__, 1, { 0, 100 }, { 0, 100 } },
        { __LINE__, 262143, { 0, 100 }, { 0, 100 } },
        { __LINE__, 262144, { 0, 100 }, { 0, 100 } },
        // the first chunk of 262,145 bytes reversed is 0 %: nothing to tell
        { __LINE__, 262145, { 0, 99, 100 }, { 0, 100 } },
        { __LINE__, 524288, { 0, 50, 100 }, { 0, 50, 100 } },
        { __LINE__, 600000, { 0, 43, 87, 100 }, { 0, 12, 56, 100 } },
    };
    for (auto& c : cases) {
        const std::string src = dir + "\\src.bin";
        ASSERT_TRUE(WriteBytes(src, RandomBytes(c.size, 3)));
        for (Kind kind : AllKinds) {
            SCOPED_TRACE(testing::Message() << "case at line " << c.line << ", " << KindName(kind));
            progress.ClearPositions();
            Convert(kind, src, dir + "\\dest.bin", dialog());
            EXPECT_EQ(progress.Positions(), kind == Reverse ? c.reverse : c.forward);
        }
    }
}

TEST_F(FileConversion, ProgressOfALargeFileRunsSteadilyToOneHundred)
{
    // 100 MiB and a short chunk: bytes done times 100 no longer fits in
    // 32 bits after 42,949,673 of them.
    const unsigned long long chunk = 262144;
    const unsigned long long size = 400 * chunk + 12345;
    const std::string src = dir + "\\large.bin";
    ASSERT_TRUE(MakeSparseFile(src, size, RandomBytes(12345, 9)));
    std::vector<int> forward = { 0 };
    for (unsigned long long done = chunk;; done += chunk) {
        forward.push_back((int)(std::min(done, size) * 100 / size));
        if (done >= size)
            break;
    }
    std::vector<int> reverse = { 0 };
    for (unsigned long long done = size % chunk; done <= size; done += chunk)
        reverse.push_back((int)(done * 100 / size));
    // The bar is told each position once.
    forward.erase(std::unique(forward.begin(), forward.end()), forward.end());
    reverse.erase(std::unique(reverse.begin(), reverse.end()), reverse.end());
    for (Kind kind : AllKinds) {
        SCOPED_TRACE(KindName(kind));
        progress.ClearPositions();
        EXPECT_EQ(Convert(kind, src, dir + "\\out.bin", dialog()), 1);
        EXPECT_EQ(progress.Positions(), kind == Reverse ? reverse : forward);
        DeleteFileA((dir + "\\out.bin").c_str());
    }
    DeleteFileA(src.c_str());
}

TEST_F(FileConversion, InPlaceGoesThroughTheTemporaryFile)
{
    // The temporary file lies beside the source, also in a directory whose
    // name ends in 表 and in a drive root; the source keeps its old bytes
    // until the converted copy is complete.
    struct {
        int line;
        std::string folder;  // ends in a backslash
        std::string name;
        bool listFolder;     // a folder of this test alone
    } places[] = {
        { __LINE__, dir + "\\", "data.bin", true },
        { __LINE__, dir + "\\予定表\\", "ソース.txt", true },
        { __LINE__, "C:\\", "Mirtavolen in place.bin", false },
    };
    for (auto& place : places) {
        ASSERT_TRUE(MakeDirectories(place.folder.substr(0, place.folder.size() - 1)));
        const std::string src = place.folder + place.name;
        const std::string temp = place.folder + TempName;
        for (size_t size : { (size_t)1, (size_t)600000 }) {
            for (Kind kind : AllKinds) {
                SCOPED_TRACE(testing::Message() << "case at line " << place.line << ", "
                                                << KindName(kind) << ", " << size << " bytes");
                const Bytes data = RandomBytes(size, (unsigned)size + kind);
                ASSERT_TRUE(WriteBytes(src, data));
                bool looked = false;
                bool tempDuring = false;
                bool sourceIntactDuring = false;
                progress.onPosition = [&](int position) {
                    if (position == 0 || looked)
                        return;
                    looked = true;
                    tempDuring = FileExists(temp);
                    sourceIntactDuring = ReadBytes(src) == data;
                };
                EXPECT_EQ(Convert(kind, src, src, dialog()), 1);
                progress.onPosition = nullptr;
                EXPECT_TRUE(looked);
                EXPECT_TRUE(tempDuring);
                EXPECT_TRUE(sourceIntactDuring);
                EXPECT_TRUE(ReadBytes(src) == Expected(kind, data));
                EXPECT_FALSE(FileExists(temp));
                if (place.listFolder) {
                    EXPECT_EQ(ListDir(place.folder), (Names{ place.name }));
                }
            }
        }
        DeleteFileA(src.c_str());
    }
}

TEST_F(FileConversion, EmptySourceFailsAndLeavesEveryFileAsItWas)
{
    const std::string src = dir + "\\empty.bin";
    const std::string dest = dir + "\\dest.bin";
    const Bytes old = RandomBytes(1000, 3);
    ASSERT_TRUE(WriteBytes(src, Bytes()));
    for (Kind kind : AllKinds) {
        SCOPED_TRACE(KindName(kind));
        EXPECT_EQ(Convert(kind, src, src, dialog()), 0);
        EXPECT_EQ(ListDir(dir), (Names{ "empty.bin" }));
        EXPECT_TRUE(ReadBytes(src).empty());
        // nor does it empty an existing DestFile
        ASSERT_TRUE(WriteBytes(dest, old));
        EXPECT_EQ(Convert(kind, src, dest, dialog()), 0);
        EXPECT_TRUE(ReadBytes(dest) == old);
        DeleteFileA(dest.c_str());
    }
}

TEST_F(FileConversion, TemporaryNamesInUseAreNeverTouched)
{
    // Files that bear the temporary file's name: the user's own, another
    // instance's held open, and ones that a killed run left behind, marked
    // as the program's own (hidden and system). The conversion deletes a
    // marked one that nobody holds open and takes its name; it takes the
    // first free name past every other one and leaves it as it was.
    struct Beside {
        std::string name;
        bool held;    // another program holds it open
        bool marked;  // left by a killed run
        bool link = false;  // a link to a marked file of the user's, "mine.bin"
    };
    struct {
        int line;
        std::vector<Beside> beside;  // present before, with bytes of their own
        std::string src, dest;
    } cases[] = {
        { __LINE__, { { "_Mirtavolen.tmp", false, false } }, "a.bin", "a.bin" },
        { __LINE__, {}, "_Mirtavolen.tmp", "_Mirtavolen.tmp" },
        { __LINE__, { { "_Mirtavolen.tmp", false, false } }, "a.bin", "_Mirtavolen.tmp" },
        { __LINE__, { { "_Mirtavolen.tmp", true, false }, { "_Mirtavolen1.tmp", true, false } },
          "a.bin", "a.bin" },
        { __LINE__, { { "_Mirtavolen.tmp", true, false }, { "_Mirtavolen1.tmp", true, false } },
          "a.bin", "b.bin" },
        { __LINE__, { { "_Mirtavolen.tmp", false, true } }, "a.bin", "a.bin" },
        { __LINE__, { { "_Mirtavolen.tmp", true, true }, { "_Mirtavolen1.tmp", false, true } },
          "a.bin", "b.bin" },
        { __LINE__, { { "_Mirtavolen.tmp", false, false }, { "_Mirtavolen1.tmp", false, true },
                      { "_Mirtavolen2.tmp", false, true } },
          "a.bin", "a.bin" },
        { __LINE__, { { "_Mirtavolen.tmp", false, true, true } }, "a.bin", "a.bin" },
    };
    for (auto& c : cases) {
        for (Kind kind : AllKinds) {
            SCOPED_TRACE(testing::Message() << "case at line " << c.line << ", " << KindName(kind));
            const std::string folder = dir + "\\" + std::to_string(c.line) + KindName(kind);
            ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
            std::vector<HANDLE> held;
            Names expected;
            for (size_t i = 0; i < c.beside.size(); ++i) {
                std::string path = folder + "\\" + c.beside[i].name;
                if (c.beside[i].link) {
                    ASSERT_TRUE(RunLinuxCommand("ln -s mine.bin '" + UnixPath(path) + "'"));
                    path = folder + "\\mine.bin";
                    expected.push_back("mine.bin");
                }
                ASSERT_TRUE(WriteBytes(path, RandomBytes(100 + i, (unsigned)i)));
                if (c.beside[i].marked) {
                    ASSERT_TRUE(SetFileAttributesA(path.c_str(),
                                                   FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
                }
                if (c.beside[i].held)
                    held.push_back(CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING,
                                               FILE_ATTRIBUTE_NORMAL, NULL));
            }
            const Bytes data = RandomBytes(300000, kind);
            ASSERT_TRUE(WriteBytes(folder + "\\" + c.src, data));
            EXPECT_EQ(Convert(kind, folder + "\\" + c.src, folder + "\\" + c.dest, dialog()), 1);
            for (HANDLE h : held)
                CloseHandle(h);
            EXPECT_TRUE(ReadBytes(folder + "\\" + c.dest) == Expected(kind, data));
            // the first marked one nobody holds is taken; any other stays
            bool taken = false;
            for (size_t i = 0; i < c.beside.size(); ++i) {
                const Beside& b = c.beside[i];
                if (!taken && b.marked && !b.held && !b.link && b.name != c.dest) {
                    taken = true;
                    continue;
                }
                expected.push_back(b.name);
                if (b.name != c.dest) {
                    EXPECT_TRUE(ReadBytes(folder + "\\" + b.name) == RandomBytes(100 + i, (unsigned)i))
                        << b.name;
                }
                if (!b.marked && !b.link && b.name != c.dest) {
                    EXPECT_EQ(GetFileAttributesA((folder + "\\" + b.name).c_str()),
                              (DWORD)FILE_ATTRIBUTE_ARCHIVE) << b.name;
                }
            }
            expected.push_back(c.src);
            expected.push_back(c.dest);
            std::sort(expected.begin(), expected.end());
            expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
            EXPECT_EQ(ListDir(folder), expected);
            EXPECT_EQ(GetFileAttributesA((folder + "\\" + c.dest).c_str()),
                      (DWORD)FILE_ATTRIBUTE_ARCHIVE) << "the mark was not taken off";
        }
    }
}

TEST_F(FileConversion, AnExistingDestFileTypedAnotherWayIsReplaced)
{
    // The name the user typed reaches the file itself, not a link to it.
    const std::string dest = dir + "\\Dest File.bin";
    const std::string src = dir + "\\src.bin";
    ASSERT_TRUE(WriteBytes(dest, RandomBytes(10, 1)));
    ASSERT_TRUE(WriteBytes(src, RandomBytes(10, 2)));
    const std::string spellings[] = { dest + ".", dest + " ", dir + "\\DEST FILE.BIN",
                                      ShortPath(Wide(dest)) };
    ASSERT_NE(spellings[3], "") << "no 8.3 name here";
    for (const std::string& typed : spellings) {
        for (bool inPlace : { true, false }) {
            for (Kind kind : AllKinds) {
                SCOPED_TRACE(testing::Message() << "[" << typed << "] "
                                                << (inPlace ? "in place, " : "into it, ")
                                                << KindName(kind));
                const Bytes data = RandomBytes(1000, kind);
                ASSERT_TRUE(WriteBytes(inPlace ? dest : src, data));
                EXPECT_EQ(Convert(kind, inPlace ? typed : src, typed, dialog()), 1);
                EXPECT_TRUE(ReadBytes(dest) == Expected(kind, data));
                EXPECT_EQ(ListDir(dir), (Names{ "Dest File.bin", "src.bin" }));
            }
        }
    }
}

// The DACL and owner of a file as an SDDL string; "" when unreadable.
std::string SecurityOf(const std::string& path)
{
    const SECURITY_INFORMATION both = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD needed = 0;
    GetFileSecurityA(path.c_str(), both, NULL, 0, &needed);
    std::vector<BYTE> security(needed + 1);
    char* text = NULL;
    if (!GetFileSecurityA(path.c_str(), both, security.data(), needed, &needed)
        || !ConvertSecurityDescriptorToStringSecurityDescriptorA(security.data(), SDDL_REVISION_1,
                                                                 both, &text, NULL))
        return "";
    std::string sddl = text;
    LocalFree(text);
    return sddl;
}

// The Linux permission bits of a file ("600").
std::string LinuxModeOf(const std::string& path)
{
    const std::string out = path + ".mode";
    RunLinuxCommand("stat -c %a '" + UnixPath(path) + "' > '" + UnixPath(out) + "'");
    std::string mode = ReadText(out);
    DeleteFileA(out.c_str());
    return mode.substr(0, mode.find('\n'));
}

TEST_F(FileConversion, AReplacedFileKeepsItsAttributesAndWhoMayReadIt)
{
    // Its attributes, and its DACL and owner as Windows keeps them: a
    // private file stays private (under Linux too), a readable one stays
    // readable. Wine keeps the archive attribute on every file.
    const struct {
        const char* mode;  // given with chmod; null: the attributes are given
        DWORD attributes;
    } givens[] = {
        { "600", 0 }, { "640", 0 }, { "644", 0 },
        { nullptr, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE },
        { nullptr, FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE },
        { nullptr, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE },
        { nullptr, FILE_ATTRIBUTE_ARCHIVE },
    };
    auto kept = [](const std::string& file) {
        return SecurityOf(file) + ", attributes "
            + std::to_string(GetFileAttributesA(file.c_str()));
    };
    const std::string src = dir + "\\src.bin";
    const std::string dest = dir + "\\dest.bin";
    for (auto& given : givens) {
        for (bool inPlace : { true, false }) {
            for (Kind kind : AllKinds) {
                SCOPED_TRACE(testing::Message() << "mode " << (given.mode ? given.mode : "as made")
                                                << ", attributes " << given.attributes << ", "
                                                << (inPlace ? "in place, " : "into DestFile, ")
                                                << KindName(kind));
                const std::string target = inPlace ? src : dest;
                const Bytes data = RandomBytes(1000, kind);
                ASSERT_TRUE(WriteBytes(src, data));
                ASSERT_TRUE(WriteBytes(dest, RandomBytes(10, kind)));
                if (given.mode != nullptr) {
                    ASSERT_TRUE(RunLinuxCommand(std::string("chmod ") + given.mode + " '"
                                                + UnixPath(target) + "'"));
                    ASSERT_EQ(LinuxModeOf(target), given.mode);
                } else {
                    ASSERT_TRUE(SetFileAttributesA(target.c_str(), given.attributes));
                    ASSERT_EQ(GetFileAttributesA(target.c_str()), given.attributes);
                }
                const std::string before = kept(target);
                EXPECT_EQ(Convert(kind, src, target, dialog()), 1);
                EXPECT_TRUE(ReadBytes(target) == Expected(kind, data));
                EXPECT_EQ(kept(target), before);
                if (given.mode != nullptr && given.mode[2] == '0') {
                    EXPECT_EQ(LinuxModeOf(target).back(), '0') << "others may read it";
                }
                SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
            }
        }
    }
}

TEST_F(FileConversion, CancelAfterTheFirstChunkRemovesWhatWasWritten)
{
    const Bytes data = RandomBytes(600000, 4);
    const Bytes old = RandomBytes(1000, 5);
    const std::string src = dir + "\\src.bin";
    const std::string dest = dir + "\\dest.bin";
    // The stop button sets the flag while the bar shows the first chunk.
    progress.onPosition = [](int position) {
        if (position > 0)
            CancelFlag = 1;
    };
    struct {
        int line;
        std::string dest;
        bool destExisted;  // an existing DestFile the user agreed to replace
    } cases[] = {
        { __LINE__, src, false },
        { __LINE__, dest, false },
        { __LINE__, dest, true },
    };
    for (auto& c : cases) {
        for (Kind kind : AllKinds) {
            SCOPED_TRACE(testing::Message() << "case at line " << c.line << ", " << KindName(kind));
            ASSERT_TRUE(WriteBytes(src, data));
            if (c.destExisted) {
                ASSERT_TRUE(WriteBytes(dest, old));
            }
            CancelFlag = 0;
            progress.ClearPositions();
            EXPECT_EQ(Convert(kind, src, c.dest, dialog()), 0);
            // no chunk after the first one
            EXPECT_EQ(progress.Positions(), kind == Reverse ? (std::vector<int>{ 0, 12 })
                                                            : (std::vector<int>{ 0, 43 }));
            // an existing DestFile keeps its old bytes; a new one never appears
            EXPECT_EQ(ListDir(dir), c.destExisted ? (Names{ "dest.bin", "src.bin" })
                                                  : (Names{ "src.bin" }));
            if (c.destExisted) {
                EXPECT_TRUE(ReadBytes(dest) == old);
                DeleteFileA(dest.c_str());
            }
            EXPECT_TRUE(ReadBytes(src) == data);
        }
    }
}

TEST_F(FileConversion, CreatesAMissingOutputDirectoryOnlyForASourceThatCanBeConverted)
{
    const Bytes data = RandomBytes(1000, 6);
    ASSERT_TRUE(WriteBytes(dir + "\\src.bin", data));
    ASSERT_TRUE(WriteBytes(dir + "\\empty.bin", Bytes()));
    struct {
        int line;
        std::string src;
        std::string outDir;  // below dir, missing before the call
        int result;
    } cases[] = {
        { __LINE__, dir + "\\src.bin", "a\\b\\c", 1 },
        { __LINE__, dir + "\\src.bin", "予定表\\能力\\ソ", 1 },
        // the source is looked at first: no directory is left behind
        { __LINE__, dir + "\\missing.bin", "x\\y\\z", 0 },
        { __LINE__, dir + "\\empty.bin", "e\\f", 0 },
    };
    for (auto& c : cases) {
        for (Kind kind : AllKinds) {
            SCOPED_TRACE(testing::Message() << "case at line " << c.line << ", " << KindName(kind));
            const std::string top = dir + "\\" + c.outDir.substr(0, c.outDir.find('\\'));
            RemoveTree(top);
            const std::string dest = dir + "\\" + c.outDir + "\\表.bin";
            EXPECT_EQ(Convert(kind, c.src, dest, dialog()), c.result);
            if (c.result) {
                EXPECT_TRUE(ReadBytes(dest) == Expected(kind, data));
            }
            EXPECT_EQ(GetFileAttributesA(top.c_str()) != INVALID_FILE_ATTRIBUTES, c.result == 1);
        }
    }
    // exactly the directories asked for, none cut at a 0x5C byte
    EXPECT_EQ(ListDir(dir), (Names{ "a", "empty.bin", "src.bin", "予定表" }));
    EXPECT_EQ(ListDir(dir + "\\予定表"), (Names{ "能力" }));
    EXPECT_EQ(ListDir(dir + "\\予定表\\能力"), (Names{ "ソ" }));
    EXPECT_EQ(ListDir(dir + "\\予定表\\能力\\ソ"), (Names{ "表.bin" }));
}

// Every text of the dialog and its children.
BOOL CALLBACK CollectText(HWND window, LPARAM texts)
{
    ((std::vector<std::string>*)texts)->push_back(WindowText(window));
    return TRUE;
}

TEST_F(FileConversion, DialogShowsTheSourceAndTheTypeButNeverThePassword)
{
    const std::string src = dir + "\\予定表\\ソース.txt";
    ASSERT_TRUE(MakeDirectories(dir + "\\予定表"));
    ASSERT_TRUE(WriteBytes(src, RandomBytes(1000, 7)));
    const char* typeText[] = { "ビット反転", "リバース", "パスワード" };
    for (Kind kind : AllKinds) {
        SCOPED_TRACE(KindName(kind));
        EXPECT_EQ(Convert(kind, src, dir + "\\out.bin", dialog()), 1);
        EXPECT_EQ(ItemText(dialog(), IDC_PROG_FILE), src);
        EXPECT_EQ(ItemText(dialog(), IDC_PROG_TYPE), typeText[kind]);
        std::vector<std::string> texts;
        EnumChildWindows(dialog(), CollectText, (LPARAM)&texts);
        texts.push_back(WindowText(dialog()));
        for (const std::string& text : texts)
            EXPECT_EQ(text.find(TestPassword), std::string::npos) << text;
    }
}

}  // namespace
