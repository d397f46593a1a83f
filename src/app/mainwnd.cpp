#include "app/mainwnd.h"

HINSTANCE AppInstance = NULL;
HWND MainWindow = NULL;
const char MainWindowClass[] = "MirtavolenClass";
