// GetModuleDir, from this program and from copies of it started in
// directories and under file names that hold 予, 表, ソ and 能.
#include <windows.h>
#include <stdlib.h>

#include <string>

#include <gtest/gtest.h>

#include "support/paths.h"
#include "testutil.h"

namespace {

const char ReportVariable[] = "MIRTAVOLEN_MODULEDIR_REPORT";

// Not a test of its own: the copies started below run only this, and write
// what GetModuleDir reports where they are into the file named by the
// environment variable.
TEST(ModuleDirReport, DISABLED_WriteReport)
{
    char reportPath[MAX_PATH];
    DWORD n = GetEnvironmentVariableA(ReportVariable, reportPath, MAX_PATH);
    ASSERT_GT(n, 0u);
    ASSERT_LT(n, (DWORD)MAX_PATH);
    char withSlash[MAX_PATH];
    char withoutSlash[MAX_PATH];
    int lengthWith = GetModuleDir(withSlash, 1);
    int lengthWithout = GetModuleDir(withoutSlash, 0);
    std::string report = std::to_string(lengthWith) + "\n" + withSlash + "\n"
        + std::to_string(lengthWithout) + "\n" + withoutSlash + "\n";
    ASSERT_TRUE(WriteText(reportPath, report));
}

struct Report {
    int lengthWith;
    std::string withSlash;
    int lengthWithout;
    std::string withoutSlash;
};

std::string OwnPath()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, MAX_PATH);
    return std::string(path, n);
}

// Starts the copy of this program at `command` (its path as given on the
// command line) and reads what it reported.
Report RunCopy(const std::string& workDir, const std::string& command)
{
    Report report = { -1, "", -1, "" };
    const std::string reportPath = workDir + "\\report.txt";
    DeleteFileA(reportPath.c_str());
    SetEnvironmentVariableA(ReportVariable, reportPath.c_str());

    // The copy's own test output goes to a log beside the report.
    SECURITY_ATTRIBUTES inherit = { sizeof inherit, NULL, TRUE };
    HANDLE log = CreateFileA((workDir + "\\copy.log").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                             &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = log;
    startup.hStdError = log;
    std::string line = "\"" + command
        + "\" --gtest_filter=ModuleDirReport.DISABLED_WriteReport --gtest_also_run_disabled_tests";
    PROCESS_INFORMATION process;
    BOOL started = CreateProcessA(NULL, &line[0], NULL, NULL, TRUE, 0, NULL, NULL, &startup,
                                  &process);
    CloseHandle(log);
    SetEnvironmentVariableA(ReportVariable, NULL);
    EXPECT_TRUE(started) << command << ": error " << GetLastError();
    if (!started)
        return report;
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(exitCode, 0u) << "see " << workDir << "\\copy.log";

    std::string text = ReadText(reportPath);
    size_t a = text.find('\n');
    size_t b = text.find('\n', a + 1);
    size_t c = text.find('\n', b + 1);
    size_t d = text.find('\n', c + 1);
    EXPECT_NE(d, std::string::npos) << "report: " << text;
    if (d == std::string::npos)
        return report;
    report.lengthWith = atoi(text.substr(0, a).c_str());
    report.withSlash = text.substr(a + 1, b - a - 1);
    report.lengthWithout = atoi(text.substr(b + 1, c - b - 1).c_str());
    report.withoutSlash = text.substr(c + 1, d - c - 1);
    return report;
}

TEST(GetModuleDir, OfThisProgram)
{
    const std::string own = OwnPath();
    const std::string dir = own.substr(0, own.rfind('\\'));
    char out[MAX_PATH];
    EXPECT_EQ(GetModuleDir(out, 1), (int)dir.size() + 1);
    EXPECT_EQ(std::string(out), dir + "\\");
    EXPECT_EQ(GetModuleDir(out, 0), (int)dir.size());
    EXPECT_EQ(std::string(out), dir);
}

TEST(GetModuleDir, CutsAtTheRealSeparatorAndGivesTheLongForm)
{
    const std::string t = TestDir();
    struct {
        int line;
        std::string dir;   // where the copy lies
        std::string name;  // its file name
        bool viaShortName; // started through its 8.3 path (Wine itself
                           // then reports the long name)
    } cases[] = {
        { __LINE__, t + "\\予定表", "ソース.exe", false },
        { __LINE__, t + "\\能力\\x表", "能.exe", false },
        { __LINE__, t + "\\予定表 long name", "ソース long name.exe", true },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line << ": " << c.dir << "\\"
                                        << c.name);
        ASSERT_TRUE(MakeDirectories(c.dir));
        const std::string exe = c.dir + "\\" + c.name;
        ASSERT_TRUE(CopyFileA(OwnPath().c_str(), exe.c_str(), FALSE));
        std::string command = exe;
        if (c.viaShortName) {
            char shortName[MAX_PATH];
            DWORD n = GetShortPathNameA(exe.c_str(), shortName, MAX_PATH);
            ASSERT_GT(n, 0u);
            command = shortName;
            ASSERT_NE(command, exe);
        }
        Report r = RunCopy(t, command);
        EXPECT_EQ(r.withSlash, c.dir + "\\");
        EXPECT_EQ(r.lengthWith, (int)c.dir.size() + 1);
        EXPECT_EQ(r.withoutSlash, c.dir);
        EXPECT_EQ(r.lengthWithout, (int)c.dir.size());
    }
}

TEST(GetModuleDir, FolderOutsideTheCodePageGivesItsShortForm)
{
    // The best-fit table would make "cafe" of the folder's name, which
    // names the folder beside it.
    const std::string t = TestDir();
    const std::wstring folder = Wide(t) + L"\\caf\u00e9";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA((t + "\\cafe").c_str(), NULL));
    ASSERT_TRUE(CopyFileW(Wide(OwnPath()).c_str(), (folder + L"\\copy.exe").c_str(), FALSE));
    const std::string shortFolder = ShortPath(folder);
    ASSERT_NE(shortFolder, "");
    const std::string dir = t + shortFolder.substr(shortFolder.rfind('\\'));

    Report r = RunCopy(t, ShortPath(folder + L"\\copy.exe"));
    EXPECT_EQ(r.withSlash, dir + "\\");
    EXPECT_EQ(r.lengthWith, (int)dir.size() + 1);
}

}  // namespace
