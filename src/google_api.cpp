// Google REST layer: authorised requests, tokens, Gmail, Calendar, Tasks.
//
// Index
//   Transport
//   Authorised requests and tokens
//   Dates
//   Gmail
//   Calendar and Tasks
#include "google_api.h"

#include <algorithm>
#include <limits>

#include <fmt/format.h>

#include "net_encode.h"
#include "net_json.h"
#include "sys_os.h"
#include "sys_text.h"

namespace {

using json = nlohmann::json;

std::string string_at(const json& j, const char* key) {
    if (!j.is_object()) return "";
    auto it = j.find(key);
    return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
}

bool all_ascii_digits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Three ASCII-digit numbers separated by `sep`; false when the text is anything else.
bool three_numbers(std::string_view s, char sep, int64_t out[3]) {
    for (int i = 0; i < 3; ++i) {
        size_t cut = i < 2 ? s.find(sep) : s.size();
        if (cut == std::string_view::npos) return false;
        std::string_view part = s.substr(0, cut);
        if (!all_ascii_digits(part) || part.size() > 9) return false;
        int64_t v = 0;
        for (char c : part) v = v * 10 + (c - '0');
        out[i] = v;
        s = i < 2 ? s.substr(cut + 1) : std::string_view();
    }
    return true;
}

bool two_digits(std::string_view s, size_t at, int64_t& out) {
    if (at + 2 > s.size()) return false;
    std::string_view d = s.substr(at, 2);
    if (!all_ascii_digits(d)) return false;
    out = (d[0] - '0') * 10 + (d[1] - '0');
    return true;
}

std::string replace_all(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    out.reserve(text.size());
    size_t start = 0, at;
    while ((at = text.find(from, start)) != std::string_view::npos) {
        out.append(text.substr(start, at - start));
        out.append(to);
        start = at + from.size();
    }
    out.append(text.substr(start));
    return out;
}

Result<json> get_json(const GoogleNet& net, GoogleSession& session, const std::string& url) {
    return api_request(net, session, "GET", url);
}

}  // namespace

// ---- Transport ------------------------------------------------------------------------------

Result<HttpResponse> GoogleNet::send(const HttpRequest& request) const { return http ? http(request) : http_send(request); }

double GoogleNet::now() const { return clock ? clock() : monotonic_seconds(); }

GoogleEndpoints google_endpoints_at(const std::string& base) {
    GoogleEndpoints e;
    e.auth = base + "/auth";
    e.token = base + "/oauth";
    e.userinfo = base + "/openid";
    e.gmail = base + "/gmail/v1";
    e.calendar = base + "/calendar/v3";
    e.tasks = base + "/tasks/v1";
    e.gemini = base + "/gemini/v1beta";
    return e;
}

// ---- Authorised requests and tokens ------------------------------------------------------

std::vector<HttpHeader> api_headers(const GoogleSession& session, std::string_view url, bool has_body,
                                    std::string_view gemini_root) {
    std::vector<HttpHeader> h;
    h.push_back({"Authorization", "Bearer " + session.access_token});
    h.push_back({"Accept", "application/json"});
    if (!gemini_root.empty() && url.substr(0, gemini_root.size()) == gemini_root && !session.project.empty())
        h.push_back({"x-goog-user-project", session.project});
    if (has_body) h.push_back({"Content-Type", "application/json; charset=utf-8"});
    return h;
}

std::string api_error_text(uint32_t status, const json& body) {
    std::string message;
    if (body.is_object()) {
        auto err = body.find("error");
        if (err != body.end()) message = string_at(*err, "message");
    }
    return fmt::format("{} {}", status, message);
}

double token_expiry(double now, const json& answer) {
    if (answer.is_object()) {
        auto it = answer.find("expires_in");
        if (it != answer.end() && it->is_number_integer()) {
            // Unsigned and non-negative signed integers both qualify.
            bool negative = it->is_number_unsigned() ? false : it->get<int64_t>() < 0;
            if (!negative) {
                double seconds = it->is_number_unsigned() ? static_cast<double>(it->get<uint64_t>())
                                                          : static_cast<double>(it->get<int64_t>());
                return now + std::max(seconds - 60.0, 0.0);
            }
        }
    }
    return now + 3540.0;
}

FormPairs refresh_form(const GoogleSession& session) {
    return {{"client_id", session.client_id},
            {"client_secret", session.client_secret},
            {"refresh_token", session.refresh_token},
            {"grant_type", "refresh_token"}};
}

