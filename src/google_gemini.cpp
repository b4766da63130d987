// The assistant's conversation with Gemini: declarations, model, system text,
// request, reply and the Google-side tools.
//
// Index
//   Tool declarations
//   Chat history
//   Model choice
//   System text and request
//   Reply
//   Google tools (calendar_add, task_add)
#include "google_gemini.h"

#include <algorithm>
#include <cmath>

#include <fmt/format.h>

#include "google_api.h"
#include "google_text.h"
#include "net_encode.h"
#include "sys_text.h"

namespace {

using json = nlohmann::json;

// ---- Tool declarations -----------------------------------------------------------

json param(const char* type, const char* description = nullptr, std::initializer_list<const char*> choices = {}) {
    json p = {{"type", type}};
    if (description) p["description"] = description;
    if (choices.size() > 0) {
        json e = json::array();
        for (const char* c : choices) e.push_back(c);
        p["enum"] = std::move(e);
    }
    return p;
}

json declaration(const char* name, const char* description, std::optional<json> parameters = std::nullopt) {
    json d = {{"name", name}, {"description", description}};
    if (parameters) d["parameters"] = std::move(*parameters);
    return d;
}

}  // namespace

json tool_parameters_schema(json properties, std::initializer_list<const char*> required) {
    json names = json::array();
    for (const char* r : required) names.push_back(r);
    return {{"type", "object"}, {"properties", std::move(properties)}, {"required", std::move(names)}};
}

json build_gemini_tools() {
    json decls = json::array();
    decls.push_back(declaration("timer_start", "Adada geri sayım zamanlayıcısı kurar ve başlatır.",
                                tool_parameters_schema({{"minutes", param("number")}, {"seconds", param("number")}}, {})));
    decls.push_back(declaration("pomodoro_start", "Pomodoro odak zamanlayıcısını başlatır."));
    decls.push_back(declaration(
        "reminder_add",
        "Belirli bir zamanda adada bildirim gösterecek hatırlatıcı kurar. minutes_from_now ya da at_time (24 saat, "
        "HH:MM) ver.",
        tool_parameters_schema({{"text", param("string", "Hatırlatılacak şey")},
                                {"minutes_from_now", param("number")},
                                {"at_time", param("string")}},
                               {"text"})));
    decls.push_back(declaration("note_add", "Adanın Notlar listesine not ekler.",
                                tool_parameters_schema({{"text", param("string")}}, {"text"})));
    decls.push_back(declaration(
        "media_control", "Çalan müziği ya da videoyu kontrol eder.",
        tool_parameters_schema({{"action", param("string", nullptr, {"toggle", "play", "pause", "next", "previous"})}},
                               {"action"})));
    decls.push_back(declaration(
        "volume_set", "Bilgisayarın ses düzeyini yüzde (0-100) olarak ayarlar ya da sesi kapatıp açar.",
        tool_parameters_schema({{"percent", param("number")}, {"mute", param("boolean")}}, {})));
    decls.push_back(declaration("brightness_set", "Ekran parlaklığını yüzde (0-100) olarak ayarlar.",
                                tool_parameters_schema({{"percent", param("number")}}, {"percent"})));
    decls.push_back(declaration(
        "app_open", "Bilgisayardaki bir uygulamayı adıyla açar (ör. Spotify, Discord, Hesap Makinesi, Not Defteri).",
        tool_parameters_schema({{"name", param("string")}}, {"name"})));
    decls.push_back(declaration("game_launch", "Kullanıcının Steam kütüphanesindeki bir oyunu adıyla başlatır.",
                                tool_parameters_schema({{"name", param("string")}}, {"name"})));
    decls.push_back(declaration("web_open", "Bir web sitesini açar ya da Google'da arama yapar. url ya da query ver.",
                                tool_parameters_schema({{"url", param("string")}, {"query", param("string")}}, {})));
    decls.push_back(declaration(
        "system_action", "Bilgisayarda sistem eylemi yapar.",
        tool_parameters_schema({{"action", param("string", nullptr,
                                                 {"lock", "screen_off", "show_desktop", "dark_mode", "light_mode",
                                                  "keep_awake_on", "keep_awake_off", "screenshot"})}},
                               {"action"})));
    decls.push_back(declaration("dnd_set",
                                "Rahatsız etme modunu açar ya da kapatır (uygulama bildirim balonlarını susturur).",
                                tool_parameters_schema({{"on", param("boolean")}}, {"on"})));
    decls.push_back(declaration(
        "music_play", "Spotify'da (yoksa YouTube Music'te) bir şarkı, sanatçı ya da çalma listesi arar ve açar.",
        tool_parameters_schema({{"query", param("string")}}, {"query"})));
    decls.push_back(declaration("timer_stop", "Çalışan zamanlayıcıyı ve Pomodoro'yu durdurup sıfırlar."));
    decls.push_back(declaration(
        "stopwatch", "Kronometreyi başlatır, durdurur ya da sıfırlar.",
        tool_parameters_schema({{"action", param("string", nullptr, {"start", "stop", "reset"})}}, {"action"})));
    decls.push_back(declaration(
        "screen_look",
        "Kullanıcının şu anki ekranının görüntüsünü alıp bakar. Kullanıcı ekranda ne olduğunu, bir hatayı, yazıyı, "
        "resmi ya da 'buna bak' dediği şeyi sorduğunda kullan.",
        tool_parameters_schema({{"question", param("string")}}, {"question"})));
    decls.push_back(declaration(
        "calendar_add", "Kullanıcının Google Takvim'ine etkinlik ekler.",
        tool_parameters_schema({{"title", param("string")},
                                {"start", param("string", "Yerel saatle YYYY-MM-DDTHH:MM; tüm gün ise YYYY-MM-DD")},
                                {"duration_minutes", param("number")}},
                               {"title", "start"})));
    decls.push_back(declaration("task_add", "Kullanıcının Google Görevler listesine görev ekler.",
                                tool_parameters_schema({{"title", param("string")}, {"due", param("string", "YYYY-MM-DD")}},
                                                       {"title"})));
    return json::array({json{{"functionDeclarations", std::move(decls)}}});
}

