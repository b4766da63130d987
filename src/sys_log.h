// The data folder and the plain-text log.
#pragma once
#include <string>
#include <string_view>

// VEMO_ISLAND_DATA when set, else "VemoIsland" under APPDATA (under "." when
// APPDATA is missing); created with its parents on every call, failures ignored.
std::string data_dir();
// data_dir() joined with a file name.
std::string data_file(std::string_view name);
// Appends "hh:mm:ss message\n" to log.txt; every failure is ignored.
void write_log(std::string_view message);
// The log line for a given local time (pure, for tests). Control characters of
// the message (C0, DEL, C1) become spaces, so remote text cannot forge a line.
std::string log_line(int hour, int minute, int second, std::string_view message);
