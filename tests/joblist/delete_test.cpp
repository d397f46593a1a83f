// Deleting the selected rows and selecting every row, through the menu
// commands: which rows remain, and where the selection and focus go.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "joblist/jobrow.h"
#include "joblist/listview.h"
#include "listtest.h"
#include "res/resource.h"

namespace {

class RowSelectionTest : public JobListTest {
protected:
    Texts AddRows(int count)
    {
        Texts paths = AddFileRows(dir_, count);
        EXPECT_EQ(RowCount(), count);
        return paths;
    }
};

TEST_F(RowSelectionTest, DeleteKeepsTheOtherRowsAndSelectsTheRowAfterTheFirstDeleted)
{
    struct {
        int line;
        int rows;
        std::vector<int> selected;
        std::vector<int> remaining;  // indices before the deletion
        int selectedAfter;           // index after; -1: nothing selected
    } cases[] = {
        { __LINE__, 6, { 2, 4 }, { 0, 1, 3, 5 }, 2 },
        { __LINE__, 6, { 0 }, { 1, 2, 3, 4, 5 }, 0 },
        { __LINE__, 6, { 1, 2, 3 }, { 0, 4, 5 }, 1 },
        { __LINE__, 6, { 1, 5 }, { 0, 2, 3, 4 }, 1 },
        // Nothing follows the deleted rows: the new last row.
        { __LINE__, 6, { 4, 5 }, { 0, 1, 2, 3 }, 3 },
        { __LINE__, 6, { 3, 4, 5 }, { 0, 1, 2 }, 2 },
        { __LINE__, 1, { 0 }, {}, -1 },
        { __LINE__, 3, { 0, 1, 2 }, {}, -1 },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        ClearRows();
        Texts paths = AddRows(c.rows);
        Select(c.selected);
        // The caret sits on a row that stays, if there is one: it moves too.
        if (!c.remaining.empty())
            ListView_SetItemState(JobListView, c.remaining.back(), LVIS_FOCUSED, LVIS_FOCUSED);

        Command(IDM_FILE_DELETE);

        Texts expected;
        for (int i : c.remaining)
            expected.push_back(paths[i]);
        EXPECT_EQ(Column(ColSrcFile), expected);
        std::vector<int> selection;
        if (c.selectedAfter >= 0)
            selection.push_back(c.selectedAfter);
        EXPECT_EQ(SelectedRows(), selection);
        EXPECT_EQ(FocusedRow(), c.selectedAfter);
    }
}

TEST_F(RowSelectionTest, DeleteWithoutSelectionChangesNothing)
{
    Texts paths = AddRows(3);
    Select({});
    Command(IDM_FILE_DELETE);
    EXPECT_EQ(Column(ColSrcFile), paths);
    EXPECT_EQ(SelectedRows(), std::vector<int>());
}

TEST_F(RowSelectionTest, SelectAllSelectsEveryRowAndFocusesTheLast)
{
    struct {
        int line;
        int rows;
        std::vector<int> selectedBefore;
    } cases[] = {
        { __LINE__, 3, {} },
        { __LINE__, 3, { 0 } },
        { __LINE__, 3, { 1, 2 } },
        { __LINE__, 1, {} },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        ClearRows();
        AddRows(c.rows);
        Select(c.selectedBefore);
        if (!c.selectedBefore.empty())
            ListView_SetItemState(JobListView, c.selectedBefore[0], LVIS_FOCUSED, LVIS_FOCUSED);

        Command(IDM_ITEM_SELECTALL);

        std::vector<int> all;
        for (int i = 0; i < c.rows; ++i)
            all.push_back(i);
        EXPECT_EQ(SelectedRows(), all);
        EXPECT_EQ(FocusedRow(), c.rows - 1);
    }
}

TEST_F(RowSelectionTest, SelectAllOnAnEmptyListSelectsNothing)
{
    Command(IDM_ITEM_SELECTALL);
    EXPECT_EQ(RowCount(), 0);
    EXPECT_EQ(SelectedRows(), std::vector<int>());
}

}  // namespace
