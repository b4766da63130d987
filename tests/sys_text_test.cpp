#include "sys_text.h"
#include "sys_os.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr char32_t R = kReplacementChar;

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::u32string code_points;
    bool valid;
};

// Invalid input: every maximal broken subpart becomes exactly one U+FFFD.
const std::vector<DecodeCase> kDecodeCases = {
    {"empty", "", U"", true},
    {"ascii", "abc", U"abc", true},
    {"two three four bytes", "\xC3\xA7\xE2\x82\xAC\xF0\x9F\x98\x80", U"\u00E7\u20AC\U0001F600", true},
    {"real replacement char", "\xEF\xBF\xBD", U"\uFFFD", true},
    {"largest code point", "\xF4\x8F\xBF\xBF", U"\U0010FFFF", true},
    {"byte FF", "a\xFF" "b", {U'a', R, U'b'}, false},
    {"byte FE and C1", "\xFE\xC1", {R, R}, false},
    {"lone continuation", "\x80" "a", {R, U'a'}, false},
    {"truncated two byte at end", "a\xC3", {U'a', R}, false},
    {"truncated three byte at end", "\xE2\x82", {R}, false},
    {"truncated three byte before ascii", "\xE2\x82" "a", {R, U'a'}, false},
    {"truncated four byte", "\xF0\x9F\x98", {R}, false},
    {"truncated then valid", "\xF0\x9F\xC3\xA7", {R, U'\u00E7'}, false},
    {"overlong two byte NUL", "\xC0\x80", {R, R}, false},
    {"overlong three byte", "\xE0\x80\xAF", {R, R, R}, false},
    {"overlong four byte", "\xF0\x80\x80\x80", {R, R, R, R}, false},
    {"encoded high surrogate", "\xED\xA0\x80", {R, R, R}, false},
    {"encoded low surrogate", "\xED\xBF\xBF" "x", {R, R, R, U'x'}, false},
    {"above U+10FFFF", "\xF4\x90\x80\x80", {R, R, R, R}, false},
    {"lead F5", "\xF5\x80", {R, R}, false},
};

TEST(Utf8Decode, TableOfValidAndBrokenInput) {
    for (const auto& c : kDecodeCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(utf8_to_u32(c.bytes), c.code_points);
        EXPECT_EQ(is_valid_utf8(c.bytes), c.valid);
        EXPECT_EQ(char_count(c.bytes), c.code_points.size());
        const std::string clean = sanitize_utf8(c.bytes);
        EXPECT_TRUE(is_valid_utf8(clean));
        EXPECT_EQ(clean, u32_to_utf8(c.code_points));
        if (c.valid) {
            EXPECT_EQ(clean, c.bytes);
        }
        EXPECT_EQ(utf16_to_utf8(utf8_to_utf16(c.bytes)), clean);
        EXPECT_EQ(to_lower(c.bytes), to_lower(clean));
    }
}

TEST(Utf8Decode, NextCodePointStopsAtTheEndOfTheView) {
    // The bytes after the view would complete the sequence; they must not be read.
    const std::string buffer = "x\xE2\x82\xAC";
    const std::string_view view(buffer.data(), 3);
    size_t i = 0;
    EXPECT_EQ(next_code_point(view, i), U'x');
    EXPECT_EQ(i, 1u);
    EXPECT_EQ(next_code_point(view, i), R);
    EXPECT_EQ(i, 3u);
    EXPECT_EQ(next_code_point(view, i), R);  // at the end: no advance
    EXPECT_EQ(i, 3u);
    EXPECT_EQ(take_chars(view, 5), "x\xEF\xBF\xBD");
    EXPECT_EQ(trim(view), view);
}

