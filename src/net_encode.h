// Text encoders shared by sign-in, HTTP requests and the tool executor.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

std::string percent_encode(std::string_view text);
std::string percent_decode(std::string_view text);
std::string form_pair(std::string_view key, std::string_view value);
std::string form_encode(const std::vector<std::pair<std::string, std::string>>& pairs);
std::string base64url_encode(std::string_view bytes);
// Standard alphabet with "=" padding (inline data of Gemini requests).
std::string base64_encode(std::string_view bytes);
