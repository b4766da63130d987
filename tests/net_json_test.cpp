// Depth-bounded JSON parsing of network answers.
#include <gtest/gtest.h>

#include <string>

#include "net_json.h"

namespace {

std::string arrays(size_t levels) { return std::string(levels, '[') + std::string(levels, ']'); }

TEST(ParseJsonLimited, NestingUpToTheLimitParsesDeeperFails) {
    EXPECT_TRUE(parse_json_limited(arrays(kNetJsonMaxDepth)).has_value());
    EXPECT_FALSE(parse_json_limited(arrays(kNetJsonMaxDepth + 1)).has_value());
    EXPECT_FALSE(parse_json_limited(arrays(200000)).has_value());
    EXPECT_TRUE(parse_json_limited("{\"a\":{\"b\":[1]}}", 3).has_value());
    EXPECT_FALSE(parse_json_limited("{\"a\":{\"b\":[1]}}", 2).has_value());
    EXPECT_TRUE(parse_json_limited("7", 0).has_value());
}

TEST(ParseJsonLimited, BracketsInsideStringsAreText) {
    const std::string deep_text = "{\"s\":\"" + std::string(500, '[') + "\\\"{{{{\"}";
    std::optional<nlohmann::json> doc = parse_json_limited(deep_text, 1);
    ASSERT_TRUE(doc.has_value());
    EXPECT_EQ((*doc)["s"].get<std::string>(), std::string(500, '[') + "\"{{{{");
    // An escaped backslash ends the escape: the quote after it closes the string.
    EXPECT_FALSE(parse_json_limited("[\"\\\\\", [[1]]]", 2).has_value());
    EXPECT_TRUE(parse_json_limited("[\"\\\\\", [[1]]]", 3).has_value());
}

TEST(ParseJsonLimited, InvalidTextGivesNothing) {
    for (const char* text : {"", "{", "[1,]", "nul", "{\"a\":1}}", "\"\xFF\""}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(parse_json_limited(text).has_value());
    }
}

}  // namespace
