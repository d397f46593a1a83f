// Helpers of the fault tests: the small file system that can be filled,
// directory listings, the log's entries, and rows run through a batch of
// the real main window inside the test process.
#ifndef MIRTAVOLEN_TESTS_FAULTS_H
#define MIRTAVOLEN_TESTS_FAULTS_H

#include <windows.h>

#include <string>
#include <vector>

#include "appfixture.h"
#include "testutil.h"

// The tmpfs mounted for these tests (MIRTAVOLEN_FULLDISK, a Linux path) as
// the program sees it, "Z:\..." without a trailing backslash; "" when the
// variable is not set.
std::string FullDiskRoot();

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

// The real main window in the test process with rows added directly; the
// batch runs as the menu command runs it, with existing outputs replaced
// without a question. The log is the one beside the test program.
class FaultBatchTest : public MainWindowTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Adds a row for src and gives it dest ("": in place) and label;
    // selects it.
    void AddRow(const std::string& src, const std::string& dest, const std::string& label);
    void ClearRows();
    // Converts every row and waits for the batch to end.
    void RunBatch();
    std::vector<std::string> Entries() const { return LogEntriesOf(LogFile()); }
};

#endif
