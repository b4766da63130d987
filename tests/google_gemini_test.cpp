// The assistant's pieces: tool declarations, model choice, history, system
// text, the reply walk, the answer cleaning and the calendar event reader.
#include <gtest/gtest.h>

#include "google_api.h"
#include "google_gemini.h"

namespace {

using json = nlohmann::json;

// ---- Tool declarations -----------------------------------------------------------

TEST(GeminiTools, EighteenDeclarationsInOrderWithSortedKeys) {
    const std::string text = build_gemini_tools().dump();
    // The whole first declaration: keys come out in byte order at every level.
    EXPECT_EQ(text.rfind(R"([{"functionDeclarations":[{"description":"Adada geri sayım zamanlayıcısı kurar ve başlatır.",)"
                         R"("name":"timer_start","parameters":{"properties":{"minutes":{"type":"number"},)"
                         R"("seconds":{"type":"number"}},"required":[],"type":"object"}},)",
                         0),
              0u)
        << text.substr(0, 300);

    const json tools = json::parse(text);
    ASSERT_TRUE(tools.is_array());
    ASSERT_EQ(tools.size(), 1u);
    ASSERT_EQ(tools[0].size(), 1u) << "the only member is functionDeclarations";
    const json& decls = tools[0]["functionDeclarations"];
    const char* names[] = {"timer_start", "pomodoro_start", "reminder_add", "note_add",     "media_control",
                           "volume_set",  "brightness_set", "app_open",     "game_launch",  "web_open",
                           "system_action", "dnd_set",      "music_play",   "timer_stop",   "stopwatch",
                           "screen_look", "calendar_add",   "task_add"};
    ASSERT_EQ(decls.size(), std::size(names));
    for (size_t i = 0; i < decls.size(); ++i) {
        const json& d = decls[i];
        EXPECT_EQ(d["name"], names[i]);
        EXPECT_TRUE(d["description"].is_string() && !d["description"].get<std::string>().empty()) << names[i];
        bool bare = d["name"] == "pomodoro_start" || d["name"] == "timer_stop";
        EXPECT_EQ(d.contains("parameters"), !bare) << names[i];
        if (!bare) {
            EXPECT_EQ(d["parameters"]["type"], "object") << names[i];
            EXPECT_TRUE(d["parameters"]["required"].is_array()) << names[i] << ": present even when empty";
            for (const json& r : d["parameters"]["required"])
                EXPECT_TRUE(d["parameters"]["properties"].contains(r.get<std::string>())) << names[i];
        }
    }

    auto params = [&](const char* name) -> std::string {
        for (const json& d : decls)
            if (d["name"] == name) return d["parameters"].dump();
        return "";
    };
    EXPECT_EQ(params("calendar_add"),
              R"({"properties":{"duration_minutes":{"type":"number"},"start":{"description":"Yerel saatle )"
              R"(YYYY-MM-DDTHH:MM; tüm gün ise YYYY-MM-DD","type":"string"},"title":{"type":"string"}},)"
              R"("required":["title","start"],"type":"object"})");
    EXPECT_EQ(params("stopwatch"),
              R"({"properties":{"action":{"enum":["start","stop","reset"],"type":"string"}},"required":["action"],"type":"object"})");
    EXPECT_EQ(params("volume_set"),
              R"({"properties":{"mute":{"type":"boolean"},"percent":{"type":"number"}},"required":[],"type":"object"})");
    EXPECT_NE(params("web_open").find(R"("required":[])"), std::string::npos);
    EXPECT_EQ(params("task_add"),
              R"({"properties":{"due":{"description":"YYYY-MM-DD","type":"string"},"title":{"type":"string"}},)"
              R"("required":["title"],"type":"object"})");
    EXPECT_EQ(build_gemini_tools(), tools) << "built afresh, the same every time";
}

// ---- Model choice ------------------------------------------------------------------

json model(const std::string& name, std::vector<std::string> methods = {"generateContent", "countTokens"}) {
    return {{"name", "models/" + name}, {"supportedGenerationMethods", methods}};
}

