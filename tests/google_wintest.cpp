// The Google worker over WinHTTP and Windows sockets against the scripted
// server on 127.0.0.1: the whole sign-in with the test as the browser, the
// token exchange, user info, one poll, the 401 refresh and the error texts;
// then the assistant: one question to Gemini, its answer, the chat file, and
// the answer's timer call carried out by the island.
#include <winsock2.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app.h"
#include "fake_server.h"
#include "google_files.h"
#include "google_gemini.h"
#include "google_sha256.h"
#include "google_signin.h"
#include "google_worker.h"
#include "net_encode.h"
#include "sys_log.h"
#include "sys_os.h"
#include "test_support.h"

namespace {

using json = nlohmann::json;

const char* kScope =
    "openid https://www.googleapis.com/auth/tasks https://www.googleapis.com/auth/calendar.events "
    "https://www.googleapis.com/auth/gmail.modify";

nlohmann::json headers_of(std::initializer_list<std::pair<const char*, std::string>> list) {
    json out = json::array();
    for (auto& [n, v] : list) out.push_back(json::array({n, v}));
    return out;
}

std::string header_of(const json& record, const std::string& name) {
    for (auto& h : record["headers"])
        if (h[0] == name) return h[1];
    return "";
}

// A connection that says nothing, as a browser opens ahead of need.
struct SilentConnection {
    SOCKET s = INVALID_SOCKET;
    explicit SilentConnection(uint16_t port) {
        WSADATA d;
        WSAStartup(MAKEWORD(2, 2), &d);
        s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(port);
        if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) close();
    }
    void close() {
        if (s != INVALID_SOCKET) closesocket(s);
        s = INVALID_SOCKET;
    }
    ~SilentConnection() {
        close();
        WSACleanup();
    }
};

// Plays the system browser: reads the authorisation address the worker opens,
// then calls the loopback redirect with a code and the given state.
struct FakeBrowser {
    std::string opened;
    std::string redirect_uri, state, page;
    std::optional<std::string> query;  // what the browser sends after "/?"; {state} is replaced
    std::thread thread;
    bool second_request_failed = false;

    void open(const std::string& url) {
        opened = url;
        auto q = redirect_query("GET /?" + url.substr(url.find('?') + 1) + " HTTP/1.1");
        redirect_uri = q["redirect_uri"];
        state = q["state"];
        thread = std::thread([this] { visit(); });
    }
    void visit() {
        uint16_t port = static_cast<uint16_t>(std::stoi(redirect_uri.substr(redirect_uri.rfind(':') + 1)));
        SilentConnection held(port);    // stays open and silent through the real request
        { SilentConnection gone(port); }  // opens and closes without a word
        std::string target = query.value_or("code=c1&state={state}");
        size_t at = target.find("{state}");
        if (at != std::string::npos) target.replace(at, 7, percent_encode(state));
        Result<HttpResponse> r = http_request("GET", redirect_uri + "/?" + target, {}, std::nullopt, false);
        page = r ? r->body : "error: " + r.error().message;
        // The listener answers once and is gone.
        second_request_failed = !http_request("GET", redirect_uri + "/?" + target, {}, std::nullopt, false).ok();
    }
    void join() {
        if (thread.joinable()) thread.join();
    }
};

const char* kGenerate = "/gemini/v1beta/models/gemini-flash-lite-latest:generateContent";
const char* kModels =
    R"({"models":[{"name":"models/gemini-flash-latest","supportedGenerationMethods":["generateContent"]},)"
    R"({"name":"models/gemini-flash-lite-latest","supportedGenerationMethods":["generateContent","countTokens"]}]})";
const char* kReply =
    R"({"candidates":[{"content":{"role":"model","parts":[{"text":"**Tamam**, beş dakika kuruyorum."},)"
    R"({"functionCall":{"name":"timer_start","args":{"minutes":5}}}]}}]})";