FormPairs code_exchange_form(std::string_view code, const OAuthClient& client, std::string_view redirect_uri,
                             std::string_view verifier) {
    return {{"code", std::string(code)},
            {"client_id", client.id},
            {"client_secret", client.secret},
            {"redirect_uri", std::string(redirect_uri)},
            {"grant_type", "authorization_code"},
            {"code_verifier", std::string(verifier)}};
}

Result<json> post_token_form(const GoogleNet& net, const FormPairs& pairs) {
    HttpRequest req;
    req.method = "POST";
    req.url = net.urls.token + "/token";
    req.headers = {{"Content-Type", "application/x-www-form-urlencoded"}};
    req.body = form_encode(pairs);
    Result<HttpResponse> r = net.send(req);
    if (!r) return r.error();
    std::optional<json> body = parse_json_limited(r->body);
    if (r->status == 200) {
        if (!body) return make_error("hata");
        return std::move(*body);
    }
    std::string err = body ? string_at(*body, "error") : std::string();
    return make_error(err.empty() ? "hata" : err);
}

Status refresh_access_token(const GoogleNet& net, GoogleSession& session) {
    Result<json> answer = post_token_form(net, refresh_form(session));
    if (!answer) return answer.error();
    auto it = answer->find("access_token");
    if (!answer->is_object() || it == answer->end() || !it->is_string()) return make_error("token yok");
    session.access_token = it->get<std::string>();
    session.expiry = token_expiry(net.now(), *answer);
    return ok_status();
}

Result<json> api_request(const GoogleNet& net, GoogleSession& session, std::string_view method, std::string_view url,
                         const std::optional<json>& body) {
    if (net.now() >= session.expiry) {
        Status s = refresh_access_token(net, session);
        if (!s) return s.error();
    }
    std::optional<std::string> text;
    if (body) text = body->dump(-1, ' ', false, json::error_handler_t::replace);
    for (int attempt = 0;; ++attempt) {
        HttpRequest req;
        req.method = std::string(method);
        req.url = std::string(url);
        req.headers = api_headers(session, url, body.has_value(), net.urls.gemini);
        req.body = text;
        Result<HttpResponse> r = net.send(req);
        if (!r) return r.error();
        if (r->status == 401 && attempt == 0) {
            Status s = refresh_access_token(net, session);
            if (!s) return s.error();
            continue;
        }
        json value = parse_json_limited(r->body).value_or(json());
        if (r->status == 200) return value;
        return make_error(api_error_text(r->status, value));
    }
}

bool is_forbidden_error(std::string_view error) { return error.substr(0, 3) == "403"; }

// ---- Dates ---------------------------------------------------------------------------------

int64_t days_from_civil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

std::optional<int64_t> parse_rfc3339(std::string_view text, int64_t local_offset) {
    if (text.size() < 10) return std::nullopt;
    int64_t ymd[3];
    if (!three_numbers(text.substr(0, 10), '-', ymd)) return std::nullopt;
    if (ymd[1] < 1 || ymd[1] > 12 || ymd[2] < 1 || ymd[2] > 31) return std::nullopt;
    int64_t days = days_from_civil(ymd[0], static_cast<unsigned>(ymd[1]), static_cast<unsigned>(ymd[2]));
    if (text.size() == 10) return days * 86400 - local_offset;
    if (text.size() < 19) return std::nullopt;
    int64_t hms[3];
    if (!three_numbers(text.substr(11, 8), ':', hms)) return std::nullopt;
    int64_t t = days * 86400 + hms[0] * 3600 + hms[1] * 60 + hms[2];
    if (text.size() > 19 && (text[19] == '+' || text[19] == '-')) {
        int64_t hh = 0, mm = 0;
        if (!two_digits(text, 20, hh) || !two_digits(text, 23, mm)) return std::nullopt;
        int64_t zone = hh * 3600 + mm * 60;
        t += text[19] == '+' ? -zone : zone;
    }
    return t;
}

std::string utc_stamp(int64_t t) {
    int64_t days = t >= 0 ? t / 86400 : -((-t + 86399) / 86400);
    int64_t secs = t - days * 86400;
    // Civil date from days (the inverse of days_from_civil).
    int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t y = yoe + era * 400;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2) ++y;
    return fmt::format("{:04}-{:02}-{:02}T{:02}:{:02}:{:02}Z", y, m, d, secs / 3600, secs / 60 % 60, secs % 60);
}

