// Entry point of Mirtavolen.exe. Everything else lives in the library that
// the tests link as well.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return 0;
}
