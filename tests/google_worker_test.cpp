// The Google worker's start-up, commands and polls against a scripted network.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <fmt/format.h>

#ifndef _WIN32
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include "google_fake_net.h"
#include "google_files.h"
#include "google_gemini.h"
#include "google_signin.h"
#include "google_worker.h"
#include "sys_log.h"
#include "sys_os.h"
#include "test_support.h"

namespace {

using json = nlohmann::json;

const GoogleEndpoints kUrls = google_endpoints_at("http://127.0.0.1:9");
constexpr int64_t kWall = 1'700'000'000;

json message(const std::string& from, bool unread) {
    json labels = unread ? json::array({"INBOX", "UNREAD"}) : json::array({"INBOX"});
    return {{"snippet", "s"}, {"labelIds", labels}, {"payload", {{"headers", {{{"name", "From"}, {"value", from}}}}}}};
}

json text_part(const std::string& text) { return {{"text", text}}; }
json call_part(const std::string& name, const json& args) { return {{"functionCall", {{"name", name}, {"args", args}}}}; }
json reply(const std::vector<json>& parts) {
    return {{"candidates", json::array({json{{"content", {{"role", "model"}, {"parts", parts}}}}})}};
}

class GoogleWorkerTest : public ::testing::Test {
protected:
    ScopedDataDir data;
    std::string profile = test_temp_dir("-profile");
    FakeGoogleNet fake;
    GoogleWorkerContext ctx;
    int notified = 0;

    void SetUp() override {
        test_set_env("USERPROFILE", profile);  // no client files anywhere
        ctx.config.net = fake.net(kUrls);
        ctx.config.notify = [this] { ++notified; };
        ctx.config.wall_clock = [] { return kWall; };
        ctx.config.decode_picture = [](std::string_view bytes) {
            auto img = std::make_shared<Image>();
            img->width = static_cast<uint32_t>(bytes.size());
            return ImageRef(img);
        };
        ctx.state = Shared<GoogleState>();
        fake.on("POST", kUrls.token + "/token", 200, json{{"access_token", "at"}, {"expires_in", 3600}});
        fake.on("GET", gmail_inbox_label_url(kUrls), 200, json{{"messagesUnread", 1}});
        fake.on("GET", gmail_list_url(kUrls), 200, json{{"messages", {{{"id", "m1"}}}}});
        fake.on("GET", kUrls.gmail + "/users/me/messages/m1", 200, message("\"Ali Veli\" <a@b.c>", true));
        fake.on("GET", kUrls.calendar + "/calendars/primary/events", 200,
                json{{"items", {{{"id", "e1"}, {"summary", "Ders"}, {"start", {{"dateTime", "2023-11-15T10:00:00Z"}}}}}}});
        fake.on("GET", kUrls.tasks + "/lists/@default/tasks", 200, json{{"items", {{{"id", "t1"}, {"title", "Süt al"}}}}});
    }
    void TearDown() override { test_unset_env("USERPROFILE"); }