// ---- Gmail ---------------------------------------------------------------------------------

std::string read_gmail_headers(const json& message, std::string_view name) {
    const json* headers = nullptr;
    if (message.is_object()) {
        auto payload = message.find("payload");
        if (payload != message.end() && payload->is_object()) {
            auto h = payload->find("headers");
            if (h != payload->end()) headers = &*h;
        }
    }
    if (!headers || !headers->is_array()) return "";
    for (const json& entry : *headers) {
        if (!entry.is_object()) continue;
        auto n = entry.find("name");
        if (n == entry.end() || !n->is_string() || !equal_ignoring_ascii_case(n->get_ref<const std::string&>(), name))
            continue;
        return string_at(entry, "value");
    }
    return "";
}

std::string mail_sender_name(std::string_view from) {
    size_t lt = from.find('<');
    if (lt != std::string_view::npos) {
        std::string_view part = trim(from.substr(0, lt));
        while (!part.empty() && part.front() == '"') part.remove_prefix(1);
        while (!part.empty() && part.back() == '"') part.remove_suffix(1);
        part = trim(part);
        if (!part.empty()) return std::string(part);
    }
    return std::string(trim(from));
}

std::string unescape_snippet(std::string_view snippet) {
    std::string s = replace_all(snippet, "&#39;", "'");
    s = replace_all(s, "&quot;", "\"");
    s = replace_all(s, "&amp;", "&");
    s = replace_all(s, "&lt;", "<");
    return replace_all(s, "&gt;", ">");
}

MailItem mail_from_message(std::string_view id, const json& message) {
    MailItem m;
    m.id = std::string(id);
    m.from = mail_sender_name(read_gmail_headers(message, "From"));
    m.subject = read_gmail_headers(message, "Subject");
    m.snippet = unescape_snippet(string_at(message, "snippet"));
    if (message.is_object()) {
        auto labels = message.find("labelIds");
        if (labels != message.end() && labels->is_array())
            m.unread = std::any_of(labels->begin(), labels->end(),
                                   [](const json& l) { return l.is_string() && l.get_ref<const std::string&>() == "UNREAD"; });
    }
    return m;
}

std::string gmail_inbox_label_url(const GoogleEndpoints& urls) { return urls.gmail + "/users/me/labels/INBOX"; }

std::string gmail_list_url(const GoogleEndpoints& urls) {
    return urls.gmail + "/users/me/messages?q=in%3Ainbox&maxResults=6";
}

std::string gmail_message_url(const GoogleEndpoints& urls, std::string_view id) {
    return urls.gmail + "/users/me/messages/" + percent_encode(id) +
           "?format=metadata&metadataHeaders=From&metadataHeaders=Subject";
}

std::string gmail_modify_url(const GoogleEndpoints& urls, std::string_view id) {
    return urls.gmail + "/users/me/messages/" + percent_encode(id) + "/modify";
}

json gmail_modify_body(bool archive) {
    return {{"removeLabelIds", archive ? json::array({"INBOX", "UNREAD"}) : json::array({"UNREAD"})}};
}

Result<GmailPoll> gmail_poll(const GoogleNet& net, GoogleSession& session) {
    GmailPoll poll;
    Result<json> label = get_json(net, session, gmail_inbox_label_url(net.urls));
    if (!label) return label.error();
    if (label->is_object()) {
        auto n = label->find("messagesUnread");
        if (n != label->end() && n->is_number()) {
            double v = n->get<double>();
            poll.unread = v <= 0 ? 0u : v >= 4294967295.0 ? std::numeric_limits<uint32_t>::max() : static_cast<uint32_t>(v);
        }
    }
    Result<json> list = get_json(net, session, gmail_list_url(net.urls));
    if (!list) return list.error();
    if (!list->is_object() || !list->contains("messages") || !(*list)["messages"].is_array()) return poll;
    for (const json& entry : (*list)["messages"]) {
        std::string id = string_at(entry, "id");
        if (id.empty()) continue;
        Result<json> message = get_json(net, session, gmail_message_url(net.urls, id));
        if (!message) continue;
        poll.mails.push_back(mail_from_message(id, *message));
    }
    return poll;
}

