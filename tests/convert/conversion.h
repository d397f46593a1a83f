// Shared by the file conversion tests: the three procedures behind one
// call, and what each must produce (reference.h).
#ifndef MIRTAVOLEN_TESTS_CONVERSION_H
#define MIRTAVOLEN_TESTS_CONVERSION_H

#include <windows.h>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "convert/fileconv.h"
#include "testutil.h"

enum Kind { Invert, Reverse, Password };
const Kind AllKinds[] = { Invert, Reverse, Password };

inline const char* KindName(Kind kind)
{
    return kind == Invert ? "bit inversion" : kind == Reverse ? "reverse" : "password";
}

// The password of the password conversions: its first byte 0x95 reads as
// -107, so the seed 7 - 107 wraps below zero.
const char TestPassword[] = "表ソ能x";

// Name of the temporary file of an in-place conversion.
const char TempName[] = "_Mirtavolen.tmp";

inline int ConvertRaw(Kind kind, const char* src, const char* dest, const char* password,
                      HWND dialog)
{
    switch (kind) {
    case Invert:
        return BitInvertFile(src, dest, dialog);
    case Reverse:
        return ReverseFile(src, dest, dialog);
    default:
        return PasswordFile(src, dest, password, dialog);
    }
}

inline int Convert(Kind kind, const std::string& src, const std::string& dest, HWND dialog,
                   const char* password = TestPassword)
{
    return ConvertRaw(kind, src.c_str(), dest.c_str(), password, dialog);
}

// The converted bytes, from the reference definitions.
inline Bytes Expected(Kind kind, const Bytes& data, const char* password = TestPassword)
{
    return ReferenceConversion(kind, password, data);
}

// Each test starts with a clear CancelFlag, a fresh directory and a
// progress dialog from template 2001; nothing is left for the next.
class FileConversion : public ::testing::Test {
protected:
    void SetUp() override
    {
        CancelFlag = 0;
        dir = TestDir();
    }
    void TearDown() override
    {
        CancelFlag = 0;
        progress.onPosition = nullptr;
    }
    HWND dialog() const { return progress.hwnd(); }
    std::string dir;
    ProgressWindow progress;
};

#endif
