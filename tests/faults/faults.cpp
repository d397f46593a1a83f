#include "faults.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "app/mainwnd.h"
#include "convert/batch.h"
#include "joblist/jobrow.h"
#include "joblist/listview.h"
#include "support/settings.h"

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

void FaultBatchTest::RunBatch()
{
    ItemDefaults.DefPolicy = MakeOverwritePolicy(1, 1);
    StartBatch(MainWindow, 1);
}