class GoogleOnWine : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        json message = {{"snippet", "Toplant&#39;ı unutma"},
                        {"labelIds", {"INBOX", "UNREAD"}},
                        {"payload", {{"headers", {{{"name", "From"}, {"value", "\"Ali Veli\" <a@b.c>"}}, {{"name", "Subject"}, {"value", "Selam"}}}}}}};
        json routes = {
            {"/oauth/token", {{"body", json{{"access_token", "at1"}, {"refresh_token", "rt1"}, {"expires_in", 3600}, {"scope", kScope}}.dump()}}},
            {"/openid/v1/userinfo", {{"body", json{{"email", "ali@ornek.com"}, {"name", "Ali Veli"}}.dump()}}},
            {"/gmail/v1/users/me/labels/INBOX", {{"body", R"({"messagesUnread":2})"}}},
            {"/gmail/v1/users/me/messages?q=in%3Ainbox&maxResults=6", {{"body", R"({"messages":[{"id":"m1"}]})"}}},
            {"/gmail/v1/users/me/messages/m1", {{"body", message.dump()}}},
            {"/calendar/v3/calendars/primary/events",
             {{"body", R"({"items":[{"id":"e1","summary":"Ders","start":{"dateTime":"2031-01-02T10:00:00+03:00"}}]})"}}},
            {"/tasks/v1/lists/@default/tasks", {{"body", R"({"items":[{"id":"t1","title":"Süt al"}]})"}}},
            {"/gmail/v1/users/me/labels/STALE", {{"status", 401}, {"body", R"({"error":{"message":"stale"}})"}}},
            {"/tasks/v1/missing", {{"status", 404}, {"headers", headers_of({{"Content-Type", "application/json"}})},
                                   {"body", R"({"error":{"message":"x"}})"}}},
            {"/gemini/v1beta/models", {{"body", kModels}}},
            {kGenerate, {{"body", kReply}}},
        };
        server_ = new FakeServer(routes, 240);
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(server_->running()) << server_->error();
        test_set_env("USERPROFILE", profile);
        ctx.config.net.urls = google_endpoints_at(server_->base_url());
        ctx.config.notify = [this] { ++notified; };
        ctx.config.open_browser = [this](const std::string& url) { browser.open(url); };
        ctx.state = Shared<GoogleState>();
    }
    void TearDown() override {
        browser.join();
        test_unset_env("USERPROFILE");
    }

    void put_client_file() {
        std::string downloads = path_join(profile, "Downloads");
        ASSERT_TRUE(create_dirs(downloads));
        json doc = {{"installed", {{"client_id", "cid"}, {"client_secret", "sec"}, {"project_id", "proj"}}}};
        ASSERT_TRUE(write_file_atomic(path_join(downloads, "client_secret_test.json"), doc.dump()).ok());
    }
    GoogleState state() { return *ctx.state.snapshot(); }
    // A stored account as a previous run left it: client (with its project), tokens, chat.
    void put_account(const std::string& project, const std::vector<ChatLine>& chat) {
        ASSERT_TRUE(save_protected_json(kGoogleClientFile, client_to_stored({"cid", "sec", project})).ok());
        json tokens = {{"refresh", "rt1"}, {"email", "ali@ornek.com"}, {"name", "Ali Veli"}, {"scope", kScope}};
        ASSERT_TRUE(save_protected_json(kGoogleTokensFile, tokens).ok());
        ASSERT_TRUE(save_protected_json(kGeminiChatFile, history_to_file(chat, kChatFileKeep)).ok());
    }

    static FakeServer* server_;
    ScopedDataDir data;
    std::string profile = test_temp_dir("-profil");
    GoogleWorkerContext ctx;
    FakeBrowser browser;
    int notified = 0;
};
FakeServer* GoogleOnWine::server_ = nullptr;