// ---- Chat history ------------------------------------------------------------------

namespace {

template <class F>
json newest_lines(const std::vector<ChatLine>& lines, size_t n, F&& entry) {
    json out = json::array();
    size_t first = lines.size() > n ? lines.size() - n : 0;
    for (size_t i = first; i < lines.size(); ++i) out.push_back(entry(lines[i]));
    return out;
}

}  // namespace

json history_to_contents(const std::vector<ChatLine>& lines, size_t n) {
    return newest_lines(lines, n, [](const ChatLine& l) {
        return json{{"role", l.user ? "user" : "model"}, {"parts", json::array({json{{"text", l.text}}})}};
    });
}

json history_to_file(const std::vector<ChatLine>& lines, size_t n) {
    return newest_lines(lines, n, [](const ChatLine& l) { return json{{"u", l.user}, {"t", l.text}}; });
}

// ---- Model choice ------------------------------------------------------------------

std::string gemini_model_id(std::string_view name) {
    constexpr std::string_view prefix = "models/";
    if (name.substr(0, prefix.size()) == prefix) name.remove_prefix(prefix.size());
    return std::string(name);
}

std::vector<std::string> collect_generate_models(const json& models) {
    std::vector<std::string> ids;
    if (!models.is_array()) return ids;
    for (const json& m : models) {
        if (!m.is_object()) continue;
        auto name = m.find("name");
        auto methods = m.find("supportedGenerationMethods");
        if (name == m.end() || !name->is_string() || methods == m.end() || !methods->is_array()) continue;
        bool generates = std::any_of(methods->begin(), methods->end(),
                                     [](const json& x) { return x.is_string() && x.get_ref<const std::string&>() == "generateContent"; });
        if (generates) ids.push_back(gemini_model_id(name->get_ref<const std::string&>()));
    }
    return ids;
}

