// Steam's key-value text formats.
//
// Index
//   Tokenizer
//   Parser
//   Lookup
//   Flat quoted lines
#include "steam_vdf.h"

#include <cstddef>

#include "sys_text.h"

// ---- Tokenizer ----------------------------------------------------------------------------
// Every special character is ASCII, so walking bytes treats UTF-8 text as its
// code points would: a multi-byte character is copied byte by byte.

std::vector<VdfToken> vdf_tokenize(std::string_view text) {
    std::vector<VdfToken> tokens;
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        char c = text[i];
        if (c == '"') {
            std::string s;
            ++i;
            while (i < n && text[i] != '"') {
                if (text[i] == '\\') {
                    if (++i == n) break;  // a final backslash is dropped
                    char e = text[i];
                    s += e == 'n' ? '\n' : e == 't' ? '\t' : e;
                } else {
                    s += text[i];
                }
                ++i;
            }
            if (i < n) ++i;  // the closing quote; an unclosed string still counts
            tokens.push_back({VdfToken::String, std::move(s)});
        } else if (c == '{') {
            tokens.push_back({VdfToken::Open, {}});
            ++i;
        } else if (c == '}') {
            tokens.push_back({VdfToken::Close, {}});
            ++i;
        } else if (c == '/' && i + 1 < n && text[i + 1] == '/') {
            size_t end = text.find('\n', i);
            i = end == std::string_view::npos ? n : end + 1;
        } else {
            ++i;  // white space, unquoted words and a lone slash
        }
    }
    return tokens;
}

// ---- Parser -------------------------------------------------------------------------------

namespace {

struct VdfParser {
    std::vector<VdfToken>& tokens;
    size_t pos = 0;
    bool too_deep = false;

    // A block from pos: ends at a consumed closing brace, at the end of the
    // tokens, or before a closing brace that follows a key.
    VdfBlock block(int depth) {
        VdfBlock out;
        while (pos < tokens.size() && !too_deep) {
            VdfToken& t = tokens[pos];
            if (t.kind == VdfToken::Open) { ++pos; continue; }
            if (t.kind == VdfToken::Close) { ++pos; break; }
            if (pos + 1 == tokens.size()) { ++pos; break; }  // a key without a value
            VdfToken& next = tokens[pos + 1];
            if (next.kind == VdfToken::Close) { ++pos; break; }  // the brace also ends the enclosing block
            std::string key = std::move(t.text);
            pos += 2;
            if (next.kind == VdfToken::String) {
                out.push_back({std::move(key), std::move(next.text)});
            } else {
                if (depth + 1 > kVdfMaxDepth) { too_deep = true; break; }
                VdfBlock child = block(depth + 1);
                out.push_back({std::move(key), std::move(child)});
            }
        }
        return out;
    }
};

}  // namespace

Result<VdfBlock> parse_vdf(std::string_view text) {
    std::vector<VdfToken> tokens = vdf_tokenize(text);
    VdfParser p{tokens};
    VdfBlock doc = p.block(0);
    if (p.too_deep) return make_error("vdf: blocks nested deeper than " + std::to_string(kVdfMaxDepth) + " levels");
    return doc;
}

// ---- Lookup -------------------------------------------------------------------------------

const VdfBlock* vdf_block(const VdfBlock& block, std::string_view key) {
    for (const VdfEntry& e : block)
        if (auto* child = std::get_if<VdfBlock>(&e.value); child && equal_ignoring_ascii_case(e.key, key)) return child;
    return nullptr;
}

const std::string* vdf_string(const VdfBlock& block, std::string_view key) {
    for (const VdfEntry& e : block)
        if (auto* s = std::get_if<std::string>(&e.value); s && equal_ignoring_ascii_case(e.key, key)) return s;
    return nullptr;
}

const VdfBlock* vdf_lookup(const VdfBlock& document, std::initializer_list<std::string_view> path) {
    const VdfBlock* at = &document;
    for (std::string_view key : path)
        if (!(at = vdf_block(*at, key))) return nullptr;
    return at;
}

// ---- Flat quoted lines --------------------------------------------------------------------

std::vector<VdfPair> vdf_pairs(std::string_view text) {
    std::vector<VdfPair> out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        // The pieces between quotes: key is the second, value the fourth.
        std::string_view pieces[4];
        size_t count = 0, from = 0;
        while (count < 5) {
            size_t q = line.find('"', from);
            if (count < 4) pieces[count] = line.substr(from, q == std::string_view::npos ? std::string_view::npos : q - from);
            ++count;
            if (q == std::string_view::npos) break;
            from = q + 1;
        }
        if (count >= 5) {
            std::string value;
            for (size_t i = 0; i < pieces[3].size(); ++i) {
                value += pieces[3][i];
                if (pieces[3][i] == '\\' && i + 1 < pieces[3].size() && pieces[3][i + 1] == '\\') ++i;
            }
            out.push_back({std::string(pieces[1]), std::move(value)});
        }
        start = end + 1;
    }
    return out;
}
