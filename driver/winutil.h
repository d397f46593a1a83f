// Small Windows helpers for programs that drive Mirtavolen.exe from
// outside (the end-to-end tests and the benchmark): where they run, files
// and trees of files, the user whose settings they prepare, window texts.
#ifndef MIRTAVOLEN_DRIVER_WINUTIL_H
#define MIRTAVOLEN_DRIVER_WINUTIL_H

#include <windows.h>

#include <string>

// Directory of the running program, ending in a backslash.
std::string ExeDir();

// Seconds on the performance counter, from a moment of its own: for the
// time between two calls.
double Seconds();

// Starts a program with this command line (the program first); false when
// it could not be started (GetLastError tells why). *process, when asked
// for, is its process, which the caller closes: null for a Linux program
// under Wine, which gives no handle to it.
bool StartProgram(const std::string& commandLine, HANDLE* process);

bool FileExists(const std::string& path);
// The size of a file in bytes; -1 when it does not exist.
long long FileSize(const std::string& path);
// Creates (or replaces) a file holding exactly these bytes.
bool WriteData(const std::string& path, const void* data, size_t size);
bool WriteText(const std::string& path, const std::string& text);

// The UTF-16 form of a code page 932 text.
std::wstring Wide(const std::string& text);
// The UTF-16 form of a code page 932 path with the "\\?\" prefix, for
// the wide-character calls that reach paths longer than 259 bytes.
std::wstring LongPathW(const std::string& path);
// Deletes a directory and everything below it, whatever the length. A
// link below it is removed itself, never what it points to.
void RemoveTree(const std::string& path);

// The Linux path of a file under Wine ("Z:\\tmp\\a" is "/tmp/a"); empty
// when not running under Wine.
std::string UnixPath(const std::string& path);
// Runs a shell command on the Linux side, as another program that ignores
// Windows share modes would act, and waits for it. True when it ran to
// its end (Wine reports no exit code of a Linux program).
// The command must not contain double quotes.
bool RunLinuxCommand(const std::string& command);

// The user whose sections the settings file holds: the Windows user name,
// "DefUser" when there is none (as the program does).
std::string UserName();

// Text of a window or dialog control.
std::string WindowText(HWND window);

#endif
