// Shared formatting and text helpers of the island: search folding,
// weather code texts, sizes and rates with a decimal comma.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Appends the folded form of one already lower-cased character (zero or one character).
void fold_search_char(char32_t c, std::string& out);
// Unicode lower-casing, then Turkish letters made plain, U+0307 and U+0000 dropped.
std::string fold_search_text(std::string_view text);
// Turkish text of a WMO weather code; "—" for unknown codes.
const char* weather_code_text(uint32_t code);
std::string format_bytes(uint64_t n);
std::string format_rate(double bytes_per_second);
// First letter upper-cased the Turkish way: i -> İ, ı -> I, others by Unicode.
std::string turkish_capitalize(std::string_view text);
// Weekday abbreviation, 0 = Sunday ("Paz" … "Cmt"); "" outside 0..6.
const char* weekday_short(int weekday);
