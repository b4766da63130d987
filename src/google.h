// Google worker: shared state, requests and outbox items.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "sys_image.h"

struct MailItem {
    std::string id, from, subject, snippet;
    bool unread = false;
};

struct EventItem {
    std::string id, summary, link;
    int64_t start = 0;  // Unix seconds
    bool all_day = false;
};

struct TaskItem {
    std::string id, title;
    std::string due;  // "YYYY-MM-DD" or empty
};

struct ChatLine {
    std::string text;
    bool user = false;
};

struct ToolCall {
    std::string name;
    nlohmann::json args;
};

namespace gupdate {
struct Connected { std::string label; };
struct NewMail { MailItem mail; };
struct EventSoon { EventItem event; };
struct Answer {
    std::optional<std::string> heard;
    std::string text;
    bool speak = false;
    std::vector<ToolCall> calls;
};
struct Error { std::string text; };
}  // namespace gupdate
using GoogleUpdate = std::variant<gupdate::Connected, gupdate::NewMail, gupdate::EventSoon, gupdate::Answer, gupdate::Error>;

namespace gcmd {
struct SignIn {};
struct SignOut {};
struct Ask { std::string question; };
struct AskVoice { std::string wav; };
struct AskScreen { std::string question; std::string png; bool speak = false; };
struct AskLabelled { std::string label; std::string prompt; };
struct AddTask { std::string title; };
struct Refresh {};
struct ClearChat {};
struct MailRead { std::string id; };
struct MailArchive { std::string id; };
struct TaskDone { std::string id; };
}  // namespace gcmd
using GoogleCommand = std::variant<gcmd::SignIn, gcmd::SignOut, gcmd::Ask, gcmd::AskVoice, gcmd::AskScreen,
                                   gcmd::AskLabelled, gcmd::AddTask, gcmd::Refresh, gcmd::ClearChat, gcmd::MailRead,
                                   gcmd::MailArchive, gcmd::TaskDone>;

struct GoogleState {
    std::string status = "başlatılıyor";
    std::string email, name;
    std::vector<MailItem> mails;
    std::vector<EventItem> events;
    std::vector<TaskItem> tasks;
    std::string context;
    std::vector<ChatLine> chat;
    std::string model;
    std::vector<GoogleUpdate> outbox;  // drained by the App
    ImageRef picture;
    uint32_t unread = 0;
    bool client_ready = false, signed_in = false, needs_consent = false, gemini_busy = false;
};

// ---- Worker-side records ------------------------------------------------------

// The OAuth client of an installed application (google-client.bin).
struct OAuthClient {
    std::string id, secret, project;
};

// The signed-in user's credentials; lives only on the worker thread.
struct GoogleSession {
    std::string client_id, client_secret, project;
    std::string access_token;   // empty until the first refresh
    std::string refresh_token;
    double expiry = 0;          // monotonic seconds; reached = refresh before the next call
};

// The roots every Google request is built on. The product keeps the defaults;
// tests aim all of them at a fake server on 127.0.0.1.
struct GoogleEndpoints {
    std::string auth = "https://accounts.google.com";          // + /o/oauth2/v2/auth
    std::string token = "https://oauth2.googleapis.com";       // + /token
    std::string userinfo = "https://openidconnect.googleapis.com";  // + /v1/userinfo
    std::string gmail = "https://gmail.googleapis.com/gmail/v1";
    std::string calendar = "https://www.googleapis.com/calendar/v3";
    std::string tasks = "https://tasks.googleapis.com/tasks/v1";
    std::string gemini = "https://generativelanguage.googleapis.com/v1beta";
};

// Every endpoint at one base URL ("http://127.0.0.1:<port>"), each under its
// own path prefix, for tests against one fake server.
GoogleEndpoints google_endpoints_at(const std::string& base);
