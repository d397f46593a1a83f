#include "support/settings.h"

#include <stdlib.h>
#include <string.h>

#include "support/inifile.h"
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

// Room for a value as the file holds it: a text field of at most MAX_PATH
// bytes with its terminator, in quotes.
const int ValueRoom = MAX_PATH + 3;

int IsTrimmedByReader(char c)
{
    return c == ' ' || c == '\t' || c == '"' || c == '\'';
}

// The value of k as the file is to hold it. Numbers are written by "%d".
// The profile reader strips blanks around a text and one pair of quotes
// enclosing it; a text that begins or ends with one of them is written
// inside a pair of double quotes, so it comes back exactly. Any other text
// is written as it is.
void FormatValue(const SettingKey& k, char* out)
{
    if (k.number != NULL) {
        wsprintfA(out, "%d", *k.number);
        return;
    }
    size_t length = strlen(k.text);  // below MAX_PATH: the fields are no larger
    if (length == 0 || (!IsTrimmedByReader(k.text[0]) && !IsTrimmedByReader(k.text[length - 1]))) {
        memcpy(out, k.text, length + 1);
        return;
    }
    out[0] = '"';
    memcpy(out + 1, k.text, length);
    out[length + 1] = '"';
    out[length + 2] = '\0';
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

// The values in memory as the file is to hold them, by section.
struct Values {
    char text[KeyCount][ValueRoom];
    IniKey keys[KeyCount];
    IniSection sections[SectionCount];
};

void MakeValues(const Sections* s, Values* v)
{
    int n = 0;
    for (int id = 0; id < SectionCount; ++id) {
        IniSection& section = v->sections[id];
        section.name = s->name[id];
        section.keys = v->keys + n;
        section.count = 0;
        for (int i = 0; i < KeyCount; ++i) {
            if (Keys[i].section != id)
                continue;
            FormatValue(Keys[i], v->text[n]);
            v->keys[n].name = Keys[i].key;
            v->keys[n].value = v->text[n];
            ++n;
            ++section.count;
        }
    }
}

// A read-only view of a whole open file ("" for an empty one). Reading a
// large file through a view is much cheaper than into fresh memory.
struct View {
    HANDLE mapping;
    const char* text;
    size_t length;
};

// 0 when the file cannot be mapped or is beyond any settings file.
int MapWhole(HANDLE file, View* view)
{
    view->mapping = NULL;
    view->text = "";
    view->length = 0;
    DWORD high = 0;
    DWORD size = GetFileSize(file, &high);
    if ((size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0
        || size > 0x10000000u)
        return 0;
    if (size == 0)
        return 1;  // nothing to map
    view->mapping = CreateFileMappingA(file, NULL, PAGE_READONLY, 0, 0, NULL);
    if (view->mapping == NULL)
        return 0;
    view->text = (const char*)MapViewOfFile(view->mapping, FILE_MAP_READ, 0, 0, 0);
    if (view->text == NULL) {
        CloseHandle(view->mapping);
        return 0;
    }
    view->length = size;
    return 1;
}

void Unmap(View* view)
{
    if (view->mapping == NULL)
        return;
    UnmapViewOfFile(view->text);
    CloseHandle(view->mapping);
}

// Writes tail at offset from and ends the file after it.
int WriteFrom(HANDLE file, size_t from, const char* tail, size_t length)
{
    if (SetFilePointer(file, (LONG)from, NULL, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
        return 0;
    DWORD put = 0;
    for (size_t done = 0; done < length; done += put) {
        if (!WriteFile(file, tail + done, (DWORD)(length - done), &put, NULL) || put == 0)
            return 0;
    }
    return SetEndOfFile(file) ? 1 : 0;
}

// Brings the open file to v: in one write of the bytes from the first that
// changes, and none when the file holds every value already (writing key by
// key through the profile functions would rewrite the whole file for each
// key). 0 when the file is in a Unicode encoding, which is left to the
// profile functions; 1 otherwise, whether or not the writing succeeded.
int UpdateFile(HANDLE file, const Values* v)
{
    View view;
    if (!MapWhole(file, &view))
        return 1;
    int mine = !IsUnicodeIniText(view.text, view.length);
    IniUpdate update;
    int made = mine && UpdateIniText(view.text, view.length, v->sections, SectionCount, &update);
    Unmap(&view);  // first: a file with a view cannot be cut short
    if (made && update.tail != NULL) {
        WriteFrom(file, update.from, update.tail, update.tailLength);
        free(update.tail);
    }
    return mine;
}

void WriteKeyByKey(const Values* v, const char* file)
{
    for (int id = 0; id < SectionCount; ++id) {
        const IniSection& section = v->sections[id];
        for (int i = 0; i < section.count; ++i)
            WritePrivateProfileStringA(section.name, section.keys[i].name,
                                       section.keys[i].value, file);
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
        // The profile functions keep a copy of the file until they are told
        // to let it go; for a large file of many users the end of the
        // program would pay for it (a 7 MB file: twice the close).
        WritePrivateProfileStringA(NULL, NULL, NULL, file);
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
    Values v;
    MakeValues(&s, &v);
    HANDLE lock = LockSettings(file);
    // Waits, as the start does, for a file another program holds; the
    // settings are then written through this one handle.
    int missing = 0;
    HANDLE handle =
        OpenSettingsFile(file, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS, 0, &missing);
    if (handle != INVALID_HANDLE_VALUE) {
        int done = UpdateFile(handle, &v);
        CloseHandle(handle);
        if (!done)
            WriteKeyByKey(&v, file);
    }
    UnlockSettings(lock);
}