std::string choose_gemini_model(const std::vector<std::string>& ids) {
    auto listed = [&](std::string_view id) { return std::find(ids.begin(), ids.end(), id) != ids.end(); };
    if (listed(kGeminiFallbackModel)) return kGeminiFallbackModel;
    if (listed("gemini-flash-latest")) return "gemini-flash-latest";
    for (const std::string& id : ids) {
        bool plain = id.find("image") == std::string::npos && id.find("tts") == std::string::npos &&
                     id.find("live") == std::string::npos;
        if (id.find("flash") != std::string::npos && plain) return id;
    }
    return kGeminiFallbackModel;
}

std::string gemini_model_from_list(const Result<json>& reply) {
    if (!reply || !reply->is_object()) return kGeminiFallbackModel;
    auto models = reply->find("models");
    if (models == reply->end() || !models->is_array()) return kGeminiFallbackModel;
    return choose_gemini_model(collect_generate_models(*models));
}

std::string gemini_models_url(const GoogleEndpoints& urls) { return urls.gemini + "/models?pageSize=1000"; }

std::string gemini_generate_url(const GoogleEndpoints& urls, std::string_view model) {
    return fmt::format("{}/models/{}:generateContent", urls.gemini, model);
}

// ---- System text and request ---------------------------------------------------------

const char* const kGeminiPersona =
    "Sen Vemo Ada'sın: Windows ekranının üstündeki adada yaşayan Türkçe bir asistansın. Kısa, samimi ve net cevap ver "
    "(en fazla 3-4 cümle, liste gerekirse kısa maddeler). Markdown başlığı ya da kalın yazı kullanma. Kullanıcı "
    "bilgisayarda bir şey yapmanı isterse (zamanlayıcı, hatırlatıcı, not, müzik, ses, parlaklık, uygulama ya da oyun "
    "açma, web, kilitleme, takvime etkinlik, görev ekleme, ekrana bakma) ilgili fonksiyonu çağır ve aynı cevapta ne "
    "yaptığını tek kısa cümleyle söyle. Tarih ve saatleri kullanıcının yerel saatine göre hesapla.";

namespace {

constexpr size_t kContextMails = 6;
constexpr size_t kSnippetChars = 90;

}  // namespace

const char* turkish_month_name(int month) {
    static const char* const names[12] = {"Ocak",   "Şubat",   "Mart",  "Nisan",  "Mayıs", "Haziran",
                                          "Temmuz", "Ağustos", "Eylül", "Ekim", "Kasım", "Aralık"};
    return names[std::clamp(month, 1, 12) - 1];
}

std::string gemini_system_text(const AssistantFacts& facts, const LocalTime& now, int64_t now_unix, int64_t offset) {
    std::string out = kGeminiPersona;
    out += fmt::format(" Şu an {} {} {}, saat {:02}:{:02}.", now.day, turkish_month_name(now.month), now.year, now.hour,
                       now.minute);
    if (!facts.name.empty()) out += fmt::format(" Kullanıcının adı: {}.", facts.name);
    if (facts.signed_in) {
        out += fmt::format(" Kullanıcının Gmail gelen kutusunda {} okunmamış e-posta var.", facts.unread);
        if (!facts.mails.empty()) {
            out += " Gelen kutusundaki son e-postalar:";
            for (size_t i = 0; i < std::min(facts.mails.size(), kContextMails); ++i) {
                const MailItem& m = facts.mails[i];
                out += fmt::format(" [{}{} — {} — {}]", m.unread ? "okunmamış, " : "", m.from, m.subject,
                                   take_chars(m.snippet, kSnippetChars));
            }
        }
    }
    if (!facts.events.empty()) {
        out += " Google Takvim etkinlikleri:";
        for (const EventItem& e : facts.events)
            out += fmt::format(" [{} {}]", day_time_text_at(e.start, e.all_day, now_unix, offset), e.summary);
    } else {
        out += " Google Takvim'de önümüzdeki 3 günde etkinlik yok.";
    }
    out += " Google Görevler:";
    for (const TaskItem& t : facts.tasks)
        out += fmt::format(" [{}{}]", t.title, t.due.empty() ? std::string() : fmt::format(", son gün {}", t.due));
    out += " Bu bilgileri yalnızca kullanıcı sorarsa ya da gerekirse kullan.";
    out += facts.island;
    return out;
}