TEST(Utf8Encode, SurrogatesAndOutOfRangeBecomeReplacement) {
    const std::u32string in = {U'a', 0xD800, 0xDFFF, 0x110000, 0xFFFFFFFF, 0x10FFFF};
    EXPECT_EQ(u32_to_utf8(in), "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xF4\x8F\xBF\xBF");
    std::string out = "pre";
    append_utf8(out, U'\u0130');
    EXPECT_EQ(out, "pre\xC4\xB0");
}

TEST(Utf16, PairsAndUnpairedSurrogates) {
    EXPECT_EQ(utf8_to_utf16("a\xC3\xA7\xF0\x9F\x98\x80"), (std::u16string{u'a', 0x00E7, 0xD83D, 0xDE00}));
    EXPECT_EQ(utf8_to_utf16("\xFF"), std::u16string(1, 0xFFFD));

    struct Case {
        std::u16string in;
        std::string out;
    };
    const Case cases[] = {
        {{0xD83D, 0xDE00}, "\xF0\x9F\x98\x80"},
        {{0xD83D}, "\xEF\xBF\xBD"},                                  // high at the end
        {{0xDE00, u'a'}, "\xEF\xBF\xBD" "a"},                        // lone low
        {{0xDE00, 0xD83D}, "\xEF\xBF\xBD\xEF\xBF\xBD"},              // reversed pair
        {{0xD83D, 0xD83D, 0xDE00}, "\xEF\xBF\xBD\xF0\x9F\x98\x80"},  // high, then a pair
    };
    for (const auto& c : cases) EXPECT_EQ(utf16_to_utf8(c.in), c.out);
}

TEST(CharCount, CountsCodePointsAndTakesWholeCharacters) {
    EXPECT_EQ(char_count("\xC3\x87" "a\xC4\x9Fr\xC4\xB1"), 5u);  // Çağrı
    EXPECT_EQ(take_chars("\xC4\xB0stanbul", 1), "\xC4\xB0");
    EXPECT_EQ(take_chars("\xC4\xB0stanbul", 0), "");
    EXPECT_EQ(take_chars("ab\xF0\x9F\x98\x80" "c", 3), "ab\xF0\x9F\x98\x80");
    EXPECT_EQ(take_chars("abc", 99), "abc");
    EXPECT_EQ(take_chars("\xE2\x82" "ab", 2), "\xEF\xBF\xBD" "a");
}

TEST(CharacterClasses, Table) {
    struct Case {
        char32_t c;
        bool white, alpha, numeric;
    };
    const Case cases[] = {
        {U' ', true, false, false},       {U'\t', true, false, false},      {U'\n', true, false, false},
        {0x0085, true, false, false},     {0x00A0, true, false, false},     {0x2007, true, false, false},
        {0x2028, true, false, false},     {0x3000, true, false, false},     {0x200B, false, false, false},
        {0x180E, false, false, false},    {0x001C, false, false, false},    {U'a', false, true, false},
        {U'Z', false, true, false},       {0x00E7, false, true, false},     {0x0131, false, true, false},
        {0x0130, false, true, false},     {0x0416, false, true, false},     {0x4E2D, false, true, false},
        {0x093E, false, true, false},     {0x24B6, false, true, false},     {0x2160, false, true, true},
        {U'7', false, false, true},       {0x0660, false, false, true},     {0x00BD, false, false, true},
        {0x0307, false, false, false},    {U'_', false, false, false},      {0x20AC, false, false, false},
        {0x1F600, false, false, false},   {0x110000, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<uint32_t>(c.c));
        EXPECT_EQ(is_white_space(c.c), c.white);
        EXPECT_EQ(is_alphabetic(c.c), c.alpha);
        EXPECT_EQ(is_numeric(c.c), c.numeric);
        EXPECT_EQ(is_alphanumeric(c.c), c.alpha || c.numeric);
    }
}