TEST_F(GoogleOnWine, WholeSignInThenOnePoll) {
    put_client_file();
    size_t token_posts = server_->records_for("/oauth/token").size();
    google_sign_in(ctx);
    browser.join();

    // The address the browser was given.
    std::string base = server_->base_url();
    EXPECT_EQ(browser.opened.rfind(base + "/auth/o/oauth2/v2/auth?client_id=cid&redirect_uri=http%3A%2F%2F127.0.0.1%3A", 0), 0u)
        << browser.opened;
    EXPECT_EQ(browser.state.size(), 22u);
    EXPECT_NE(browser.page.find("<h2>Vemo Ada Google'a bağlandı ✓</h2>"), std::string::npos) << browser.page;
    EXPECT_NE(browser.page.find("Bu sekmeyi kapatabilirsin."), std::string::npos);
    EXPECT_TRUE(browser.second_request_failed) << "no listener after the first answer";

    GoogleState s = state();
    EXPECT_TRUE(s.signed_in);
    EXPECT_EQ(s.status, "bağlı");
    EXPECT_EQ(s.email, "ali@ornek.com");
    EXPECT_EQ(s.name, "Ali Veli");
    EXPECT_FALSE(s.needs_consent);
    ASSERT_EQ(s.outbox.size(), 1u);
    EXPECT_EQ(std::get<gupdate::Connected>(s.outbox[0]).label, "Ali Veli");

    // The code exchange carries the verifier whose hash the address carried.
    auto posts = server_->records_for("/oauth/token");
    ASSERT_EQ(posts.size(), token_posts + 1);
    auto form = redirect_query("POST /?" + posts.back()["body"].get<std::string>() + " HTTP/1.1");
    EXPECT_EQ(form["code"], "c1");
    EXPECT_EQ(form["client_id"], "cid");
    EXPECT_EQ(form["client_secret"], "sec");
    EXPECT_EQ(form["grant_type"], "authorization_code");
    EXPECT_EQ(form["redirect_uri"], browser.redirect_uri);
    ASSERT_EQ(form["code_verifier"].size(), 64u);
    auto digest = sha256(form["code_verifier"]);
    auto auth = redirect_query("GET /?" + browser.opened.substr(browser.opened.find('?') + 1) + " HTTP/1.1");
    EXPECT_EQ(auth["code_challenge"], base64url_encode(std::string_view(reinterpret_cast<const char*>(digest.data()), 32)));
    EXPECT_EQ(header_of(posts.back(), "Content-Type"), "application/x-www-form-urlencoded");

    auto user = server_->records_for("/openid/v1/userinfo");
    ASSERT_FALSE(user.empty());
    EXPECT_EQ(header_of(user.back(), "Authorization"), "Bearer at1");

    // Tokens are sealed: the file does not show the refresh token, the reader does.
    std::optional<std::string> raw = read_file(data_file(kGoogleTokensFile));
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->find("rt1"), std::string::npos);
    auto tokens = load_protected_json(kGoogleTokensFile);
    ASSERT_TRUE(tokens);
    EXPECT_EQ((*tokens)["refresh"], "rt1");
    EXPECT_EQ((*tokens)["email"], "ali@ornek.com");
    EXPECT_EQ((*tokens)["scope"], kScope);
    ASSERT_TRUE(load_protected_json(kGoogleClientFile)) << "the client file was imported";

    // The sign-in set the clocks back: the next step polls everything.
    google_periodic_step(ctx);
    s = state();
    EXPECT_EQ(s.unread, 2u);
    ASSERT_EQ(s.mails.size(), 1u);
    EXPECT_EQ(s.mails[0].from, "Ali Veli");
    EXPECT_EQ(s.mails[0].snippet, "Toplant'ı unutma");
    ASSERT_EQ(s.events.size(), 1u);
    EXPECT_EQ(s.events[0].start, 1925103600);  // 2031-01-02 07:00 UTC
    ASSERT_EQ(s.tasks.size(), 1u);
    EXPECT_EQ(s.tasks[0].title, "Süt al");
    EXPECT_EQ(s.outbox.size(), 1u) << "the first poll announces no mail";
    EXPECT_GT(notified, 3);
}

TEST_F(GoogleOnWine, RefusedOrForgedRedirectsFailTheSignIn) {
    put_client_file();
    struct Case {
        std::string query, title, body;
    } cases[] = {
        {"error=access_denied&state={state}", "Bağlanmadı", "İzin verilmedi, bu sekmeyi kapatabilirsin."},
        {"code=c1&state=wrong", "Geçersiz istek", "Vemo Ada içinden tekrar dene."},
        {"code=c1", "Geçersiz istek", "Vemo Ada içinden tekrar dene."},
        {"state={state}", "Geçersiz istek", "Vemo Ada içinden tekrar dene."},
    };
    for (auto& c : cases) {
        ctx.state.with([](GoogleState& s) { s.outbox.clear(); });
        browser.join();
        browser = FakeBrowser();
        browser.query = c.query;
        size_t token_posts = server_->records_for("/oauth/token").size();
        google_sign_in(ctx);
        browser.join();
        EXPECT_NE(browser.page.find("<h2>" + c.title + "</h2>"), std::string::npos) << c.query << ": " << browser.page;
        EXPECT_NE(browser.page.find(c.body), std::string::npos) << c.query;
        GoogleState s = state();
        EXPECT_FALSE(s.signed_in);
        EXPECT_EQ(s.status.rfind("giriş başarısız: ", 0), 0u) << s.status;
        ASSERT_EQ(s.outbox.size(), 1u);
        EXPECT_EQ(std::get<gupdate::Error>(s.outbox[0]).text.rfind("Google girişi: ", 0), 0u);
        EXPECT_EQ(server_->records_for("/oauth/token").size(), token_posts) << "no exchange";
        EXPECT_FALSE(ctx.session);
    }
}

