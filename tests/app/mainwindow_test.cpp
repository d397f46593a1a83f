#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/mainwnd.h"
#include "appfixture.h"
#include "joblist/listview.h"
#include "support/settings.h"

namespace {

TEST(MainWindowStart, FirstStartWithoutSettingsFile)
{
    ResetSettings();
    DeleteFileA(SettingsFile().c_str());
    LoadSettings();
    HWND window = OpenMainWindow();
    ASSERT_NE(window, (HWND)NULL);
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(r.right - r.left, 640);
    EXPECT_EQ(r.bottom - r.top, 320);
    EXPECT_FALSE(IsZoomed(window));
    for (int column = 0; column < 3; ++column)
        EXPECT_EQ(SendMessageA(JobListView, LVM_GETCOLUMNWIDTH, column, 0),
                  (LRESULT)(column < 2 ? 256 : 116));
    CloseMainWindowIfOpen();
    DeleteFileA(SettingsFile().c_str());
}

}  // namespace
