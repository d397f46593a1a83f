// Shared main of the test programs: refuses to run under a code page other
// than 932, since every text of the program is Shift-JIS.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>

#include <gtest/gtest.h>

#include "app/mainwnd.h"

int main(int argc, char** argv)
{
    if (GetACP() != 932) {
        fprintf(stderr, "GetACP() is %u, not 932: run with LANG=ja_JP.UTF-8 and the "
                        "ja_JP.UTF-8 locale generated\n", GetACP());
        return 2;
    }
    InitCommonControls();
    AppInstance = GetModuleHandleA(NULL);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