json gemini_inline_entry(std::string_view mime, std::string_view bytes, std::string_view text) {
    json data = {{"mime_type", std::string(mime)}, {"data", base64_encode(bytes)}};
    return {{"role", "user"}, {"parts", json::array({json{{"inline_data", std::move(data)}}, json{{"text", std::string(text)}}})}};
}

json gemini_request_body(json contents, std::string_view system_text) {
    return {{"contents", std::move(contents)},
            {"systemInstruction", {{"parts", json::array({json{{"text", std::string(system_text)}}})}}},
            {"generationConfig", {{"maxOutputTokens", 800}, {"temperature", 0.7}}},
            {"tools", build_gemini_tools()}};
}

// ---- Reply ---------------------------------------------------------------------------------

GeminiReply read_gemini_reply(const json& reply) {
    GeminiReply out;
    const json* parts = nullptr;
    try {
        const json::json_pointer at("/candidates/0/content/parts");
        if (reply.contains(at)) parts = &reply.at(at);
    } catch (const json::exception&) {
        parts = nullptr;  // a path through something that is not an object or array
    }
    if (!parts || !parts->is_array()) return out;
    for (const json& part : *parts) {
        if (!part.is_object()) continue;
        auto text = part.find("text");
        if (text != part.end() && text->is_string()) out.text += text->get_ref<const std::string&>();
        auto call = part.find("functionCall");
        if (call == part.end() || !call->is_object()) continue;
        auto name = call->find("name");
        if (name == call->end() || !name->is_string()) continue;
        auto args = call->find("args");
        out.calls.push_back(ToolCall{name->get<std::string>(), args != call->end() ? *args : json()});
    }
    return out;
}

AnswerText clean_answer_text(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '*' && i + 1 < text.size() && text[i + 1] == '*') {
            ++i;
            continue;
        }
        plain += text[i];
    }
    AnswerText out;
    std::string_view t = trim(plain);
    constexpr std::string_view heard_mark = "DUYDUM:";
    if (t.substr(0, heard_mark.size()) != heard_mark) {
        out.text = std::string(t);
        return out;
    }
    t.remove_prefix(heard_mark.size());
    size_t line_end = t.find('\n');
    std::string_view heard = trim(t.substr(0, line_end));
    // A blank heard line would add an empty question to the chat.
    if (!heard.empty()) out.heard = std::string(heard);
    out.text = line_end == std::string_view::npos ? std::string() : std::string(trim(t.substr(line_end + 1)));
    return out;
}

// ---- Google tools (calendar_add, task_add) -------------------------------------------------

bool is_google_tool(std::string_view name) { return name == "calendar_add" || name == "task_add"; }

namespace {

bool digits_at(std::string_view s, size_t at, size_t len, int64_t& out) {
    if (at + len > s.size()) return false;
    out = 0;
    for (size_t i = at; i < at + len; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        out = out * 10 + (s[i] - '0');
    }
    return true;
}

bool leap_year(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int64_t month_days(int64_t y, int64_t m) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leap_year(y) ? 29 : days[m - 1];
}

// "YYYY-MM-DD" of a day count from 1970-01-01.
std::string civil_date(int64_t days) {
    const CivilDate d = civil_from_days(days);
    return fmt::format("{:04}-{:02}-{:02}", d.year, d.month, d.day);
}

std::string string_arg(const json& args, const char* key) {
    if (!args.is_object()) return "";
    auto it = args.find(key);
    return it != args.end() && it->is_string() ? std::string(trim(it->get_ref<const std::string&>())) : std::string();
}

int64_t duration_minutes(const json& args) {
    if (!args.is_object()) return kEventDefaultMinutes;
    auto it = args.find("duration_minutes");
    if (it == args.end() || !it->is_number()) return kEventDefaultMinutes;
    double m = it->get<double>();
    if (!std::isfinite(m) || m < 1) return kEventDefaultMinutes;
    return static_cast<int64_t>(std::llround(std::min(m, static_cast<double>(kEventLongestMinutes))));
}

// Wall time -> Unix time in the local zone: the offset is the one in force at
// that moment, so a start across a daylight-saving change lands right too.
int64_t local_to_unix(int64_t wall, const OffsetAt& offset_at) { return wall - offset_at(wall - offset_at(wall)); }

}  // namespace

