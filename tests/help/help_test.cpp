// The help files that the build puts beside Mirtavolen.exe, read the way
// Windows will: the text manual as code page 932 with CRLF line ends, the
// compiled help file by its header.
#include <windows.h>

#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "testutil.h"

namespace {

// The test programs live in build/tests, the program and its help in build.
std::string ProgramDir()
{
    std::string dir = ExeDir();
    dir.erase(dir.size() - 1);
    return dir.substr(0, dir.find_last_of('\\') + 1);
}

// The bytes as UTF-16, or false when they are not valid code page 932.
bool DecodeCp932(const std::string& bytes, std::wstring* text)
{
    int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), (int)bytes.size(), NULL, 0);
    if (n <= 0)
        return false;
    text->assign(n, L'\0');
    return MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), (int)bytes.size(),
                               &(*text)[0], n) == n;
}

// For failure messages on the UTF-8 terminal that runs the tests.
std::string Utf8(const wchar_t* text)
{
    char out[256];
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof out, NULL, NULL);
    return n > 0 ? std::string(out) : std::string("?");
}

TEST(HelpText, IsCodePage932WithCrlfLineEnds)
{
    std::string bytes = ReadText(ProgramDir() + "Mirtavolen.txt");
    ASSERT_GT(bytes.size(), 10000u) << "Mirtavolen.txt is missing beside Mirtavolen.exe or nearly empty";
    std::wstring text;
    ASSERT_TRUE(DecodeCp932(bytes, &text)) << "not valid code page 932";

    EXPECT_NE(text[0], 0xFEFF) << "no byte-order mark";
    size_t lines = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at byte " << i;
            ++lines;
        } else if (bytes[i] == '\r') {
            ASSERT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "bare CR at byte " << i;
        }
    }
    EXPECT_GT(lines, 300u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << "the last line ends with CRLF";
}

TEST(HelpText, HoldsTheChaptersAndTheWarning)
{
    std::wstring text;
    ASSERT_TRUE(DecodeCp932(ReadText(ProgramDir() + "Mirtavolen.txt"), &text));
    const wchar_t* expected[] = {
        L"Mirtavolen Version 2.00",
        L"変換タイプ", L"ビット反転", L"リバース", L"パスワード", L"無変換",
        L"元に戻すには",
        L"ファイルの追加", L"ドラッグ＆ドロップ", L"コマンドライン",
        L"アイテム設定", L"デフォルト設定", L"上書きの設定と確認",
        L"変換の実行", L"中止",
        L"ログファイル", L"Mirtavolen.log", L"設定ファイル", L"Mirtavolen.ini",
        L"ヘルプメニュー",
        L"強力な暗号化ではありません",
        L"そのままの文字（平文）",
    };
    for (const wchar_t* words : expected)
        EXPECT_NE(text.find(words), std::wstring::npos) << "missing: " << Utf8(words);
}

TEST(HelpChm, IsCompiledHelpInJapanese)
{
    std::string bytes = ReadText(ProgramDir() + "Mirtavolen.chm");
    ASSERT_GT(bytes.size(), 0x60u) << "Mirtavolen.chm is missing beside Mirtavolen.exe";
    EXPECT_EQ(bytes.substr(0, 4), "ITSF");
    DWORD language = 0;
    memcpy(&language, bytes.data() + 0x14, sizeof language);
    EXPECT_EQ(language, 0x411u) << "language of the help file";
}

}  // namespace
