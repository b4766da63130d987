// Steam's nested key-value format and its flat quoted-line reader.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "steam_vdf.h"
#include "sys_text.h"

namespace {

// Tokens as one line: strings in angle brackets, braces as themselves.
std::string show(const std::vector<VdfToken>& tokens) {
    std::string out;
    for (const VdfToken& t : tokens) out += t.kind == VdfToken::Open ? "{" : t.kind == VdfToken::Close ? "}" : "<" + t.text + ">";
    return out;
}

// A parsed block as key=value and key{...}.
std::string show(const VdfBlock& block) {
    std::string out;
    for (const VdfEntry& e : block) {
        if (!out.empty()) out += " ";
        if (auto* s = std::get_if<std::string>(&e.value)) out += e.key + "=" + *s;
        else out += e.key + "{" + show(std::get<VdfBlock>(e.value)) + "}";
    }
    return out;
}

std::string parsed(const std::string& text) {
    Result<VdfBlock> doc = parse_vdf(text);
    return doc ? show(*doc) : "error: " + doc.error().message;
}

}  // namespace

TEST(SteamVdf, TokenizerResolvesEscapesAndDropsEverythingElse) {
    const struct { const char* text; const char* tokens; } cases[] = {
        {R"("a\"b")", "<a\"b>"},
        {R"("c\\d")", "<c\\d>"},
        {R"("x\ny\tz")", "<x\ny\tz>"},
        {R"("\q\{")", "<q{>"},                        // any other escaped character is itself
        {"\"ab\\", "<ab>"},                            // a final backslash is dropped
        {"\"open {", "<open {>"},                      // an unclosed string runs to the end
        {"word \"k\" other { } 12", "<k>{}"},          // unquoted words are not tokens
        {"// \"hidden\" {\n\"shown\"", "<shown>"},     // a comment runs to the line end
        {"/\"z\"", "<z>"},                             // a lone slash is dropped
        {"\"a\"//x", "<a>"},
        {"\"Ünïcode ğ\" \"\"", "<Ünïcode ğ><>"},
    };
    for (const auto& c : cases) EXPECT_EQ(show(vdf_tokenize(c.text)), c.tokens) << c.text;
}

TEST(SteamVdf, ParserBuildsBlocksInDocumentOrder) {
    const struct { const char* text; const char* doc; } cases[] = {
        // a block and then a value: two top-level entries
        {"\"a\" { \"x\" \"1\" \"y\" { \"z\" \"2\" } }\n\"b\" \"3\"", "a{x=1 y{z=2}} b=3"},
        {"\"k\" \"1\" \"k\" \"2\"", "k=1 k=2"},           // repeated keys all stay
        {"{ \"k\" \"v\" }", "k=v"},                       // a brace where a key belongs is skipped
        {"\"a\" \"1\" \"lonely\"", "a=1"},                // a key at the end is dropped
        // a key followed by } drops the key and that brace closes the enclosing block as well
        {"\"a\" { \"b\" { \"x\" } \"c\" \"1\" } \"d\" \"2\"", "a{b{}} c=1"},
        {"\"a\" { \"b\" \"1\"", "a{b=1}"},                // an unclosed block ends with the text
        {"", ""},
        {"unquoted words only", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(parsed(c.text), c.doc) << c.text;
}

TEST(SteamVdf, NestingDepthIsBounded) {
    auto nested = [](int depth) {
        std::string s;
        for (int i = 0; i < depth; ++i) s += "\"k\" { ";
        s += "\"leaf\" \"1\"";
        for (int i = 0; i < depth; ++i) s += " }";
        return s;
    };
    Result<VdfBlock> deepest = parse_vdf(nested(kVdfMaxDepth));
    ASSERT_TRUE(deepest);
    const VdfBlock* b = &*deepest;
    for (int i = 0; i < kVdfMaxDepth; ++i) b = vdf_block(*b, "k");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(show(*b), "leaf=1");

    EXPECT_FALSE(parse_vdf(nested(kVdfMaxDepth + 1)));
    // Far deeper than any stack allows: still a plain error.
    std::string huge;
    for (int i = 0; i < 200000; ++i) huge += "\"k\"{";
    Result<VdfBlock> r = parse_vdf(huge);
    ASSERT_FALSE(r);
    EXPECT_NE(r.error().message.find("64"), std::string::npos);
}

TEST(SteamVdf, LookupFollowsBlocksIgnoringAsciiCase) {
    Result<VdfBlock> doc = parse_vdf(R"(
        "UserLocalConfigStore" {
            "Software" "not a block"
            "SOFTWARE" { "Valve" { "Steam" { "Apps" { "570" { "LastPlayed" "1700000000" } } } } }
        })");
    ASSERT_TRUE(doc);
    const VdfBlock* apps = vdf_lookup(*doc, {"userlocalconfigstore", "software", "valve", "steam", "apps"});
    ASSERT_NE(apps, nullptr);
    const VdfBlock* game = vdf_block(*apps, "570");
    ASSERT_NE(game, nullptr);
    const std::string* last = vdf_string(*game, "lastplayed");
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(*last, "1700000000");

    EXPECT_EQ(vdf_lookup(*doc, {"userlocalconfigstore", "software", "missing"}), nullptr);
    EXPECT_EQ(vdf_string(*game, "570"), nullptr);
    EXPECT_EQ(vdf_lookup(*doc, {}), &*doc);
    EXPECT_FALSE(equal_ignoring_ascii_case("Ä", "ä"));  // only ASCII letters fold
    EXPECT_TRUE(equal_ignoring_ascii_case("MostRecent", "mostrecent"));
}

TEST(SteamVdf, PairsComeFromLinesWithTwoQuotedTexts) {
    const struct { const char* text; const char* pairs; } cases[] = {
        {"\t\t\"path\"\t\t\"D:\\\\SteamLibrary\"", "path=D:\\SteamLibrary"},
        {"\"libraryfolders\"\n{\n}\n", ""},                          // a lone word and braces
        {"\"appid\"\t\"570\"\r\n\"name\"\t\"Dota 2\"\r\n", "appid=570;name=Dota 2;"},
        {"\"a\" \"b\" \"c\" \"d\"", "a=b"},                          // extra quoted texts are ignored
        {"\"k\" \"\"", "k="},
        {"\"k\" \"v", ""},                                           // only three quotes
        {"\"k\" \"a\\\\\\\\b\\n\"", "k=a\\\\b\\n"},                  // pairs of backslashes halve, nothing else changes
    };
    for (const auto& c : cases) {
        std::string out;
        std::vector<VdfPair> pairs = vdf_pairs(c.text);
        for (const VdfPair& p : pairs) out += p.key + "=" + p.value + (pairs.size() > 1 ? ";" : "");
        EXPECT_EQ(out, c.pairs) << c.text;
    }
}
