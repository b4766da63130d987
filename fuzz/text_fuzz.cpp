// libFuzzer target: the UTF-8 decoder and everything that walks text with it
// (UTF-16, counting, cutting, case, trimming), and the percent decoder.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "net_encode.h"
#include "sys_text.h"

namespace {

void check_utf8(std::string_view s) {
    const std::string clean = sanitize_utf8(s);
    if (!is_valid_utf8(clean)) std::abort();
    if (is_valid_utf8(s) != (clean == s)) std::abort();
    if (sanitize_utf8(clean) != clean) std::abort();

    // Every path through the decoder agrees with the sanitised text.
    const std::u32string cps = utf8_to_u32(s);
    if (u32_to_utf8(cps) != clean) std::abort();
    if (utf16_to_utf8(utf8_to_utf16(s)) != clean) std::abort();
    if (char_count(s) != cps.size() || char_count(clean) != cps.size()) std::abort();
    size_t steps = 0;
    for (size_t i = 0; i < s.size(); ++steps) {
        const size_t at = i;
        const char32_t c = next_code_point(s, i);
        if (i <= at || i - at > 4 || i > s.size() || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) std::abort();
        if (c != cps[steps]) std::abort();
    }

    // Cutting keeps whole characters from the front.
    for (size_t n : {size_t{0}, size_t{1}, cps.size() / 2, cps.size(), cps.size() + 1}) {
        const std::string cut = take_chars(s, n);
        if (char_count(cut) != std::min(n, cps.size()) || !clean.starts_with(cut)) std::abort();
    }

    // Case mapping and word joining give valid text; trimming gives a piece of the input.
    if (!is_valid_utf8(to_lower(s)) || !is_valid_utf8(to_upper(s))) std::abort();
    const std::string words = join_words(s);
    if (!is_valid_utf8(words) || words.starts_with(' ') || words.ends_with(' ') || words.find("  ") != std::string::npos)
        std::abort();
    const std::string_view t = trim(s);
    if (t.size() > s.size() || (!t.empty() && (t.data() < s.data() || t.data() + t.size() > s.data() + s.size())))
        std::abort();
    if (trim(t) != t) std::abort();
}

void check_percent(std::string_view s) {
    const std::string decoded = percent_decode(s);
    if (!is_valid_utf8(decoded)) std::abort();
    // Each escape shrinks three bytes to one; a U+FFFD takes three bytes for at least one.
    if (decoded.size() > 3 * s.size()) std::abort();
    // Encoding escapes "+" and "%", so decoding gives back the (sanitised) text.
    const std::string encoded = percent_encode(s);
    if (percent_decode(encoded) != sanitize_utf8(s)) std::abort();
    for (char c : encoded)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~' || c == '%'))
            std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view s(reinterpret_cast<const char*>(data), size);
    check_utf8(s);
    check_percent(s);
    return 0;
}
