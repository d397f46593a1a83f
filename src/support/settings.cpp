#include "support/settings.h"

#include <commctrl.h>
#include <stdio.h>
#include <string.h>

#include "app/mainwnd.h"
#include "joblist/listview.h"
#include "support/placement.h"
#include "support/text.h"

AppSettingsData AppSettings = { (int)CW_USEDEFAULT, (int)CW_USEDEFAULT, 640, 320, 0, 256, 256, 116 };
ItemDefaultsData ItemDefaults = { "", ConvInvert, "", 0 };

namespace {

const char SettingsFileName[] = "Mirtavolen.ini";

struct Sections {
    char main[320];
    char listView[320];
    char item[320];
};

void GetSections(Sections* s)
{
    char user[256];
    DWORD size = sizeof user;
    if (!GetUserNameA(user, &size))
        lstrcpyA(user, "DefUser");
    wsprintfA(s->main, "%s/%s", user, "Main");
    wsprintfA(s->listView, "%s/%s", user, "ListView");
    wsprintfA(s->item, "%s/%s", user, "Item");
}

int ReadInt(const char* section, const char* key, int def, const char* file)
{
    return (int)GetPrivateProfileIntA(section, key, def, file);
}

void WriteInt(const char* section, const char* key, int value, const char* file)
{
    char text[16];
    wsprintfA(text, "%d", value);
    WritePrivateProfileStringA(section, key, text, file);
}

int IsTrimmedByReader(char c)
{
    return c == ' ' || c == '\t' || c == '"' || c == '\'';
}

// The profile reader strips blanks around a value and one pair of quotes
// enclosing it; a value that begins or ends with one of them is written
// inside a pair of double quotes, so it comes back exactly. Any other value
// is written as it is.
void WriteText(const char* section, const char* key, const char* value, const char* file)
{
    size_t length = strlen(value);
    if (length == 0 || (!IsTrimmedByReader(value[0]) && !IsTrimmedByReader(value[length - 1]))) {
        WritePrivateProfileStringA(section, key, value, file);
        return;
    }
    char quoted[MAX_PATH + 3];
    if (length + 3 > sizeof quoted)
        return;
    quoted[0] = '"';
    memcpy(quoted + 1, value, length);
    quoted[length + 1] = '"';
    quoted[length + 2] = '\0';
    WritePrivateProfileStringA(section, key, quoted, file);
}

// Serialises reading and writing the settings file between instances, so
// two closing at once never lose each other's sections: a mutex named
// after the file. Returns the held mutex, or NULL when it could not be had
// (the settings are then read or written all the same).
HANDLE LockSettings(const char* file)
{
    char name[MAX_PATH + 16] = "Mirtavolen.ini:";
    size_t prefix = strlen(name);
    size_t length = strlen(file);
    memcpy(name + prefix, file, length + 1);
    CharUpperBuffA(name + prefix, (DWORD)length);  // one file, whatever the letter case
    for (size_t i = prefix; i < prefix + length; ++i) {
        if (name[i] == '\\')
            name[i] = '/';  // a backslash would name a namespace
    }
    HANDLE mutex = CreateMutexA(NULL, FALSE, name);
    if (mutex == NULL)
        return NULL;
    DWORD waited = WaitForSingleObject(mutex, 5000);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return NULL;
    }
    return mutex;
}

void UnlockSettings(HANDLE mutex)
{
    if (mutex == NULL)
        return;
    ReleaseMutex(mutex);
    CloseHandle(mutex);
}

}  // namespace

int GetSettingsPath(char* path)
{
    char module[MAX_PATH];
    DWORD got = GetModuleFileNameA(NULL, module, MAX_PATH);
    if (got == 0 || got >= MAX_PATH)
        return 0;
    int p = FindLastSeparator(module);
    module[p + 1] = '\0';
    if (!CopyText(path, MAX_PATH, module) || !AppendText(path, MAX_PATH, SettingsFileName)) {
        path[0] = '\0';
        return 0;
    }
    return 1;
}

