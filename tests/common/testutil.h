// Helpers shared by the test programs: scratch directories, file bytes,
// and driving modal dialogs from inside the process. The plainer ones,
// which the benchmark uses too, are in driver/winutil.h.
#ifndef MIRTAVOLEN_TESTS_TESTUTIL_H
#define MIRTAVOLEN_TESTS_TESTUTIL_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "reference.h"
#include "winutil.h"

// A fresh, empty directory for the current test (no trailing backslash).
std::string TestDir();
// A fresh, empty directory beside it for one case of the test, named after
// the test and `part`.
std::string TestDir(const std::string& part);

bool WriteBytes(const std::string& path, const Bytes& data);
Bytes ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);
// The entries of a log file, each ending in its empty line; a last entry
// without one is returned as it is.
std::vector<std::string> LogEntriesOf(const std::string& path);

// Names in a directory (without "." and ".."), sorted; empty when the
// directory is missing.
std::vector<std::string> ListDir(const std::string& dir);

// The short (8.3) form of an existing path, in code page 932 (8.3 names are
// ASCII); empty when it cannot be had.
std::string ShortPath(const std::wstring& path);
// Creates a directory and its missing parents, whatever the length.
bool MakeDirectories(const std::string& dir);
// Creates (or replaces) a file holding text, whatever the path's length.
bool WriteTextW(const std::string& path, const std::string& text);
// The same for a path given in UTF-16, whatever its characters.
bool WriteTextW(const std::wstring& path, const std::string& text);
// A path of exactly `length` bytes below `base`: ASCII directories of at
// most 100 bytes, then a last component that fills up to the length.
std::string PathOfLength(const std::string& base, size_t length);

// Creates a file of `size` bytes by moving its end, without writing what
// lies between, and, when given, writes `tail` at its end and `head` at
// its start. The file is not marked sparse: the gap stays unallocated
// where the file system leaves it so (Linux under Wine), not on NTFS.
bool MakeSparseFile(const std::string& path, unsigned long long size, const Bytes& tail = Bytes(),
                    const Bytes& head = Bytes());


// Sets the current directory for the life of the object.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& dir);
    ~CurrentDirectory();

private:
    std::string previous_;
};

// Directory prepared by tests/fixtures.sh before the test programs run
// (ending in a backslash): files that a Windows program cannot set up for
// itself under Wine.
std::string FixtureDir();
// The fixtures themselves; each is "" when missing, with the reason (for
// GTEST_SKIP) in *why. The file that nobody may change, not even root:
std::string ImmutableFixture(std::string* why);
// The small tmpfs to run out of space on (no trailing backslash):
std::string FullDiskFixture(std::string* why);

// Free bytes on the file system holding dir; -1 when it cannot be asked.
long long FreeBytes(const std::string& dir);

// Fills the file system of dir with one file until exactly `leave` bytes
// stay free (a multiple of the 4096-byte page). Refuses (and fails the
// test) on a file system larger than 64 MiB, so a missing mount cannot
// fill a real disk. The file goes when the object does.
class DiskFiller {
public:
    explicit DiskFiller(const std::string& dir);
    ~DiskFiller();
    // True when exactly `leave` bytes are free afterwards.
    bool Fill(long long leave);
    void Release();

private:
    std::string path_;
};

// Text of a dialog control.
std::string ItemText(HWND dialog, int id);

// Answers the modal dialogs that a piece of code opens, one step per
// dialog in the order they appear. A step waits for an enabled, visible
// dialog of this thread that has the control `controlId`, then runs its
// action once. Dialogs still open when the time is up are ended with
// result 2 and the test fails, so a broken test cannot hang.
class DialogDriver {
public:
    typedef std::function<void(HWND)> Action;
    explicit DialogDriver(DWORD timeoutMs = 15000);
    ~DialogDriver();
    DialogDriver& Then(int controlId, Action action);
    // Number of steps whose action has run.
    int Done() const { return done_; }
    // Ends every open dialog of the thread (the watchdog's last resort).
    static void EndAllDialogs();

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void Poll();
    struct Step { int controlId; Action action; };
    std::vector<Step> steps_;
    size_t next_;
    int done_;
    UINT_PTR timer_;
    DWORD deadline_;
    HWND last_;
    bool timedOut_;
};

// Posts WM_DROPFILES to window with a DROPFILES block of names (UTF-16, in
// this order), as the shell does for files dropped from Explorer. The
// receiver's DragFinish frees the block; the message is handled once the
// thread's messages are dispatched.
void PostDropFiles(HWND window, const std::vector<std::wstring>& names);
// The same for code page 932 names.
void PostDropFiles(HWND window, const std::vector<std::string>& names);

// Real input, as the user gives it, through the system's input queue: it
// reaches whichever window is under the pointer or has the keyboard.
void ClickAt(POINT screen);
// key pressed and let go, with modifier (VK_CONTROL, ...) held if not 0.
void TypeKey(WORD key, WORD modifier = 0);
// The centre of a window's rectangle, on the screen.
POINT CentreOf(HWND window);

// One way of entering a password into a password edit, and what an edit
// that holds at most 32 bytes of code page 932 keeps of it. The dialogs
// that take a password all run these rows, so one typed password makes one
// key whichever dialog it was typed in.
struct PasswordEntry {
    enum Way { Typed, Composed, Pasted, SetWhole };
    const char* what;
    std::string before;  // already in the edit; ASCII up to the caret
    int caret;           // where the entry goes; -1: at the end
    Way way;             // typed a character at a time (the keyboard, an
                         // input method's result), pasted at once, or set
                         // as the whole text
    std::wstring input;
    std::string kept;    // what the edit shows afterwards (code page 932)
};
const std::vector<PasswordEntry>& PasswordEntries();
// Puts entry.before into edit and enters entry.input there as entry.way says.
void EnterPassword(HWND edit, const PasswordEntry& entry);

// Posts a click to a dialog button (runs once the dialog's loop picks it up).
void PostClick(HWND dialog, int id);
void SetCheck(HWND dialog, int id, bool checked);
bool IsChecked(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);

// A modeless progress dialog from template 2001 whose bar positions are
// recorded, for calling the file procedures directly.
class ProgressWindow {
public:
    ProgressWindow();
    ~ProgressWindow();
    HWND hwnd() const { return dialog_; }
    const std::vector<int>& Positions() const;
    void ClearPositions();
    // Called after every position the bar receives (may set CancelFlag).
    std::function<void(int)> onPosition;

private:
    HWND dialog_;
};

#endif