Result<NewEvent> calendar_event_from_args(const json& args, const OffsetAt& offset_at) {
    NewEvent ev;
    ev.title = string_arg(args, "title");
    std::string start = string_arg(args, "start");
    if (ev.title.empty() || start.empty()) return make_error("eksik bilgi");

    int64_t year, month, day;
    if (start.size() < 10 || start[4] != '-' || start[7] != '-' || !digits_at(start, 0, 4, year) ||
        !digits_at(start, 5, 2, month) || !digits_at(start, 8, 2, day) || month < 1 || month > 12 || day < 1 ||
        day > month_days(year, month))
        return make_error("tarih anlaşılmadı");
    const int64_t days = days_from_civil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    const int64_t minutes = duration_minutes(args);

    if (start.size() == 10) {
        const int64_t span = std::max<int64_t>(1, (minutes + 1439) / 1440);
        ev.all_day = true;
        ev.start = local_to_unix(days * 86400, offset_at);
        ev.end = local_to_unix((days + span) * 86400, offset_at);
        ev.body = {{"summary", ev.title},
                   {"start", {{"date", start.substr(0, 10)}}},
                   {"end", {{"date", civil_date(days + span)}}}};
        return ev;
    }

    // "THH:MM", then ":SS", then a fraction of a second, then the zone; each optional but the first.
    std::string_view rest = std::string_view(start).substr(10);
    int64_t hour, minute, second = 0;
    bool sep = rest[0] == 'T' || rest[0] == 't' || rest[0] == ' ';
    if (!sep || rest.size() < 6 || rest[3] != ':' || !digits_at(rest, 1, 2, hour) || !digits_at(rest, 4, 2, minute))
        return make_error("saat anlaşılmadı");
    rest.remove_prefix(6);
    if (!rest.empty() && rest[0] == ':') {
        if (!digits_at(rest, 1, 2, second)) return make_error("saat anlaşılmadı");
        rest.remove_prefix(3);
        if (!rest.empty() && rest[0] == '.') {
            size_t n = 1;
            while (n < rest.size() && rest[n] >= '0' && rest[n] <= '9') ++n;
            rest.remove_prefix(n);
        }
    }
    if (hour > 23 || minute > 59 || second > 59) return make_error("saat anlaşılmadı");
    const int64_t wall = days * 86400 + hour * 3600 + minute * 60 + second;
    if (rest.empty()) {
        ev.start = local_to_unix(wall, offset_at);
    } else if (rest == "Z" || rest == "z") {
        ev.start = wall;
    } else {
        int64_t zh, zm;
        if ((rest[0] != '+' && rest[0] != '-') || rest.size() != 6 || rest[3] != ':' || !digits_at(rest, 1, 2, zh) ||
            !digits_at(rest, 4, 2, zm) || zh > 14 || zm > 59)
            return make_error("saat anlaşılmadı");
        const int64_t zone = (zh * 3600 + zm * 60) * (rest[0] == '+' ? 1 : -1);
        ev.start = wall - zone;
    }
    ev.end = ev.start + minutes * 60;
    ev.body = {{"summary", ev.title},
               {"start", {{"dateTime", utc_stamp(ev.start)}}},
               {"end", {{"dateTime", utc_stamp(ev.end)}}}};
    return ev;
}

std::string calendar_insert_url(const GoogleEndpoints& urls) { return urls.calendar + "/calendars/primary/events"; }

std::string google_tool_failure(std::string_view label, std::string_view error) {
    if (error.substr(0, 3) == "403") return fmt::format("{}: izin yok. Google sayfasından “İzinleri güncelle”ye bas.", label);
    return fmt::format("{} ({}).", label, error);
}
