// Helpers of the fault tests: rows run through a batch of the real main
// window inside the test process.
#ifndef MIRTAVOLEN_TESTS_FAULTS_H
#define MIRTAVOLEN_TESTS_FAULTS_H

#include <windows.h>

#include <string>
#include <vector>

#include "appfixture.h"
#include "testutil.h"

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
    // Converts every row and waits for the batch to end.
    void RunBatch();
    std::vector<std::string> Entries() const { return LogEntriesOf(LogFile()); }
};

#endif
