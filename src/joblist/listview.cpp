#include "joblist/listview.h"

HWND JobListView = NULL;
WNDPROC PrevListViewProc = NULL;
