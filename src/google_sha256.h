// SHA-256 over a whole message, and lower-case hex.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

std::array<uint8_t, 32> sha256(std::string_view message);
std::string to_hex_lower(std::string_view bytes);
void append_hex_lower(std::string& out, std::string_view bytes);
