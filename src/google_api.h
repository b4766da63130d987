// Google REST layer: the authorised request with its token refresh, the
// OAuth token form, and the Gmail, Calendar and Tasks calls with the
// conversion of their JSON into the program's records.
//
// Index
//   Transport
//   Authorised requests and tokens
//   Dates
//   Gmail
//   Calendar and Tasks
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "google.h"
#include "net_http.h"
#include "sys_result.h"

// ---- Transport ----------------------------------------------------------------

// One HTTP exchange; the product uses http_send, native tests a script.
using HttpTransport = std::function<Result<HttpResponse>(const HttpRequest&)>;

// Where and how the Google calls go.
struct GoogleNet {
    GoogleEndpoints urls;
    HttpTransport http;  // empty: http_send
    // The monotonic clock the token expiry is measured on.
    std::function<double()> clock;  // empty: monotonic_seconds
    Result<HttpResponse> send(const HttpRequest& request) const;
    double now() const;
};

// ---- Authorised requests and tokens --------------------------------------------

using FormPairs = std::vector<std::pair<std::string, std::string>>;

// Headers of an authorised call, in the order sent.
std::vector<HttpHeader> api_headers(const GoogleSession& session, std::string_view url, bool has_body,
                                    std::string_view gemini_root);
// "401 message": the status, a blank and the body's "/error/message" (empty when absent).
std::string api_error_text(uint32_t status, const nlohmann::json& body);
// The expiry after a token answer: now + max(expires_in - 60, 0), or now + 3540
// when expires_in is missing or not a non-negative integer.
double token_expiry(double now, const nlohmann::json& answer);

FormPairs refresh_form(const GoogleSession& session);
FormPairs code_exchange_form(std::string_view code, const OAuthClient& client, std::string_view redirect_uri,
                             std::string_view verifier);

// POST to the token endpoint; the JSON answer, or the OAuth "error" string
// ("hata" when there is none).
Result<nlohmann::json> post_token_form(const GoogleNet& net, const FormPairs& pairs);
// New access token and expiry for the session; "token yok" without one.
Status refresh_access_token(const GoogleNet& net, GoogleSession& session);
// One authorised call: a refresh first when the token has expired, one refresh
// and one retry after a 401. Errors: transport texts or "<status> <message>".
Result<nlohmann::json> api_request(const GoogleNet& net, GoogleSession& session, std::string_view method,
                                   std::string_view url, const std::optional<nlohmann::json>& body = std::nullopt);
// Whether an error text is an HTTP 403 answer.
bool is_forbidden_error(std::string_view error);

// ---- Dates -----------------------------------------------------------------------

// Days from 1970-01-01 of a proleptic Gregorian date.
int64_t days_from_civil(int64_t year, unsigned month, unsigned day);
// Unix seconds of "YYYY-MM-DD" (local midnight: minus the offset) or
// "YYYY-MM-DDTHH:MM:SS" with an optional "+hh:mm"/"-hh:mm" zone; none otherwise.
std::optional<int64_t> parse_rfc3339(std::string_view text, int64_t local_offset);
// "YYYY-MM-DDTHH:MM:SSZ" of a Unix time.
std::string utc_stamp(int64_t unix_seconds);

// ---- Gmail -----------------------------------------------------------------------

// The "value" of the first "/payload/headers" entry whose name matches
// (ASCII case ignored); empty when none or not a string.
std::string read_gmail_headers(const nlohmann::json& message, std::string_view name);
// The display part of a From header ("\"Ali Veli\" <a@b.c>" -> "Ali Veli").
std::string mail_sender_name(std::string_view from);
// Gmail's snippet with its five HTML entities replaced, one after another.
std::string unescape_snippet(std::string_view snippet);
MailItem mail_from_message(std::string_view id, const nlohmann::json& message);

std::string gmail_inbox_label_url(const GoogleEndpoints& urls);
std::string gmail_list_url(const GoogleEndpoints& urls);
std::string gmail_message_url(const GoogleEndpoints& urls, std::string_view id);
std::string gmail_modify_url(const GoogleEndpoints& urls, std::string_view id);
nlohmann::json gmail_modify_body(bool archive);

struct GmailPoll {
    uint32_t unread = 0;
    std::vector<MailItem> mails;
};
// The inbox counter, the newest six messages and their metadata; a message
// whose metadata request fails is skipped.
Result<GmailPoll> gmail_poll(const GoogleNet& net, GoogleSession& session);

// ---- Calendar and Tasks ---------------------------------------------------------

// Events of now - 30 min .. now + 3 days, at most 8.
std::string calendar_events_url(const GoogleEndpoints& urls, int64_t now_unix);
// One entry of "items"; none when its start is missing or unreadable.
std::optional<EventItem> event_from_json(const nlohmann::json& item, int64_t local_offset);
Result<std::vector<EventItem>> calendar_fetch(const GoogleNet& net, GoogleSession& session, int64_t now_unix,
                                              int64_t local_offset);

std::string tasks_list_url(const GoogleEndpoints& urls);
std::string tasks_insert_url(const GoogleEndpoints& urls);
std::string task_url(const GoogleEndpoints& urls, std::string_view id);
// The next TaskItem from items[index...] (index moves past it): entries whose
// trimmed title is empty are skipped; id and title trimmed, due cut to its
// first 10 characters. None at the end of the array.
std::optional<TaskItem> task_from_json(const nlohmann::json& items, size_t& index);
Result<std::vector<TaskItem>> tasks_fetch(const GoogleNet& net, GoogleSession& session);
// The body of a new task: "title" (required string) and "due" cut to a date.
Result<nlohmann::json> task_insert_body(const nlohmann::json& args);
// Adds a task; the reply sentence "Görevlerine ekledim: {}." or the error.
Result<std::string> tasks_insert(const GoogleNet& net, GoogleSession& session, const nlohmann::json& args);
Status task_complete(const GoogleNet& net, GoogleSession& session, std::string_view id);
