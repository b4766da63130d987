// Self-update: version reading, the channel's answers, the check's failures,
// the swap with its roll-back and the update thread's wake-ups.
#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <map>
#include <thread>

#include <nlohmann/json.hpp>

#include "google_sha256.h"
#include "sys_os.h"
#include "test_support.h"
#include "update.h"

namespace {

using V = std::vector<uint64_t>;

TEST(UpdateVersion, ParseVersionReadsUpToThreeNumbers) {
    struct Case {
        const char* text;
        V want;
    } cases[] = {
        {"v2.5.0", {2, 5, 0}},     {"V2.5.0", {2, 5, 0}},       {"vv2.5.0", {2, 5, 0}},
        {"  v2.5.0 \n", {2, 5, 0}}, {"2.4.0.9", {2, 4, 0}},      {"2.4.0-rc1", {2, 4, 0}},
        {"2.4.1-beta", {2, 4, 1}}, {"2.4.x", {2, 4, 0}},        {"2.4", {2, 4}},
        {"1+7", {1, 7}},           {"", {0}},                   {"2.-1.3", {2, 0, 1}},  // "2", "", "1"
        {"2.99999999999999999999.1", {2, 0, 1}},  // beyond 64 bits
    };
    for (const Case& c : cases) EXPECT_EQ(parse_version(c.text), c.want) << c.text;
}

TEST(UpdateVersion, OnlyANewerChannelVersionCounts) {
    struct Case {
        const char* remote;
        const char* current;
        bool newer;
    } cases[] = {
        {"v2.5.0", "2.4.0", true},  {"2.4.0.9", "2.4.0", false}, {"2.4.0-rc1", "2.4.0", false},
        {"2.4", "2.4.0", false},    {"2.4.1-beta", "2.4.0", true}, {"2.4.x", "2.4.0", false},
        {"2.4.0", "1.0", true},     {"2.3.9", "2.4.0", false},    {"10.0.0", "9.9.9", true},
    };
    for (const Case& c : cases) EXPECT_EQ(version_newer(c.remote, c.current), c.newer) << c.remote << " vs " << c.current;
}

// The channel compares three numbers: the built-in version is exactly that,
// so no part of it is dropped or misread.
TEST(UpdateVersion, TheBuiltInVersionIsThreeNumbers) {
    const V parts = parse_version(kAppVersion);
    ASSERT_EQ(parts.size(), 3u) << kAppVersion;
    EXPECT_EQ(std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." + std::to_string(parts[2]), kAppVersion);
    EXPECT_FALSE(version_newer(kAppVersion, kAppVersion));
}

TEST(UpdateVersion, FakeVersionIsUsedUntrimmedExceptAfterAnUpdate) {
    EXPECT_EQ(running_version(false, std::nullopt), kAppVersion);
    EXPECT_EQ(running_version(false, std::string(" 1.0")), " 1.0");
    EXPECT_EQ(running_version(true, std::string("1.0")), kAppVersion);
}

TEST(UpdateChannel, OnlyALoopbackBaseReplacesTheApiHost) {
    EXPECT_EQ(update_api_base(std::nullopt), kUpdateApiBase);
    EXPECT_EQ(update_api_base(std::string("http://127.0.0.1:8123")), "http://127.0.0.1:8123");
    for (const char* bad : {"https://example.com", "http://127.0.0.1.evil.com", "http://127.0.0.1:80/x", "http://127.0.0.1:80@other.host",
                            "http://127.0.0.1:", ""})
        EXPECT_EQ(update_api_base(std::string(bad)), kUpdateApiBase) << bad;
}

// ---- A scripted HTTP client ---------------------------------------------------------------

struct FakeHttp {
    std::vector<HttpRequest> sent;
    std::map<std::string, Result<HttpResponse>> by_url;  // answers by exact URL; else 404

    HttpSendFn fn() {
        return [this](const HttpRequest& r) -> Result<HttpResponse> {
            sent.push_back(r);
            auto it = by_url.find(r.url);
            if (it != by_url.end()) return it->second;
            HttpResponse nf;
            nf.status = 404;
            return nf;
        };
    }
    void answer(const std::string& url, uint32_t status, std::string body = "",
                std::optional<std::string> location = std::nullopt) {
        HttpResponse r;
        r.status = status;
        r.body = std::move(body);
        r.location = std::move(location);
        by_url.insert_or_assign(url, Result<HttpResponse>(r));
    }
};

const std::string kBase = "http://127.0.0.1:1";
std::string url_of(const std::string& path) { return channel_file_url(kBase, path); }

TEST(UpdateChannel, RequestCarriesTheChannelHeadersInOrderAndTheTokenOnlyWhenSet) {
    EXPECT_EQ(url_of("latest.json"), kBase + "/repos/" + kUpdateRepoOwner + "/vemo-island/contents/latest.json?ref=updates");
    FakeHttp http;
    http.answer(url_of("latest.json"), 200, "{}");
    for (std::optional<std::string> token : {std::optional<std::string>(), std::optional<std::string>("abc")}) {
        http.sent.clear();
        ASSERT_TRUE(fetch_channel_file(http.fn(), kBase, "latest.json", token).ok());
        ASSERT_EQ(http.sent.size(), 1u);
        const HttpRequest& r = http.sent[0];
        EXPECT_EQ(r.method, "GET");
        EXPECT_FALSE(r.follow_redirects);
        EXPECT_FALSE(r.body.has_value());
        ASSERT_EQ(r.headers.size(), token ? 3u : 2u);
        EXPECT_EQ(r.headers[0].name, "Accept");
        EXPECT_EQ(r.headers[0].value, "application/vnd.github.raw");
        EXPECT_EQ(r.headers[1].name, "X-GitHub-Api-Version");
        EXPECT_EQ(r.headers[1].value, "2022-11-28");
        if (token) {
            EXPECT_EQ(r.headers[2].name, "Authorization");
            EXPECT_EQ(r.headers[2].value, "Bearer abc");
        }
    }
}

TEST(UpdateChannel, StatusMapping) {
    const std::string moved = "http://127.0.0.1:1/download/VemoIsland.exe";
    struct Case {
        uint32_t status;
        bool location;
        bool token;
        uint32_t second_status;  // the redirect target's answer
        std::string want;        // the body, or the error text after "!"
    } cases[] = {
        {200, false, false, 0, "body"},
        {301, true, false, 200, "moved body"}, {302, true, true, 200, "moved body"}, {303, true, false, 200, "moved body"},
        {307, true, false, 200, "moved body"}, {308, true, false, 200, "moved body"},
        {302, true, false, 500, "!indirme hatası 500"},
        {301, false, false, 0, "!yönlendirme yok"}, {302, false, false, 0, "!yönlendirme yok"},
        {303, false, false, 0, "!yönlendirme yok"}, {307, false, false, 0, "!yönlendirme yok"},
        {308, false, false, 0, "!yönlendirme yok"},
        {300, true, false, 200, "!GitHub 300"}, {304, false, false, 0, "!GitHub 304"}, {305, true, false, 200, "!GitHub 305"},
        {306, false, false, 0, "!GitHub 306"}, {399, true, false, 200, "!GitHub 399"},
        {401, false, true, 0, "!token geçersiz"}, {403, false, true, 0, "!erişim yok (token izni?)"},
        {404, false, false, 0, "!token yok (github.txt)"}, {404, false, true, 0, "!güncelleme kanalı yok"},
        {500, false, false, 0, "!GitHub 500"}, {0, false, false, 0, "!GitHub 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.status) + (c.location ? " with Location" : "") + (c.token ? " with token" : ""));
        FakeHttp http;
        http.answer(url_of("VemoIsland.exe"), c.status, "body", c.location ? std::optional<std::string>(moved) : std::nullopt);
        http.answer(moved, c.second_status, "moved body");
        std::optional<std::string> token = c.token ? std::optional<std::string>("t") : std::nullopt;
        Result<std::string> r = fetch_channel_file(http.fn(), kBase, "VemoIsland.exe", token);
        if (c.want.starts_with("!")) {
            ASSERT_FALSE(r.ok());
            EXPECT_EQ(r.error().message, c.want.substr(1));
        } else {
            ASSERT_TRUE(r.ok()) << r.error().message;
            EXPECT_EQ(*r, c.want);
        }
        if (c.second_status != 0 && c.want != "!GitHub " + std::to_string(c.status)) {
            // The redirect is followed once, without the channel's headers.
            ASSERT_EQ(http.sent.size(), 2u);
            EXPECT_EQ(http.sent[1].url, moved);
            EXPECT_TRUE(http.sent[1].headers.empty());
            EXPECT_TRUE(http.sent[1].follow_redirects);
        } else {
            EXPECT_EQ(http.sent.size(), 1u);
        }
    }
}

TEST(UpdateChannel, ClientErrorsPassThroughUnchanged) {
    HttpSendFn broken = [](const HttpRequest&) -> Result<HttpResponse> { return make_error("bağlantı yok (12029)"); };
    Result<std::string> r = fetch_channel_file(broken, kBase, "latest.json", std::nullopt);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().message, "bağlantı yok (12029)");
}

TEST(UpdateChannel, TokenFromTheEnvironmentElseFromGithubTxt) {
    ScopedDataDir data;
    test_unset_env(kGithubTokenVariable);
    EXPECT_FALSE(read_update_token().has_value());
    ASSERT_TRUE(write_file_atomic(path_join(data.dir, "github.txt"), "  dosya-token \r\n").ok());
    EXPECT_EQ(read_update_token(), "dosya-token");
    test_set_env(kGithubTokenVariable, " \t ");  // blank: the file still counts
    EXPECT_EQ(read_update_token(), "dosya-token");
    test_set_env(kGithubTokenVariable, " ortam-token\n");
    EXPECT_EQ(read_update_token(), "ortam-token");
    test_unset_env(kGithubTokenVariable);
    ASSERT_TRUE(write_file_atomic(path_join(data.dir, "github.txt"), "\n \n").ok());
    EXPECT_FALSE(read_update_token().has_value());
}

// ---- One check ----------------------------------------------------------------------------

// A valid-looking executable: "MZ" and enough bytes.
std::string fake_exe(char fill, size_t size = kMinExeBytes) {
    std::string s(size, fill);
    s[0] = 'M';
    s[1] = 'Z';
    return s;
}

std::string digest_of(const std::string& bytes) {
    auto d = sha256(bytes);
    return to_hex_lower(std::string_view(reinterpret_cast<const char*>(d.data()), d.size()));
}

// A check against the scripted channel, swapping files in a private folder.
class UpdateCheck : public ::testing::Test {
protected:
    void SetUp() override {
        dir = test_temp_dir("-update");
        exe = path_join(dir, "VemoIsland.exe");
        ASSERT_TRUE(write_file_atomic(exe, old_bytes).ok());
        setup.api_base = kBase;
        setup.current_version = "2.4.0";
        setup.http = http.fn();
        setup.files = system_swap_files();
        setup.files.exe_path = [this]() -> Result<std::string> { return exe; };
    }

    void channel(const std::string& latest_json, const std::string& exe_bytes) {
        http.answer(url_of("latest.json"), 200, latest_json);
        http.answer(url_of("VemoIsland.exe"), 200, exe_bytes);
    }
    static std::string latest(const std::string& version, const std::string& sha, const std::string& notes = "") {
        nlohmann::json j = {{"version", version}, {"sha256", sha}};
        if (!notes.empty()) j["notes"] = notes;
        return j.dump();
    }
    std::string failure(const UpdateOutcome& o) {
        auto* f = std::get_if<update_outcome::Failed>(&o);
        return f ? f->message : "(no failure)";
    }
    bool downloaded() const {
        for (auto& r : http.sent)
            if (r.url == url_of("VemoIsland.exe")) return true;
        return false;
    }

    std::string dir, exe;
    std::string old_bytes = fake_exe('o');
    std::string new_bytes = fake_exe('n', kMinExeBytes + 17);
    FakeHttp http;
    UpdateCheckSetup setup;
};

TEST_F(UpdateCheck, FailuresStopTheCheckAndLeaveTheExecutableAlone) {
    const std::string good = digest_of(new_bytes);
    struct Case {
        const char* name;
        std::string latest_json;
        std::string exe_bytes;
        std::string want;
    } cases[] = {
        {"not JSON", "{\"version\": ", new_bytes, "latest.json okunamadı"},
        {"sha256 missing", "{\"version\":\"2.5.0\"}", new_bytes, "latest.json: sha256 yok"},
        {"sha256 of 63", latest("2.5.0", good.substr(1)), new_bytes, "latest.json: sha256 yok"},
        {"sha256 of 65", latest("2.5.0", good + "0"), new_bytes, "latest.json: sha256 yok"},
        {"sha256 a number", "{\"version\":\"2.5.0\",\"sha256\":7}", new_bytes, "latest.json: sha256 yok"},
        {"short download", latest("2.5.0", digest_of(fake_exe('n', kMinExeBytes - 1))), fake_exe('n', kMinExeBytes - 1),
         "indirilen dosya bozuk"},
        {"no MZ", latest("2.5.0", digest_of("ZM" + new_bytes.substr(2))), "ZM" + new_bytes.substr(2), "indirilen dosya bozuk"},
        {"wrong digest", latest("2.5.0", digest_of(old_bytes)), new_bytes, "SHA-256 doğrulaması başarısız"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        channel(c.latest_json, c.exe_bytes);
        EXPECT_EQ(failure(check_and_install(setup)), c.want);
        EXPECT_EQ(read_file(exe), old_bytes);
        EXPECT_FALSE(file_exists(path_join(dir, kNewExeName)));
        EXPECT_FALSE(file_exists(path_join(dir, kOldExeName)));
    }
}

TEST_F(UpdateCheck, NoNewerVersionIsUpToDateWithoutReadingTheDigestOrDownloading) {
    for (const char* doc : {"{}", "{\"version\":2.5}", "{\"version\":\"\"}", "[1,2]", "{\"version\":\"v2.4.0\"}",
                            "{\"version\":\"2.4.0-rc1\"}", "{\"version\":\"2.3.99\"}"}) {
        SCOPED_TRACE(doc);
        http.sent.clear();
        channel(doc, new_bytes);
        EXPECT_TRUE(std::holds_alternative<update_outcome::UpToDate>(check_and_install(setup)));
        EXPECT_FALSE(downloaded());
    }
}

TEST_F(UpdateCheck, ChannelErrorsEndTheCheck) {
    // Nothing answers: a 404 without a token.
    EXPECT_EQ(failure(check_and_install(setup)), "token yok (github.txt)");
    setup.token = "t";
    EXPECT_EQ(failure(check_and_install(setup)), "güncelleme kanalı yok");
    http.answer(url_of("latest.json"), 200, latest("2.5.0", digest_of(new_bytes)));
    http.answer(url_of("VemoIsland.exe"), 403);
    EXPECT_EQ(failure(check_and_install(setup)), "erişim yok (token izni?)");
    EXPECT_EQ(read_file(exe), old_bytes);
}

TEST_F(UpdateCheck, InstallsAVerifiedDownloadWithAnUpperCaseDigest) {
    std::string upper = digest_of(new_bytes);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    channel(latest("vV2.5.0", upper, "Yeni sayfa\r\nikinci satır"), new_bytes);
    ASSERT_TRUE(write_file_atomic(path_join(dir, kOldExeName), "left over").ok());

    UpdateOutcome o = check_and_install(setup);
    auto* installed = std::get_if<update_outcome::Installed>(&o);
    ASSERT_NE(installed, nullptr) << failure(o);
    EXPECT_EQ(installed->version, "2.5.0");
    EXPECT_EQ(installed->notes, "Yeni sayfa");
    EXPECT_EQ(read_file(exe), new_bytes);
    EXPECT_EQ(read_file(path_join(dir, kOldExeName)), old_bytes);
    EXPECT_FALSE(file_exists(path_join(dir, kNewExeName)));
    // The channel file has the ordinary deadline, the download the long one.
    ASSERT_EQ(http.sent.size(), 2u);
    EXPECT_EQ(http.sent[0].deadline_ms, kHttpDeadlineMs);
    EXPECT_EQ(http.sent[1].url, url_of("VemoIsland.exe"));
    EXPECT_EQ(http.sent[1].deadline_ms, kHttpDownloadDeadlineMs);
}

TEST_F(UpdateCheck, AFailedFinalRenamePutsThePreviousExecutableBack) {
    channel(latest("2.5.0", digest_of(new_bytes)), new_bytes);
    SwapFiles real = setup.files;
    int renames = 0;
    setup.files.rename = [&](const std::string& from, const std::string& to) -> Status {
        if (++renames == 2) return make_error("erişim engellendi");
        return real.rename(from, to);
    };
    EXPECT_EQ(failure(check_and_install(setup)), "değiştirilemedi: erişim engellendi");
    EXPECT_EQ(renames, 3);  // out, (failed) in, back
    EXPECT_EQ(read_file(exe), old_bytes);
    EXPECT_EQ(read_file(path_join(dir, kNewExeName)), new_bytes);
    EXPECT_FALSE(file_exists(path_join(dir, kOldExeName)));
}

TEST_F(UpdateCheck, SwapFailuresNameTheirStep) {
    channel(latest("2.5.0", digest_of(new_bytes)), new_bytes);
    SwapFiles real = setup.files;

    setup.files.exe_path = []() -> Result<std::string> { return std::string("VemoIsland.exe"); };
    EXPECT_EQ(failure(check_and_install(setup)), "klasör yok");

    setup.files = real;
    setup.files.write = [](const std::string&, std::string_view) -> Status { return make_error("disk dolu"); };
    EXPECT_EQ(failure(check_and_install(setup)), "yazılamadı: disk dolu");

    setup.files = real;
    setup.files.rename = [](const std::string&, const std::string&) -> Status { return make_error("kullanımda"); };
    EXPECT_EQ(failure(check_and_install(setup)), "değiştirilemedi: kullanımda");
    EXPECT_EQ(read_file(exe), old_bytes);
    EXPECT_EQ(read_file(path_join(dir, kNewExeName)), new_bytes);  // left behind after the first rename fails
}

TEST(UpdateNow, OutcomeTextsAndExitCodes) {
    UpdateOutcome up = update_outcome::UpToDate{};
    UpdateOutcome in = update_outcome::Installed{"2.5.0", ""};
    UpdateOutcome bad = update_outcome::Failed{"indirilen dosya bozuk"};
    EXPECT_EQ(update_now_text(up), "up to date");
    EXPECT_EQ(update_now_text(in), "installed v2.5.0");
    EXPECT_EQ(update_now_text(bad), "error indirilen dosya bozuk");
    EXPECT_EQ(update_now_exit_code(up), 3);
    EXPECT_EQ(update_now_exit_code(in), 0);
    EXPECT_EQ(update_now_exit_code(bad), 1);
}

// ---- The update thread --------------------------------------------------------------------

// Runs update_thread on a std::thread with short waits and a scripted check.
class UpdateThread : public ::testing::Test {
protected:
    void start(std::chrono::milliseconds first_wait, std::vector<UpdateOutcome> outcomes) {
        script = std::move(outcomes);
        UpdateThreadConfig c;
        c.first_wait = first_wait;
        c.period = std::chrono::hours(1);
        c.check = [this]() -> UpdateOutcome {
            if (auto s = state.snapshot()) seen_during_check.push_back(*s);
            size_t i = checks++;
            return i < script.size() ? script[i] : UpdateOutcome(update_outcome::UpToDate{});
        };
        c.notify = [this] { ++notifies; };
        c.cleanup = [flag = cleaned] { *flag = true; };
        auto [t, r] = channel<UpdateRequest>();
        tx = t;
        worker = std::thread([c, r = std::make_shared<Receiver<UpdateRequest>>(std::move(r)), s = state]() mutable {
            update_thread(c, std::move(*r), s);
        });
    }
    // Waits until n checks ran and their outcomes are published.
    void wait_for_notifies(int n) {
        for (int i = 0; i < 500 && notifies.load() < n; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_EQ(notifies.load(), n);
    }
    void TearDown() override {
        tx = Sender<UpdateRequest>();  // the last sender goes: the thread ends
        if (worker.joinable()) worker.join();
    }

    ScopedDataDir data;  // the thread writes log lines
    Shared<UpdateState> state{UpdateState{}};
    Sender<UpdateRequest> tx;
    std::thread worker;
    std::vector<UpdateOutcome> script;
    std::vector<UpdateState> seen_during_check;
    std::atomic<int> checks{0}, notifies{0};
    // Set by the detached clean-up thread, which may outlive the fixture.
    std::shared_ptr<std::atomic<bool>> cleaned = std::make_shared<std::atomic<bool>>(false);
};

TEST_F(UpdateThread, FirstCheckAfterTheFirstWaitThenOnRequest) {
    EXPECT_EQ(state.snapshot()->status, "bekliyor");
    start(std::chrono::milliseconds(50), {update_outcome::UpToDate{}, update_outcome::Failed{"token geçersiz"}});
    wait_for_notifies(2);
    EXPECT_TRUE(cleaned->load());
    ASSERT_EQ(seen_during_check.size(), 1u);
    EXPECT_TRUE(seen_during_check[0].checking);
    EXPECT_EQ(seen_during_check[0].status, "denetleniyor…");
    EXPECT_EQ(state.snapshot()->status, "güncel");
    EXPECT_FALSE(state.snapshot()->checking);

    ASSERT_TRUE(tx.send(UpdateRequest{}));  // long before the next period
    wait_for_notifies(4);
    EXPECT_EQ(state.snapshot()->status, "hata: token geçersiz");
    std::string log = read_file(path_join(data.dir, "log.txt")).value_or("");
    EXPECT_NE(log.find("update: guncel\n"), std::string::npos) << log;
    EXPECT_NE(log.find("update: hata token geçersiz\n"), std::string::npos) << log;
}

TEST_F(UpdateThread, AnInstalledVersionStopsFurtherChecks) {
    start(std::chrono::hours(1), {update_outcome::Installed{"2.5.0", "Yenilikler"}});
    ASSERT_TRUE(tx.send(UpdateRequest{}));
    wait_for_notifies(2);
    UpdateState s = *state.snapshot();
    EXPECT_EQ(s.status, "v2.5.0 indirildi");
    EXPECT_EQ(s.pending_version, "2.5.0");
    EXPECT_EQ(s.notes, "Yenilikler");
    std::string log = read_file(path_join(data.dir, "log.txt")).value_or("");
    EXPECT_NE(log.find("update: v2.5.0 kuruldu, yeniden baslatilacak\n"), std::string::npos) << log;

    ASSERT_TRUE(tx.send(UpdateRequest{}));
    ASSERT_TRUE(tx.send(UpdateRequest{}));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(checks.load(), 1);
    EXPECT_EQ(notifies.load(), 2);
    EXPECT_EQ(state.snapshot()->status, "v2.5.0 indirildi");
}

TEST_F(UpdateThread, EndsWhenEverySenderIsGone) {
    start(std::chrono::hours(1), {});
    tx = Sender<UpdateRequest>();
    worker.join();  // would hang if the thread waited out its hour
    EXPECT_EQ(checks.load(), 0);
}

}  // namespace
