// Locale-free number text: std::to_chars / std::from_chars give the same digits
// on glibc and MinGW, unlike printf/strtod.
#include "sys_num.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace {

// Longest fixed form of a double: 309 integer digits, or "0." and 324 fraction digits.
constexpr size_t kFixedShortestMax = 340;
// Caps a caller's decimals so the buffer stays bounded; doubles carry no more digits.
constexpr int kMaxDecimals = 400;

std::string fixed_with(double v, int decimals, char point) {
    if (!std::isfinite(v)) return "0";
    if (decimals < 0) decimals = 0;
    if (decimals > kMaxDecimals) decimals = kMaxDecimals;
    std::string out(kFixedShortestMax + static_cast<size_t>(decimals), '\0');
    auto r = std::to_chars(out.data(), out.data() + out.size(), v, std::chars_format::fixed, decimals);
    if (r.ec != std::errc()) return "0";
    out.resize(static_cast<size_t>(r.ptr - out.data()));
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

std::string shortest_decimal(double v) {
    // The fixed format without precision is the shortest round-trip form with
    // the exponent spelled out as zeros, so "1e+300" never appears.
    char buf[kFixedShortestMax];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    if (r.ec != std::errc()) return "0";
    return std::string(buf, r.ptr);
}

std::string fixed_comma(double v, int decimals) { return fixed_with(v, decimals, ','); }
std::string fixed_point(double v, int decimals) { return fixed_with(v, decimals, '.'); }

int64_t sat_i64(double v) { return saturate<int64_t>(v); }
int32_t sat_i32(double v) { return saturate<int32_t>(v); }
uint32_t sat_u32(double v) { return saturate<uint32_t>(v); }
uint64_t sat_u64(double v) { return saturate<uint64_t>(v); }
uint8_t sat_u8(double v) { return saturate<uint8_t>(v); }
uint16_t sat_u16(double v) { return saturate<uint16_t>(v); }

// Accepts what from_chars's general format accepts ("1", "-1.5", ".5", "5.",
// "1e3", "inf", "nan"), plus one leading "+". Out-of-range values ("1e400") are
// rejected rather than turned into infinity.
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
