// The real program driven from outside, as a user and the shell drive it,
// timed against what its system work alone costs; the second part of
// `make bench`, beside bench_mirtavolen's kernels and file procedures.
//
// Mirtavolen.exe of this build runs from a copy in a scratch folder with a
// settings file of its own, on 4 KiB files named on its command line.
// - batch rows: from the command "convert all" (bit inversion, outputs
//   replaced without a question) until the batch has ended and the window
//   has painted, per file; against bench_floor doing the system work of
//   the same files under the same Wine. In place, and into a folder
//   (DefDir).
// - add rows: from the start of the process until its main window shows
//   every row, painted; per row once the start without files is taken off.
// - delete rows: "select all", then "delete", each until it has painted.
// - close rows: from WM_CLOSE until the process has ended, on an empty
//   settings file and on one of many other users: without this user's
//   sections (a first close writes them, as on the empty file), with them
//   as the program saved them, and with them and the window moved.
// Each round runs every step once, the program and the floor in turn
// (which goes first alternates from round to round); minimum and median
// over the rounds. Targets are judged on the minimum.
//
// Usage: bench_outside [--quick] [--rounds N]
//   --quick   a fifth of the files, rows and settings file, two rounds
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "appprocess.h"
#include "benchutil.h"
#include "fillrandom.h"
#include "res/resource.h"
#include "winutil.h"

namespace {

struct Options {
    unsigned rounds;
    int few;               // files of the short batches, rows of the short add (200)
    int many;              // files of the long batch (1,000)
    int rows;              // rows added, selected and deleted (2,000)
    size_t settingsBytes;  // the settings file of many users (7 MB)
    bool full;             // the sizes the absolute targets are set for
};

// A short scratch folder: a command line holds 32,767 characters, and
// 2,000 quoted names such as "C:\b\1999.dat" with the program's own path
// take 32,025 of them.
const char Scratch[] = "C:\\b";
const char Marker[] = "C:\\b\\bench_outside.mark";
const char AppDir[] = "C:\\b\\app";
const char OutDir[] = "C:\\b\\o";
const unsigned FileBytes = 4096;
// The slowest step of the program has taken 96 s; a step that takes
// longer than this has hung.
const DWORD LongWait = 900000;

// ---- The scratch folder ----

std::string DataFile(int index)
{
    char name[32];
    snprintf(name, sizeof name, "%s\\%04d.dat", Scratch, index);
    return name;
}

std::vector<std::string> FirstFiles(int count)
{
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i)
        files.push_back(DataFile(i));
    return files;
}

// The folder with `count` files of random bytes and the program's folder.
// A folder of that name that the benchmark did not make is left alone.
bool PrepareScratch(int count)
{
    if (FileExists(Scratch) && !FileExists(Marker)) {
        fprintf(stderr, "bench: %s is not the benchmark's own folder: not touched\n", Scratch);
        return false;
    }
    RemoveTree(Scratch);
    if (!CreateDirectoryA(Scratch, NULL) || !WriteText(Marker, "")
        || !CreateDirectoryA(AppDir, NULL)) {
        fprintf(stderr, "bench: cannot make %s (error %lu)\n", Scratch, GetLastError());
        return false;
    }
    std::vector<unsigned char> data(FileBytes);
    for (int i = 0; i < count; ++i) {
        FillRandom(data.data(), data.size(), (unsigned)i + 1);
        if (!WriteData(DataFile(i), data.data(), data.size())) {
            fprintf(stderr, "bench: cannot write %s\n", DataFile(i).c_str());
            return false;
        }
    }
    return true;
}

// An empty output folder for a batch into a folder, before the program's
// run and the floor's alike.
bool ClearOutDir(bool intoFolder)
{
    if (!intoFolder)
        return true;
    RemoveTree(OutDir);
    return CreateDirectoryA(OutDir, NULL) != FALSE;
}

std::string ReadWholeFile(const std::string& path)
{
    std::string text;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return text;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, NULL) && got > 0)
        text.append(buffer, got);
    CloseHandle(h);
    return text;
}

// ---- The program ----

// Every new row bit inversion; an existing output replaced without a question.
std::string BatchSettings(bool intoFolder)
{
    return ItemSettings(intoFolder ? OutDir : "", 0, "", 1, 1);
}

