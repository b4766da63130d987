// Shared formatting of the island: weather code texts, sizes and rates with
// a decimal comma, weekday abbreviations. (Search folding and Turkish
// capitalisation are in sys_text.h.)
#pragma once
#include <cstdint>
#include <string>

// Turkish text of a WMO weather code; "—" for unknown codes.
const char* weather_code_text(uint32_t code);
std::string format_bytes(uint64_t n);
std::string format_rate(double bytes_per_second);
// Weekday abbreviation, 0 = Sunday ("Paz" … "Cmt"); "" outside 0..6.
const char* weekday_short(int weekday);
