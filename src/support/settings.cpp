#include "support/settings.h"

#include <stdlib.h>
#include <string.h>

#include "support/pathtext.h"
#include "support/text.h"

AppSettingsData AppSettings;
ItemDefaultsData ItemDefaults;

namespace {

const char SettingsFileName[] = "Mirtavolen.ini";

// How long a settings file that exists but cannot be opened is tried
// again (another program holds it: a sync, backup or virus-scan tool), and
// the pause between two tries.
const DWORD SettingsRetryMs = 2000;
const DWORD SettingsRetryStepMs = 50;

// Set when the file existed at start but could not be read: the values in
// memory are then the defaults, not the user's, and must never replace
// what the file holds.
int SettingsUnreadable = 0;

enum SectionId { MainSection, ListViewSection, ItemSection, SectionCount };
const char* const SectionNames[SectionCount] = { "Main", "ListView", "Item" };

// The current Windows user's section names ("taro/Main" ...).
struct Sections {
    char name[SectionCount][320];
};

void GetSections(Sections* s)
{
    char user[256];
    DWORD size = sizeof user;
    if (!GetUserNameA(user, &size))
        lstrcpyA(user, "DefUser");
    for (int i = 0; i < SectionCount; ++i)
        wsprintfA(s->name[i], "%s/%s", user, SectionNames[i]);
}

// The two halves of ItemDefaults.DefPolicy as the file keeps them.
int PolicyOverwrite = 0;
int PolicyNoConfirm = 0;

// One key of the file: a number, or a text of textSize bytes (whose
// default is empty).
struct SettingKey {
    SectionId section;
    const char* key;
    int* number;
    char* text;
    DWORD textSize;
    int byDefault;
};

// Every key, in the order the file holds them.
const SettingKey Keys[] = {
    { MainSection, "WindowPosLeft", &AppSettings.WindowPosLeft, NULL, 0, (int)CW_USEDEFAULT },
    { MainSection, "WindowPosTop", &AppSettings.WindowPosTop, NULL, 0, (int)CW_USEDEFAULT },
    { MainSection, "WindowWidth", &AppSettings.WindowWidth, NULL, 0, 640 },
    { MainSection, "WindowHeight", &AppSettings.WindowHeight, NULL, 0, 320 },
    { MainSection, "Maximized", &AppSettings.Maximized, NULL, 0, 0 },
    { ListViewSection, "ColWidth1", &AppSettings.ColWidth1, NULL, 0, 256 },
    { ListViewSection, "ColWidth2", &AppSettings.ColWidth2, NULL, 0, 256 },
    { ListViewSection, "ColWidth3", &AppSettings.ColWidth3, NULL, 0, 116 },
    { ItemSection, "DefDir", NULL, ItemDefaults.DefDir, sizeof ItemDefaults.DefDir, 0 },
    { ItemSection, "DefType", &ItemDefaults.DefType, NULL, 0, ConvInvert },
    { ItemSection, "DefPass", NULL, ItemDefaults.DefPass, sizeof ItemDefaults.DefPass, 0 },
    { ItemSection, "DefOverWrite", &PolicyOverwrite, NULL, 0, 0 },
    { ItemSection, "DefNoConfirm", &PolicyNoConfirm, NULL, 0, 0 },
};
const int KeyCount = (int)(sizeof Keys / sizeof Keys[0]);

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

// Opens file with access and disposition, sharing everything as the
// profile functions do. A file that exists but cannot be opened is tried
// again for about two seconds: after any failure when anyFailure is set,
// otherwise only while another program holds it. *missing is set when
// there is no such file, which is never waited for. INVALID_HANDLE_VALUE
// when it could not be had.
HANDLE OpenSettingsFile(const char* file, DWORD access, DWORD disposition, int anyFailure,
                        int* missing)
{
    *missing = 0;
    DWORD start = GetTickCount();
    for (;;) {
        HANDLE handle = CreateFileA(file, access,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                    disposition, FILE_ATTRIBUTE_NORMAL, NULL);
        if (handle != INVALID_HANDLE_VALUE)
            return handle;
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            *missing = 1;
            return INVALID_HANDLE_VALUE;
        }
        if (!anyFailure && error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION)
            return INVALID_HANDLE_VALUE;
        if (GetTickCount() - start >= SettingsRetryMs)
            return INVALID_HANDLE_VALUE;
        Sleep(SettingsRetryStepMs);
    }
}