bool StartShowing(AppProcess& app, const std::vector<std::string>& files)
{
    if (app.Launch(files) && app.WaitForRows((int)files.size(), LongWait))
        return true;
    fprintf(stderr, "bench: the program did not show its %u rows (error %lu)\n",
            (unsigned)files.size(), GetLastError());
    return false;
}

bool CloseApp(AppProcess& app)
{
    int code = app.Close(LongWait);
    if (code != 0)
        fprintf(stderr, "bench: the program did not end when closed (%d)\n", code);
    return code == 0;
}

// Seconds from "convert all" until the batch has ended and the window has
// painted; -1 when it failed.
double ProgramBatch(int count, bool intoFolder)
{
    if (!ClearOutDir(intoFolder))
        return -1;
    DeleteFileA((std::string(AppDir) + "\\Mirtavolen.log").c_str());  // each run starts it afresh
    AppProcess app(AppDir, BatchSettings(intoFolder));
    if (!StartShowing(app, FirstFiles(count)))
        return -1;
    double start = Seconds();
    bool handled = app.SendCommand(IDM_ITEM_CONVERTALL, LongWait);
    app.WaitForPaint();
    double elapsed = Seconds() - start;
    int left = app.RowCount();
    if (!handled || left != 0) {
        fprintf(stderr, "bench: the batch of %d files %s\n", count,
                handled ? "kept rows: conversions failed" : "did not end in time");
        return -1;
    }
    return CloseApp(app) ? elapsed : -1;
}

// Seconds bench_floor took for the same files; -1 when it failed.
double FloorBatch(int count, bool intoFolder)
{
    if (!ClearOutDir(intoFolder))
        return -1;
    const std::string result = std::string(Scratch) + "\\floor.txt";
    DeleteFileA(result.c_str());
    std::string line = "\"" + ExeDir() + "bench_floor.exe\" \"" + result + "\" "
        + (intoFolder ? OutDir : "-");
    for (const std::string& file : FirstFiles(count))
        line += " \"" + file + "\"";
    HANDLE process = NULL;
    if (!StartProgram(line, &process)) {
        fprintf(stderr, "bench: bench_floor.exe did not start (error %lu)\n", GetLastError());
        return -1;
    }
    DWORD code = 1;
    if (WaitForSingleObject(process, LongWait) == WAIT_OBJECT_0)
        GetExitCodeProcess(process, &code);
    else
        TerminateProcess(process, 1);
    CloseHandle(process);
    std::string text = ReadWholeFile(result);
    if (code != 0 || text.empty()) {
        fprintf(stderr, "bench: bench_floor.exe: %s\n", text.empty() ? "no result" : text.c_str());
        return -1;
    }
    return atof(text.c_str());
}

struct AddTimes {
    double shown;      // from the start of the process
    double selectAll;  // each until painted
    double deleted;
};

// Starts the program on `count` files and times it until it shows them;
// with thenDelete, selects all rows and deletes them.
bool TimeAdd(int count, bool thenDelete, AddTimes* times)
{
    AppProcess app(AppDir, BatchSettings(false));
    std::vector<std::string> files = FirstFiles(count);
    double start = Seconds();
    if (!StartShowing(app, files))
        return false;
    times->shown = Seconds() - start;
    if (thenDelete) {
        start = Seconds();
        bool selected = app.SendCommand(IDM_ITEM_SELECTALL, LongWait);
        app.WaitForPaint();
        double middle = Seconds();
        bool deleted = selected && app.SendCommand(IDM_FILE_DELETE, LongWait);
        app.WaitForPaint();
        double end = Seconds();
        int left = app.RowCount();
        if (!deleted || left != 0) {
            fprintf(stderr, "bench: select all and delete left %d of %d rows\n", left, count);
            return false;
        }
        times->selectAll = middle - start;
        times->deleted = end - middle;
    }
    return CloseApp(app);
}

// Seconds from WM_CLOSE until the process has ended, started on this
// settings file; with moved, the window is moved first, so that its
// placement differs from the saved one.
double TimeClose(const std::string& settings, bool moved)
{
    AppProcess app(AppDir, "");
    if (!WriteText(app.IniPath(), settings) || !StartShowing(app, {}))
        return -1;
    if (moved) {
        RECT r;
        GetWindowRect(app.MainWindow(), &r);
        MoveWindow(app.MainWindow(), r.left + 16, r.top + 16, r.right - r.left, r.bottom - r.top,
                   TRUE);
        app.WaitForPaint();
    }
    double start = Seconds();
    int code = app.Close(LongWait);
    double elapsed = Seconds() - start;
    if (code != 0) {
        fprintf(stderr, "bench: the program did not end when closed (%d)\n", code);
        return -1;
    }
    return elapsed;
}

