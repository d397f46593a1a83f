// Runs the real Mirtavolen.exe as a separate process, from a copy in a
// directory of the caller's (so its settings file and log are the caller's
// own), and drives it only through what a user or the shell can do from
// outside: command line, window messages of menu commands, clicks on its
// dialogs, closing.
#ifndef MIRTAVOLEN_DRIVER_APPPROCESS_H
#define MIRTAVOLEN_DRIVER_APPPROCESS_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class AppProcess {
public:
    // dir: where the executable is copied (unless a copy is there: two
    // instances can share a directory); iniText: the settings file to put
    // beside it ("" for none). The program copied is Mirtavolen.exe of the
    // build the caller belongs to: in the folder above the caller's own.
    AppProcess(const std::string& dir, const std::string& iniText);
    ~AppProcess();

    // Starts the program with these file arguments (its command line is
    // UTF-16, as the shell gives it) and waits for its main window. False
    // when it did not come up.
    bool Start(const std::vector<std::string>& files);
    bool StartWide(const std::vector<std::wstring>& files);

    // Starts the program with these file arguments and returns at once.
    // False when it could not be started (GetLastError tells why).
    bool Launch(const std::vector<std::string>& files);
    bool LaunchWide(const std::vector<std::wstring>& files);
    // Waits until the main window is visible with `rows` rows and has
    // painted them. False when that did not happen within timeoutMs.
    bool WaitForRows(int rows, DWORD timeoutMs);

    HWND MainWindow() const { return main_; }
    HANDLE Process() const { return process_.hProcess; }
    const std::string& Dir() const { return dir_; }
    std::string IniPath() const { return dir_ + "\\Mirtavolen.ini"; }
    std::string LogPath() const { return dir_ + "\\Mirtavolen.log"; }

    int RowCount() const;

    // Sends a menu command and waits until the program has handled it
    // (a batch: until it has ended). While waiting, onDialog is called for
    // every dialog the program shows (its caption and window).
    void Command(UINT id, std::function<void(HWND dialog, const std::string& caption)> onDialog = {});
    // Sends a menu command and returns once the program has handled it,
    // answering no dialog; false when it did not within timeoutMs.
    bool SendCommand(UINT id, DWORD timeoutMs);
    // Posts a menu command and returns at once; false when it could not
    // be posted.
    bool PostCommand(UINT id);
    // Returns once the main window and its children have painted whatever
    // they had to.
    void WaitForPaint();

    // Closes the main window as the close box does and waits for the
    // process to end. Returns its exit code, or -1 on a timeout.
    int Close(DWORD timeoutMs = 20000);

    // Ends the process at once, as a crash or a kill would.
    void Kill();

    // A visible, enabled dialog of the process, or null.
    HWND FindDialog(std::string* caption) const;

private:
    std::string dir_;
    std::string exe_;
    bool copied_;
    PROCESS_INFORMATION process_;
    HWND main_;
};

// The settings file text for the current Windows user with these Item keys
// (DefDir, DefType, DefPass, DefOverWrite, DefNoConfirm).
std::string ItemSettings(const std::string& defDir, int defType, const std::string& defPass,
                         int overwrite, int noConfirm);

// Clicks a dialog button of another process and lets it act.
void ClickInOtherProcess(HWND dialog, int id);

#endif
