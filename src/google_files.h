// JSON documents sealed for the current Windows user, kept in the data folder
// beside state.txt: the OAuth client, the tokens and the Gemini conversation.
#pragma once
#include <optional>
#include <string_view>

#include <nlohmann/json.hpp>

#include "sys_result.h"

inline constexpr const char* kGoogleClientFile = "google-client.bin";
inline constexpr const char* kGoogleTokensFile = "google-tokens.bin";
inline constexpr const char* kGeminiChatFile = "gemini-chat.bin";

// The document in the data-folder file `name`; absent when the file is
// missing, unreadable, cannot be opened for this user or is not JSON.
std::optional<nlohmann::json> load_protected_json(std::string_view name);
// Serialises compactly (object members in byte order of their keys), seals and
// replaces the file whole; nothing is written when sealing fails.
Status save_protected_json(std::string_view name, const nlohmann::json& value);