// ---- Settings files ----

// This user's sections as the program saves them on a close that changed
// nothing: a first close on an empty file writes them, a second run on
// that file confirms them.
bool SavedSections(std::string* sections)
{
    std::string text[2];
    for (int run = 0; run < 2; ++run) {
        AppProcess app(AppDir, "");
        if (!WriteText(app.IniPath(), run == 0 ? "" : text[0]) || !StartShowing(app, {})
            || !CloseApp(app))
            return false;
        text[run] = ReadWholeFile(app.IniPath());
    }
    if (text[1] != text[0])
        fprintf(stderr, "bench: a close that changed nothing rewrote the program's settings "
                        "differently; the sections of the second close are used\n");
    *sections = text[1];
    if (sections->empty() || sections->back() != '\n')
        *sections += "\r\n";
    return true;
}

// Sections of other users, as the program writes its own, until the text
// holds `bytes` bytes; `ours` stands in the middle.
std::string ManyUsers(size_t bytes, const std::string& ours)
{
    std::string half[2];
    for (int user = 0; half[0].size() + half[1].size() + ours.size() < bytes; ++user) {
        char text[640];
        snprintf(text, sizeof text,
                 "[user%05d/Main]\r\nWindowPosLeft=%d\r\nWindowPosTop=%d\r\nWindowWidth=640\r\n"
                 "WindowHeight=320\r\nMaximized=0\r\n[user%05d/ListView]\r\nColWidth1=256\r\n"
                 "ColWidth2=256\r\nColWidth3=116\r\n[user%05d/Item]\r\n"
                 "DefDir=C:\\Users\\user%05d\\Documents\r\nDefType=%d\r\nDefPass=\r\n"
                 "DefOverWrite=%d\r\nDefNoConfirm=0\r\n",
                 user, 10 + user % 400, 10 + user % 300, user, user, user, user % 3, user % 2);
        half[user % 2] += text;
    }
    return half[0] + ours + half[1];
}

// ---- Rounds ----

struct Samples {
    std::vector<double> values;  // seconds; per file for the batches