TEST(GeminiModel, ChoiceFromTheList) {
    struct Case {
        const char* what;
        json models;
        const char* chosen;
    } cases[] = {
        {"both aliases", json::array({model("gemini-flash-latest"), model("gemini-flash-lite-latest")}),
         "gemini-flash-lite-latest"},
        {"flash alias only", json::array({model("gemini-2.5-pro"), model("gemini-flash-latest")}), "gemini-flash-latest"},
        {"first plain flash",
         json::array({model("gemini-2.0-flash-live"), model("gemini-2.5-flash-image"), model("gemini-2.5-flash-preview-tts"),
                      model("gemini-2.5-flash"), model("gemini-2.0-flash")}),
         "gemini-2.5-flash"},
        {"the lite alias without generateContent does not count",
         json::array({model("gemini-flash-lite-latest", {"embedContent"}), model("gemini-2.0-flash")}), "gemini-2.0-flash"},
        {"case-sensitive words", json::array({model("gemini-Flash-x"), model("gemini-2.0-flash-Live")}),
         "gemini-2.0-flash-Live"},
        {"no flash at all", json::array({model("gemini-2.5-pro")}), "gemini-flash-lite-latest"},
        {"empty list", json::array(), "gemini-flash-lite-latest"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(gemini_model_from_list(json{{"models", c.models}}), c.chosen) << c.what;

    EXPECT_EQ(gemini_model_from_list(make_error("500 boom")), "gemini-flash-lite-latest") << "a failed list";
    EXPECT_EQ(gemini_model_from_list(json{{"items", json::array({model("gemini-flash-latest")})}}),
              "gemini-flash-lite-latest") << "no models array";
    EXPECT_EQ(gemini_model_id("models/gemini-x"), "gemini-x");
    EXPECT_EQ(gemini_model_id("gemini-x"), "gemini-x");
    json odd = json::array({json{{"name", 3}, {"supportedGenerationMethods", {"generateContent"}}}, "x",
                            json{{"name", "models/a"}, {"supportedGenerationMethods", "generateContent"}}, model("b")});
    EXPECT_EQ(collect_generate_models(odd), std::vector<std::string>{"b"});
}

TEST(GeminiModel, Urls) {
    GoogleEndpoints urls;
    EXPECT_EQ(gemini_models_url(urls), "https://generativelanguage.googleapis.com/v1beta/models?pageSize=1000");
    EXPECT_EQ(gemini_generate_url(urls, "gemini-flash-lite-latest"),
              "https://generativelanguage.googleapis.com/v1beta/models/gemini-flash-lite-latest:generateContent");
    EXPECT_EQ(urls.gemini.size(), 48u) << "the root the project header is judged by";
}

// ---- Chat history ------------------------------------------------------------------

TEST(GeminiHistory, NewestLinesOldestFirst) {
    std::vector<ChatLine> lines;
    for (int i = 0; i < 41; ++i) lines.push_back(ChatLine{std::to_string(i), i % 2 == 0});
    json contents = history_to_contents(lines, 10);
    ASSERT_EQ(contents.size(), 10u);
    EXPECT_EQ(contents[0].dump(), R"({"parts":[{"text":"31"}],"role":"model"})");
    EXPECT_EQ(contents[9].dump(), R"({"parts":[{"text":"40"}],"role":"user"})");
    json file = history_to_file(lines, 30);
    ASSERT_EQ(file.size(), 30u);
    EXPECT_EQ(file[0].dump(), R"({"t":"11","u":false})");
    EXPECT_EQ(history_to_contents({ChatLine{"a", true}}, 10).size(), 1u);
    EXPECT_TRUE(history_to_contents({}, 10).empty());
}

// ---- System text and request ---------------------------------------------------------

TEST(GeminiRequest, SystemTextCarriesTheAccountAndTheIsland) {
    LocalTime now;
    now.year = 2026;
    now.month = 12;
    now.day = 11;
    now.hour = 9;
    now.minute = 5;
    const int64_t now_unix = 1'796'979'900;  // 2026-12-11 09:05 UTC
    AssistantFacts f;
    f.name = "Ali";
    f.signed_in = true;
    f.unread = 3;
    f.mails = {MailItem{"1", "Ayşe", "Toplantı", std::string(100, 'x'), true}};
    for (int i = 0; i < 7; ++i) f.mails.push_back(MailItem{"", "B", "S", "s", false});
    f.events = {EventItem{"e", "Ders", "", now_unix + 3600, false}};
    f.tasks = {TaskItem{"t", "Süt al", "2026-12-12"}, TaskItem{"u", "Ekmek", ""}};
    f.island = " Pil %80.";
    std::string text = gemini_system_text(f, now, now_unix, 0);
    std::string expected = std::string(kGeminiPersona) +
                           " Şu an 11 Aralık 2026, saat 09:05. Kullanıcının adı: Ali. Kullanıcının Gmail gelen kutusunda 3 "
                           "okunmamış e-posta var. Gelen kutusundaki son e-postalar: [okunmamış, Ayşe — Toplantı — " +
                           std::string(90, 'x') + "]";
    for (int i = 0; i < 5; ++i) expected += " [B — S — s]";
    expected += " Google Takvim etkinlikleri: [Bugün 10:05 Ders] Google Görevler: [Süt al, son gün 2026-12-12] [Ekmek] "
                "Bu bilgileri yalnızca kullanıcı sorarsa ya da gerekirse kullan. Pil %80.";
    EXPECT_EQ(text, expected);
    EXPECT_EQ(text.rfind("Sen Vemo Ada'sın: Windows ekranının", 0), 0u);

    AssistantFacts bare;
    now.month = 0;
    EXPECT_EQ(gemini_system_text(bare, now, now_unix, 0),
              std::string(kGeminiPersona) +
                  " Şu an 11 Ocak 2026, saat 09:05. Google Takvim'de önümüzdeki 3 günde etkinlik yok. Google Görevler: Bu "
                  "bilgileri yalnızca kullanıcı sorarsa ya da gerekirse kullan.");
    EXPECT_STREQ(turkish_month_name(13), "Aralık");
}

TEST(GeminiRequest, BodyAndInlineData) {
    json body = gemini_request_body(json::array({json{{"role", "user"}}}), "sistem");
    std::string text = body.dump();
    EXPECT_EQ(text.rfind(R"({"contents":[{"role":"user"}],"generationConfig":{"maxOutputTokens":800,"temperature":0.7},)"
                         R"("systemInstruction":{"parts":[{"text":"sistem"}]},"tools":[{"functionDeclarations":)",
                         0),
              0u)
        << text.substr(0, 200);
    EXPECT_EQ(gemini_inline_entry("image/png", std::string("\x89PNG\xff", 5), "Soru").dump(),
              R"({"parts":[{"inline_data":{"data":"iVBOR/8=","mime_type":"image/png"}},{"text":"Soru"}],"role":"user"})");
}

// ---- Reply ---------------------------------------------------------------------------------

TEST(GeminiReply, WalkAndCleaning) {
    json reply = json::parse(R"({"candidates":[{"content":{"parts":[
        {"text":"**Ta"},{"text":"mam**"},
        {"functionCall":{"name":"timer_start","args":{"minutes":5}}},
        {"functionCall":{"name":"odd","args":[1,2]}},
        {"functionCall":{"name":"bare"}},
        {"functionCall":{"args":{}}},
        "noise"]}}]})");
    GeminiReply r = read_gemini_reply(reply);
    EXPECT_EQ(r.text, "**Tamam**");
    ASSERT_EQ(r.calls.size(), 3u) << "a call without a name is no call";
    EXPECT_EQ(r.calls[0].name, "timer_start");
    EXPECT_EQ(r.calls[0].args, json({{"minutes", 5}}));
    EXPECT_EQ(r.calls[1].args, json::array({1, 2})) << "args are copied whatever their type";
    EXPECT_TRUE(r.calls[2].args.is_null());

    for (const char* empty : {R"({})", R"({"candidates":[]})", R"({"candidates":[{"content":{}}]})",
                              R"({"candidates":[{"content":{"parts":"x"}}]})", R"({"candidates":"x"})", R"([1])", R"(null)"}) {
        GeminiReply e = read_gemini_reply(json::parse(empty));
        EXPECT_TRUE(e.text.empty() && e.calls.empty()) << empty;
    }

    struct Case {
        const char* in;
        std::optional<std::string> heard;
        const char* text;
    } cases[] = {
        {"**A**", std::nullopt, "A"},
        {"  düz  \n", std::nullopt, "düz"},
        {"a * b ***c", std::nullopt, "a * b *c"},
        {"DUYDUM:  saat kaç \nSaat 10:05.\nİyi günler.", "saat kaç", "Saat 10:05.\nİyi günler."},
        {"DUYDUM: **merhaba**\r\n  Selam!  ", "merhaba", "Selam!"},
        {"DUYDUM: yalnız bu", "yalnız bu", ""},
        {"DUYDUM:\nCevap", std::nullopt, "Cevap"},
        {"Önce cevap\nDUYDUM: x", std::nullopt, "Önce cevap\nDUYDUM: x"},
    };
    for (const Case& c : cases) {
        AnswerText a = clean_answer_text(c.in);
        EXPECT_EQ(a.heard, c.heard) << c.in;
        EXPECT_EQ(a.text, c.text) << c.in;
    }
}

