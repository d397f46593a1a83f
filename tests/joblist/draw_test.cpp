// How the rows look: the pixels of the list as it shows on the screen,
// read back from the list's window after it has painted itself.
#include <windows.h>
#include <commctrl.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/mainwnd.h"
#include "joblist/jobrow.h"
#include "joblist/listview.h"
#include "listtest.h"
#include "res/resource.h"
#include "screenshot.h"
#include "support/settings.h"

namespace {

const COLORREF Even = RGB(255, 224, 232);
const COLORREF Odd = RGB(224, 232, 255);
const COLORREF Highlight = RGB(255, 240, 192);
const COLORREF Black = RGB(0, 0, 0);

// Runs of neighbouring ink columns: the separate marks of a text.
struct Mark {
    int left, right, top, bottom;
};

std::vector<Mark> Marks(const std::vector<InkColumn>& ink)
{
    std::vector<Mark> marks;
    for (const InkColumn& c : ink) {
        if (marks.empty() || c.x != marks.back().right + 1) {
            Mark m = { c.x, c.x, c.top, c.bottom };
            marks.push_back(m);
        } else {
            marks.back().right = c.x;
            marks.back().top = std::min(marks.back().top, c.top);
            marks.back().bottom = std::max(marks.back().bottom, c.bottom);
        }
    }
    return marks;
}

std::string Hex(COLORREF c)
{
    char text[16];
    wsprintfA(text, "%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

class RowDrawingTest : public JobListTest {
protected:
    void SetUp() override
    {
        JobListTest::SetUp();
        if (HasFatalFailure())
            return;
        // Short output paths leave blank room in the second column.
        strcpy(ItemDefaults.DefDir, "D:\\o");
    }

    void AddRows(int count)
    {
        AddFileRows(dir_, count);
        ASSERT_EQ(RowCount(), count);
    }

    RECT CellRect(int row, int column) const
    {
        RECT r;
        ListView_GetSubItemRect(JobListView, row, column, LVIR_BOUNDS, &r);
        if (column == 0) {
            // For column 0 the bounds are the whole row; the header knows
            // where the column ends.
            RECT header;
            Header_GetItemRect(ListView_GetHeader(JobListView), 0, &header);
            r.right = r.left + (header.right - header.left);
        }
        return r;
    }

    // The colour of the blank end of a cell, clear of its text and of the
    // grid lines.
    COLORREF Blank(const Screenshot& shot, int row, int column) const
    {
        RECT r = CellRect(row, column);
        return shot.At(r.right - 6, (r.top + r.bottom) / 2);
    }

    // "even", "odd", "highlight" or the colour, for every row, as seen in
    // the blank ends of the second and third columns.
    std::vector<std::string> RowColours() const
    {
        Screenshot shot(JobListView);
        std::vector<std::string> names;
        for (int row = 0; row < RowCount(); ++row) {
            COLORREF second = Blank(shot, row, 1);
            COLORREF third = Blank(shot, row, 2);
            std::string name = second == Even ? "even"
                : second == Odd               ? "odd"
                : second == Highlight         ? "highlight"
                                              : Hex(second);
            if (third != second)
                name += "/" + Hex(third);
            names.push_back(name);
        }
        return names;
    }

    typedef std::vector<std::string> Colours;
};

TEST_F(RowDrawingTest, RowsAlternateColoursAndSelectedRowsAreHighlighted)
{
    AddRows(5);
    SetFocus(JobListView);
    ASSERT_EQ(GetFocus(), JobListView);
    Select({ 2, 3 });
    EXPECT_EQ(RowColours(), Colours({ "even", "odd", "highlight", "highlight", "even" }));

    // Selected rows stay highlighted while the list does not have the focus.
    SetFocus(NULL);
    EXPECT_EQ(RowColours(), Colours({ "even", "odd", "highlight", "highlight", "even" }));
}

TEST_F(RowDrawingTest, TextIsBlackOnEveryRow)
{
    AddRows(3);
    Select({ 1 });
    Screenshot shot(JobListView);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            SCOPED_TRACE("row " + std::to_string(row) + " column " + std::to_string(column));
            RECT r = CellRect(row, column);
            bool black = false;
            for (int y = r.top + 1; y < r.bottom - 1 && !black; ++y)
                for (int x = r.left + 1; x < r.right - 1 && !black; ++x)
                    black = shot.At(x, y) == Black;
            EXPECT_TRUE(black);
        }
    }
}

TEST_F(RowDrawingTest, DeletingTheFirstRowSwapsTheColoursBelow)
{
    AddRows(4);
    Select({});
    EXPECT_EQ(RowColours(), Colours({ "even", "odd", "even", "odd" }));

    Select({ 0 });
    Command(IDM_FILE_DELETE);
    // The row after the deleted one is now selected: the first row.
    EXPECT_EQ(RowColours(), Colours({ "highlight", "odd", "even" }));

    Select({});
    EXPECT_EQ(RowColours(), Colours({ "even", "odd", "even" }));
}

// Width in pixels of text in the list's font.
int TextWidth(const std::string& text)
{
    HDC dc = GetDC(JobListView);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(JobListView, WM_GETFONT, 0, 0));
    SIZE size = { 0, 0 };
    GetTextExtentPoint32A(dc, text.c_str(), (int)text.size(), &size);
    SelectObject(dc, old);
    ReleaseDC(JobListView, dc);
    return size.cx;
}

