// Depth-bounded JSON parsing for answers from the network.
#include "net_json.h"

namespace {

// The deepest bracket nesting outside strings; stops counting once past limit.
// Brackets inside strings (escapes included) are text, not structure.
size_t bracket_depth(std::string_view text, size_t limit) {
    size_t depth = 0, deepest = 0;
    bool in_string = false, escaped = false;
    for (char c : text) {
        if (in_string) {
            if (escaped) escaped = false;
            else if (c == '\\') escaped = true;
            else if (c == '"') in_string = false;
            continue;
        }
        if (c == '"') {
            in_string = true;
        } else if (c == '[' || c == '{') {
            if (++depth > deepest) deepest = depth;
            if (deepest > limit) return deepest;
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return deepest;
}

}  // namespace

std::optional<nlohmann::json> parse_json_limited(std::string_view text, size_t max_depth) {
    // Checked before parsing so a hostile document never builds a deep tree.
    if (bracket_depth(text, max_depth) > max_depth) return std::nullopt;
    nlohmann::json doc = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
    if (doc.is_discarded()) return std::nullopt;
    return doc;
}
