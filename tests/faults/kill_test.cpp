// The real program killed in the middle of conversions, as a crash or a
// power cut would end it: whenever it dies, the file being replaced (the
// source in place, or an existing DestFile in an output folder) holds
// exactly its old bytes or exactly the converted bytes, and nothing but a
// stale "_Mirtavolen.tmp" may be left beside it.
//
// The kills are spread over the whole conversion: first a conversion of
// each size is timed, then the program is killed at fractions of that
// time (from at once to after its end), and at moments read off the
// temporary file (as soon as it appears, half written, complete, gone).
// The timing only places the kills; what is checked is the files.
#include <windows.h>

#include <stdio.h>

#include <algorithm>
#include <thread>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "appprocess.h"
#include "faults.h"
#include "reference.h"
#include "res/resource.h"

namespace {

const char TempName[] = "_Mirtavolen.tmp";
const size_t Chunk = 262144;

double NowMs()
{
    return Seconds() * 1000;
}

// Returns at the moment `when` (NowMs), sleeping until its last few
// milliseconds.
void WaitUntil(double when)
{
    for (double now = NowMs(); now < when; now = NowMs())
        Sleep(when - now > 3 ? (DWORD)(when - now - 2) : 0);
}

// What a kill can hit, in the order of a conversion.
enum Trigger {
    AfterDelay,      // a fixed time after the command
    TempAppears,     // the temporary file exists
    TempHalf,        // half of it is written
    TempComplete,    // all of it is written: flushing, closing, renaming
    TempGone,        // it has been renamed over the source
};

// Where a kill landed, judged by the files it left.
enum Landing {
    NothingWritten,    // source old, no temporary file
    WhileConverting,   // source old, temporary file incomplete
    DuringReplacement, // source old, temporary file complete
    Replaced,          // source converted, no entry yet
    ReplacedAndLogged, // source converted, entry written
    Broken,            // anything else
    LandingCount
};

const char* const LandingNames[] = {
    "before the temporary file existed", "while converting into it",
    "during the replacement (temporary file complete, source not yet replaced)",
    "after the replacement, before the log entry", "after the replacement and the log entry",
    "with the files in a wrong state",
};

// A size of file to convert, with the line that asks for it.
struct Size {
    int line;
    size_t size;
};

class KillTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = TestDir();
        src_ = dir_ + "\\source.bin";
        for (int& n : tally_)
            n = 0;
    }

    // In place, or into an existing DestFile in a folder of its own.
    void UseOutputFolder(bool outputFolder)
    {
        outDir_ = outputFolder ? dir_ + "\\out" : std::string();
        dest_ = outputFolder ? outDir_ + "\\source.bin" : src_;
        temp_ = (outputFolder ? outDir_ : dir_) + "\\" + TempName;
        if (outputFolder)
            CreateDirectoryA(outDir_.c_str(), NULL);
    }

    // What the file to be replaced holds before each conversion.
    Bytes OldOf(const Bytes& data) const
    {
        return outDir_.empty() ? data : RandomBytes(data.size() / 2 + 3, 99);
    }

    bool PrepareFiles(const Bytes& data)
    {
        return WriteBytes(src_, data) && (outDir_.empty() || WriteBytes(dest_, OldOf(data)));
    }

    std::string Settings(int type) const
    {
        // The output always exists: replace it without a question.
        return ItemSettings(outDir_, type, "pw", 1, 1);
    }

    // When, from the command, the temporary file of a whole conversion
    // was complete, when it was gone (renamed over the source), and when
    // the batch ended; milliseconds.
    struct Timing {
        double complete;
        double gone;
        double end;
    };

    Timing TimeConversion(const Bytes& data, int type)
    {
        Timing timing = { -1, -1, -1 };
        EXPECT_TRUE(PrepareFiles(data));
        AppProcess app(dir_, Settings(type));
        if (!app.Start({ src_ })) {
            ADD_FAILURE() << "the program did not start";
            return timing;
        }
        double start = NowMs();
        volatile double end = -1;
        std::thread batch([&app, start, &end] {
            app.SendCommand(IDM_ITEM_CONVERTALL, 60000);
            end = NowMs() - start;
        });
        bool seen = false;
        while (end < 0 && NowMs() - start < 60000) {
            long long size = FileSize(temp_);
            double now = NowMs() - start;
            seen = seen || size >= 0;
            if (timing.complete < 0 && size == (long long)data.size())
                timing.complete = now;
            if (seen && timing.gone < 0 && size < 0)
                timing.gone = now;
            Sleep(0);
        }
        batch.join();
        timing.end = end;
        EXPECT_EQ(app.RowCount(), 0);
        EXPECT_TRUE(ReadBytes(dest_) == ReferenceConversion(type, "pw", data))
            << "the timed conversion failed";
        EXPECT_EQ(app.Close(), 0);
        return timing;
    }

    // Starts the program on a fresh copy of data, orders the conversion,
    // kills the program at the moment asked for, and judges the files.
    void KillOnce(int line, const Bytes& data, int type, double wholeMs, Trigger trigger,
                  double delayMs)
    {
        SCOPED_TRACE(testing::Message() << "line " << line << ", " << data.size()
                                        << " bytes, type " << type << ", trigger " << trigger
                                        << ", delay " << delayMs << " ms");
        ASSERT_TRUE(PrepareFiles(data));
        if (!keepLeftovers_)
            DeleteFileA(temp_.c_str());
        size_t entriesBefore = LogEntriesOf(dir_ + "\\Mirtavolen.log").size();
        AppProcess app(dir_, Settings(type));
        ASSERT_TRUE(app.Start({ src_ }));

        ASSERT_TRUE(app.PostCommand(IDM_ITEM_CONVERTALL));
        double start = NowMs();
        // The moment read off the temporary file can pass unseen (a short
        // conversion between two looks): then the kill comes once the
        // file has gone, or at the latest after twice a whole conversion.
        const double Deadline = start + 2 * wholeMs + 1000;
        long long size = (long long)data.size();
        long long least = trigger == TempAppears ? 0 : trigger == TempHalf ? size / 2 : size;
        bool seen = false;
        if (trigger != AfterDelay) {
            for (;;) {
                long long now = FileSize(temp_);
                bool gone = seen && now < 0;
                seen = seen || now >= 0;
                if (gone || NowMs() >= Deadline || (trigger != TempGone && now >= least))
                    break;
                Sleep(0);
            }
        }
        WaitUntil(NowMs() + (trigger == AfterDelay ? delayMs - (NowMs() - start) : delayMs));
        app.Kill();
        DWORD code = 0;
        GetExitCodeProcess(app.Process(), &code);
        ASSERT_EQ(code, 9u) << "the program had ended before the kill";

        Landing landing = Judge(data, type, entriesBefore);
        ++tally_[landing];
        EXPECT_NE(landing, Broken);
        std::vector<std::string> allowed = { "Mirtavolen.exe", "Mirtavolen.ini", "Mirtavolen.log",
                                             TempName, "source.bin", "out" };
        for (const std::string& name : ListDir(dir_))
            EXPECT_NE(std::find(allowed.begin(), allowed.end(), name), allowed.end()) << name;
        if (!outDir_.empty()) {
            for (const std::string& name : ListDir(outDir_))
                EXPECT_TRUE(name == TempName || name == "source.bin") << name;
        }
        std::vector<std::string> entries = LogEntriesOf(dir_ + "\\Mirtavolen.log");
        if (!entries.empty()) {
            EXPECT_EQ(entries.back().substr(entries.back().size() - 2), "\n\n")
                << "a partial log entry";
        }
    }

    Landing Judge(const Bytes& data, int type, size_t entriesBefore)
    {
        if (!outDir_.empty() && ReadBytes(src_) != data)
            return Broken;  // a source that is not the output is only read
        Bytes target = ReadBytes(dest_);
        long long tempSize = FileSize(temp_);
        bool logged = LogEntriesOf(dir_ + "\\Mirtavolen.log").size() > entriesBefore;
        if (target == OldOf(data) && !logged) {
            if (tempSize < 0)
                return NothingWritten;
            if (tempSize == (long long)data.size()
                && ReadBytes(temp_) == ReferenceConversion(type, "pw", data))
                return DuringReplacement;
            return WhileConverting;
        }
        if (target == ReferenceConversion(type, "pw", data) && tempSize < 0)
            return logged ? ReplacedAndLogged : Replaced;
        return Broken;
    }

    void KillThroughout(const std::vector<Size>& sizes);

    std::string dir_;
    std::string src_;
    std::string outDir_;  // empty: in place
    std::string dest_;
    std::string temp_;
    bool keepLeftovers_ = false;  // a killed run's temporary file stays for the next
    int tally_[LandingCount];
};

