// Keeps the program's ShellExecuteA calls from opening anything while a
// test runs, and records them: the entry of the test program's import table
// is pointed at a recorder for the recorder's lifetime.
#ifndef MIRTAVOLEN_TESTS_SHELLHOOK_H
#define MIRTAVOLEN_TESTS_SHELLHOOK_H

#include <windows.h>

#include <string>
#include <vector>

struct ShellCall {
    HWND owner;
    bool verbNull;
    std::string verb;
    std::string file;
    bool parametersNull;
    bool directoryNull;
    int show;
};

class ShellExecuteRecorder {
public:
    ShellExecuteRecorder();
    ~ShellExecuteRecorder();
    // False when the program imports no ShellExecuteA to redirect.
    bool Installed() const { return slot_ != NULL; }
    const std::vector<ShellCall>& Calls() const;

private:
    void** slot_;
    void* original_;
};

#endif
