// The Steam client's text formats: the nested key-value format of
// loginusers.vdf and localconfig.vdf (tokenizer, parser, lookup) and the flat
// quoted-line reader used for libraryfolders.vdf and app manifests.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "sys_result.h"

struct VdfToken {
    enum Kind : uint8_t { String, Open, Close } kind = String;
    std::string text;  // String: escapes resolved
};

struct VdfEntry {
    std::string key;
    std::variant<std::string, std::vector<VdfEntry>> value;  // a string or a child block
};
using VdfBlock = std::vector<VdfEntry>;

// Deeper nesting than this is refused, so no input can exhaust the stack.
constexpr int kVdfMaxDepth = 64;

// Quoted strings and braces; comments, white space and unquoted words vanish.
std::vector<VdfToken> vdf_tokenize(std::string_view text);
// The top-level entries in document order (keys may repeat). Malformed input
// gives fewer entries; only nesting deeper than kVdfMaxDepth is an error.
Result<VdfBlock> parse_vdf(std::string_view text);

// The first child block / string value under the key (compared ignoring ASCII
// case); nullptr when there is none.
const VdfBlock* vdf_block(const VdfBlock& block, std::string_view key);
const std::string* vdf_string(const VdfBlock& block, std::string_view key);
// Follows the keys from the top level, always through child blocks.
const VdfBlock* vdf_lookup(const VdfBlock& document, std::initializer_list<std::string_view> path);

struct VdfPair {
    std::string key, value;
};
// One pair per line holding at least two quoted texts (doubled backslashes in
// the value become one); other lines give nothing.
std::vector<VdfPair> vdf_pairs(std::string_view text);