// Kills the program at many moments of conversions of each size, in the
// mode UseOutputFolder chose, and prints where the kills landed.
void KillTest::KillThroughout(const std::vector<Size>& sizes)
{
    // Fractions of the timed conversion at which the program is killed.
    static const double Fractions[] = { 0, 0.01, 0.03, 0.06, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6,
                                        0.7, 0.8, 0.85, 0.9, 0.95, 1.0, 1.1, 1.4 };
    // Fractions of the replacement (from the temporary file complete to
    // its rename: the flush, the close and the rename) at which it is
    // killed.
    static const double ReplacementFractions[] = { 0, 0.05, 0.1, 0.2, 0.3, 0.4, 0.5,
                                                0.6, 0.7, 0.8, 0.9, 1.0, 1.2 };
    int trial = 0;
    for (const Size& s : sizes) {
        SCOPED_TRACE(s.line);
        Bytes data = RandomBytes(s.size, (unsigned)s.size);
        Timing timing = TimeConversion(data, trial % 3);
        ASSERT_FALSE(HasFailure());
        double took = timing.end;
        printf("[ KILLS    ] %u bytes: temporary file complete after %.1f ms, renamed after "
               "%.1f ms, batch ended after %.1f ms\n",
               (unsigned)s.size, timing.complete, timing.gone, timing.end);
        for (double f : Fractions) {
            KillOnce(s.line, data, trial % 3, took, AfterDelay, f * took);
            ++trial;
        }
        KillOnce(s.line, data, trial++ % 3, took, TempAppears, 0);
        KillOnce(s.line, data, trial++ % 3, took, TempHalf, 0);
        double replacing = timing.complete >= 0 && timing.gone > timing.complete
                               ? timing.gone - timing.complete
                               : 1;
        for (double f : ReplacementFractions)
            KillOnce(s.line, data, trial++ % 3, took, TempComplete, f * replacing);
        KillOnce(s.line, data, trial++ % 3, took, TempGone, 0);
        if (HasFatalFailure())
            break;
    }

    int total = 0;
    for (int n : tally_)
        total += n;
    printf("[ KILLS    ] %d kills landed:\n", total);
    for (int i = 0; i < LandingCount; ++i)
        printf("[ KILLS    ] %4d %s\n", tally_[i], LandingNames[i]);
    int before = tally_[NothingWritten] + tally_[WhileConverting];
    int after = tally_[Replaced] + tally_[ReplacedAndLogged];
    printf("[ KILLS    ] before / during / after the replacement: %d / %d / %d\n", before,
           tally_[DuringReplacement], after);
    RecordProperty("Kills", total);
    RecordProperty("BeforeReplacement", before);
    RecordProperty("DuringReplacement", tally_[DuringReplacement]);
    RecordProperty("AfterReplacement", after);
}