// ---- Google tools ----------------------------------------------------------------------------

TEST(GeminiCalendar, StartsAreLocalUnlessZoned) {
    const OffsetAt istanbul = [](int64_t) { return int64_t{3 * 3600}; };
    const int64_t day = days_from_civil(2026, 12, 11) * 86400;
    struct Case {
        json args;
        std::string error;     // empty: reads
        int64_t start = 0, end = 0;
        std::string body;
    } cases[] = {
        {{{"title", "Ders"}, {"start", " 2026-12-11T10:00 "}}, "", day + 7 * 3600, day + 8 * 3600,
         R"({"end":{"dateTime":"2026-12-11T08:00:00Z"},"start":{"dateTime":"2026-12-11T07:00:00Z"},"summary":"Ders"})"},
        {{{"title", "Ders"}, {"start", "2026-12-11T10:00:30"}, {"duration_minutes", 30}}, "", day + 7 * 3600 + 30,
         day + 7 * 3600 + 30 + 1800, ""},
        {{{"title", "Ders"}, {"start", "2026-12-11 10:00"}, {"duration_minutes", 0}}, "", day + 7 * 3600, day + 8 * 3600, ""},
        {{{"title", "Ders"}, {"start", "2026-12-11T10:00:00Z"}}, "", day + 10 * 3600, day + 11 * 3600, ""},
        {{{"title", "Ders"}, {"start", "2026-12-11T10:00:00.000+01:00"}, {"duration_minutes", 90.4}}, "", day + 9 * 3600,
         day + 9 * 3600 + 90 * 60, ""},
        {{{"title", "Ders"}, {"start", "2026-12-11T01:00-05:00"}}, "", day + 6 * 3600, day + 7 * 3600, ""},
        {{{"title", "Ders"}, {"start", "2026-12-11T10:00:00-05:00"}}, "", day + 15 * 3600, day + 16 * 3600, ""},
        {{{"title", "Tatil"}, {"start", "2026-12-31"}}, "", days_from_civil(2026, 12, 31) * 86400 - 3 * 3600,
         days_from_civil(2027, 1, 1) * 86400 - 3 * 3600,
         R"({"end":{"date":"2027-01-01"},"start":{"date":"2026-12-31"},"summary":"Tatil"})"},
        {{{"title", "Kamp"}, {"start", "2024-02-28"}, {"duration_minutes", 2880}}, "", days_from_civil(2024, 2, 28) * 86400 - 10800,
         days_from_civil(2024, 3, 1) * 86400 - 10800,
         R"({"end":{"date":"2024-03-01"},"start":{"date":"2024-02-28"},"summary":"Kamp"})"},
        {{{"start", "2026-12-11T10:00"}}, "eksik bilgi"},
        {{{"title", "  "}, {"start", "2026-12-11T10:00"}}, "eksik bilgi"},
        {{{"title", "Ders"}, {"start", 5}}, "eksik bilgi"},
        {json::array({"Ders"}), "eksik bilgi"},
        {{{"title", "Ders"}, {"start", "yarın 10:00"}}, "tarih anlaşılmadı"},
        {{{"title", "Ders"}, {"start", "2026-13-01T10:00"}}, "tarih anlaşılmadı"},
        {{{"title", "Ders"}, {"start", "2026-02-29T10:00"}}, "tarih anlaşılmadı"},
        {{{"title", "Ders"}, {"start", "2026-12-11T25:00"}}, "saat anlaşılmadı"},
        {{{"title", "Ders"}, {"start", "2026-12-11T10"}}, "saat anlaşılmadı"},
        {{{"title", "Ders"}, {"start", "2026-12-11T10:00 öğleden sonra"}}, "saat anlaşılmadı"},
    };
    for (const Case& c : cases) {
        Result<NewEvent> ev = calendar_event_from_args(c.args, istanbul);
        if (!c.error.empty()) {
            EXPECT_EQ(ev ? std::string("reads") : ev.error().message, c.error) << c.args.dump();
            continue;
        }
        ASSERT_TRUE(ev) << c.args.dump() << ": " << ev.error().message;
        EXPECT_EQ(ev->start, c.start) << c.args.dump();
        EXPECT_EQ(ev->end, c.end) << c.args.dump();
        if (!c.body.empty()) {
            EXPECT_EQ(ev->body.dump(), c.body);
        }
    }

    // Across a clock change the offset in force at the event counts, not today's.
    const int64_t change = day + 5 * 3600;
    const OffsetAt shifting = [&](int64_t at) { return at < change ? int64_t{3600} : int64_t{7200}; };
    Result<NewEvent> later = calendar_event_from_args({{"title", "X"}, {"start", "2026-12-11T12:00"}}, shifting);
    ASSERT_TRUE(later);
    EXPECT_EQ(later->start, day + 10 * 3600);
    Result<NewEvent> earlier = calendar_event_from_args({{"title", "X"}, {"start", "2026-12-11T02:00"}}, shifting);
    ASSERT_TRUE(earlier);
    EXPECT_EQ(earlier->start, day + 1 * 3600);
}

TEST(GeminiCalendar, FailureSentences) {
    EXPECT_EQ(google_tool_failure("Takvime ekleyemedim", "403 forbidden"),
              "Takvime ekleyemedim: izin yok. Google sayfasından “İzinleri güncelle”ye bas.");
    EXPECT_EQ(google_tool_failure("Takvime ekleyemedim", "tarih anlaşılmadı"), "Takvime ekleyemedim (tarih anlaşılmadı).");
    EXPECT_TRUE(is_google_tool("calendar_add"));
    EXPECT_TRUE(is_google_tool("task_add"));
    EXPECT_FALSE(is_google_tool("timer_start"));
}

}  // namespace
