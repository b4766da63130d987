// Shared formatting of the island: weather code texts, sizes and rates with
// a decimal comma. (Weekday abbreviations, search folding and Turkish
// capitalisation are in sys_text.h.)
#pragma once
#include <cstdint>
#include <string>

#include "sys_text.h"  // weekday_short

// Turkish text of a WMO weather code; "—" for unknown codes.
const char* weather_code_text(uint32_t code);
std::string format_bytes(uint64_t n);
std::string format_rate(double bytes_per_second);
// A play time: "{m} dk" (at least 1) below an hour, else "{h} sa {m} dk".
std::string play_time_text(int64_t seconds);