    void store_client() { ASSERT_TRUE(save_protected_json(kGoogleClientFile, client_to_stored({"cid", "sec", "proj"})).ok()); }
    void store_tokens(const std::string& scope = "auth/tasks auth/calendar.events auth/gmail.modify") {
        json t = {{"refresh", "rt"}, {"email", "a@b.c"}, {"name", "Ali"}, {"scope", scope}};
        ASSERT_TRUE(save_protected_json(kGoogleTokensFile, t).ok());
    }
    void signed_in() {
        store_client();
        store_tokens();
        google_start_up(ctx);
        ASSERT_TRUE(ctx.session);
    }
    GoogleState state() { return *ctx.state.snapshot(); }
    std::vector<GoogleUpdate> drain() {
        std::vector<GoogleUpdate> out;
        ctx.state.with([&](GoogleState& s) { out.swap(s.outbox); });
        return out;
    }
    static std::string error_of(const std::vector<GoogleUpdate>& items) {
        return items.size() == 1 && std::holds_alternative<gupdate::Error>(items[0])
                   ? std::get<gupdate::Error>(items[0]).text
                   : fmt::format("({} items)", items.size());
    }
};

TEST_F(GoogleWorkerTest, SignInWithoutAClientFileSaysSo) {
    google_sign_in(ctx);
    EXPECT_EQ(state().status, "istemci dosyası yok");
    EXPECT_FALSE(state().client_ready);
    EXPECT_EQ(error_of(drain()), "Google istemci dosyası (client_secret…json) İndirilenler'de yok");
    EXPECT_TRUE(fake.requests.empty());
}

TEST_F(GoogleWorkerTest, StartUpRestoresTheStoredAccount) {
    store_tokens();
    google_start_up(ctx);
    EXPECT_FALSE(ctx.session) << "tokens without a client restore nothing";
    EXPECT_FALSE(state().signed_in);
    EXPECT_EQ(state().status, "istemci dosyası yok");

    store_client();
    json t = {{"refresh", "rt"}, {"email", "a@b.c"}, {"name", "Ali"}, {"scope", "auth/calendar.events auth/gmail.modify"},
              {"picture", kUrls.userinfo + "/pic"}};
    ASSERT_TRUE(save_protected_json(kGoogleTokensFile, t).ok());
    ASSERT_TRUE(save_protected_json(kGeminiChatFile, json::array({{{"u", true}, {"t", "soru"}}, {{"u", 1}, {"t", "x"}}})).ok());
    fake.on_text("GET", kUrls.userinfo + "/pic", 200, "12345");
    google_start_up(ctx);
    ASSERT_TRUE(ctx.session);
    EXPECT_EQ(ctx.session->refresh_token, "rt");
    EXPECT_EQ(ctx.session->project, "proj");
    EXPECT_EQ(ctx.session->access_token, "");
    GoogleState s = state();
    EXPECT_TRUE(s.signed_in);
    EXPECT_EQ(s.status, "bağlı");
    EXPECT_EQ(s.name, "Ali");
    EXPECT_TRUE(s.needs_consent) << "the stored scope lacks Tasks";
    EXPECT_TRUE(s.client_ready);
    ASSERT_TRUE(s.picture);
    EXPECT_EQ(s.picture->width, 5u);
    ASSERT_EQ(s.chat.size(), 1u) << "a malformed chat entry is skipped";
    EXPECT_EQ(s.chat[0].text, "soru");
    EXPECT_TRUE(fake.requests.back().headers.empty()) << "the picture is a plain GET";
}

TEST_F(GoogleWorkerTest, PollsFillTheStateAndOnlyNewUnreadMailIsAnnounced) {
    signed_in();
    google_periodic_step(ctx);
    EXPECT_EQ(fake.count("GET", gmail_inbox_label_url(kUrls)), 0u) << "nothing is due right after start";

    google_run_command(ctx, gcmd::Refresh{});
    google_periodic_step(ctx);
    GoogleState s = state();
    EXPECT_EQ(s.unread, 1u);
    ASSERT_EQ(s.mails.size(), 1u);
    EXPECT_EQ(s.mails[0].from, "Ali Veli");
    ASSERT_EQ(s.events.size(), 1u);
    EXPECT_EQ(s.events[0].summary, "Ders");
    ASSERT_EQ(s.tasks.size(), 1u);
    EXPECT_EQ(s.tasks[0].title, "Süt al");
    EXPECT_TRUE(drain().empty()) << "the first poll learns the inbox silently";

    fake.clear("GET", gmail_list_url(kUrls));
    fake.on("GET", gmail_list_url(kUrls), 200, json{{"messages", {{{"id", "m2"}}, {{"id", "m3"}}, {{"id", "m1"}}}}});
    fake.on("GET", kUrls.gmail + "/users/me/messages/m2", 200, message("Yeni <n@b.c>", true));
    fake.on("GET", kUrls.gmail + "/users/me/messages/m3", 200, message("Okundu <o@b.c>", false));
    google_run_command(ctx, gcmd::Refresh{});
    google_periodic_step(ctx);
    auto items = drain();
    ASSERT_EQ(items.size(), 1u);
    ASSERT_TRUE(std::holds_alternative<gupdate::NewMail>(items[0]));
    EXPECT_EQ(std::get<gupdate::NewMail>(items[0]).mail.id, "m2");
    EXPECT_EQ(fake.count("GET", gmail_inbox_label_url(kUrls)), 2u) << "each Refresh polls again";
    EXPECT_EQ(fake.count("GET", kUrls.tasks + "/lists/@default/tasks"), 2u);
}

TEST_F(GoogleWorkerTest, AnEventStartingSoonIsAnnouncedOnce) {
    signed_in();
    EventItem soon, now_, all_day;
    soon.id = "soon";
    soon.start = kWall + 600;
    now_.id = "now";
    now_.start = kWall;
    all_day.id = "day";
    all_day.start = kWall + 60;
    all_day.all_day = true;
    ctx.state.with([&](GoogleState& s) { s.events = {soon, now_, all_day}; });
    google_periodic_step(ctx);
    google_periodic_step(ctx);
    auto items = drain();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(std::get<gupdate::EventSoon>(items[0]).event.id, "soon");
}

TEST_F(GoogleWorkerTest, AnExpiredGrantEndsTheSessionAndTheRestOfTheStep) {
    signed_in();
    fake.clear("POST", kUrls.token + "/token");
    fake.on("POST", kUrls.token + "/token", 400, json{{"error", "invalid_grant"}});
    google_run_command(ctx, gcmd::Refresh{});
    int before = notified;
    google_periodic_step(ctx);
    EXPECT_FALSE(ctx.session);
    EXPECT_FALSE(file_exists(data_file(kGoogleTokensFile)));
    GoogleState s = state();
    EXPECT_FALSE(s.signed_in);
    EXPECT_EQ(s.status, "oturum süresi doldu, yeniden bağlan");
    EXPECT_TRUE(drain().empty());
    EXPECT_EQ(notified, before + 1);
    EXPECT_EQ(fake.count("GET", kUrls.calendar + "/calendars/primary/events"), 0u) << "later steps are dropped";
    EXPECT_EQ(fake.count("GET", kUrls.tasks + "/lists/@default/tasks"), 0u);

    size_t requests = fake.requests.size();
    google_run_command(ctx, gcmd::MailRead{"m1"});
    google_run_command(ctx, gcmd::MailArchive{"m1"});
    google_run_command(ctx, gcmd::AddTask{"x"});
    google_run_command(ctx, gcmd::TaskDone{"t1"});
    google_periodic_step(ctx);
    EXPECT_EQ(fake.requests.size(), requests);
    EXPECT_TRUE(drain().empty()) << "without a session these commands are dropped silently";
    google_run_command(ctx, gcmd::Ask{"saat kaç"});
    EXPECT_EQ(error_of(drain()), "Önce Google ile bağlan (Google sayfası)");
}

TEST_F(GoogleWorkerTest, MailAndTaskCommands) {
    signed_in();
    ctx.state.with([](GoogleState& s) {
        s.mails = {MailItem{"m1", "A", "S", "", true}};
        s.unread = 1;
        s.tasks = {TaskItem{"t1", "Süt", ""}, TaskItem{"t2", "Ekmek", ""}};
    });
    fake.on("POST", gmail_modify_url(kUrls, "m1"), 200, json::object());
    google_run_command(ctx, gcmd::MailRead{"m1"});
    EXPECT_EQ(state().unread, 0u);
    EXPECT_FALSE(state().mails[0].unread);
    EXPECT_EQ(fake.requests.back().body, std::optional<std::string>(R"({"removeLabelIds":["UNREAD"]})"));
    google_run_command(ctx, gcmd::MailArchive{"m1"});
    EXPECT_TRUE(state().mails.empty());
    EXPECT_EQ(fake.requests.back().body, std::optional<std::string>(R"({"removeLabelIds":["INBOX","UNREAD"]})"));

    fake.on("POST", gmail_modify_url(kUrls, "m9"), 403, json{{"error", {{"message", "no"}}}});
    google_run_command(ctx, gcmd::MailRead{"m9"});
    EXPECT_TRUE(state().needs_consent);
    EXPECT_EQ(error_of(drain()), "Gmail: izin yok, Google sayfasından izinleri güncelle");
    fake.on("POST", gmail_modify_url(kUrls, "m8"), 500, json{{"error", {{"message", "boom"}}}});
    google_run_command(ctx, gcmd::MailArchive{"m8"});
    EXPECT_EQ(error_of(drain()), "Gmail: 500 boom");

    fake.on("PATCH", task_url(kUrls, "t1"), 200, json::object());
    google_run_command(ctx, gcmd::TaskDone{"t1"});
    ASSERT_EQ(state().tasks.size(), 1u);
    EXPECT_EQ(state().tasks[0].id, "t2");
    fake.on("PATCH", task_url(kUrls, "t2"), 404, json{{"error", {{"message", "gone"}}}});
    google_run_command(ctx, gcmd::TaskDone{"t2"});
    EXPECT_EQ(error_of(drain()), "Görevler: 404 gone");

    fake.on("POST", tasks_insert_url(kUrls), 403, json{{"error", {{"message", "scope"}}}});
    google_run_command(ctx, gcmd::AddTask{"Yeni"});
    EXPECT_EQ(error_of(drain()), "Görev ekleyemedim: izin yok. Google sayfasından “İzinleri güncelle”ye bas.");
    EXPECT_EQ(fake.requests.back().body, std::optional<std::string>(R"({"title":"Yeni"})"));
    fake.clear("POST", tasks_insert_url(kUrls));
    fake.on("POST", tasks_insert_url(kUrls), 200, json{{"id", "t3"}});
    size_t task_polls = fake.count("GET", kUrls.tasks + "/lists/@default/tasks");
    google_run_command(ctx, gcmd::AddTask{"Yeni"});
    EXPECT_TRUE(drain().empty());
    google_periodic_step(ctx);
    EXPECT_EQ(fake.count("GET", kUrls.tasks + "/lists/@default/tasks"), task_polls + 1) << "a new task polls Tasks soon";

    // A signed-in question goes to Gemini and comes back as an answer.
    fake.on("POST", gemini_generate_url(kUrls, kGeminiFallbackModel), 200, reply({text_part("Merhaba!")}));
    google_run_command(ctx, gcmd::Ask{"merhaba"});
    auto answer = drain();
    ASSERT_EQ(answer.size(), 1u);
    ASSERT_TRUE(std::holds_alternative<gupdate::Answer>(answer[0]));
    EXPECT_EQ(std::get<gupdate::Answer>(answer[0]).text, "Merhaba!");
}

// ---- The assistant ------------------------------------------------------------------------

class GeminiTurnTest : public GoogleWorkerTest {
protected:
    std::string generate = gemini_generate_url(kUrls, kGeminiFallbackModel);