// ---- Calendar and Tasks ------------------------------------------------------------------

std::string calendar_events_url(const GoogleEndpoints& urls, int64_t now) {
    return urls.calendar + "/calendars/primary/events?timeMin=" + percent_encode(utc_stamp(now - 1800)) +
           "&timeMax=" + percent_encode(utc_stamp(now + 259200)) + "&singleEvents=true&orderBy=startTime&maxResults=8";
}

std::optional<EventItem> event_from_json(const json& item, int64_t local_offset) {
    if (!item.is_object()) return std::nullopt;
    EventItem e;
    e.id = string_at(item, "id");
    e.summary = string_at(item, "summary");
    if (e.summary.empty()) e.summary = "(başlıksız)";
    e.link = string_at(item, "htmlLink");
    auto start = item.find("start");
    if (start == item.end() || !start->is_object()) return std::nullopt;
    auto dt = start->find("dateTime");
    std::optional<int64_t> when;
    if (dt != start->end() && dt->is_string()) {
        when = parse_rfc3339(dt->get_ref<const std::string&>(), local_offset);
    } else {
        auto d = start->find("date");
        if (d == start->end() || !d->is_string()) return std::nullopt;
        when = parse_rfc3339(d->get_ref<const std::string&>(), local_offset);
        e.all_day = true;
    }
    if (!when) return std::nullopt;
    e.start = *when;
    return e;
}

Result<std::vector<EventItem>> calendar_fetch(const GoogleNet& net, GoogleSession& session, int64_t now_unix,
                                              int64_t local_offset) {
    Result<json> r = get_json(net, session, calendar_events_url(net.urls, now_unix));
    if (!r) return r.error();
    std::vector<EventItem> out;
    if (r->is_object() && r->contains("items") && (*r)["items"].is_array())
        for (const json& item : (*r)["items"])
            if (auto e = event_from_json(item, local_offset)) out.push_back(std::move(*e));
    return out;
}

std::string tasks_list_url(const GoogleEndpoints& urls) {
    return urls.tasks + "/lists/@default/tasks?showCompleted=false&maxResults=20";
}

std::string tasks_insert_url(const GoogleEndpoints& urls) { return urls.tasks + "/lists/@default/tasks"; }

std::string task_url(const GoogleEndpoints& urls, std::string_view id) {
    return urls.tasks + "/lists/@default/tasks/" + percent_encode(id);
}

std::optional<TaskItem> task_from_json(const json& items, size_t& index) {
    if (!items.is_array()) return std::nullopt;
    while (index < items.size()) {
        const json& item = items[index++];
        std::string title(trim(string_at(item, "title")));
        if (title.empty()) continue;
        TaskItem t;
        t.id = std::string(trim(string_at(item, "id")));
        t.title = std::move(title);
        t.due = take_chars(trim(string_at(item, "due")), 10);
        return t;
    }
    return std::nullopt;
}

Result<std::vector<TaskItem>> tasks_fetch(const GoogleNet& net, GoogleSession& session) {
    Result<json> r = get_json(net, session, tasks_list_url(net.urls));
    if (!r) return r.error();
    std::vector<TaskItem> out;
    if (r->is_object() && r->contains("items")) {
        size_t i = 0;
        while (auto t = task_from_json((*r)["items"], i)) out.push_back(std::move(*t));
    }
    return out;
}

Result<json> task_insert_body(const json& args) {
    if (!args.is_object() || !args.contains("title") || !args["title"].is_string()) return make_error("başlık yok");
    json body = {{"title", args["title"]}};
    if (args.contains("due") && args["due"].is_string())
        body["due"] = take_chars(args["due"].get_ref<const std::string&>(), 10) + "T00:00:00.000Z";
    return body;
}

Result<std::string> tasks_insert(const GoogleNet& net, GoogleSession& session, const json& args) {
    Result<json> body = task_insert_body(args);
    if (!body) return body.error();
    Result<json> r = api_request(net, session, "POST", tasks_insert_url(net.urls), *body);
    if (!r) return r.error();
    return fmt::format("Görevlerine ekledim: {}.", (*body)["title"].get<std::string>());
}

Status task_complete(const GoogleNet& net, GoogleSession& session, std::string_view id) {
    Result<json> r = api_request(net, session, "PATCH", task_url(net.urls, id), json{{"status", "completed"}});
    if (!r) return r.error();
    return ok_status();
}
