// The "google" worker: one thread that answers GoogleCommands one at a time,
// polls Gmail, Calendar and Tasks while signed in, and changes the shared
// GoogleState only through post_to_ui.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "google.h"
#include "google_api.h"
#include "google_state.h"
#include "sys_shared.h"

inline constexpr double kGmailPollSeconds = 90;
inline constexpr double kCalendarPollSeconds = 300;
inline constexpr double kPollAgainSeconds = 600;  // clocks set back this far poll at once
inline constexpr int kWorkerWaitMs = 20'000;
inline constexpr uint32_t kPictureSide = 96;  // longest side of the decoded profile picture

struct GoogleWorkerConfig {
    GoogleNet net;
    GoogleNotify notify;  // posts WM_APP_GOOGLE in the product
    // Opens the authorisation page; empty: the shell's "open". Tests play the browser here.
    std::function<void(const std::string& url)> open_browser;
    // Turns picture bytes into an image; empty: the system decoder.
    std::function<ImageRef(std::string_view bytes)> decode_picture;
    // Unix seconds; empty: the system clock.
    std::function<int64_t()> wall_clock;
    // Seconds east of UTC at a Unix time; empty: the system's zone (local_utc_offset).
    std::function<int64_t(int64_t)> utc_offset;
};

struct GoogleWorker {
    Shared<GoogleState> state;
    Sender<GoogleCommand> commands;
};

// Creates the state ("başlatılıyor") and the channel and starts the thread
// "google"; when the thread cannot start, the pair comes back all the same.
GoogleWorker start_google_worker(GoogleWorkerConfig config);

// The worker's own data. The thread drives it; tests drive it step by step.
struct GoogleWorkerContext {
    GoogleWorkerConfig config;
    Shared<GoogleState> state;
    std::optional<GoogleSession> session;
    double gmail_clock = 0, calendar_clock = 0;  // monotonic instants of the last polls
    std::unordered_set<std::string> announced;   // events already announced this run
    MailWatch mail_watch;
    std::string gemini_model;  // chosen before the first question of the run
};

// Start-up: clocks, chat file, client, stored tokens and picture.
void google_start_up(GoogleWorkerContext& ctx);
void google_run_command(GoogleWorkerContext& ctx, GoogleCommand command);
// The polls that are due and the announcement of events starting soon.
void google_periodic_step(GoogleWorkerContext& ctx);
// The interactive sign-in (blocks up to 300 s for the browser).
void google_sign_in(GoogleWorkerContext& ctx);
// Thread body: returns when every sender is gone.
void google_worker(GoogleWorkerContext& ctx, Receiver<GoogleCommand>& commands);

// Chat lines of gemini-chat.bin: entries need a bool "u" and a string "t".
std::vector<ChatLine> chat_lines_from_json(const nlohmann::json& doc);

// "google: client={} signed_in={} voice={}" for the self-test report.
std::string google_status_line();

// Per-thread set-up of the worker thread (COM on Windows).
void google_thread_setup();