    void SetUp() override {
        GoogleWorkerTest::SetUp();
        json models = {{"models", json::array({{{"name", "models/gemini-flash-latest"}, {"supportedGenerationMethods", {"generateContent"}}},
                                               {{"name", "models/gemini-flash-lite-latest"}, {"supportedGenerationMethods", {"generateContent"}}}})}};
        fake.on("GET", kUrls.gemini + "/models", 200, models);
        ctx.config.utc_offset = [](int64_t) { return int64_t{3 * 3600}; };  // Istanbul
    }
    void answer_with(const json& body, uint32_t status = 200) {
        fake.clear("POST", generate);
        fake.on("POST", generate, status, body);
    }
    // The body of the newest generateContent request.
    json last_request() {
        for (auto it = fake.requests.rbegin(); it != fake.requests.rend(); ++it)
            if (it->url == generate) return json::parse(it->body.value_or("null"));
        return json();
    }
    std::string header(const std::string& url, const std::string& name) {
        for (auto it = fake.requests.rbegin(); it != fake.requests.rend(); ++it)
            if (it->url == url) {
                for (const HttpHeader& h : it->headers)
                    if (h.name == name) return h.value;
                return "(none)";
            }
        return "(no request)";
    }
    gupdate::Answer the_answer() {
        auto items = drain();
        if (items.size() != 1 || !std::holds_alternative<gupdate::Answer>(items[0])) {
            ADD_FAILURE() << "expected one answer, got " << error_of(items);
            return {};
        }
        return std::get<gupdate::Answer>(items[0]);
    }
};

TEST_F(GeminiTurnTest, ATextQuestionCarriesTheNewestTenLinesAndTheAccount) {
    signed_in();
    ctx.state.with([](GoogleState& s) {
        for (int i = 0; i < 40; ++i) s.chat.push_back(ChatLine{fmt::format("satır {}", i), i % 2 == 0});
        s.unread = 2;
        s.context = " Pil %50.";
    });
    fake.on("POST", tasks_insert_url(kUrls), 200, json{{"id", "t9"}});
    answer_with(reply({text_part("**Tamam**, beş dakika"), text_part(" kurdum."), call_part("timer_start", {{"minutes", 5}}),
                       call_part("task_add", {{"title", "Süt al"}})}));

    std::vector<bool> busy_seen;
    ctx.config.notify = [&] { busy_seen.push_back(ctx.state.snapshot()->gemini_busy); };
    google_run_command(ctx, gcmd::Ask{"beş dakika kur"});
    ASSERT_FALSE(busy_seen.empty());
    EXPECT_TRUE(busy_seen.front()) << "the question line shows the page busy";
    EXPECT_FALSE(busy_seen.back());

    EXPECT_EQ(fake.count("GET", kUrls.gemini + "/models"), 1u);
    EXPECT_EQ(fake.count("POST", generate), 1u);
    json body = last_request();
    ASSERT_TRUE(body.is_object());
    ASSERT_EQ(body["contents"].size(), 10u) << "user and model lines count one each";
    EXPECT_EQ(body["contents"][0].dump(), R"({"parts":[{"text":"satır 31"}],"role":"model"})");
    EXPECT_EQ(body["contents"][9].dump(), R"({"parts":[{"text":"beş dakika kur"}],"role":"user"})");
    std::string system = body["systemInstruction"]["parts"][0]["text"];
    EXPECT_EQ(system.rfind(kGeminiPersona, 0), 0u);
    EXPECT_NE(system.find(" Kullanıcının adı: Ali. Kullanıcının Gmail gelen kutusunda 2 okunmamış e-posta var."), std::string::npos);
    EXPECT_EQ(system.substr(system.size() - 9), " Pil %50.");
    EXPECT_EQ(body["generationConfig"].dump(), R"({"maxOutputTokens":800,"temperature":0.7})");
    EXPECT_EQ(body["tools"], build_gemini_tools());
    EXPECT_EQ(body.size(), 4u);
    EXPECT_EQ(header(generate, "x-goog-user-project"), "proj");
    EXPECT_EQ(header(generate, "Content-Type"), "application/json; charset=utf-8");

    gupdate::Answer a = the_answer();
    EXPECT_EQ(a.text, "Tamam, beş dakika kurdum. Görevlerine ekledim: Süt al.");
    EXPECT_FALSE(a.heard);
    EXPECT_FALSE(a.speak);
    ASSERT_EQ(a.calls.size(), 1u) << "task_add stays on the worker";
    EXPECT_EQ(a.calls[0].name, "timer_start");
    EXPECT_EQ(a.calls[0].args, json({{"minutes", 5}}));

    GoogleState s = state();
    ASSERT_EQ(s.chat.size(), 40u);
    EXPECT_EQ(s.chat[38].text, "beş dakika kur");
    EXPECT_TRUE(s.chat[38].user);
    EXPECT_EQ(s.chat[39].text, a.text);
    EXPECT_FALSE(s.gemini_busy);
    EXPECT_EQ(s.model, "gemini-flash-lite-latest");
    auto file = load_protected_json(kGeminiChatFile);
    ASSERT_TRUE(file && file->is_array());
    ASSERT_EQ(file->size(), 30u);
    EXPECT_EQ(file->back(), json({{"u", false}, {"t", a.text}}));
    EXPECT_EQ((*file)[0], json({{"u", true}, {"t", "satır 12"}}));

    // The next question: the model is known, and without a project the header stays home.
    ctx.session->project.clear();
    google_run_command(ctx, gcmd::Ask{"ikinci"});
    EXPECT_EQ(fake.count("GET", kUrls.gemini + "/models"), 1u) << "the model is chosen once a run";
    EXPECT_EQ(header(generate, "x-goog-user-project"), "(none)");
    EXPECT_EQ(last_request()["contents"].size(), 10u);
}

TEST_F(GeminiTurnTest, VoiceScreenAndLabelledQuestions) {
    signed_in();
    // A voice question: the heard line comes from the model's own text, before the tool sentence.
    fake.on("POST", kUrls.calendar + "/calendars/primary/events", 200, json{{"id", "ev1"}});
    answer_with(reply({text_part("DUYDUM: **yarın** ders ekle\nTamam."),
                       call_part("calendar_add", {{"title", "Ders"}, {"start", "2023-11-15T14:00"}})}));
    size_t chat_before = state().chat.size();
    google_run_command(ctx, gcmd::AskVoice{"RIFF"});
    json body = last_request();
    ASSERT_EQ(body["contents"].size(), 1u) << "no question line for a voice question";
    EXPECT_EQ(body["contents"][0].dump(),
              json({{"role", "user"},
                    {"parts", {{{"inline_data", {{"mime_type", "audio/wav"}, {"data", "UklGRg=="}}}}, {{"text", kVoicePrompt}}}}})
                  .dump());
    gupdate::Answer a = the_answer();
    EXPECT_EQ(a.heard, std::optional<std::string>("yarın ders ekle"));
    // kWall is 2023-11-15 01:13 in Istanbul: 14:00 that day is today.
    EXPECT_EQ(a.text, "Tamam. Takvimine ekledim: Ders, Bugün 14:00.");
    EXPECT_TRUE(a.speak);
    EXPECT_TRUE(a.calls.empty());
    ASSERT_EQ(fake.requests.back().url, kUrls.calendar + "/calendars/primary/events");
    json event = json::parse(fake.requests.back().body.value_or("null"));
    EXPECT_EQ(event.dump(),
              R"({"end":{"dateTime":"2023-11-15T12:00:00Z"},"start":{"dateTime":"2023-11-15T11:00:00Z"},"summary":"Ders"})")
        << "a start without a zone is local time";
    GoogleState s = state();
    ASSERT_EQ(s.chat.size(), chat_before + 2);
    EXPECT_EQ(s.chat[chat_before].text, "yarın ders ekle");
    EXPECT_TRUE(s.chat[chat_before].user);

    // A screen question asking for the screen again takes no second look.
    answer_with(reply({text_part("Bir hata penceresi var."), call_part("screen_look", {{"question", "bu ne"}}),
                       call_part("volume_set", {{"percent", 20}})}));
    google_run_command(ctx, gcmd::AskScreen{"bu ne", "PNG", true});
    body = last_request();
    size_t n = body["contents"].size();
    ASSERT_GE(n, 2u);
    EXPECT_EQ(body["contents"][n - 2].dump(), R"({"parts":[{"text":"bu ne"}],"role":"user"})");
    EXPECT_EQ(body["contents"][n - 1]["parts"][0]["inline_data"].dump(), R"({"data":"UE5H","mime_type":"image/png"})");
    EXPECT_EQ(body["contents"][n - 1]["parts"][1]["text"], "Bu kullanıcının şu anki ekran görüntüsü. Soru: bu ne");
    a = the_answer();
    EXPECT_EQ(a.text, "Bir hata penceresi var.");
    EXPECT_TRUE(a.speak);
    ASSERT_EQ(a.calls.size(), 1u);
    EXPECT_EQ(a.calls[0].name, "volume_set");
    answer_with(reply({call_part("screen_look", {{"question", "yine"}})}));
    google_run_command(ctx, gcmd::AskScreen{"bu ne", "PNG", false});
    a = the_answer();
    EXPECT_TRUE(a.calls.empty());
    EXPECT_EQ(a.text, "Gemini boş cevap verdi");
    EXPECT_FALSE(a.speak);
    // An ordinary question may ask for a look: the island takes the screenshot then.
    google_run_command(ctx, gcmd::Ask{"ekranıma bak"});
    a = the_answer();
    ASSERT_EQ(a.calls.size(), 1u);
    EXPECT_EQ(a.calls[0].name, "screen_look");
    EXPECT_EQ(a.text, "");

    // A labelled question shows its label and sends its prompt.
    answer_with(reply({text_part("Günün özeti burada.")}));
    google_run_command(ctx, gcmd::AskLabelled{"Günün özeti", "Bugünü özetle: takvim, görevler, e-posta."});
    body = last_request();
    EXPECT_EQ(body["contents"].back()["parts"][0]["text"], "Bugünü özetle: takvim, görevler, e-posta.");
    s = state();
    ASSERT_GE(s.chat.size(), 2u);
    EXPECT_EQ(s.chat[s.chat.size() - 2].text, "Günün özeti");
    EXPECT_EQ(s.chat.back().text, "Günün özeti burada.");
}

TEST_F(GeminiTurnTest, FailuresEndTheTurnAndClearTheBusyMark) {
    signed_in();
    fake.clear("GET", kUrls.gemini + "/models");
    fake.on("GET", kUrls.gemini + "/models", 500, json{{"error", {{"message", "down"}}}});
    answer_with(json{{"error", {{"message", "boom"}}}}, 500);
    google_run_command(ctx, gcmd::Ask{"merhaba"});
    EXPECT_EQ(error_of(drain()), "Gemini: 500 boom");
    EXPECT_FALSE(state().gemini_busy);
    EXPECT_EQ(fake.count("POST", generate), 1u) << "a failed list chooses the lite alias";
    ASSERT_EQ(state().chat.size(), 1u) << "the question stays in the chat";

    struct Case {
        const char* what;
        json answer;
        const char* text;
        size_t calls;
    } cases[] = {
        {"no parts", json{{"candidates", json::array()}}, "Gemini boş cevap verdi", 0},
        {"only a UI tool", reply({call_part("timer_start", {{"minutes", 1}})}), "", 1},
        {"only a task", reply({call_part("task_add", {{"title", "Ekmek"}})}), "Görevlerine ekledim: Ekmek.", 0},
        {"a refused task", reply({call_part("task_add", {{"title", "Yasak"}})}),
         "Görev ekleyemedim: izin yok. Google sayfasından “İzinleri güncelle”ye bas.", 0},
        {"a task without a title", reply({text_part("Olmadı."), call_part("task_add", json::object())}),
         "Olmadı. Görev ekleyemedim (başlık yok).", 0},
        {"an unreadable start", reply({call_part("calendar_add", {{"title", "X"}, {"start", "2023-11-15T26:00"}})}),
         "Takvime ekleyemedim (saat anlaşılmadı).", 0},
        {"a refused event", reply({call_part("calendar_add", {{"title", "X"}, {"start", "2023-11-15"}})}),
         "Takvime ekleyemedim (500 takvim).", 0},
    };
    fake.on("POST", kUrls.calendar + "/calendars/primary/events", 500, json{{"error", {{"message", "takvim"}}}});
    for (const Case& c : cases) {
        fake.clear("POST", tasks_insert_url(kUrls));
        fake.on("POST", tasks_insert_url(kUrls), std::string(c.what) == "a refused task" ? 403 : 200, json::object());
        answer_with(c.answer);
        google_run_command(ctx, gcmd::Ask{"x"});
        gupdate::Answer a = the_answer();
        EXPECT_EQ(a.text, c.text) << c.what;
        EXPECT_EQ(a.calls.size(), c.calls) << c.what;
        EXPECT_FALSE(state().gemini_busy);
    }
}

TEST_F(GoogleWorkerTest, SignOutAndClearChatRemoveTheirFiles) {
    signed_in();
    ASSERT_TRUE(save_protected_json(kGeminiChatFile, json::array()).ok());
    ctx.state.with([](GoogleState& s) { s.chat = {ChatLine{"a", true}}; });
    google_run_command(ctx, gcmd::ClearChat{});
    EXPECT_TRUE(state().chat.empty());
    EXPECT_FALSE(file_exists(data_file(kGeminiChatFile)));

    ASSERT_TRUE(save_protected_json(kGeminiChatFile, json::array()).ok());
    ctx.state.with([](GoogleState& s) { s.outbox.emplace_back(gupdate::Error{"pending"}); });
    google_run_command(ctx, gcmd::SignOut{});
    EXPECT_FALSE(ctx.session);
    EXPECT_FALSE(file_exists(data_file(kGoogleTokensFile)));
    EXPECT_FALSE(file_exists(data_file(kGeminiChatFile)));
    GoogleState s = state();
    EXPECT_EQ(s.status, "bağlı değil");
    EXPECT_TRUE(s.client_ready);
    EXPECT_FALSE(s.signed_in);
    EXPECT_TRUE(s.outbox.empty());
}

TEST_F(GoogleWorkerTest, TheThreadAnswersCommandsAndEndsWithItsSenders) {
    // The thread may outlive the fixture by a moment: its config refers to nothing here.
    GoogleWorkerConfig config;
    config.net.urls = kUrls;
    GoogleWorker w = start_google_worker(config);
    // The thread may already have finished its start-up by the time we look.
    std::string first = w.state.snapshot()->status;
    EXPECT_TRUE(first == "başlatılıyor" || first == "istemci dosyası yok") << first;
    ASSERT_TRUE(w.commands.send(gcmd::Ask{"x"}));
    bool answered = false;
    for (int i = 0; i < 200 && !answered; ++i) {
        w.state.with([&](GoogleState& s) { answered = !s.outbox.empty(); });
        if (!answered) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(answered);
    GoogleState s = *w.state.snapshot();
    EXPECT_EQ(s.status, "istemci dosyası yok");
    EXPECT_EQ(std::get<gupdate::Error>(s.outbox[0]).text, "Önce Google ile bağlan (Google sayfası)");
}

#ifndef _WIN32
// A loopback client on plain sockets: connects, sends `request` (nothing when
// empty) and returns what comes back before the server closes.
std::string loopback_exchange(uint16_t port, const std::string& request, bool hold_silent = false) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    std::string out;
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
        if (!request.empty()) {
            (void)send(fd, request.data(), request.size(), 0);
            char buf[4096];
            ssize_t n;
            while ((n = recv(fd, buf, sizeof buf, 0)) > 0) out.append(buf, static_cast<size_t>(n));
        } else if (hold_silent) {
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
        }
    }
    close(fd);
    return out;
}

