// UTF-8 / UTF-16 / code point conversion, case mapping, classes, trimming,
// and the Turkish folding and capitalisation.
//
// Index:
//   1. Tables (generated) and lookups
//   2. UTF-8 decoding and encoding
//   3. UTF-16
//   4. Counting and cutting
//   5. Classes and case mapping
//   6. Trimming
//   7. Turkish search folding, capitalisation and weekday names
#include "sys_text.h"

#include <algorithm>
#include <iterator>

// ---- 1. Tables (generated) and lookups --------------------------------------

namespace {

struct CodeRange {
    char32_t first;
    char32_t last;
};
struct CaseRun {
    char32_t first;
    char32_t last;
    int32_t delta;
    uint32_t stride;  // 1: every code point of the run maps, 2: every other one
};
struct CaseMulti {
    char32_t code_point;
    char32_t out[3];  // zero-terminated when shorter than three
};

#include "sys_unicode_tables.inc"

template <size_t N>
bool in_ranges(const CodeRange (&table)[N], char32_t c) {
    auto it = std::upper_bound(std::begin(table), std::end(table), c,
                               [](char32_t v, const CodeRange& r) { return v < r.first; });
    return it != std::begin(table) && c <= std::prev(it)->last;
}

template <size_t R, size_t M>
void append_mapped(std::u32string& out, char32_t c, const CaseRun (&runs)[R], const CaseMulti (&multi)[M]) {
    auto m = std::lower_bound(std::begin(multi), std::end(multi), c,
                              [](const CaseMulti& e, char32_t v) { return e.code_point < v; });
    if (m != std::end(multi) && m->code_point == c) {
        for (char32_t o : m->out) {
            if (o == 0) break;
            out.push_back(o);
        }
        return;
    }
    auto it = std::upper_bound(std::begin(runs), std::end(runs), c,
                               [](char32_t v, const CaseRun& r) { return v < r.first; });
    if (it != std::begin(runs)) {
        const CaseRun& r = *std::prev(it);
        if (c <= r.last && (c - r.first) % r.stride == 0) {
            out.push_back(static_cast<char32_t>(static_cast<int32_t>(c) + r.delta));
            return;
        }
    }
    out.push_back(c);
}

constexpr bool is_surrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }
constexpr bool is_cont(unsigned char b) { return (b & 0xC0) == 0x80; }

}  // namespace

// ---- 2. UTF-8 decoding and encoding -----------------------------------------

namespace {

// Follows the "maximal subpart" practice: a bad lead byte, or a lead byte with
// the valid start of its sequence, becomes one U+FFFD; the next byte starts fresh.
char32_t decode_at(std::string_view s, size_t& i, bool& bad) {
    bad = true;
    if (i >= s.size()) return kReplacementChar;
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        bad = false;
        return b0;
    }
    size_t need = 0;
    char32_t cp = 0;
    // Allowed range of the second byte excludes overlongs, surrogates and > U+10FFFF.
    unsigned char lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2;
        cp = b0 & 0x0F;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3;
        cp = b0 & 0x07;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else {
        ++i;
        return kReplacementChar;
    }
    size_t j = i + 1;
    for (size_t k = 0; k < need; ++k, ++j) {
        if (j >= s.size()) {
            i = j;
            return kReplacementChar;
        }
        const auto b = static_cast<unsigned char>(s[j]);
        const bool ok = k == 0 ? (b >= lo && b <= hi) : is_cont(b);
        if (!ok) {
            i = j;
            return kReplacementChar;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    i = j;
    bad = false;
    return cp;
}

}  // namespace

char32_t next_code_point(std::string_view s, size_t& i) {
    bool bad = false;
    return decode_at(s, i, bad);
}

void append_utf8(std::string& out, char32_t c) {
    if (is_surrogate(c) || c > 0x10FFFF) c = kReplacementChar;
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::u32string utf8_to_u32(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) out.push_back(next_code_point(s, i));
    return out;
}

std::string u32_to_utf8(std::u32string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char32_t c : s) append_utf8(out, c);
    return out;
}

bool is_valid_utf8(std::string_view s) {
    bool bad = false;
    for (size_t i = 0; i < s.size();) {
        decode_at(s, i, bad);
        if (bad) return false;
    }
    return true;
}

std::string sanitize_utf8(std::string_view s) {
    if (is_valid_utf8(s)) return std::string(s);
    std::string out;
    out.reserve(s.size() + 8);
    for (size_t i = 0; i < s.size();) append_utf8(out, next_code_point(s, i));
    return out;
}

// ---- 3. UTF-16 ------------------------------------------------------------------

