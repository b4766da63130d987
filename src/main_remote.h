// Remote commands: a second start of the program with a remote flag sends one
// command to the running island as WM_COPYDATA; the island runs it in the App.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "main.h"

struct App;

constexpr size_t kRemoteMaxBytes = 8192;  // the island reads no more of a payload

// The island's answer to one copy-data message (SendMessageW's result).
constexpr intptr_t kRemoteRejected = 0, kRemoteHandled = 1, kRemoteNotHandled = 2;

enum class RemoteOutcome : uint8_t { Handled, NotHandled, Unavailable };

struct NotifyPayload {
    std::string title, body;
};
// Split at the first 0x01; without one the whole payload is the title.
NotifyPayload split_notify_payload(std::string_view payload);

struct AskPayload {
    std::string question;
    bool speak = false;  // a leading 0x01 asks for a spoken answer
};
AskPayload split_ask_payload(std::string_view payload);

// Runs one command inside the App (kinds 1-7; any other is not handled).
RemoteOutcome handle_remote_command(App& app, uint8_t kind, std::string_view text);

struct RemoteMessage {
    uint8_t kind = 0;
    std::string text;  // valid UTF-8, at most kRemoteMaxBytes bytes before repair
};
// The window procedure's acceptance rule: the tag in dwData, data present (an
// empty payload may come without a buffer), the first 8192 bytes with invalid UTF-8 replaced by U+FFFD. Nothing when rejected.
std::optional<RemoteMessage> accept_copy_data(uint64_t dw_data, const void* data, size_t size);

// The client's exit code for the island's answer: 0 handled, 1 rejected, 2 otherwise.
int remote_exit_code(intptr_t answer);
