// Rows whose files are held open by someone else with a share mode that
// excludes the conversion: the row fails cleanly and nothing on disk moves.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "faults.h"

namespace {

// Every file of dir with its bytes.
std::map<std::string, Bytes> Snapshot(const std::string& dir)
{
    std::map<std::string, Bytes> files;
    for (const std::string& name : ListDir(dir))
        files[name] = ReadBytes(dir + "\\" + name);
    return files;
}

std::vector<std::string> KeysOf(const std::map<std::string, Bytes>& files)
{
    std::vector<std::string> keys;
    for (auto& f : files)
        keys.push_back(f.first);
    return keys;
}

class LockedFileTest : public FaultBatchTest {};

TEST_F(LockedFileTest, RowWithAFileHeldOpenFailsAndChangesNothing)
{
    enum Held { Source, Dest };
    const DWORD Read = GENERIC_READ, Write = GENERIC_WRITE;
    const DWORD ShareRead = FILE_SHARE_READ;
    const DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    struct {
        int line;
        bool inPlace;
        Held held;
        DWORD access;
        DWORD share;
    } cases[] = {
        // The source being written elsewhere, without read sharing.
        { __LINE__, false, Source, Write, 0 },
        { __LINE__, true, Source, Write, 0 },
        // A writer that lets others read: the conversion's reader does not
        // share writing, so it cannot open the file either.
        { __LINE__, false, Source, Write, ShareRead },
        { __LINE__, true, Source, Write, ShareRead },
        // A reader that shares nothing.
        { __LINE__, true, Source, Read, 0 },
        // A reader that shares reading: the source can be read and
        // converted, but not replaced while it is open.
        { __LINE__, true, Source, Read, ShareRead },
        // The existing DestFile open elsewhere.
        { __LINE__, false, Dest, Read, 0 },
        { __LINE__, false, Dest, Write, 0 },
        { __LINE__, false, Dest, Read, ShareRead },
        { __LINE__, false, Dest, Write, ShareAll & ~FILE_SHARE_DELETE },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        DeleteFileA(LogFile().c_str());
        std::string dir = TestDir(std::to_string(c.line));
        std::string src = dir + "\\source.bin";
        std::string dest = c.inPlace ? src : dir + "\\dest.bin";
        ASSERT_TRUE(WriteBytes(src, RandomBytes(700000, (unsigned)c.line)));
        if (c.held == Dest) {
            ASSERT_TRUE(WriteBytes(dest, RandomBytes(1000, 1)));
        }
        AddRow(src, c.inPlace ? "" : dest, "ビット反転");
        std::map<std::string, Bytes> before = Snapshot(dir);

        std::string heldPath = c.held == Source ? src : dest;
        HANDLE held = CreateFileA(heldPath.c_str(), c.access, c.share, NULL, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        ASSERT_NE(held, INVALID_HANDLE_VALUE) << heldPath;
        RunBatch();
        CloseHandle(held);

        EXPECT_EQ(RowCount(), 1);
        EXPECT_TRUE(SelectedRows().empty());
        std::vector<std::string> entries = Entries();
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_NE(entries[0].find("\nFailed!\n\n"), std::string::npos);
        std::map<std::string, Bytes> after = Snapshot(dir);
        EXPECT_EQ(ListDir(dir), KeysOf(before));
        EXPECT_TRUE(after == before) << "the bytes of a file changed";
        ClearRows();
        if (HasFatalFailure())
            return;
    }
}

}  // namespace