TEST_F(RowDrawingTest, TextTooWideForItsColumnEndsWithAnEllipsis)
{
    ItemDefaults.DefType = ConvPassword;
    strcpy(ItemDefaults.DefPass, std::string(40, 'W').c_str());
    // The path is wider than the first column's 256 pixels.
    std::string file = MakeFile(std::string(40, 'W') + ".txt");
    ASSERT_EQ(AddJobRow(JobListView, file.c_str(), -1), 1);
    ASSERT_GT(TextWidth(file), 256);
    // Room to the right of the last column, where a text running over its
    // column would show.
    ListView_SetColumnWidth(JobListView, 2, 100);

    Screenshot shot(JobListView);
    for (int column : { 0, 2 }) {
        SCOPED_TRACE("column " + std::to_string(column));
        RECT cell = CellRect(0, column);
        std::vector<InkColumn> ink = InkColumns(shot, cell.left + 1, cell.right - 1,
                                                cell.top + 1, cell.bottom - 1);
        ASSERT_FALSE(ink.empty());
        int textTop = cell.bottom, textBottom = cell.top;
        for (const InkColumn& c : ink) {
            textTop = std::min(textTop, c.top);
            textBottom = std::max(textBottom, c.bottom);
        }

        // Nothing is drawn past the column's end: up to where the next
        // column's text begins, or to the list's edge after the last.
        int next = column == 2 ? cell.right + 60 : CellRect(0, column + 1).left + 3;
        EXPECT_TRUE(InkColumns(shot, cell.right - 1, next, cell.top + 1, cell.bottom - 1).empty());

        // The text ends in three dots: small marks on the base line, set
        // apart from each other.
        std::vector<Mark> marks = Marks(ink);
        ASSERT_GE(marks.size(), 3u);
        for (size_t m = marks.size() - 3; m < marks.size(); ++m) {
            SCOPED_TRACE("mark at x " + std::to_string(marks[m].left));
            EXPECT_LE(marks[m].right - marks[m].left, 2);
            EXPECT_LE(marks[m].bottom - marks[m].top, 2);
            EXPECT_GT(marks[m].top, (textTop + textBottom) / 2);  // on the base line
        }
    }
}

TEST_F(RowDrawingTest, AmpersandsAreShownLiterally)
{
    // A file name and a password made of ampersands: drawn with prefix
    // processing, "&&" would show as a single '&'.
    ItemDefaults.DefType = ConvPassword;
    strcpy(ItemDefaults.DefPass, "&&&&&&&&");
    strcpy(ItemDefaults.DefDir, "D:\\");
    std::string file = MakeFile("&&&&&&&&&&.txt");
    ASSERT_EQ(AddJobRow(JobListView, file.c_str(), -1), 1);
    ListView_SetColumnWidth(JobListView, 0, 100);
    ListView_SetColumnWidth(JobListView, 2, 200);

    Screenshot shot(JobListView);
    for (int column : { 1, 2 }) {
        SCOPED_TRACE("column " + std::to_string(column));
        std::string text = Cell(0, column);
        ASSERT_NE(text.find("&&&&&&&&"), std::string::npos);
        RECT cell = CellRect(0, column);
        std::vector<InkColumn> ink = InkColumns(shot, cell.left + 1, cell.right - 1,
                                                cell.top + 1, cell.bottom - 1);
        ASSERT_FALSE(ink.empty());
        int drawn = ink.back().x - ink.front().x + 1;
        EXPECT_NEAR(drawn, TextWidth(text), 3);
    }
}

}  // namespace