    double Min() const { return *std::min_element(values.begin(), values.end()); }
    double Median() const
    {
        std::vector<double> v = values;
        std::sort(v.begin(), v.end());
        size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
};

enum Measure {
    FloorFewInPlace, ProgramFewInPlace, FloorFewFolder, ProgramFewFolder, FloorManyInPlace,
    ProgramManyInPlace, StartNoFiles, StartFew, StartRows, SelectAll, DeleteAll, CloseEmpty,
    CloseFirst, CloseUnchanged, CloseMoved, MeasureCount
};

bool Keep(Samples* samples, double seconds)
{
    if (seconds < 0)
        return false;
    samples->values.push_back(seconds);
    return true;
}

// The program's and the floor's batch of the same files, one after the other.
bool BatchPair(int count, bool intoFolder, bool floorFirst, Samples* floor, Samples* program)
{
    for (int turn = 0; turn < 2; ++turn) {
        bool isFloor = (turn == 0) == floorFirst;
        double seconds = isFloor ? FloorBatch(count, intoFolder) : ProgramBatch(count, intoFolder);
        if (!Keep(isFloor ? floor : program, seconds < 0 ? seconds : seconds / count))
            return false;
    }
    return true;
}

// The settings files of many users, without and with this user's sections.
struct ManySettings {
    std::string others;
    std::string withOurs;
};

bool RunRound(const Options& o, int round, const ManySettings& many, Samples* s)
{
    const bool floorFirst = round % 2 == 1;
    if (!BatchPair(o.few, false, floorFirst, &s[FloorFewInPlace], &s[ProgramFewInPlace])
        || !BatchPair(o.few, true, floorFirst, &s[FloorFewFolder], &s[ProgramFewFolder])
        || !BatchPair(o.many, false, floorFirst, &s[FloorManyInPlace], &s[ProgramManyInPlace]))
        return false;
    AddTimes none, few, rows;
    if (!TimeAdd(0, false, &none) || !TimeAdd(o.few, false, &few) || !TimeAdd(o.rows, true, &rows))
        return false;
    Keep(&s[StartNoFiles], none.shown);
    Keep(&s[StartFew], few.shown);
    Keep(&s[StartRows], rows.shown);
    Keep(&s[SelectAll], rows.selectAll);
    Keep(&s[DeleteAll], rows.deleted);
    return Keep(&s[CloseEmpty], TimeClose("", false))
        && Keep(&s[CloseFirst], TimeClose(many.others, false))
        && Keep(&s[CloseUnchanged], TimeClose(many.withOurs, false))
        && Keep(&s[CloseMoved], TimeClose(many.withOurs, true));
}

// ---- Table ----

// A value in seconds: in milliseconds below one second.
std::string TimeText(double seconds)
{
    char text[32];
    if (seconds < 1)
        snprintf(text, sizeof text, "%.2f ms", seconds * 1000);
    else
        snprintf(text, sizeof text, "%.3f s", seconds);
    return text;
}

struct Row {
    const char* kind;
    const char* what;
    std::string size;
    double min, median;          // seconds
    std::string ratioTo;         // "": no ratio
    double baseMin, baseMedian;  // seconds
    double maxRatio;             // target on the ratio of the minima; 0: none
    double maxSeconds;           // target on the minimum; 0: none
};

void PrintRow(const Row& row, bool full)
{
    char ratios[32] = "";
    if (!row.ratioTo.empty())
        snprintf(ratios, sizeof ratios, "%7.2f %7.2f", row.min / row.baseMin,
                 row.median / row.baseMedian);
    char target[64] = "";
    if (row.maxRatio > 0)
        snprintf(target, sizeof target, "<= %.2f %s", row.maxRatio,
                 row.min / row.baseMin <= row.maxRatio ? "met" : "MISSED");
    else if (row.maxSeconds > 0 && full)
        snprintf(target, sizeof target, "<= %.0f s %s", row.maxSeconds,
                 row.min <= row.maxSeconds ? "met" : "MISSED");
    else if (row.maxSeconds > 0)
        snprintf(target, sizeof target, "(<= %.0f s: full run only)", row.maxSeconds);
    PrintLine("%-7s %-30s %10s %11s %11s %15s %-11s %s", row.kind, row.what, row.size.c_str(),
              TimeText(row.min).c_str(), TimeText(row.median).c_str(), ratios,
              row.ratioTo.c_str(), target);
}

std::string Count(int n, const char* what)
{
    return std::to_string(n) + " " + what;
}

std::vector<Row> TableRows(const Options& o, size_t settingsBytes, const Samples* s)
{
    // Per row added: the start without files taken off.
    const double addMin[2] = { (s[StartFew].Min() - s[StartNoFiles].Min()) / o.few,
                               (s[StartRows].Min() - s[StartNoFiles].Min()) / o.rows };
    const double addMedian[2] = { (s[StartFew].Median() - s[StartNoFiles].Median()) / o.few,
                                  (s[StartRows].Median() - s[StartNoFiles].Median()) / o.rows };
    const std::string few = Count(o.few, "files"), many = Count(o.many, "files");
    const std::string rows = Count(o.rows, "rows");
    char mb[16];
    snprintf(mb, sizeof mb, "%.1f MB", settingsBytes / 1e6);
    const Samples& floorFew = s[FloorFewInPlace];
    const Samples& programFew = s[ProgramFewInPlace];
    const Samples& empty = s[CloseEmpty];
    const Samples& selectAll = s[SelectAll];
    const Samples& deleted = s[DeleteAll];
    std::vector<double> both;
    for (size_t i = 0; i < selectAll.values.size(); ++i)
        both.push_back(selectAll.values[i] + deleted.values[i]);
    Samples selectAndDelete = { both };
    return {
        { "batch", "floor, in place", few, floorFew.Min(), floorFew.Median(), "floor",
          floorFew.Min(), floorFew.Median(), 0, 0 },
        { "batch", "program, in place", few, programFew.Min(), programFew.Median(), "floor",
          floorFew.Min(), floorFew.Median(), 3.0, 0 },
        { "batch", "floor, into a folder", few, s[FloorFewFolder].Min(),
          s[FloorFewFolder].Median(), "floor", s[FloorFewFolder].Min(),
          s[FloorFewFolder].Median(), 0, 0 },
        { "batch", "program, into a folder", few, s[ProgramFewFolder].Min(),
          s[ProgramFewFolder].Median(), "floor", s[FloorFewFolder].Min(),
          s[FloorFewFolder].Median(), 3.0, 0 },
        { "batch", "floor, in place", many, s[FloorManyInPlace].Min(),
          s[FloorManyInPlace].Median(), few, floorFew.Min(), floorFew.Median(), 0, 0 },
        { "batch", "program, in place", many, s[ProgramManyInPlace].Min(),
          s[ProgramManyInPlace].Median(), few, programFew.Min(), programFew.Median(),
          1.2, 0 },
        { "add", "start without files", Count(0, "rows"), s[StartNoFiles].Min(),
          s[StartNoFiles].Median(), "", 0, 0, 0, 0 },
        { "add", "per row, command line", Count(o.few, "rows"), addMin[0], addMedian[0], "", 0,
          0, 0, 0 },
        { "add", "per row, command line", rows, addMin[1], addMedian[1],
          Count(o.few, "rows"), addMin[0], addMedian[0], 1.2, 0 },
        { "add", "start until all rows shown", rows, s[StartRows].Min(), s[StartRows].Median(),
          "", 0, 0, 0, 3.0 },
        { "delete", "select all, delete", rows, selectAndDelete.Min(), selectAndDelete.Median(),
          "", 0, 0, 0, 1.0 },
        { "delete", "  select all", rows, selectAll.Min(), selectAll.Median(), "", 0, 0, 0, 0 },
        { "delete", "  delete", rows, deleted.Min(), deleted.Median(), "", 0, 0, 0, 0 },
        { "close", "empty settings file", "0 MB", empty.Min(), empty.Median(), "empty",
          empty.Min(), empty.Median(), 0, 0 },
        { "close", "many users, first close", mb, s[CloseFirst].Min(), s[CloseFirst].Median(),
          "empty", empty.Min(), empty.Median(), 3.0, 0 },
        { "close", "many users, nothing changed", mb, s[CloseUnchanged].Min(),
          s[CloseUnchanged].Median(), "empty", empty.Min(), empty.Median(), 0, 0 },
        { "close", "many users, window moved", mb, s[CloseMoved].Min(), s[CloseMoved].Median(),
          "empty", empty.Min(), empty.Median(), 0, 0 },
    };
}

void PrintTable(const Options& o, size_t settingsBytes, const Samples* s)
{
    PrintLine("Mirtavolen driven from outside %s: min and median of %u rounds, the program and "
              "the floor interleaved; batches per file of %u bytes",
              Today().c_str(), o.rounds, FileBytes);
    PrintLine("%-7s %-30s %10s %11s %11s %7s %7s %-11s %s", "kind", "what", "size", "min",
              "median", "ratio", "median", "ratio to", "target");
    for (const Row& row : TableRows(o, settingsBytes, s))
        PrintRow(row, o.full);
}

}  // namespace

int main(int argc, char** argv)
{
    Options options = { 5, 200, 1000, 2000, 7000000, true };
    const Options quick = { 2, 40, 200, 400, 1400000, false };
    if (!ReadCommandLine(argc, argv, "bench_outside [--quick] [--rounds N]",
                         [&] { options = quick; }, { { "--rounds", &options.rounds, 1, 100 } }))
        return 2;
    std::string ours;
    bool ok = PrepareScratch(std::max(options.rows, options.many)) && SavedSections(&ours);
    const ManySettings many = { ManyUsers(options.settingsBytes, ""),
                                ManyUsers(options.settingsBytes, ours) };
    Samples samples[MeasureCount];
    for (unsigned round = 0; ok && round < options.rounds; ++round) {
        fprintf(stderr, "bench_outside: round %u of %u\n", round + 1, options.rounds);
        ok = RunRound(options, (int)round, many, samples);
    }
    if (FileExists(Marker))
        RemoveTree(Scratch);
    if (!ok) {
        fprintf(stderr, "bench: a step failed; the scratch folder %s is removed\n", Scratch);
        return 1;
    }
    PrintTable(options, many.withOurs.size(), samples);
    return 0;
}