void LoadSettings(void)
{
    char file[MAX_PATH];
    if (!GetSettingsPath(file))
        return;
    Sections s;
    GetSections(&s);
    HANDLE lock = LockSettings(file);

    AppSettings.WindowPosLeft = ReadInt(s.main, "WindowPosLeft", (int)CW_USEDEFAULT, file);
    AppSettings.WindowPosTop = ReadInt(s.main, "WindowPosTop", (int)CW_USEDEFAULT, file);
    AppSettings.WindowWidth = ReadInt(s.main, "WindowWidth", 640, file);
    AppSettings.WindowHeight = ReadInt(s.main, "WindowHeight", 320, file);
    AppSettings.Maximized = ReadInt(s.main, "Maximized", 0, file);

    AppSettings.ColWidth1 = ReadInt(s.listView, "ColWidth1", 256, file);
    AppSettings.ColWidth2 = ReadInt(s.listView, "ColWidth2", 256, file);
    AppSettings.ColWidth3 = ReadInt(s.listView, "ColWidth3", 116, file);

    GetPrivateProfileStringA(s.item, "DefDir", "", ItemDefaults.DefDir,
                             sizeof ItemDefaults.DefDir, file);
    ItemDefaults.DefType = ReadInt(s.item, "DefType", ConvInvert, file);
    GetPrivateProfileStringA(s.item, "DefPass", "", ItemDefaults.DefPass,
                             sizeof ItemDefaults.DefPass, file);
    unsigned overwrite = (unsigned)ReadInt(s.item, "DefOverWrite", 0, file);
    unsigned noConfirm = (unsigned)ReadInt(s.item, "DefNoConfirm", 0, file);
    ItemDefaults.DefPolicy = MakeOverwritePolicy(noConfirm, overwrite);
    UnlockSettings(lock);
}

void SaveSettings(void)
{
    char file[MAX_PATH];
    if (!GetSettingsPath(file))
        return;
    Sections s;
    GetSections(&s);

    WINDOWPLACEMENT placement;
    ZeroMemory(&placement, sizeof placement);
    placement.length = sizeof placement;
    GetWindowPlacement(MainWindow, &placement);
    const RECT& normal = placement.rcNormalPosition;

    // The restored rectangle is relative to the work area; creation takes
    // screen coordinates, so add the taskbar where it moves the origin.
    RECT taskbar;
    int edge = GetTaskbarEdge(&taskbar, 1);
    HANDLE lock = LockSettings(file);
    int left = normal.left;
    int top = normal.top;
    if (edge == EdgeTop)
        top += taskbar.bottom;
    else if (edge == EdgeLeft)
        left += taskbar.right;
    WriteInt(s.main, "WindowPosLeft", left, file);
    WriteInt(s.main, "WindowPosTop", top, file);
    WriteInt(s.main, "WindowWidth", normal.right - normal.left, file);
    WriteInt(s.main, "WindowHeight", normal.bottom - normal.top, file);
    WriteInt(s.main, "Maximized", placement.showCmd == SW_SHOWMAXIMIZED ? 1 : 0, file);

    static const char* const widthKeys[] = { "ColWidth1", "ColWidth2", "ColWidth3" };
    for (int column = 0; column < 3; ++column) {
        int width = (int)SendMessageA(JobListView, LVM_GETCOLUMNWIDTH, column, 0);
        WriteInt(s.listView, widthKeys[column], width, file);
    }

    WriteText(s.item, "DefDir", ItemDefaults.DefDir, file);
    WriteInt(s.item, "DefType", ItemDefaults.DefType, file);
    WriteText(s.item, "DefPass", ItemDefaults.DefPass, file);
    WriteInt(s.item, "DefOverWrite", PolicyOverwrites(ItemDefaults.DefPolicy) ? 1 : 0, file);
    WriteInt(s.item, "DefNoConfirm", ItemDefaults.DefPolicy > 0xFFFFu ? 1 : 0, file);
    UnlockSettings(lock);
}
