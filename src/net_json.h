// JSON documents that arrive over the network, parsed with a bound on nesting.
#pragma once
#include <cstddef>
#include <optional>
#include <string_view>

#include <nlohmann/json.hpp>

// Deeper than any answer the program reads; anything deeper is treated as garbage.
inline constexpr size_t kNetJsonMaxDepth = 64;

// The parsed document, or none when the text is not JSON or nests arrays and
// objects deeper than max_depth levels (a bare value is depth 0).
std::optional<nlohmann::json> parse_json_limited(std::string_view text, size_t max_depth = kNetJsonMaxDepth);