// Serialises reading and writing the settings file between instances, so
// two closing at once never lose each other's sections: a mutex named
// after the file. Returns the held mutex, or NULL when it could not be had
// (the settings are then read or written all the same).
HANDLE LockSettings(const char* file)
{
    char name[SettingsLockNameSize];
    GetSettingsLockName(file, name);
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

void ReadKeys(const Sections* s, const char* file)
{
    for (int i = 0; i < KeyCount; ++i) {
        const SettingKey& k = Keys[i];
        const char* section = s->name[k.section];
        if (k.number != NULL)
            *k.number = (int)GetPrivateProfileIntA(section, k.key, k.byDefault, file);
        else
            GetPrivateProfileStringA(section, k.key, "", k.text, k.textSize, file);
    }
}

}  // namespace

void GetSettingsLockName(const char* file, char* name)
{
    // One file, whatever the letter case of its path.
    size_t length = strlen(file);
    char* upper = (char*)malloc(length + 1);
    if (upper != NULL) {
        memcpy(upper, file, length + 1);
        CharUpperBuffA(upper, (DWORD)length);
    }
    const unsigned char* text = (const unsigned char*)(upper != NULL ? upper : file);
    // 64-bit FNV-1a: a name of fixed length for a path of any length.
    unsigned long long digest = 14695981039346656037ull;
    for (size_t i = 0; i < length; ++i) {
        digest ^= text[i];
        digest *= 1099511628211ull;
    }
    free(upper);
    wsprintfA(name, "%s:%08lX%08lX", SettingsFileName, (unsigned long)(digest >> 32),
              (unsigned long)(digest & 0xFFFFFFFFu));
}

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

void ResetSettings(void)
{
    for (int i = 0; i < KeyCount; ++i) {
        if (Keys[i].number != NULL)
            *Keys[i].number = Keys[i].byDefault;
        else
            Keys[i].text[0] = '\0';
    }
    ItemDefaults.DefPolicy = MakeOverwritePolicy((unsigned)PolicyNoConfirm, (unsigned)PolicyOverwrite);
    SettingsUnreadable = 0;
}

void LoadSettings(void)
{
    ResetSettings();
    char file[MAX_PATH];
    if (!GetSettingsPath(file))
        return;
    Sections s;
    GetSections(&s);
    HANDLE lock = LockSettings(file);
    // Held open while the keys are read: a program that would lock the
    // file for itself cannot take it half-way through.
    int missing = 0;
    HANDLE held = OpenSettingsFile(file, GENERIC_READ, OPEN_EXISTING, 1, &missing);
    if (held != INVALID_HANDLE_VALUE) {
        ReadKeys(&s, file);
        CloseHandle(held);
        ItemDefaults.DefPolicy =
            MakeOverwritePolicy((unsigned)PolicyNoConfirm, (unsigned)PolicyOverwrite);
    } else if (!missing) {
        SettingsUnreadable = 1;
    }
    UnlockSettings(lock);
}

void SaveSettings(void)
{
    char file[MAX_PATH];
    if (SettingsUnreadable || !GetSettingsPath(file))
        return;
    Sections s;
    GetSections(&s);
    PolicyOverwrite = PolicyOverwrites(ItemDefaults.DefPolicy) ? 1 : 0;
    PolicyNoConfirm = PolicySkipsQuestion(ItemDefaults.DefPolicy) ? 1 : 0;
    HANDLE lock = LockSettings(file);
    // A file another program holds for a moment is waited for, as the start
    // does; the profile functions then open it themselves.
    int missing = 0;
    HANDLE held =
        OpenSettingsFile(file, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING, 0, &missing);
    if (held != INVALID_HANDLE_VALUE)
        CloseHandle(held);
    for (int i = 0; (held != INVALID_HANDLE_VALUE || missing) && i < KeyCount; ++i) {
        const SettingKey& k = Keys[i];
        const char* section = s.name[k.section];
        if (k.number != NULL)
            WriteInt(section, k.key, *k.number, file);
        else
            WriteText(section, k.key, k.text, file);
    }
    UnlockSettings(lock);
}
