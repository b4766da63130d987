// The search field's calculator: decides whether a query is arithmetic,
// evaluates it over doubles with a small recursive-descent parser and writes
// the value with a decimal comma.
//
// Grammar, lowest precedence first (spaces skipped before every token):
//   sum     := term { ("+" | "-") term }
//   term    := power { ("*" | "x" | "/") power | "%" [power] }   ("%" alone is percent)
//   power   := primary [ "^" power ]                              (right-associative)
//   primary := ("+" | "-") primary | "(" sum [")"] | number
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Deeper nesting of parentheses, signs and "^" than this is no calculation,
// so hostile input cannot exhaust the stack.
constexpr int kCalcMaxDepth = 200;

struct CalcCursor {
    std::string_view text;
    size_t pos = 0;
    int depth = 0;  // current recursion depth of the parse functions
    // Parse steps left: a failed "%" operand is re-read by the sum as a sign,
    // which can double the work per nesting level, so the work is capped.
    size_t steps_left = 1'000'000;
};

// "," -> ".", ":" and "÷" -> "/", "X" and "×" -> "*"; everything else is copied.
std::string normalize_calc_input(std::string_view trimmed_query);

std::optional<double> calc_sum(CalcCursor& c);
std::optional<double> calc_term(CalcCursor& c);
std::optional<double> calc_power(CalcCursor& c);
std::optional<double> calc_primary(CalcCursor& c);

// "tanımsız" for NaN and infinities; whole numbers without a fraction;
// otherwise at most six decimals with a comma ("0,333333").
std::string format_calc_result(double x);

// The value of the query when it counts as a calculation, else nothing.
std::optional<double> evaluate_calculation(std::string_view query);
// format_calc_result of evaluate_calculation, or nothing.
std::optional<std::string> calc_result_text(std::string_view query);
