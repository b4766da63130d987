// Number helpers shared by every module: locale-free, identical on glibc and MinGW.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Shortest decimal form that reads back to the same double, never with an
// exponent; whole numbers have no fraction ("300", "299.5", "0.001").
std::string shortest_decimal(double v);
// The same for a 32-bit float: its own shortest digits (0.88f gives "0.88").
std::string shortest_decimal(float v);
// Fixed decimals with a comma as decimal point ("2,5"); NaN/inf give "0".
std::string fixed_comma(double v, int decimals);
// Fixed decimals with a point ("2.5").
std::string fixed_point(double v, int decimals);

// Saturating float -> integer: NaN -> 0, out of range -> the nearest limit.
int64_t sat_i64(double v);
int32_t sat_i32(double v);
uint32_t sat_u32(double v);
uint64_t sat_u64(double v);
uint8_t sat_u8(double v);
uint16_t sat_u16(double v);

// Strict parsers: the whole text must be the number (no blanks).
std::optional<double> parse_double(std::string_view s);        // decimal, optional sign
std::optional<int64_t> parse_i64(std::string_view s);          // one optional "+" or "-"
std::optional<uint64_t> parse_u64(std::string_view s);         // one optional "+"
