// Type labels composed and classified, and the two halves of the overwrite
// policy word.
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "joblist/joblabel.h"

namespace {

struct Classified {
    int type;
    std::string password;
    bool hasPassword;
};

Classified Classify(const std::string& label)
{
    const char* password = NULL;
    int type = ClassifyTypeLabel(label.c_str(), &password);
    Classified c = { type, password ? password : "", password != NULL };
    return c;
}

TEST(TypeLabel, Classification)
{
    struct {
        int line;
        std::string label;
        int type;
        std::string password;
    } cases[] = {
        { __LINE__, "ビット反転", ConvInvert, "" },
        { __LINE__, "リバース", ConvReverse, "" },
        { __LINE__, "パスワード=secret", ConvPassword, "secret" },
        { __LINE__, "パスワード=a=b=c", ConvPassword, "a=b=c" },  // after the first '='
        { __LINE__, "パスワード=", ConvPassword, "" },
        { __LINE__, "パスワード", ConvPassword, "" },             // no '=': no password
        { __LINE__, "パスワードxyz", ConvPassword, "" },
        { __LINE__, "パスワード=表ソ", ConvPassword, "表ソ" },
        { __LINE__, "ビット反転 ", ConvNone, "" },                // exact comparison only
        { __LINE__, " リバース", ConvNone, "" },
        { __LINE__, "(not convert)", ConvNone, "" },
        { __LINE__, "", ConvNone, "" },
        { __LINE__, "パスワー", ConvNone, "" },                   // shorter than the word
        { __LINE__, "ﾊﾟｽﾜｰﾄﾞ=x", ConvNone, "" },                  // half-width is another word
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        Classified got = Classify(c.label);
        EXPECT_EQ(got.type, c.type);
        if (c.type == ConvPassword) {
            EXPECT_EQ(got.password, c.password);
        }
    }
}

TEST(TypeLabel, PasswordWordIsTenBytes)
{
    EXPECT_EQ(strlen(LabelPassword), 10u);
    EXPECT_EQ(std::string(LabelPassword), "\x83\x70\x83\x58\x83\x8F\x81\x5B\x83\x68");
}

std::string Compose(int type, const char* password, size_t size = LabelSize)
{
    char out[256];
    memset(out, 'X', sizeof out);
    size_t n = ComposeTypeLabel(type, password, out, size);
    EXPECT_EQ(n, strlen(out));
    EXPECT_LT(n, size);
    return out;
}

TEST(TypeLabel, Composition)
{
    struct {
        int line;
        int type;
        const char* password;
        std::string label;
    } cases[] = {
        { __LINE__, 0, "", "ビット反転" },
        { __LINE__, 1, "pw", "リバース" },
        { __LINE__, 2, "pw", "パスワード=pw" },
        { __LINE__, 2, "", "(not convert)" },
        { __LINE__, 2, NULL, "(not convert)" },
        { __LINE__, 3, "pw", "(not convert)" },
        { __LINE__, -1, "pw", "(not convert)" },
        { __LINE__, 4, "pw", "(not convert)" },
        { __LINE__, 99, "", "(not convert)" },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(Compose(c.type, c.password), c.label);
    }
}

TEST(TypeLabel, LongPasswordIsCutToFitWithoutSplittingACharacter)
{
    // 52 bytes of password fit exactly beside the 11 bytes of the word and '='.
    std::string fits(52, 'p');
    EXPECT_EQ(Compose(ConvPassword, fits.c_str()), "パスワード=" + fits);

    std::string ascii(63, 'q');
    EXPECT_EQ(Compose(ConvPassword, ascii.c_str()), "パスワード=" + std::string(52, 'q'));

    // 51 ASCII bytes then a double-byte character: the character does not
    // fit whole into the 52 bytes left and is dropped.
    std::string mixed = std::string(51, 'r') + "表表";
    EXPECT_EQ(Compose(ConvPassword, mixed.c_str()), "パスワード=" + std::string(51, 'r'));
}

TEST(TypeLabel, PolicyHalves)
{
    struct {
        int line;
        unsigned noConfirm, overwrite;
        int skips, overwrites;
    } cases[] = {
        { __LINE__, 0, 0, 0, 0 },
        { __LINE__, 1, 0, 1, 0 },
        { __LINE__, 1, 1, 1, 1 },
        { __LINE__, 2, 1, 0, 1 },          // only exactly 1 skips the question
        { __LINE__, 0, 65536, 0, 0 },      // only the low 16 bits count
        { __LINE__, 65537, 7, 1, 1 },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.line);
        OverwritePolicy p = MakeOverwritePolicy(c.noConfirm, c.overwrite);
        EXPECT_EQ(PolicySkipsQuestion(p), c.skips);
        EXPECT_EQ(PolicyOverwrites(p), c.overwrites);
    }
}

}  // namespace