std::u16string utf8_to_utf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const char32_t c = next_code_point(s, i);
        if (c >= 0x10000) {
            const char32_t v = c - 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

std::string utf16_to_utf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        const char16_t u = s[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            append_utf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(s[i + 1]) - 0xDC00));
            ++i;
        } else {
            append_utf8(out, u);  // a lone surrogate becomes U+FFFD here
        }
    }
    return out;
}

// ---- 4. Counting and cutting ------------------------------------------------------

size_t char_count(std::string_view s) {
    size_t n = 0;
    for (size_t i = 0; i < s.size(); ++n) next_code_point(s, i);
    return n;
}

std::string take_chars(std::string_view s, size_t n) {
    std::string out;
    for (size_t i = 0; i < s.size() && n > 0; --n) append_utf8(out, next_code_point(s, i));
    return out;
}

// ---- 5. Classes and case mapping -------------------------------------------------

bool is_white_space(char32_t c) { return in_ranges(kWhiteSpace, c); }
bool is_alphabetic(char32_t c) { return in_ranges(kAlphabetic, c); }
bool is_numeric(char32_t c) { return in_ranges(kNumeric, c); }
bool is_alphanumeric(char32_t c) { return is_alphabetic(c) || is_numeric(c); }

void append_lower(std::u32string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(c >= 'A' && c <= 'Z' ? c + 32 : c);
        return;
    }
    append_mapped(out, c, kLowerRuns, kLowerMulti);
}

void append_upper(std::u32string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(c >= 'a' && c <= 'z' ? c - 32 : c);
        return;
    }
    append_mapped(out, c, kUpperRuns, kUpperMulti);
}

std::string to_lower(std::string_view s) {
    std::u32string mapped;
    mapped.reserve(s.size());
    for (size_t i = 0; i < s.size();) append_lower(mapped, next_code_point(s, i));
    return u32_to_utf8(mapped);
}

std::string to_upper(std::string_view s) {
    std::u32string mapped;
    mapped.reserve(s.size());
    for (size_t i = 0; i < s.size();) append_upper(mapped, next_code_point(s, i));
    return u32_to_utf8(mapped);
}

// ---- 6. Trimming -------------------------------------------------------------------

std::string_view trim_start(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        size_t next = i;
        if (!is_white_space(next_code_point(s, next))) break;
        i = next;
    }
    return s.substr(i);
}

std::string_view trim_end(std::string_view s) {
    // Forward scan: decoding backwards through broken bytes is ambiguous.
    size_t keep = 0;
    for (size_t i = 0; i < s.size();) {
        if (!is_white_space(next_code_point(s, i))) keep = i;
    }
    return s.substr(0, keep);
}

std::string_view trim(std::string_view s) { return trim_end(trim_start(s)); }

std::string join_words(std::string_view text) {
    std::string out;
    bool gap = false;
    size_t i = 0;
    while (i < text.size()) {
        char32_t c = next_code_point(text, i);
        if (is_white_space(c)) {
            gap = !out.empty();
            continue;
        }
        if (gap) out += ' ';
        gap = false;
        append_utf8(out, c);
    }
    return out;
}

bool equal_ignoring_ascii_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// ---- 7. Turkish search folding, capitalisation and weekday names ------------------

void fold_search_char(char32_t c, std::string& out) {
    switch (c) {
        case U'\u00E2': out.push_back('a'); return;  // â
        case U'\u00E7': out.push_back('c'); return;  // ç
        case U'\u00EE':                              // î
        case U'\u0131': out.push_back('i'); return;  // ı
        case U'\u00F6': out.push_back('o'); return;  // ö
        case U'\u00FC': out.push_back('u'); return;  // ü
        case U'\u011F': out.push_back('g'); return;  // ğ
        case U'\u015F': out.push_back('s'); return;  // ş
        case U'\u0307':                              // combining dot left by "İ"
        case U'\0': return;
        default: append_utf8(out, c); return;
    }
}

std::string fold_search_text(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::u32string lowered;
    for (size_t i = 0; i < text.size();) {
        lowered.clear();
        append_lower(lowered, next_code_point(text, i));
        for (char32_t c : lowered) fold_search_char(c, out);
    }
    return out;
}

std::string turkish_capitalize(std::string_view text) {
    if (text.empty()) return {};
    size_t i = 0;
    const char32_t first = next_code_point(text, i);
    std::string out;
    out.reserve(text.size() + 2);
    if (first == U'i') {
        out += "İ";
    } else if (first == U'\u0131') {
        out += "I";
    } else {
        std::u32string upper;
        append_upper(upper, first);
        for (char32_t c : upper) append_utf8(out, c);
    }
    out += sanitize_utf8(text.substr(i));
    return out;
}

const char* weekday_short(int weekday) {
    static const char* const kNames[] = {"Paz", "Pzt", "Sal", "Çar", "Per", "Cum", "Cmt"};
    if (weekday < 0 || weekday > 6) return "";
    return kNames[weekday];
}
