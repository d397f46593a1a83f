#include "faults.h"

#include <commctrl.h>
#include <stdlib.h>


#include <gtest/gtest.h>

#include "app/mainwnd.h"
#include "convert/batch.h"
#include "joblist/jobrow.h"
#include "joblist/listview.h"
#include "support/settings.h"

std::string FullDiskRoot()
{
    const char* unixPath = getenv("MIRTAVOLEN_FULLDISK");
    if (unixPath == NULL || unixPath[0] != '/')
        return "";
    std::string path = std::string("Z:") + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    while (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    return path;
}

long long FreeBytes(const std::string& dir)
{
    ULARGE_INTEGER available, total, free;
    if (!GetDiskFreeSpaceExA((dir + "\\").c_str(), &available, &total, &free))
        return -1;
    return (long long)available.QuadPart;
}

// ---- DiskFiller ----

DiskFiller::DiskFiller(const std::string& dir) : path_(dir + "\\filler.bin") {}

DiskFiller::~DiskFiller()
{
    Release();
}

void DiskFiller::Release()
{
    DeleteFileA(path_.c_str());
}

bool DiskFiller::Fill(long long leave)
{
    ULARGE_INTEGER available, total, free;
    std::string dir = path_.substr(0, path_.rfind('\\') + 1);
    if (!GetDiskFreeSpaceExA(dir.c_str(), &available, &total, &free)) {
        ADD_FAILURE() << "no free space reported for " << dir;
        return false;
    }
    const unsigned long long Limit = 64ull << 20;
    if (total.QuadPart > Limit) {
        ADD_FAILURE() << dir << " holds " << total.QuadPart
                      << " bytes: not the small tmpfs of the tests, not filled";
        return false;
    }
    HANDLE h = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot create " << path_;
        return false;
    }
    std::vector<char> block(1 << 20, 'f');
    unsigned long long size = 0;
    while (size <= Limit) {
        DWORD written = 0;
        if (!WriteFile(h, block.data(), (DWORD)block.size(), &written, NULL) || written == 0)
            break;
        size += written;
    }
    // Give back whole pages until `leave` bytes are free.
    bool ok = true;
    if (leave > 0) {
        LARGE_INTEGER end;
        end.QuadPart = (long long)size - leave;
        ok = end.QuadPart >= 0 && SetFilePointerEx(h, end, NULL, FILE_BEGIN) && SetEndOfFile(h);
        EXPECT_TRUE(ok) << "filled " << size << " bytes, error " << GetLastError();
    }
    CloseHandle(h);
    long long nowFree = FreeBytes(dir.substr(0, dir.size() - 1));
    EXPECT_EQ(nowFree, leave) << "the disk could not be filled as asked";
    return ok && nowFree == leave;
}

// ---- FaultBatchTest ----

void FaultBatchTest::SetUp()
{
    MainWindowTest::SetUp();
    DeleteFileA(LogFile().c_str());
}

void FaultBatchTest::TearDown()
{
    MainWindowTest::TearDown();
    DeleteFileA(LogFile().c_str());
}

void FaultBatchTest::AddRow(const std::string& src, const std::string& dest,
                            const std::string& label)
{
    int before = RowCount();
    ASSERT_EQ(AddJobRow(JobListView, src.c_str(), -1), 1) << src;
    ASSERT_EQ(RowCount(), before + 1) << src;
    if (!dest.empty())
        WriteJobColumn(JobListView, before, ColDestFile, dest.c_str());
    WriteJobColumn(JobListView, before, ColTypeLabel, label.c_str());
    std::vector<int> rows = SelectedRows();
    rows.push_back(before);
    Select(rows);
}

void FaultBatchTest::ClearRows()
{
    SendMessageA(JobListView, LVM_DELETEALLITEMS, 0, 0);
}

void FaultBatchTest::RunBatch()
{
    ItemDefaults.DefPolicy = MakeOverwritePolicy(1, 1);
    StartBatch(MainWindow, 1);
}