TEST_F(GoogleOnWine, SignInWithoutAClientFile) {
    google_sign_in(ctx);
    EXPECT_EQ(state().status, "istemci dosyası yok");
    ASSERT_EQ(state().outbox.size(), 1u);
    EXPECT_EQ(std::get<gupdate::Error>(state().outbox[0]).text,
              "Google istemci dosyası (client_secret…json) İndirilenler'de yok");
    EXPECT_TRUE(browser.opened.empty());
}

TEST_F(GoogleOnWine, A401RefreshesOnceAndRetriesOnceAndErrorsCarryTheMessage) {
    GoogleSession s;
    s.client_id = "cid";
    s.client_secret = "sec";
    s.access_token = "at0";
    s.refresh_token = "rt1";
    s.expiry = monotonic_seconds() + 3000;
    std::string stale = ctx.config.net.urls.gmail + "/users/me/labels/STALE";
    size_t gets = server_->records_for("/gmail/v1/users/me/labels/STALE").size();
    size_t posts = server_->records_for("/oauth/token").size();
    Result<json> r = api_request(ctx.config.net, s, "GET", stale);
    EXPECT_EQ(r.ok() ? "" : r.error().message, "401 stale");
    auto calls = server_->records_for("/gmail/v1/users/me/labels/STALE");
    ASSERT_EQ(calls.size(), gets + 2) << "one retry";
    EXPECT_EQ(header_of(calls[gets], "Authorization"), "Bearer at0");
    EXPECT_EQ(header_of(calls[gets + 1], "Authorization"), "Bearer at1");
    auto refresh = server_->records_for("/oauth/token");
    ASSERT_EQ(refresh.size(), posts + 1) << "one refresh";
    EXPECT_EQ(refresh.back()["body"], "client_id=cid&client_secret=sec&refresh_token=rt1&grant_type=refresh_token");

    r = api_request(ctx.config.net, s, "GET", ctx.config.net.urls.tasks + "/missing");
    EXPECT_EQ(r.ok() ? "" : r.error().message, "404 x");
    auto missing = server_->records_for("/tasks/v1/missing");
    ASSERT_FALSE(missing.empty());
    EXPECT_EQ(header_of(missing.back(), "Accept"), "application/json");
}

// ---- The assistant ------------------------------------------------------------------------

