// Entry point of Mirtavolen.exe. Everything else lives in the library that
// the tests link as well.
#include <windows.h>

#include "app/mainwnd.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    return RunMirtavolen(instance, showCommand);
}
