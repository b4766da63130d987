// libFuzzer target: Steam's key-value text (tokenizer, parser, lookup) and
// the flat quoted-line reader on any bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "steam_files.h"
#include "steam_vdf.h"
#include "sys_text.h"

namespace {

// Writes a document back as text the parser reads the same way.
void write_string(std::string& out, const std::string& s) {
    out += '"';
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else out += c;
    }
    out += '"';
}

void write_block(std::string& out, const VdfBlock& block, int depth) {
    if (depth > kVdfMaxDepth) std::abort();
    for (const VdfEntry& e : block) {
        write_string(out, e.key);
        if (auto* s = std::get_if<std::string>(&e.value)) {
            out += ' ';
            write_string(out, *s);
            out += '\n';
        } else {
            out += " {\n";
            write_block(out, std::get<VdfBlock>(e.value), depth + 1);
            out += "}\n";
        }
    }
}

bool all_utf8(const VdfBlock& block) {
    for (const VdfEntry& e : block) {
        if (!is_valid_utf8(e.key)) return false;
        if (auto* s = std::get_if<std::string>(&e.value)) {
            if (!is_valid_utf8(*s)) return false;
        } else if (!all_utf8(std::get<VdfBlock>(e.value))) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);

    // Every string token takes at least one byte of input.
    if (vdf_tokenize(text).size() > size) std::abort();

    Result<VdfBlock> doc = parse_vdf(text);
    if (doc) {
        if (is_valid_utf8(text) && !all_utf8(*doc)) std::abort();
        // What was parsed, written out again, parses to the same text.
        std::string again;
        write_block(again, *doc, 0);
        Result<VdfBlock> reparsed = parse_vdf(again);
        if (!reparsed) std::abort();
        std::string third;
        write_block(third, *reparsed, 0);
        if (third != again) std::abort();

        // Lookups only ever land on blocks inside the document.
        vdf_lookup(*doc, {"UserLocalConfigStore", "Software", "Valve", "Steam", "apps"});
        steam_login_user(*doc, 0);
        steam_login_user(*doc, 1);
        std::vector<SteamGameEntry> games(1);
        games[0].app_id = 570;
        steam_apply_play_stats(*doc, games);
    }

    for (const VdfPair& p : vdf_pairs(text))
        if (p.key.size() + p.value.size() > size) std::abort();
    parse_content_log(text);
    return 0;
}
