// What the two benchmark programs share: their command line, their test
// data and the lines of their tables.
#ifndef MIRTAVOLEN_BENCH_BENCHUTIL_H
#define MIRTAVOLEN_BENCH_BENCHUTIL_H

#include <stddef.h>

#include <functional>
#include <string>
#include <vector>

// An option "--name N" of a benchmark, N a whole number from least to most.
struct NumberOption {
    const char* name;
    unsigned* value;
    unsigned least;
    unsigned most;
};

// Reads a benchmark's command line: "--quick", which runs quick() before
// any number is taken (a number given with it wins), and the number
// options. Prints the usage and returns false on anything else.
bool ReadCommandLine(int argc, char** argv, const char* usage, const std::function<void()>& quick,
                     const std::vector<NumberOption>& numbers);

// Today's date, as a table's title gives it ("2026-12-07").
std::string Today();

// Prints one line of a table, formatted as printf formats it, without the
// blanks that empty last columns leave.
void PrintLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

#endif
