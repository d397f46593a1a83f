// Random and adversarial byte strings fed to the functions that take paths,
// type labels, log fields and settings files apart or put them together
// without any Win32 call. Under Wine the
// guard bytes around every output buffer catch writes out of bounds; in the
// native build with AddressSanitizer (tests/native) any read or write out of
// bounds stops the run at once.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "convert/logentry.h"
#include "guard.h"
#include "joblist/joblabel.h"
#include "reference.h"
#include "support/inifile.h"
#include "support/pathtext.h"
#include "support/text.h"


namespace {

const size_t PathRoom = 260;  // MAX_PATH: the program's path buffers

// Lead bytes of code page 932, the program's ANSI code page.
bool Lead(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Offsets at which the characters of s start (a lead byte with nothing
// after it is a character of its own).
std::vector<size_t> CharStarts(const std::string& s)
{
    std::vector<size_t> starts;
    for (size_t i = 0; i < s.size();) {
        starts.push_back(i);
        i += (Lead((unsigned char)s[i]) && i + 1 < s.size()) ? 2 : 1;
    }
    return starts;
}

bool IsCharStart(const std::string& s, size_t at)
{
    if (at == s.size())
        return true;
    for (size_t start : CharStarts(s))
        if (start == at)
            return true;
    return false;
}

// The last backslash that is a character of its own, not a trail byte.
long LastSeparator(const std::string& s)
{
    long last = -1;
    for (size_t start : CharStarts(s))
        if (s[start] == '\\')
            last = (long)start;
    return last;
}

std::string Hex(const std::string& s)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += (char)c;
        } else {
            out += "\\x";
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    return out;
}

// A text in a heap block of exactly its length plus the terminator, so that
// the sanitizer build reports any read past the terminator.
class Input {
public:
    explicit Input(const std::string& s) : bytes_(new char[s.size() + 1])
    {
        memcpy(bytes_, s.c_str(), s.size() + 1);
    }
    ~Input() { delete[] bytes_; }
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;
    const char* c_str() const { return bytes_; }

private:
    char* bytes_;
};

// An output buffer of exactly size bytes between two guard areas, all
// filled with known bytes. A write outside the buffer changes a guard;
// the sanitizer build poisons the guards, so it is reported where it
// happens.
class Guarded {
public:
    static constexpr size_t GuardSize = 64;
    static constexpr unsigned char GuardByte = 0xCD;
    static constexpr unsigned char FillByte = 0xA5;

    explicit Guarded(size_t size) : size_(size), block_(new char[size + 2 * GuardSize])
    {
        memset(block_, GuardByte, GuardSize);
        memset(block_ + GuardSize, FillByte, size);
        memset(block_ + GuardSize + size, GuardByte, GuardSize);
        GUARD_POISON(block_, GuardSize);
        GUARD_POISON(block_ + GuardSize + size, GuardSize);
    }
    ~Guarded()
    {
        GUARD_UNPOISON(block_, size_ + 2 * GuardSize);
        delete[] block_;
    }
    Guarded(const Guarded&) = delete;
    Guarded& operator=(const Guarded&) = delete;

    char* data() { return block_ + GuardSize; }
    size_t size() const { return size_; }

    bool GuardsIntact() const
    {
        GUARD_UNPOISON(block_, GuardSize);
        GUARD_UNPOISON(block_ + GuardSize + size_, GuardSize);
        bool intact = true;
        for (size_t i = 0; i < GuardSize; ++i)
            intact = intact && (unsigned char)block_[i] == GuardByte
                && (unsigned char)block_[GuardSize + size_ + i] == GuardByte;
        GUARD_POISON(block_, GuardSize);
        GUARD_POISON(block_ + GuardSize + size_, GuardSize);
        return intact;
    }
    // Nothing was written into the buffer itself either.
    bool Untouched() const
    {
        for (size_t i = 0; i < size_; ++i)
            if ((unsigned char)block_[GuardSize + i] != FillByte)
                return false;
        return true;
    }
    // The terminated text in the buffer; "<no terminator>" when the buffer
    // holds none (a fault of its own).
    std::string Text() const
    {
        const char* p = block_ + GuardSize;
        const void* end = memchr(p, '\0', size_);
        if (end == NULL)
            return "<no terminator>";
        return std::string(p, (const char*)end - p);
    }

private:
    size_t size_;
    char* block_;
};

// Reproducible pseudo-random numbers (xorshift32).
class Rng {
public:
    explicit Rng(uint32_t seed) : x_(seed * 2654435761u + 0x9E3779B9u) {}
    uint32_t Next()
    {
        x_ ^= x_ << 13;
        x_ ^= x_ >> 17;
        x_ ^= x_ << 5;
        return x_;
    }
    size_t Below(size_t n) { return n == 0 ? 0 : Next() % n; }
    bool OneIn(size_t n) { return Below(n) == 0; }

private:
    uint32_t x_;
};

// Bytes chosen to hit the cases that matter: separators, drive colons,
// quotes, '=', line feeds, lead bytes with a 0x5C trail byte (表 is
// 0x95 0x5C), bytes that are no character in code page 932, anything.
std::string RandomText(Rng& rng, size_t length)
{
    static const unsigned char Notable[] = { '\\', ':', '"', '=', '.', ' ', '\n', '%',
                                              0x5C, 0x80, 0xA0, 0xFD, 0xFF, 0x7F, 0x01 };
    std::string s;
    while (s.size() < length) {
        switch (rng.Below(8)) {
        case 0:
        case 1:
            s += (char)Notable[rng.Below(sizeof Notable)];
            break;
        case 2:
        case 3:
            s += (char)('a' + rng.Below(26));
            break;
        case 4:  // a double-byte character whose trail byte is 0x5C
            s += (char)(rng.OneIn(2) ? 0x95 : 0x81 + rng.Below(0x1F));
            s += '\\';
            break;
        case 5: {  // any double-byte character
            unsigned char lead = (unsigned char)(rng.OneIn(2) ? 0x81 + rng.Below(0x1F)
                                                              : 0xE0 + rng.Below(0x1D));
            s += (char)lead;
            s += (char)(0x40 + rng.Below(0xBD));
            break;
        }
        case 6:  // a lone lead byte
            s += (char)(0x81 + rng.Below(0x1F));
            break;
        default:
            s += (char)(1 + rng.Below(255));
            break;
        }
    }
    s.resize(length);  // may cut a double-byte character: a lone lead byte
    if (length > 0 && rng.OneIn(6))
        s[length - 1] = (char)(0x81 + rng.Below(0x1F));  // lone lead byte at the end
    return s;
}

// Lengths around every buffer size involved, and anything up to 400.
size_t RandomLength(Rng& rng)
{
    static const size_t Edges[] = { 0, 1, 2, 3, 10, 11, 12, 51, 52, 53, 62, 63, 64, 65,
                                    243, 244, 258, 259, 260, 261, 300 };
    if (rng.OneIn(2))
        return Edges[rng.Below(sizeof Edges / sizeof Edges[0])];
    return rng.Below(401);
}

const int Rounds = 4000;

TEST(PureFunctions, LeadBytesAreThoseOfCodePage932)
{
    for (int c = 0; c < 256; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(IsLeadByte((unsigned char)c) != 0, Lead((unsigned char)c));
    }
}

// Checks one SplitPath call against the unquoted input: the name is what
// follows the last separator character, the directory what precedes it
// (with the separator when kept), so that both rebuild the input.
void CheckSplit(int line, const std::string& path, int keepSlash)
{
    SCOPED_TRACE(testing::Message() << "line " << line << ", path " << Hex(path) << " ("
                                    << path.size() << " bytes), keepSlash " << keepSlash);
    Input input(path);
    Guarded dir(PathRoom);
    Guarded name(PathRoom);
    int result = SplitPath(input.c_str(), dir.data(), name.data(), keepSlash);
    ASSERT_TRUE(dir.GuardsIntact());
    ASSERT_TRUE(name.GuardsIntact());
    if (path.empty() || path.size() > 259) {
        EXPECT_EQ(result, -1);
        EXPECT_TRUE(dir.Untouched());
        EXPECT_TRUE(name.Untouched());
        return;
    }

    std::string clean = path;
    if (clean[0] == '"') {
        clean.erase(0, 1);
        if (!clean.empty() && clean.back() == '"')
            clean.pop_back();
    }
    long p = LastSeparator(clean);
    std::string expectedName = p < 0 ? clean : clean.substr((size_t)p + 1);
    EXPECT_EQ(result, (int)expectedName.size());
    EXPECT_EQ(name.Text(), expectedName);
    if (p < 0) {
        EXPECT_TRUE(dir.Untouched());
        return;
    }
    bool kept = keepSlash != 0 || (p > 0 && clean[(size_t)p - 1] == ':');
    std::string d = dir.Text();
    EXPECT_EQ(d + (kept ? "" : "\\") + name.Text(), clean);
    EXPECT_EQ(d.size(), kept ? (size_t)p + 1 : (size_t)p);

    // Either output alone gives the same part.
    Guarded onlyName(PathRoom);
    EXPECT_EQ(SplitPath(input.c_str(), NULL, onlyName.data(), keepSlash), result);
    EXPECT_EQ(onlyName.Text(), expectedName);
    Guarded onlyDir(PathRoom);
    EXPECT_EQ(SplitPath(input.c_str(), onlyDir.data(), NULL, keepSlash), result);
    EXPECT_EQ(onlyDir.Text(), d);
    EXPECT_EQ(SplitPath(input.c_str(), NULL, NULL, keepSlash), result);
    EXPECT_TRUE(onlyName.GuardsIntact());
    EXPECT_TRUE(onlyDir.GuardsIntact());
}

TEST(PureFunctions, SplitPathPartsRebuildTheUnquotedInput)
{
    const std::string a259(259, 'a');
    const std::string sep259(259, '\\');
    struct {
        int line;
        std::string path;
    } cases[] = {
        { __LINE__, "" },
        { __LINE__, "\"" },
        { __LINE__, "\"\"" },
        { __LINE__, "\"\"\"" },
        { __LINE__, "x\"" },
        { __LINE__, "\\" },
        { __LINE__, "\\\\" },
        { __LINE__, "\\name" },
        { __LINE__, "C:" },
        { __LINE__, "C:\\" },
        { __LINE__, ":\\" },
        { __LINE__, "C:\\file.txt" },
        { __LINE__, "C:\\dir\\" },
        { __LINE__, "\"C:\\dir\\file.txt\"" },
        { __LINE__, "\"C:\\dir\\file.txt" },
        { __LINE__, "C:\\予定表" },                // ends in the trail byte 0x5C
        { __LINE__, "C:\\予定表\\x" },
        { __LINE__, "C:\\表\\表" },
        { __LINE__, "\x95\\" },                   // 表 alone
        { __LINE__, "C:\\dir\\\x95" },            // lone lead byte at the end
        { __LINE__, "C:\\dir\x95\\name" },        // the lead byte swallows the separator
        { __LINE__, "\"\x95\"" },
        { __LINE__, a259 },
        { __LINE__, a259 + "b" },
        { __LINE__, sep259 },
        { __LINE__, sep259 + "\\" },
        { __LINE__, "C:\\" + std::string(255, 'd') + "\\" },
        { __LINE__, "C:\\" + std::string(254, 'd') + "\\\x95" },
        { __LINE__, "\"" + std::string(258, 'q') },
        { __LINE__, "\"" + std::string(257, 'q') + "\"" },
        { __LINE__, "\"" + std::string(258, 'q') + "\"" },
        { __LINE__, std::string(129, '\x95') + "\\" },  // 表 repeated, 259 bytes
        { __LINE__, std::string(1000, '\\') },
    };
    for (auto& c : cases)
        for (int keep = 0; keep < 2; ++keep)
            CheckSplit(c.line, c.path, keep);

    Rng rng(1);
    for (int round = 0; round < Rounds; ++round) {
        std::string path = RandomText(rng, RandomLength(rng));
        if (rng.OneIn(4) && path.size() >= 3)
            path.replace(0, 3, "C:\\");
        if (rng.OneIn(5))
            path = "\"" + path + (rng.OneIn(2) ? "\"" : "");
        CheckSplit(__LINE__, path, (int)rng.Below(2));
        if (HasFatalFailure())
            return;
    }
}

void CheckCut(int line, const std::string& src, size_t maxBytes)
{
    SCOPED_TRACE(testing::Message() << "line " << line << ", src " << Hex(src) << " ("
                                    << src.size() << " bytes), max " << maxBytes);
    Input input(src);
    Guarded out(maxBytes + 1);
    size_t n = CopyTextCut(out.data(), maxBytes, input.c_str());
    ASSERT_TRUE(out.GuardsIntact());
    ASSERT_LE(n, maxBytes);
    EXPECT_EQ(out.Text(), src.substr(0, n));
    EXPECT_TRUE(IsCharStart(src, n)) << "a double-byte character was split at " << n;
    if (n < src.size()) {
        // Stopped for a reason: the next character does not fit, or it is a
        // lead byte without its trail byte at the very end.
        size_t next = (Lead((unsigned char)src[n]) && n + 1 < src.size()) ? 2 : 1;
        bool loneLeadAtEnd = Lead((unsigned char)src[n]) && n + 1 == src.size();
        EXPECT_TRUE(n + next > maxBytes || loneLeadAtEnd) << "stopped early at " << n;
    }
}

TEST(PureFunctions, CopyTextCutKeepsWholeCharactersWithinTheLimit)
{
    struct {
        int line;
        std::string src;
        size_t max;
    } cases[] = {
        { __LINE__, "", 0 },
        { __LINE__, "a", 0 },
        { __LINE__, "\x95\\", 1 },
        { __LINE__, "\x95\\", 2 },
        { __LINE__, "a\x95", 5 },                  // lone lead byte at the end: dropped
        { __LINE__, "\x95", 1 },
        { __LINE__, "\x95\x95\x95", 3 },
        { __LINE__, "パスワード", 9 },
        { __LINE__, "パスワード", 10 },
        { __LINE__, std::string(63, 'p') + "\x81", 63 },
        { __LINE__, std::string(62, 'p') + "表", 63 },
        { __LINE__, std::string(300, '\x95'), 259 },
    };
    for (auto& c : cases)
        CheckCut(c.line, c.src, c.max);

    Rng rng(2);
    for (int round = 0; round < Rounds; ++round) {
        std::string src = RandomText(rng, RandomLength(rng));
        size_t max = rng.OneIn(3) ? src.size() + rng.Below(3) - (src.empty() ? 0 : 1)
                                  : RandomLength(rng);
        CheckCut(__LINE__, src, max);
        if (HasFatalFailure())
            return;
    }
}

TEST(PureFunctions, SeparatorsAreFoundCharacterByCharacter)
{
    struct {
        int line;
        std::string s;
        int last;
        bool ends;
    } cases[] = {
        { __LINE__, "", -1, false },
        { __LINE__, "\\", 0, true },
        { __LINE__, "C:\\", 2, true },
        { __LINE__, "C:\\表", 2, false },            // 0x95 0x5C is one character
        { __LINE__, "C:\\表\\", 5, true },
        { __LINE__, "\x95\\\\", 2, true },
        { __LINE__, "\\\x95", 0, false },
        { __LINE__, "a\\\x81", 1, false },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        Input input(c.s);
        EXPECT_EQ(FindLastSeparator(input.c_str()), c.last);
        EXPECT_EQ(EndsWithSeparator(input.c_str()) != 0, c.ends);
    }

    Rng rng(3);
    for (int round = 0; round < Rounds; ++round) {
        std::string s = RandomText(rng, RandomLength(rng));
        SCOPED_TRACE(Hex(s));
        Input input(s);
        long last = LastSeparator(s);
        EXPECT_EQ(FindLastSeparator(input.c_str()), (int)last);
        EXPECT_EQ(EndsWithSeparator(input.c_str()) != 0,
                  !s.empty() && last == (long)s.size() - 1);
    }
}

TEST(PureFunctions, CopyAndAppendWriteWithinTheirSize)
{
    Rng rng(4);
    for (int round = 0; round < Rounds; ++round) {
        std::string head = RandomText(rng, RandomLength(rng) % 300);
        std::string tail = RandomText(rng, RandomLength(rng));
        size_t size = rng.OneIn(3) ? head.size() + tail.size() + rng.Below(3)
                                   : 1 + RandomLength(rng);
        SCOPED_TRACE(testing::Message() << "head " << head.size() << ", tail " << tail.size()
                                        << ", size " << size);
        Input headIn(head);
        Input tailIn(tail);
        Guarded out(size);
        int copied = CopyText(out.data(), size, headIn.c_str());
        ASSERT_TRUE(out.GuardsIntact());
        EXPECT_EQ(copied != 0, head.size() < size);
        if (!copied) {
            EXPECT_TRUE(out.Untouched());
            continue;
        }
        EXPECT_EQ(out.Text(), head);
        int appended = AppendText(out.data(), size, tailIn.c_str());
        ASSERT_TRUE(out.GuardsIntact());
        EXPECT_EQ(appended != 0, head.size() + tail.size() < size);
        EXPECT_EQ(out.Text(), appended ? head + tail : head);
    }
}

// Checks one composed label: it fits, and classifying it gives back the
// type, and for a password label the password as far as it fit.
void CheckLabel(int line, int type, const char* password, size_t size)
{
    std::string pw = password != NULL ? password : "";
    SCOPED_TRACE(testing::Message() << "line " << line << ", type " << type << ", password "
                                    << (password ? Hex(pw) : "null") << " (" << pw.size()
                                    << " bytes), size " << size);
    Guarded out(size);
    std::unique_ptr<Input> in(password != NULL ? new Input(pw) : NULL);
    size_t n = ComposeTypeLabel(type, in ? in->c_str() : NULL, out.data(), size);
    ASSERT_TRUE(out.GuardsIntact());
    if (size == 0) {
        EXPECT_EQ(n, 0u);
        EXPECT_TRUE(out.Untouched());
        return;
    }
    std::string label = out.Text();
    ASSERT_EQ(n, label.size());
    ASSERT_LT(n, size);

    const std::string word = LabelPassword;
    std::string full;
    if (type == ConvInvert)
        full = LabelInvert;
    else if (type == ConvReverse)
        full = LabelReverse;
    else if (type == ConvPassword && !pw.empty())
        full = word + "=" + pw;
    else
        full = LabelNone;

    Input back(label);
    const char* gotPassword = NULL;
    int classified = ClassifyTypeLabel(back.c_str(), &gotPassword);
    if (type == ConvPassword && !pw.empty() && size >= word.size() + 2) {
        // The word, '=', and the longest whole-character start of the
        // password that fits.
        ASSERT_EQ(label.substr(0, word.size() + 1), word + "=");
        std::string kept = label.substr(word.size() + 1);
        EXPECT_EQ(pw.compare(0, kept.size(), kept), 0);
        EXPECT_TRUE(IsCharStart(pw, kept.size()));
        EXPECT_EQ(classified, ConvPassword);
        ASSERT_NE(gotPassword, (const char*)NULL);
        EXPECT_EQ(std::string(gotPassword), kept);
        return;
    }
    if (type == ConvPassword && !pw.empty())
        full = LabelNone;  // no room for the word and '=': no conversion
    if (size > full.size()) {
        EXPECT_EQ(label, full);
        int expected = (type == ConvInvert || type == ConvReverse) ? type : ConvNone;
        EXPECT_EQ(classified, expected);
    } else {
        // Cut short: a whole-character start of the label, never a label of
        // another type.
        EXPECT_EQ(full.compare(0, n, label), 0);
        EXPECT_TRUE(IsCharStart(full, n));
        EXPECT_EQ(classified, ConvNone);
    }
}

TEST(PureFunctions, ComposedLabelsFitAndClassifyBack)
{
    const std::string p52(52, 'p');
    const std::string p53(53, 'p');
    const std::string p63(63, 'p');
    struct {
        int line;
        int type;
        const char* password;
        size_t size;
    } cases[] = {
        { __LINE__, ConvInvert, NULL, 64 },
        { __LINE__, ConvInvert, NULL, 10 },          // "ビット反転" needs 11
        { __LINE__, ConvInvert, NULL, 11 },
        { __LINE__, ConvReverse, "", 9 },
        { __LINE__, ConvNone, "x", 14 },
        { __LINE__, ConvNone, "x", 13 },
        { __LINE__, -1, "x", 64 },
        { __LINE__, 4, "x", 64 },
        { __LINE__, ConvPassword, NULL, 64 },
        { __LINE__, ConvPassword, "", 64 },
        { __LINE__, ConvPassword, "x", 12 },         // room for the word and '=' only
        { __LINE__, ConvPassword, "x", 11 },
        { __LINE__, ConvPassword, "x", 13 },
        { __LINE__, ConvPassword, p52.c_str(), 64 },
        { __LINE__, ConvPassword, p53.c_str(), 64 },
        { __LINE__, ConvPassword, p63.c_str(), 64 },
        { __LINE__, ConvPassword, "\x81", 64 },      // nothing but a lone lead byte
        { __LINE__, ConvPassword, "表表表", 16 },
        { __LINE__, ConvPassword, "表表表", 17 },
        { __LINE__, ConvPassword, "\"=\\", 64 },
        { __LINE__, ConvInvert, NULL, 0 },
        { __LINE__, ConvPassword, "x", 1 },
    };
    for (auto& c : cases)
        CheckLabel(c.line, c.type, c.password, c.size);

    Rng rng(5);
    for (int round = 0; round < Rounds; ++round) {
        int type = (int)rng.Below(8) - 2;
        if (rng.OneIn(2))
            type = ConvPassword;
        std::string pw = RandomText(rng, rng.OneIn(2) ? rng.Below(70) : RandomLength(rng));
        size_t size = rng.OneIn(2) ? LabelSize : rng.Below(70);
        CheckLabel(__LINE__, type, rng.OneIn(20) ? NULL : pw.c_str(), size);
        if (HasFatalFailure())
            return;
    }
}

TEST(PureFunctions, ClassifyingAnyTextStaysInsideIt)
{
    const std::string word = LabelPassword;
    Rng rng(6);
    for (int round = 0; round < Rounds; ++round) {
        std::string label;
        switch (rng.Below(4)) {
        case 0: label = word.substr(0, rng.Below(word.size() + 1)); break;
        case 1: label = word; break;
        case 2: label = word + "="; break;
        default: break;
        }
        label += RandomText(rng, rng.OneIn(2) ? rng.Below(66) : RandomLength(rng));
        SCOPED_TRACE(Hex(label));
        Input in(label);
        const char* password = NULL;
        int type = ClassifyTypeLabel(in.c_str(), &password);
        EXPECT_EQ(ClassifyTypeLabel(in.c_str(), NULL), type);
        if (label == LabelInvert) {
            EXPECT_EQ(type, ConvInvert);
        } else if (label == LabelReverse) {
            EXPECT_EQ(type, ConvReverse);
        } else if (label.compare(0, word.size(), word) == 0) {
            EXPECT_EQ(type, ConvPassword);
            ASSERT_NE(password, (const char*)NULL);
            size_t at = (size_t)(password - in.c_str());
            ASSERT_LE(at, label.size());
            EXPECT_EQ(at, label.size() > word.size() && label[word.size()] == '='
                              ? word.size() + 1
                              : label.size());
        } else {
            EXPECT_EQ(type, ConvNone);
        }
    }
}

// The entry as it must stand in the log, built independently.
std::string ExpectedEntry(const std::string& date, const std::string& time,
                          const std::string& type, const std::string& src,
                          const std::string& dest, bool failed)
{
    return "[" + date + " " + time + "]\nType     = " + type + "\nSrcFile  = " + src +
           "\nDestFile = " + dest + "\n" + (failed ? "Failed!\n" : "") + "\n";
}

void CheckEntry(int line, const std::string& date, const std::string& time,
                const std::string& type, const std::string& src, const std::string& dest,
                bool failed, size_t size)
{
    SCOPED_TRACE(testing::Message() << "line " << line << ", fields " << date.size() << "/"
                                    << time.size() << "/" << type.size() << "/" << src.size()
                                    << "/" << dest.size() << ", failed " << failed
                                    << ", size " << size);
    Input d(date), t(time), ty(type), s(src), de(dest);
    Guarded out(size);
    size_t n = ComposeLogEntry(out.data(), size, d.c_str(), t.c_str(), ty.c_str(), s.c_str(),
                               de.c_str(), failed ? 1 : 0);
    ASSERT_TRUE(out.GuardsIntact());
    std::string expected = ExpectedEntry(date, time, type, src, dest, failed);
    if (expected.size() < size) {
        EXPECT_EQ(n, expected.size());
        EXPECT_EQ(out.Text(), expected);
    } else {
        // Refused whole: no part of an entry is ever handed on.
        EXPECT_EQ(n, 0u);
        if (size > 0)
            EXPECT_EQ(out.Text(), "");
        else
            EXPECT_TRUE(out.Untouched());
    }
}

TEST(PureFunctions, LogEntriesHaveTheExactLayoutOrAreRefused)
{
    // The longest entry the program can make fits its buffer.
    const std::string longest = std::string(62, 'p') + "表";
    CheckEntry(__LINE__, "2000/04/22", "09:05:07", longest, std::string(259, 's'),
               std::string(259, 'd'), true, LogEntrySize);
    CheckEntry(__LINE__, "2000/04/22", "09:05:07", longest, std::string(259, '\x95'),
               std::string(259, '\\'), false, LogEntrySize);
    CheckEntry(__LINE__, "", "", "", "", "", false, 0);
    CheckEntry(__LINE__, "", "", "", "", "", true, 1);
    CheckEntry(__LINE__, "%s%n", "%d", "%%", "%s", "%n%n", true, LogEntrySize);

    Rng rng(7);
    for (int round = 0; round < Rounds; ++round) {
        std::string date = rng.OneIn(4) ? RandomText(rng, rng.Below(13)) : "2024/02/29";
        std::string time = rng.OneIn(4) ? RandomText(rng, rng.Below(11)) : "23:59:59";
        std::string type = RandomText(rng, rng.OneIn(2) ? rng.Below(64) : RandomLength(rng));
        std::string src = RandomText(rng, RandomLength(rng));
        std::string dest = RandomText(rng, RandomLength(rng));
        bool failed = rng.OneIn(2);
        size_t full = ExpectedEntry(date, time, type, src, dest, failed).size();
        size_t size;
        switch (rng.Below(4)) {
        case 0: size = full; break;
        case 1: size = full + 1; break;
        case 2: size = LogEntrySize; break;
        default: size = rng.Below(full + 2); break;
        }
        CheckEntry(__LINE__, date, time, type, src, dest, failed, size);
        if (HasFatalFailure())
            return;
    }
}

// An INI text pieced together from headers (those asked for, in other
// letter cases too), keys, blanks, quotes, double-byte characters whose
// trail byte is ']' or '[', lines without an end, '=' or name, and noise.
std::string RandomIni(Rng& rng)
{
    static const char* const Pieces[] = {
        "[u/Main]", "[U/MAIN]", "[u/Item]", "[other]", "[u/Main", "[\x83\x5D]", " [u/Item] ",
        "a=1", "A = 2 ", "Key=", "=5", "Key", ";c=1", "\x83\x5B=x", "\t", "", "windowwidth=\"7\"" };
    static const char* const Ends[] = { "\r\n", "\n", "\r", "", "\x1a\r\n" };
    std::string text = rng.OneIn(8) ? "\xEF\xBB\xBF" : "";
    for (size_t lines = rng.Below(30); lines > 0; --lines) {
        text += rng.OneIn(6) ? RandomText(rng, rng.Below(20)) : Pieces[rng.Below(17)];
        text += Ends[rng.Below(5)];
    }
    return text;
}

TEST(PureFunctions, IniUpdateIsDoneInOneStep)
{
    const IniKey main[] = { { "WindowWidth", "640" }, { "Maximized", "0" } };
    const IniKey item[] = { { "DefPass", "\" x \"" }, { "Key", "表ソ能" } };
    const IniSection sections[] = { { "u/Main", main, 2 }, { "u/Item", item, 2 },
                                    { "u/\x83\x5D", main, 1 } };
    Rng rng(11);
    for (int round = 0; round < Rounds; ++round) {
        std::string text = RandomIni(rng);
        SCOPED_TRACE(testing::Message() << "round " << round << ": " << text);
        std::unique_ptr<char[]> exact(new char[text.size()]);  // a read past it is caught
        memcpy(exact.get(), text.data(), text.size());
        IniUpdate first, second;
        ASSERT_EQ(UpdateIniText(exact.get(), text.size(), sections, 3, &first), 1);
        ASSERT_LE(first.from, text.size());
        std::string after = first.tail == NULL ? text
            : text.substr(0, first.from) + std::string(first.tail, first.tailLength);
        // Once updated, the text holds every value: nothing more to do.
        ASSERT_EQ(UpdateIniText(after.data(), after.size(), sections, 3, &second), 1);
        EXPECT_TRUE(second.tail == NULL) << "not done in one step: " << after;
        free(first.tail);
        free(second.tail);
    }
}

}  // namespace