TEST_F(KillTest, SourceIsEitherOldOrConvertedWheneverTheProgramDies)
{
    UseOutputFolder(false);
    KillThroughout({ { __LINE__, 3 * Chunk - 5 },
                     { __LINE__, 2 * 1024 * 1024 + 77 },
                     { __LINE__, 8 * 1024 * 1024 + 3 },
                     { __LINE__, 24 * 1024 * 1024 + 1 } });
}

TEST_F(KillTest, ExistingDestFileIsEitherOldOrConvertedWheneverTheProgramDies)
{
    UseOutputFolder(true);
    KillThroughout({ { __LINE__, 3 * Chunk - 5 }, { __LINE__, 8 * 1024 * 1024 + 3 } });
}

TEST_F(KillTest, AKilledRunsTemporaryFileGoesWithTheNextConversion)
{
    // Runs killed halfway through, one after another, each leave the
    // temporary file of their own (marked as the program's): the next run
    // removes it and takes its name, and a run that ends leaves none.
    UseOutputFolder(false);
    const Bytes data = RandomBytes(8 * 1024 * 1024 + 3, 5);
    Timing timing = TimeConversion(data, 0);
    ASSERT_FALSE(HasFailure());
    keepLeftovers_ = true;
    for (int kill = 0; kill < 3; ++kill) {
        KillOnce(__LINE__, data, 0, timing.end, AfterDelay, 0.5 * timing.end);
        DWORD attributes = GetFileAttributesA(temp_.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            const DWORD mark = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
            EXPECT_EQ(attributes & mark, mark) << "kill " << kill;
        }
    }
    TimeConversion(data, 0);
    for (const std::string& name : ListDir(dir_))
        EXPECT_EQ(name.find("_Mirtavolen"), std::string::npos) << name;
}

}  // namespace