TEST_F(GoogleOnWine, AQuestionGoesToGeminiOnceAndTheChatSurvivesARestart) {
    std::vector<ChatLine> earlier;
    for (int i = 0; i < 12; ++i) earlier.push_back(ChatLine{"önceki " + std::to_string(i), i % 2 == 0});
    put_account("proj", earlier);
    google_start_up(ctx);
    ASSERT_TRUE(ctx.session);
    ASSERT_EQ(state().chat.size(), 12u) << "the chat file was read at start-up";

    size_t asked = server_->records_for(kGenerate).size();
    google_run_command(ctx, gcmd::Ask{"beş dakika kur"});
    auto posts = server_->records_for(kGenerate);
    ASSERT_EQ(posts.size(), asked + 1) << "one generateContent request";
    EXPECT_EQ(posts.back()["method"], "POST");
    EXPECT_EQ(header_of(posts.back(), "x-goog-user-project"), "proj");
    EXPECT_EQ(header_of(posts.back(), "Authorization"), "Bearer at1");
    EXPECT_EQ(header_of(posts.back(), "Content-Type"), "application/json; charset=utf-8");
    json body = json::parse(posts.back()["body"].get<std::string>());
    EXPECT_EQ(body.size(), 4u);
    const json& contents = body["contents"];
    ASSERT_EQ(contents.size(), 10u) << "the newest ten lines, the question being the last";
    EXPECT_EQ(contents[0].dump(), R"({"parts":[{"text":"önceki 3"}],"role":"model"})");
    EXPECT_EQ(contents[8].dump(), R"({"parts":[{"text":"önceki 11"}],"role":"model"})");
    EXPECT_EQ(contents[9].dump(), R"({"parts":[{"text":"beş dakika kur"}],"role":"user"})");
    std::string system = body["systemInstruction"]["parts"][0]["text"];
    EXPECT_EQ(system.rfind(kGeminiPersona, 0), 0u);
    EXPECT_NE(system.find(" Kullanıcının adı: Ali Veli."), std::string::npos);
    EXPECT_EQ(body["generationConfig"].dump(), R"({"maxOutputTokens":800,"temperature":0.7})");
    EXPECT_EQ(body["tools"], build_gemini_tools());
    // The raw text lists the keys in byte order.
    EXPECT_EQ(posts.back()["body"].get<std::string>().rfind(R"({"contents":[{"parts":[{"text":"önceki 3"}],"role":"model"})", 0), 0u);

    GoogleState s = state();
    ASSERT_EQ(s.outbox.size(), 1u);
    const auto& answer = std::get<gupdate::Answer>(s.outbox[0]);
    EXPECT_EQ(answer.text, "Tamam, beş dakika kuruyorum.");
    ASSERT_EQ(answer.calls.size(), 1u);
    EXPECT_EQ(answer.calls[0].name, "timer_start");
    EXPECT_EQ(s.model, "gemini-flash-lite-latest");
    ASSERT_EQ(s.chat.size(), 14u);

    // Without a project the header is not sent.
    ctx.session->project.clear();
    google_run_command(ctx, gcmd::Ask{"bir daha"});
    posts = server_->records_for(kGenerate);
    ASSERT_EQ(posts.size(), asked + 2);
    EXPECT_EQ(header_of(posts.back(), "x-goog-user-project"), "");
    for (auto& h : posts.back()["headers"]) EXPECT_NE(h[0], "x-goog-user-project");

    // A new run reads the conversation back from gemini-chat.bin.
    std::vector<ChatLine> before = state().chat;
    ASSERT_EQ(before.size(), 16u);
    GoogleWorkerContext again;
    again.config.net.urls = google_endpoints_at(server_->base_url());
    again.state = Shared<GoogleState>();
    google_start_up(again);
    std::vector<ChatLine> after = again.state.snapshot()->chat;
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].text, before[i].text) << i;
        EXPECT_EQ(after[i].user, before[i].user) << i;
    }
    EXPECT_EQ(after.back().text, "Tamam, beş dakika kuruyorum.");
    std::optional<std::string> raw = read_file(data_file(kGeminiChatFile));
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->find("kuruyorum"), std::string::npos) << "the chat file is sealed";
}

// The whole road of a question: the island sends it, the worker asks Gemini,
// the answer's timer_start call runs on the island and starts its countdown.
TEST_F(GoogleOnWine, AnAnswerWithATimerStartsTheCountdownInTheApp) {
    ComInit com;
    put_account("", {});
    AppInit init;
    init.quiet = true;
    App app(std::move(init));
    app.now = 100;
    auto [tx, rx] = channel<GoogleCommand>();
    app.google.tx = tx;
    app.google.shared = ctx.state;
    google_start_up(ctx);
    ASSERT_TRUE(ctx.session);
    app.on_google_update();
    ASSERT_FALSE(app.timers.countdown.running);

    size_t asked = server_->records_for(kGenerate).size();
    app.send_google_command(gcmd::Ask{"beş dakika kur"});
    std::optional<GoogleCommand> command = rx.try_recv();
    ASSERT_TRUE(command);
    google_run_command(ctx, std::move(*command));
    auto posts = server_->records_for(kGenerate);
    ASSERT_EQ(posts.size(), asked + 1);
    EXPECT_TRUE(posts.back()["headers"].dump().find("x-goog-user-project") == std::string::npos) << "no project";
    std::string system = json::parse(posts.back()["body"].get<std::string>())["systemInstruction"]["parts"][0]["text"];
    EXPECT_NE(system.find(" Ses düzeyi %"), std::string::npos) << "the island's context rides along";

    app.on_google_update();
    EXPECT_TRUE(app.timers.countdown.running);
    EXPECT_DOUBLE_EQ(app.timers.countdown.length, 300);
    EXPECT_DOUBLE_EQ(app.timers.countdown.remaining, 300);
    EXPECT_DOUBLE_EQ(app.timers.countdown.end, 400);
    ASSERT_FALSE(app.google.snap.chat.empty());
    EXPECT_EQ(app.google.snap.chat.back().text, "Tamam, beş dakika kuruyorum.");
    EXPECT_FALSE(app.google.snap.gemini_busy);
}

}  // namespace
