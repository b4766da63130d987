#include "net_encode.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PercentEncode, UnreservedBytesStayEverythingElseIsEscaped) {
    struct Case {
        std::string in;
        const char* out;
    };
    const Case cases[] = {
        {"a b/\xC3\xA7", "a%20b%2F%C3%A7"},
        {"", ""},
        {"AZaz09-._~", "AZaz09-._~"},
        {"+&=?#%", "%2B%26%3D%3F%23%25"},
        {std::string("\xFF\x00\x7F", 3), "%FF%00%7F"},
        {"\xE2\x82\xAC", "%E2%82%AC"},
    };
    for (const auto& c : cases) EXPECT_EQ(percent_encode(c.in), c.out) << c.out;
}

TEST(PercentDecode, EscapesPlusAndBrokenEscapes) {
    struct Case {
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"a+b%2Fc%zz%4", "a b/c%zz%4"},
        {"%C3%A7", "\xC3\xA7"},
        {"%c3%a7", "\xC3\xA7"},                       // lower-case hex digits
        {"%FF", "\xEF\xBF\xBD"},                      // invalid UTF-8 byte
        {"%C3", "\xEF\xBF\xBD"},                      // cut sequence
        {"%C0%80", "\xEF\xBF\xBD\xEF\xBF\xBD"},       // overlong NUL
        {"%ED%A0%80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // encoded surrogate
        {"%", "%"},
        {"%4", "%4"},
        {"%%41", "%A"},                               // the scan resumes right after a bare "%"
        {"%\xC3\xA7", "%\xC3\xA7"},                   // non-ASCII after "%" is kept whole
        {"%4\xC3\xA7", "%4\xC3\xA7"},
        {"%2", "%2"},
        {"%00", std::string(1, '\0')},
        {"%2B", "+"},
        {"a\xFF", "a\xEF\xBF\xBD"},                   // raw invalid input too
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(percent_decode(c.in), c.out) << c.in;
}

TEST(PercentDecode, UndoesPercentEncode) {
    const char* texts[] = {"a b/\xC3\xA7", "x=1&y=2", "100%", "\xF0\x9F\x98\x80 ~_.-", "+"};
    for (const char* t : texts) EXPECT_EQ(percent_decode(percent_encode(t)), t) << t;
}

TEST(FormEncode, PairsJoinedWithAmpersand) {
    EXPECT_EQ(form_encode({{"a", "1 2"}, {"b", "x&y"}}), "a=1%202&b=x%26y");
    EXPECT_EQ(form_encode({}), "");
    EXPECT_EQ(form_encode({{"", ""}, {"", ""}}), "=&=");
    EXPECT_EQ(form_encode({{"code", "4/0A+b="}}), "code=4%2F0A%2Bb%3D");
    EXPECT_EQ(form_pair("a b", "c=d"), "a%20b=c%3Dd");
}

TEST(Base64, UrlAlphabetWithoutPaddingAndStandardWithPadding) {
    struct Case {
        std::string in;
        const char* url;
        const char* standard;
    };
    const Case cases[] = {
        {"", "", ""},
        {"a", "YQ", "YQ=="},
        {"ab", "YWI", "YWI="},
        {"abc", "YWJj", "YWJj"},
        {"f", "Zg", "Zg=="},
        {"fo", "Zm8", "Zm8="},
        {"foo", "Zm9v", "Zm9v"},
        {"foob", "Zm9vYg", "Zm9vYg=="},
        {"fooba", "Zm9vYmE", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy", "Zm9vYmFy"},
        {"\xFB\xFF\xFE", "-__-", "+//+"},
        {std::string("\x00\x00", 2), "AAA", "AAA="},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(base64url_encode(c.in), c.url) << c.url;
        EXPECT_EQ(base64_encode(c.in), c.standard) << c.standard;
    }
}

}  // namespace
