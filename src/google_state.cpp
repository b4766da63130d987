// The named changes of the shared Google state.
#include "google_state.h"

#include <algorithm>

#include <fmt/format.h>

namespace {
void push_error(GoogleState& s, std::string text) { s.outbox.emplace_back(gupdate::Error{std::move(text)}); }
}  // namespace

void set_chat_lines(GoogleState& s, const std::vector<ChatLine>& lines) { s.chat = lines; }

void set_account(GoogleState& s, std::string_view email, std::string_view name, bool needs_consent) {
    s.signed_in = true;
    s.email = std::string(email);
    s.name = std::string(name);
    s.needs_consent = needs_consent;
    s.status = "bağlı";
}

void set_picture(GoogleState& s, const ImageRef& picture) { s.picture = picture; }

void set_client_state(GoogleState& s, bool client_exists) {
    s.client_ready = client_exists;
    if (!s.signed_in) s.status = client_exists ? "bağlı değil" : "istemci dosyası yok";
}

void on_client_missing(GoogleState& s) {
    s.client_ready = false;
    s.status = "istemci dosyası yok";
    push_error(s, "Google istemci dosyası (client_secret…json) İndirilenler'de yok");
}

void set_waiting_for_browser(GoogleState& s) {
    s.client_ready = true;
    s.status = "tarayıcıda giriş bekleniyor…";
}

void on_signed_in(GoogleState& s, std::string_view email, std::string_view name, const ImageRef& picture,
                  bool needs_consent) {
    s.signed_in = true;
    s.email = std::string(email);
    s.name = std::string(name);
    s.picture = picture;
    s.needs_consent = needs_consent;
    s.status = "bağlı";
    s.outbox.emplace_back(gupdate::Connected{std::string(name.empty() ? email : name)});
}

void on_sign_in_failed(GoogleState& s, std::string_view error) {
    s.status = fmt::format("giriş başarısız: {}", error);
    push_error(s, fmt::format("Google girişi: {}", error));
}

void reset_google_state(GoogleState& s) {
    bool client = s.client_ready;
    s = GoogleState{};
    s.status = "bağlı değil";
    s.client_ready = client;
}

void push_not_signed_in(GoogleState& s) { push_error(s, "Önce Google ile bağlan (Google sayfası)"); }

void set_mails(GoogleState& s, uint32_t unread, const std::vector<MailItem>& inbox, const std::vector<MailItem>& fresh) {
    s.unread = unread;
    s.mails = inbox;
    for (const MailItem& m : fresh) s.outbox.emplace_back(gupdate::NewMail{m});
}

void apply_mail_change(GoogleState& s, std::string_view id, bool archive) {
    auto first = std::find_if(s.mails.begin(), s.mails.end(), [&](const MailItem& m) { return m.id == id; });
    if (first == s.mails.end()) return;
    if (first->unread && s.unread > 0) --s.unread;
    if (archive) std::erase_if(s.mails, [&](const MailItem& m) { return m.id == id; });
    else first->unread = false;
}

void on_gmail_forbidden(GoogleState& s) {
    s.needs_consent = true;
    push_error(s, "Gmail: izin yok, Google sayfasından izinleri güncelle");
}

void push_gmail_error(GoogleState& s, std::string_view error) { push_error(s, fmt::format("Gmail: {}", error)); }

void set_events(GoogleState& s, const std::vector<EventItem>& events) { s.events = events; }

void set_tasks(GoogleState& s, const std::vector<TaskItem>& tasks) { s.tasks = tasks; }

void push_event_soon(GoogleState& s, const EventItem& event) { s.outbox.emplace_back(gupdate::EventSoon{event}); }

void push_tasks_error(GoogleState& s, std::string_view error) { push_error(s, fmt::format("Görevler: {}", error)); }

std::string task_add_error_text(std::string_view error) {
    constexpr std::string_view label = "Görev ekleyemedim";
    if (error.substr(0, 3) == "403") return fmt::format("{}: izin yok. Google sayfasından “İzinleri güncelle”ye bas.", label);
    return fmt::format("{} ({}).", label, error);
}

void push_task_add_error(GoogleState& s, std::string_view error) { push_error(s, task_add_error_text(error)); }

void push_question_line(GoogleState& s, std::string_view question) {
    s.chat.push_back(ChatLine{std::string(question), true});
    s.gemini_busy = true;
}

void push_gemini_error(GoogleState& s, std::string_view error) {
    s.gemini_busy = false;
    push_error(s, fmt::format("Gemini: {}", error));
}

void push_answer(GoogleState& s, std::string_view model, const std::optional<std::string>& heard, std::string_view text,
                 bool speak, const std::vector<ToolCall>& calls) {
    s.gemini_busy = false;
    s.model = std::string(model);
    if (heard) s.chat.push_back(ChatLine{*heard, true});
    if (!text.empty()) s.chat.push_back(ChatLine{std::string(text), false});
    if (s.chat.size() > static_cast<size_t>(kChatKeep))
        s.chat.erase(s.chat.begin(), s.chat.end() - kChatKeep);
    s.outbox.emplace_back(gupdate::Answer{heard, std::string(text), speak, calls});
}

std::vector<MailItem> MailWatch::fresh(const std::vector<MailItem>& inbox) {
    std::vector<MailItem> out;
    for (const MailItem& m : inbox) {
        bool known = !seen.insert(m.id).second;
        if (primed && !known && m.unread) out.push_back(m);
    }
    primed = true;
    return out;
}

bool due_soon(const EventItem& e, int64_t now_unix) {
    return !e.all_day && e.start > now_unix && e.start <= now_unix + 600;
}