TEST_F(GoogleWorkerTest, WholeSignInOverTheLoopbackListener) {
    store_client();
    fake.clear("POST", kUrls.token + "/token");
    fake.on("POST", kUrls.token + "/token", 200,
            json{{"access_token", "at1"}, {"refresh_token", "rt1"}, {"scope", "auth/calendar.events auth/gmail.modify"}});
    fake.on("GET", kUrls.userinfo + "/v1/userinfo", 200, json{{"email", "a@b.c"}, {"name", ""}});
    std::string page;
    std::thread browser;
    ctx.config.open_browser = [&](const std::string& url) {
        auto q = redirect_query("GET /?" + url.substr(url.find('?') + 1) + " HTTP/1.1");
        std::string uri = q["redirect_uri"], state = q["state"];
        auto port = static_cast<uint16_t>(std::stoi(uri.substr(uri.rfind(':') + 1)));
        browser = std::thread([=, &page] {
            std::thread held([=] { loopback_exchange(port, "", true); });  // a silent speculative connection
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            loopback_exchange(port, "");  // opens and closes without a word
            page = loopback_exchange(port, "GET /?state=" + state + "&code=c1 HTTP/1.1\r\nHost: x\r\n\r\n");
            held.join();
        });
    };
    google_sign_in(ctx);
    browser.join();
    EXPECT_NE(page.find("<h2>Vemo Ada Google'a bağlandı ✓</h2>"), std::string::npos) << page;
    ASSERT_TRUE(ctx.session);
    EXPECT_EQ(ctx.session->refresh_token, "rt1");
    EXPECT_DOUBLE_EQ(ctx.session->expiry, fake.now + 3540);
    GoogleState s = state();
    EXPECT_EQ(s.status, "bağlı");
    EXPECT_TRUE(s.needs_consent) << "the granted scope lacks Tasks";
    auto items = drain();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(std::get<gupdate::Connected>(items[0]).label, "a@b.c");
    auto tokens = load_protected_json(kGoogleTokensFile);
    ASSERT_TRUE(tokens);
    EXPECT_EQ((*tokens)["refresh"], "rt1");
    EXPECT_EQ(fake.requests.back().headers[0].value, "Bearer at1");
    EXPECT_DOUBLE_EQ(ctx.gmail_clock, fake.now - 600);
}
#endif

TEST(GoogleStatusLine, NamesTheClientAndTheTokens) {
    ScopedDataDir data;
    std::string profile = test_temp_dir("-bos");
    test_set_env("USERPROFILE", profile);
    std::string line = google_status_line();
    EXPECT_EQ(line.substr(0, line.find(" voice=")), "google: client=yok signed_in=false");
    ASSERT_TRUE(save_protected_json(kGoogleClientFile, client_to_stored({std::string(kBuiltInClientId) + ".apps", "s", ""})).ok());
    ASSERT_TRUE(save_protected_json(kGoogleTokensFile, json{{"refresh", "r"}}).ok());
    line = google_status_line();
    EXPECT_EQ(line.substr(0, line.find(" voice=")), "google: client=Vemo Ada Desktop signed_in=true");
    ASSERT_TRUE(save_protected_json(kGoogleClientFile, client_to_stored({"other", "s", ""})).ok());
    line = google_status_line();
    EXPECT_EQ(line.substr(0, line.find(" voice=")), "google: client=baska signed_in=true");
    test_unset_env("USERPROFILE");
}

}  // namespace
