// Locale-free number text: {fmt} writes and std::from_chars reads the same
// digits on glibc and MinGW, unlike printf/strtod. Writing goes through {fmt},
// which the program carries anyway, rather than std::to_chars for floating
// point, which would add its own tables to the executable.
#include "sys_num.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include <fmt/format.h>

namespace {

// Caps a caller's decimals so the buffer stays bounded; far beyond any display need.
constexpr int kMaxDecimals = 400;

std::string fixed_with(double v, int decimals, char point) {
    if (!std::isfinite(v)) return "0";
    if (decimals < 0) decimals = 0;
    if (decimals > kMaxDecimals) decimals = kMaxDecimals;
    std::string out = fmt::format("{:.{}f}", v, decimals);
    if (point != '.') {
        for (char& ch : out)
            if (ch == '.') ch = point;
    }
    return out;
}

// Float to integer the way a saturating cast does: truncate toward zero, clamp, NaN -> 0.
template <class I>
I saturate(double v) {
    if (std::isnan(v)) return 0;
    constexpr I lo = std::numeric_limits<I>::min();
    constexpr I hi = std::numeric_limits<I>::max();
    // lo is exactly representable; hi + 1 is a power of two, so compare against it.
    constexpr double hi_excl = static_cast<double>(hi / 2 + 1) * 2.0;
    if (v >= hi_excl) return hi;
    if (v <= static_cast<double>(lo)) return lo;
    return static_cast<I>(v);
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

template <class F>
static std::string shortest_decimal_of(F v) {
    if (std::isnan(v)) return "nan";  // one spelling whatever the sign bit
    // Shortest round-trip digits; an exponent form is written out with zeros
    // (a fixed form with all binary digits would print 1.2345678901234568e20
    // as ...683968 instead of ...680000).
    const std::string shortest = fmt::format("{}", v);
    const std::string_view text(shortest);
    const size_t e = text.find('e');
    if (e == std::string_view::npos || !std::isfinite(v)) return std::string(text);

    std::string_view mantissa = text.substr(0, e);
    std::string out;
    if (mantissa.front() == '-') {
        out.push_back('-');
        mantissa.remove_prefix(1);
    }
    std::string digits;
    long point = 0;  // digits before the decimal point in the mantissa
    bool seen_point = false;
    for (char ch : mantissa) {
        if (ch == '.') {
            seen_point = true;
        } else {
            digits.push_back(ch);
            if (!seen_point) ++point;
        }
    }
    int exponent = 0;
    std::string_view exp_text = text.substr(e + 1);
    if (!exp_text.empty() && exp_text.front() == '+') exp_text.remove_prefix(1);
    std::from_chars(exp_text.data(), exp_text.data() + exp_text.size(), exponent);
    point += exponent;

    const long count = static_cast<long>(digits.size());
    if (point <= 0) {
        out += "0.";
        out.append(static_cast<size_t>(-point), '0');
        out += digits;
    } else if (point >= count) {
        out += digits;
        out.append(static_cast<size_t>(point - count), '0');
    } else {
        out.append(digits, 0, static_cast<size_t>(point));
        out.push_back('.');
        out.append(digits, static_cast<size_t>(point), std::string::npos);
    }
    return out;
}

std::string shortest_decimal(double v) { return shortest_decimal_of(v); }
std::string shortest_decimal(float v) { return shortest_decimal_of(v); }

std::string fixed_comma(double v, int decimals) { return fixed_with(v, decimals, ','); }
std::string fixed_point(double v, int decimals) { return fixed_with(v, decimals, '.'); }

int64_t sat_i64(double v) { return saturate<int64_t>(v); }
int32_t sat_i32(double v) { return saturate<int32_t>(v); }
uint32_t sat_u32(double v) { return saturate<uint32_t>(v); }
uint64_t sat_u64(double v) { return saturate<uint64_t>(v); }
uint8_t sat_u8(double v) { return saturate<uint8_t>(v); }
uint16_t sat_u16(double v) { return saturate<uint16_t>(v); }

// Accepts what from_chars's general format accepts ("1", "-1.5", ".5", "5.",
// "1e3", "inf", "nan"), plus one leading "+". Values beyond the double range
// ("1e400", "1e-400") are rejected rather than turned into infinity or zero.
std::optional<double> parse_double(std::string_view s) {
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
        if (!s.empty() && s.front() == '-') return std::nullopt;
    }
    if (s.empty()) return std::nullopt;
    double v = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

std::optional<int64_t> parse_i64(std::string_view s) {
    const size_t sign = !s.empty() && (s.front() == '+' || s.front() == '-') ? 1 : 0;
    if (s.size() <= sign || !is_digit(s[sign])) return std::nullopt;
    if (s.front() == '+') s.remove_prefix(1);  // from_chars takes "-" only
    int64_t v = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

std::optional<uint64_t> parse_u64(std::string_view s) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty() || !is_digit(s.front())) return std::nullopt;
    uint64_t v = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
    return v;
}