TEST(CaseMapping, FullMappingsIncludingMultiCharacterOnes) {
    struct Case {
        const char* in;
        const char* lower;
        const char* upper;
    };
    const Case cases[] = {
        {"\xC4\xB0STANBUL", "i\xCC\x87stanbul", "\xC4\xB0STANBUL"},       // İ -> i + U+0307
        {"stra\xC3\x9F" "e", "stra\xC3\x9F" "e", "STRASSE"},               // ß -> SS
        {"\xEF\xAC\x81", "\xEF\xAC\x81", "FI"},                             // ﬁ ligature
        {"\xC5\x89", "\xC5\x89", "\xCA\xBCN"},                              // ŉ -> ʼN
        {"\xC4\xB1I", "\xC4\xB1i", "II"},                                   // ı and I: no Turkish rules
        {"\xC4\x80\xC4\x81", "\xC4\x81\xC4\x81", "\xC4\x80\xC4\x80"},       // Ā ā (alternating block)
        {"\xC5\xB8", "\xC3\xBF", "\xC5\xB8"},                               // Ÿ <-> ÿ
        {"\xC7\x85", "\xC7\x86", "\xC7\x84"},                               // title-case digraph ǅ
        {"\xCE\xA3\xCE\x91\xCE\xA3", "\xCF\x83\xCE\xB1\xCF\x83", "\xCE\xA3\xCE\x91\xCE\xA3"},  // no final sigma
        {"\xF0\x90\x90\x80", "\xF0\x90\x90\xA8", "\xF0\x90\x90\x80"},       // Deseret (astral)
        {"\xE6\x9D\xB1 1\xE2\x82\xAC", "\xE6\x9D\xB1 1\xE2\x82\xAC", "\xE6\x9D\xB1 1\xE2\x82\xAC"},
        {"A\xFF" "b", "a\xEF\xBF\xBD" "b", "A\xEF\xBF\xBD" "B"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(to_lower(c.in), c.lower);
        EXPECT_EQ(to_upper(c.in), c.upper);
    }
    std::u32string out = U"x";
    append_upper(out, 0x0390);  // ΐ -> three code points
    EXPECT_EQ(out, (std::u32string{U'x', 0x0399, 0x0308, 0x0301}));
}

TEST(Trim, ByUnicodeWhiteSpace) {
    struct Case {
        std::string in, both, start, end;
    };
    const Case cases[] = {
        {"", "", "", ""},
        {" \t\n", "", "", ""},
        {"x", "x", "x", "x"},
        {" \xC2\xA0x y\xE3\x80\x80\r\n", "x y", "x y\xE3\x80\x80\r\n", " \xC2\xA0x y"},
        {"\xE2\x80\x8Bx\xE2\x80\x8B", "\xE2\x80\x8Bx\xE2\x80\x8B", "\xE2\x80\x8Bx\xE2\x80\x8B",
         "\xE2\x80\x8Bx\xE2\x80\x8B"},                          // zero-width space is not white space
        {" \xFF ", "\xFF", "\xFF ", " \xFF"},                   // broken bytes are kept, never skipped
        {" \xE2\x80", "\xE2\x80", "\xE2\x80", " \xE2\x80"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(trim(c.in), c.both);
        EXPECT_EQ(trim_start(c.in), c.start);
        EXPECT_EQ(trim_end(c.in), c.end);
    }
}

}  // namespace

TEST(JoinWords, CollapsesUnicodeWhiteSpaceRuns) {
    struct Case { const char* in; const char* out; };
    const Case cases[] = {
        {"", ""}, {"   ", ""}, {"a", "a"}, {"  iki   boşluk\n\tsatır  ", "iki boşluk satır"},
        {"a\u00A0\u2003b", "a b"}, {"bozuk \xff metin", "bozuk \xEF\xBF\xBD metin"},
    };
    for (const auto& c : cases) EXPECT_EQ(join_words(c.in), c.out) << c.in;
    EXPECT_EQ(path_last_component("C:\\Belgeler\\rapor.pdf"), "rapor.pdf");
    EXPECT_EQ(path_last_component("C:\\Resimler\\"), "Resimler");
    EXPECT_EQ(path_last_component("/"), "/");
}

TEST(FoldSearch, TurkishLettersBecomePlainAfterLowerCasing) {
    struct Case {
        std::string in;
        const char* folded;
    };
    const Case cases[] = {
        {"\xC4\xB0STANBUL", "istanbul"},                                 // İSTANBUL
        {"\xC4\xB0stanbul", "istanbul"},
        {"istanbul", "istanbul"},
        {"\xC3\x87" "a\xC4\x9Fr\xC4\xB1", "cagri"},                      // Çağrı
        {"\xC3\x82\xC3\x8E\xC3\x96\xC3\x9C\xC5\x9E\xC4\x9E", "aiousg"},  // ÂÎÖÜŞĞ
        {"\xC3\xA2\xC3\xAE\xC3\xB6\xC3\xBC\xC5\x9F\xC4\x9F\xC3\xA7", "aiousgc"},
        {"\xC4\xB1I", "ii"},                                             // ıI
        {"\xC3\x89t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},                      // Été: é is not folded
        {"Stra\xC3\x9F" "e", "stra\xC3\x9F" "e"},                        // ß stays ß in lower case
        {"\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0 2024", "\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0 2024"},
        {"\xE6\x9D\xB1\xE4\xBA\xAC 42", "\xE6\x9D\xB1\xE4\xBA\xAC 42"},  // 東京 42
        {"\xCC\x87", ""},                                                // lone combining dot
        {std::string("a\0b", 3), "ab"},                                  // U+0000 dropped
        {"\xFF" "A\xE2\x82", "\xEF\xBF\xBD" "a\xEF\xBF\xBD"},            // broken bytes: U+FFFD
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folded);
        EXPECT_EQ(fold_search_text(c.in), c.folded);
    }
}

TEST(FoldSearch, CharAppendsZeroOrOneCharacter) {
    struct Case {
        char32_t c;
        const char* appended;
    };
    const Case cases[] = {
        {0x00E2, "a"}, {0x00E7, "c"}, {0x00EE, "i"}, {0x0131, "i"}, {0x00F6, "o"},
        {0x00FC, "u"}, {0x011F, "g"}, {0x015F, "s"}, {0x0307, ""},  {0, ""},
        {U'x', "x"},   {0x00C7, "\xC3\x87"},  // upper case is not this step's job
        {0x1F600, "\xF0\x9F\x98\x80"},
    };
    for (const auto& c : cases) {
        std::string out = "pre";
        fold_search_char(c.c, out);
        EXPECT_EQ(out, std::string("pre") + c.appended) << static_cast<uint32_t>(c.c);
    }
}

TEST(TurkishCapitalize, FirstCharacterOnly) {
    struct Case {
        std::string in;
        const char* out;
    };
    const Case cases[] = {
        {"", ""},
        {"istanbul", "\xC4\xB0stanbul"},                     // i -> İ
        {"\xC4\xB1l\xC4\xB1k", "Il\xC4\xB1k"},              // ı -> I
        {"\xC3\xA7" "ay", "\xC3\x87" "ay"},                  // ç -> Ç
        {"\xC3\x9F" "a", "SSa"},                             // several characters
        {"Ankara", "Ankara"},
        {"i", "\xC4\xB0"},
        {"iii", "\xC4\xB0ii"},                               // the rest is unchanged
        {"1 saat", "1 saat"},                                // first character, not first letter
        {" iyi", " iyi"},
        {"\xD0\xB6", "\xD0\x96"},                            // ж -> Ж
        {"\xFFi", "\xEF\xBF\xBDi"},                          // broken bytes are replaced
        {"a\xE2\x82", "A\xEF\xBF\xBD"},
    };
    for (const auto& c : cases) EXPECT_EQ(turkish_capitalize(c.in), c.out) << c.in;
}
