#include "search_calc.h"

#include <cmath>
#include <limits>

#include <fmt/format.h>

#include "sys_num.h"
#include "sys_text.h"

namespace {

// Steps a whole query may take: generous for any real expression, linear in its length.
constexpr size_t kStepsPerByte = 8;
constexpr size_t kStepsBase = 256;

// One parse function on the stack: counts depth and steps, fails beyond either bound.
class DepthGuard {
public:
    explicit DepthGuard(CalcCursor& c) : c_(c) { ++c_.depth; }
    ~DepthGuard() { --c_.depth; }
    bool ok() {
        if (c_.depth > kCalcMaxDepth || c_.steps_left == 0) return false;
        --c_.steps_left;
        return true;
    }
private:
    CalcCursor& c_;
};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

void skip_spaces(CalcCursor& c) {
    while (c.pos < c.text.size() && c.text[c.pos] == ' ') ++c.pos;
}

bool at_end(const CalcCursor& c) { return c.pos >= c.text.size(); }
char peek(const CalcCursor& c) { return c.text[c.pos]; }

// Digits with at most one ".", as the standard conversion reads them (".5", "5.").
std::optional<double> read_number(std::string_view run) {
    size_t dot = run.find('.');
    if (dot != std::string_view::npos && run.find('.', dot + 1) != std::string_view::npos) return std::nullopt;
    std::string_view int_part = run.substr(0, dot);
    std::string_view frac_part = dot == std::string_view::npos ? std::string_view() : run.substr(dot + 1);
    if (int_part.empty() && frac_part.empty()) return std::nullopt;  // "." alone
    std::string text(int_part.empty() ? "0" : int_part);
    if (!frac_part.empty()) {
        text += '.';
        text += frac_part;
    }
    if (auto v = parse_double(text)) return v;
    // Out of range: a huge value overflows to infinity, a tiny one underflows to zero.
    size_t first = int_part.find_first_not_of('0');
    if (first != std::string_view::npos) return std::numeric_limits<double>::infinity();
    return 0.0;
}

}  // namespace

std::string normalize_calc_input(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        size_t at = i;
        char32_t c = next_code_point(s, i);
        switch (c) {
        case U',': out += '.'; break;
        case U':': case U'\u00F7': out += '/'; break;
        case U'X': case U'\u00D7': out += '*'; break;
        default: out.append(s.substr(at, i - at)); break;
        }
    }
    return out;
}

std::optional<double> calc_sum(CalcCursor& c) {
    auto value = calc_term(c);
    if (!value) return std::nullopt;
    double v = *value;
    for (;;) {
        skip_spaces(c);
        if (at_end(c)) break;
        char op = peek(c);
        if (op != '+' && op != '-') break;
        ++c.pos;
        auto rhs = calc_term(c);
        if (!rhs) return std::nullopt;
        v = op == '+' ? v + *rhs : v - *rhs;
    }
    return v;
}

std::optional<double> calc_term(CalcCursor& c) {
    auto value = calc_power(c);
    if (!value) return std::nullopt;
    double v = *value;
    for (;;) {
        skip_spaces(c);
        if (at_end(c)) break;
        char op = peek(c);
        if (op == '*' || op == 'x' || op == '/') {
            ++c.pos;
            auto rhs = calc_power(c);
            if (!rhs) return std::nullopt;
            v = op == '/' ? v / *rhs : v * *rhs;
        } else if (op == '%') {
            ++c.pos;
            size_t after_percent = c.pos;
            if (auto rhs = calc_power(c)) {
                v = std::fmod(v, *rhs);
            } else {
                v /= 100.0;
                c.pos = after_percent;
            }
        } else {
            break;
        }
    }
    return v;
}

std::optional<double> calc_power(CalcCursor& c) {
    DepthGuard guard(c);
    if (!guard.ok()) return std::nullopt;
    auto base = calc_primary(c);
    if (!base) return std::nullopt;
    skip_spaces(c);
    if (!at_end(c) && peek(c) == '^') {
        ++c.pos;
        auto exponent = calc_power(c);
        if (!exponent) return std::nullopt;
        return std::pow(*base, *exponent);
    }
    return base;
}

std::optional<double> calc_primary(CalcCursor& c) {
    DepthGuard guard(c);
    if (!guard.ok()) return std::nullopt;
    skip_spaces(c);
    if (at_end(c)) return std::nullopt;
    char ch = peek(c);
    if (ch == '+') {
        ++c.pos;
        return calc_primary(c);
    }
    if (ch == '-') {
        ++c.pos;
        auto v = calc_primary(c);
        if (!v) return std::nullopt;
        return -*v;
    }
    if (ch == '(') {
        ++c.pos;
        auto v = calc_sum(c);
        if (!v) return std::nullopt;
        skip_spaces(c);
        if (!at_end(c) && peek(c) == ')') ++c.pos;
        return v;
    }
    size_t start = c.pos;
    while (!at_end(c) && (is_digit(peek(c)) || peek(c) == '.')) ++c.pos;
    if (c.pos == start) return std::nullopt;
    return read_number(c.text.substr(start, c.pos - start));
}

std::string format_calc_result(double x) {
    if (!std::isfinite(x)) return "tanımsız";
    double r = std::round(x);
    if (std::fabs(x) < 1e15 && std::fabs(x - r) < 1e-9) return fmt::format("{}", static_cast<int64_t>(r));
    std::string s = fixed_point(x, 6);
    while (!s.empty() && s.back() == '0') s.pop_back();
    while (!s.empty() && s.back() == '.') s.pop_back();
    for (char& ch : s)
        if (ch == '.') ch = ',';
    return s;
}

std::optional<double> evaluate_calculation(std::string_view query) {
    const std::string s = normalize_calc_input(trim(query));
    bool has_digit = false, has_operator = false;
    for (char ch : s) {
        if (is_digit(ch)) {
            has_digit = true;
            continue;
        }
        switch (ch) {
        case '+': case '-': case '*': case '/': case '^': case '%': case 'x':
            has_operator = true;
            break;
        case ' ': case '(': case ')': case '.':
            break;
        default:
            return std::nullopt;  // also every byte of a non-ASCII character
        }
    }
    if (!has_digit || !has_operator) return std::nullopt;

    CalcCursor c{s};
    c.steps_left = kStepsBase + kStepsPerByte * s.size();
    auto v = calc_sum(c);
    if (!v) return std::nullopt;
    skip_spaces(c);
    if (!at_end(c)) return std::nullopt;
    return v;
}

std::optional<std::string> calc_result_text(std::string_view query) {
    auto v = evaluate_calculation(query);
    if (!v) return std::nullopt;
    return format_calc_result(*v);
}
