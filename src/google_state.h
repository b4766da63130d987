// The named changes the Google worker makes to the shared GoogleState, and
// post_to_ui, which runs one of them under the state's lock and then tells
// the island window (WM_APP_GOOGLE on Windows, through the notify callback).
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "google.h"
#include "sys_shared.h"

// Tells the UI thread that the state changed (posts WM_APP_GOOGLE in the product).
using GoogleNotify = std::function<void()>;

// Runs `change` on the state under its lock (skipped when the lock is
// poisoned), releases the lock, then notifies in any case.
template <class F>
void post_to_ui(const Shared<GoogleState>& state, const GoogleNotify& notify, F&& change) {
    try {
        state.with(change);
    } catch (...) {
        // The lock is poisoned now; the UI keeps its last copy.
    }
    if (notify) notify();
}

// ---- The named changes (all run under the lock) ---------------------------------

inline constexpr int kChatKeep = 40;

void set_chat_lines(GoogleState& s, const std::vector<ChatLine>& lines);
void set_account(GoogleState& s, std::string_view email, std::string_view name, bool needs_consent);
void set_picture(GoogleState& s, const ImageRef& picture);
void set_client_state(GoogleState& s, bool client_exists);
void on_client_missing(GoogleState& s);
void set_waiting_for_browser(GoogleState& s);
void on_signed_in(GoogleState& s, std::string_view email, std::string_view name, const ImageRef& picture,
                  bool needs_consent);
void on_sign_in_failed(GoogleState& s, std::string_view error);
void reset_google_state(GoogleState& s);
void push_not_signed_in(GoogleState& s);
void set_mails(GoogleState& s, uint32_t unread, const std::vector<MailItem>& inbox, const std::vector<MailItem>& fresh);
void apply_mail_change(GoogleState& s, std::string_view id, bool archive);
void on_gmail_forbidden(GoogleState& s);
void push_gmail_error(GoogleState& s, std::string_view error);
void set_events(GoogleState& s, const std::vector<EventItem>& events);
void set_tasks(GoogleState& s, const std::vector<TaskItem>& tasks);
void push_event_soon(GoogleState& s, const EventItem& event);
void push_tasks_error(GoogleState& s, std::string_view error);
void push_task_add_error(GoogleState& s, std::string_view error);
void push_question_line(GoogleState& s, std::string_view question);
void push_gemini_error(GoogleState& s, std::string_view error);
void push_answer(GoogleState& s, std::string_view model, const std::optional<std::string>& heard, std::string_view text,
                 bool speak, const std::vector<ToolCall>& calls);

// The sentence of a failed task addition (permission sentence for a 403).
std::string task_add_error_text(std::string_view error);

// ---- New mail --------------------------------------------------------------------

// Which polled mails are news. The first poll after start or sign-in only
// learns the ids that are there; afterwards a mail is announced when its id
// was never seen before and it is unread.
struct MailWatch {
    std::unordered_set<std::string> seen;
    bool primed = false;
    void reset() {
        seen.clear();
        primed = false;
    }
    std::vector<MailItem> fresh(const std::vector<MailItem>& inbox);
};

// ---- Upcoming events -----------------------------------------------------------

// Not all-day, starting after now and at most 600 s after now.
bool due_soon(const EventItem& e, int64_t now_unix);
