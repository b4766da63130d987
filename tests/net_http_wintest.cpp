// The WinHTTP client against the scripted server on 127.0.0.1.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "fake_server.h"
#include "net_http.h"

namespace {

// Byte i of a generated body is i % 251 (see fake_server.py).
std::string generated(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i % 251);
    return s;
}

std::string hex(std::string_view bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// The value of the first recorded header with this name, or "".
std::string header_of(const nlohmann::json& record, const std::string& name) {
    for (auto& h : record["headers"])
        if (h[0] == name) return h[1];
    return "";
}

constexpr size_t kSmallCap = 100'000;

class HttpClient : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Headers as [name, value] arrays: a list of pairs would become a JSON object.
        auto headers = [](std::initializer_list<std::pair<const char*, std::string>> list) {
            nlohmann::json out = nlohmann::json::array();
            for (auto& [name, value] : list) out.push_back(nlohmann::json::array({name, value}));
            return out;
        };
        nlohmann::json routes = {
            {"/get", {{"status", 200}, {"headers", headers({{"Location", "/elsewhere"}, {"X-Test", "1"}})}, {"body", "merhaba"}}},
            {"/post", {{"status", 201}, {"body", "alındı"}}},
            {"/redirect", {{"status", 302}, {"headers", headers({{"Location", "/target?x=1"}})}, {"body", "taşındı"}}},
            {"/target", {{"status", 200}, {"body", "vardı"}}},
            {"/unavailable", {{"status", 503}, {"body", "yok"}}},
            {"/exact", {{"body_size", kSmallCap}}},
            {"/big", {{"body_size", 2'000'000}}},
            {"/slow", {{"delay_ms", 4000}, {"body", "geç"}}},
            {"/stalls", {{"body_size", 50'000}, {"pause_after_bytes", 20'000}, {"pause_ms", 4000}}},
            {"/silent", {{"silent_ms", 10'000}}},
            {"/headers-only", {{"body_size", 1000}, {"pause_after_bytes", 0}, {"pause_ms", 10'000}}},
            {"/drip", {{"body_size", 100}, {"drip_ms", 1000}}},
            {"/short", {{"body", "yarım"}, {"short_by", 10}}},
            {"/reset", {{"body_size", 100'000}, {"reset_after_bytes", 1000}}},
            {"/bad-chunk", {{"body", "parça parça"}, {"chunked", true}, {"bad_chunk", "zz"}, {"pause_ms", 10'000}}},
            {"/chunked", {{"body", "parça parça"}, {"chunked", true}}},
        };
        server_ = new FakeServer(routes);
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(server_->running()) << server_->error(); }

    static std::string url(const std::string& target) { return server_->base_url() + target; }

    static FakeServer* server_;
};
FakeServer* HttpClient::server_ = nullptr;

TEST_F(HttpClient, GetSendsHeadersInOrderAndNeverReportsLocationOn200) {
    std::vector<HttpHeader> headers = {{"X-First", "bir"}, {"Authorization", "Bearer abc"}, {"X-Third", "üç"}};
    Result<HttpResponse> r = http_request("GET", url("/get"), headers, std::nullopt, false);
    ASSERT_TRUE(r.ok()) << r.error().message;
    EXPECT_EQ(r->status, 200u);
    EXPECT_EQ(r->body, "merhaba");
    EXPECT_FALSE(r->location.has_value());  // the server did send a Location

    auto rec = server_->records_for("/get");
    ASSERT_EQ(rec.size(), 1u);
    EXPECT_EQ(rec[0]["method"], "GET");
    EXPECT_EQ(rec[0]["body_hex"], "");
    EXPECT_EQ(header_of(rec[0], "User-Agent"), "VemoIsland/2");
    std::vector<std::string> ours;
    for (auto& h : rec[0]["headers"])
        if (h[0] == "X-First" || h[0] == "Authorization" || h[0] == "X-Third") ours.push_back(h[0]);
    EXPECT_EQ(ours, (std::vector<std::string>{"X-First", "Authorization", "X-Third"}));
    EXPECT_EQ(header_of(rec[0], "X-First"), "bir");
    EXPECT_EQ(header_of(rec[0], "Authorization"), "Bearer abc");
}

TEST_F(HttpClient, PostSendsTheBodyBytesExactly) {
    std::string body = std::string("code=a%2Fb&x=\xC3\xBC", 16) + std::string("\0\xff\x01", 3);
    std::vector<HttpHeader> headers = {{"Content-Type", "application/x-www-form-urlencoded"}};
    Result<HttpResponse> r = http_request("POST", url("/post?step=1"), headers, body, false);
    ASSERT_TRUE(r.ok()) << r.error().message;
    EXPECT_EQ(r->status, 201u);
    EXPECT_EQ(r->body, "alındı");

    auto rec = server_->records_for("/post?step=1");
    ASSERT_EQ(rec.size(), 1u);
    EXPECT_EQ(rec[0]["method"], "POST");
    EXPECT_EQ(rec[0]["body_hex"], hex(body));
    EXPECT_EQ(header_of(rec[0], "Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(header_of(rec[0], "Content-Length"), std::to_string(body.size()));
}

TEST_F(HttpClient, RedirectReturnedWithLocationOrFollowed) {
    size_t target_hits = server_->records_for("/target?x=1").size();

    Result<HttpResponse> stop = http_request("GET", url("/redirect"), {}, std::nullopt, false);
    ASSERT_TRUE(stop.ok()) << stop.error().message;
    EXPECT_EQ(stop->status, 302u);
    EXPECT_EQ(stop->location, std::optional<std::string>("/target?x=1"));
    EXPECT_EQ(stop->body, "taşındı");
    EXPECT_EQ(server_->records_for("/target?x=1").size(), target_hits);

    Result<HttpResponse> go = http_request("GET", url("/redirect"), {}, std::nullopt, true);
    ASSERT_TRUE(go.ok()) << go.error().message;
    EXPECT_EQ(go->status, 200u);
    EXPECT_EQ(go->body, "vardı");
    EXPECT_FALSE(go->location.has_value());
    EXPECT_EQ(server_->records_for("/target?x=1").size(), target_hits + 1);
}

TEST_F(HttpClient, ErrorStatusIsAResponseNotAnError) {
    Result<HttpResponse> r = http_request("GET", url("/unavailable"), {}, std::nullopt, true);
    ASSERT_TRUE(r.ok()) << r.error().message;
    EXPECT_EQ(r->status, 503u);
    EXPECT_EQ(r->body, "yok");
    Result<HttpResponse> missing = http_request("GET", url("/no-such-route"), {}, std::nullopt, true);
    ASSERT_TRUE(missing.ok()) << missing.error().message;
    EXPECT_EQ(missing->status, 404u);
}

TEST_F(HttpClient, BodyCapKeepsWhatWasReadAndReadsAnExactBodyWhole) {
    HttpRequest exact;
    exact.url = url("/exact");
    exact.body_cap = kSmallCap;
    Result<HttpResponse> whole = http_send(exact);
    ASSERT_TRUE(whole.ok()) << whole.error().message;
    EXPECT_EQ(whole->body, generated(kSmallCap));

    HttpRequest big = exact;
    big.url = url("/big");
    Result<HttpResponse> cut = http_send(big);
    ASSERT_TRUE(cut.ok()) << cut.error().message;
    EXPECT_EQ(cut->status, 200u);
    EXPECT_GT(cut->body.size(), kSmallCap);  // the chunk that crossed the cap is kept
    EXPECT_LT(cut->body.size(), 2'000'000u);
    EXPECT_EQ(cut->body, generated(cut->body.size()));
}

TEST_F(HttpClient, SchemeInCapitalsNeverReachesTheServer) {
    size_t before = server_->records().size();
    std::string upper = "HTTP://127.0.0.1:" + std::to_string(server_->port()) + "/get";
    Result<HttpResponse> r = http_request("GET", upper, {}, std::nullopt, true);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().message, "geçersiz adres");
    EXPECT_EQ(server_->records().size(), before);
}

// A send that the server does not take within the send time-out fails with
// the Windows error of the failed call: ERROR_WINHTTP_TIMEOUT on Windows,
// the socket's WSAETIMEDOUT under Wine.
TEST_F(HttpClient, SendTimeoutGivesTheWindowsErrorCode) {
    HttpRequest slow;
    slow.method = "POST";
    slow.url = url("/slow");
    slow.body = std::string(32'000'000, 'x');  // more than the loopback socket buffers hold
    slow.timeouts.send_ms = 500;
    Result<HttpResponse> r = http_send(slow);
    ASSERT_FALSE(r.ok());
    const std::string& m = r.error().message;
    EXPECT_TRUE(m == "bağlantı yok (12002)" || m == "bağlantı yok (10060)") << m;
}

// A server that stops answering, trickles, or ends the body early never holds
// a request past its time-out or deadline, and never yields a partial body as
// a success. Codes: 12002 a time-out (10060 from Wine's socket), 12030 the
// connection ended early (10054 a reset seen by Wine's socket), 12152 an
// answer WinHTTP cannot read.
TEST_F(HttpClient, BrokenAnswersFailWithinTheirLimits) {
    struct Case {
        const char* target;
        int receive_ms;
        int deadline_ms;
        std::vector<std::string> codes;  // any of these in "bağlantı yok (...)"
        int within_ms;                   // fails before this
    };
    const Case cases[] = {
        {"/silent", 1000, 60'000, {"12002", "10060"}, 3000},           // the wait for headers
        {"/silent", 30'000, 1500, {"12002"}, 3500},                    // the deadline cuts the header wait
        {"/headers-only", 1000, 60'000, {"12002", "10060"}, 3000},     // headers, then no body
        {"/stalls", 1000, 60'000, {"12002", "10060"}, 3000},           // part of the body, then nothing
        {"/headers-only", 30'000, 1500, {"12002"}, 3500},              // the deadline cuts a body read
        {"/drip", 2000, 2500, {"12002"}, 4500},                        // one byte a second
        {"/short", 1000, 60'000, {"12030"}, 3000},                     // Content-Length 10 more than sent
        {"/reset", 1000, 60'000, {"12030", "10054"}, 3000},            // reset mid-body
        {"/bad-chunk", 1000, 60'000, {"12152", "12002", "10060"}, 3000},  // "zz" as a chunk size
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.target) + " receive " + std::to_string(c.receive_ms) + " deadline " +
                     std::to_string(c.deadline_ms));
        HttpRequest req;
        req.url = url(c.target);
        req.timeouts.receive_ms = c.receive_ms;
        req.deadline_ms = c.deadline_ms;
        auto start = std::chrono::steady_clock::now();
        Result<HttpResponse> r = http_send(req);
        auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        ASSERT_FALSE(r.ok()) << "status " << r->status << ", " << r->body.size() << " body bytes";
        const std::string& m = r.error().message;
        bool known = false;
        for (const std::string& code : c.codes) known = known || m == "bağlantı yok (" + code + ")";
        EXPECT_TRUE(known) << m;
        EXPECT_LT(took.count(), c.within_ms);
    }
}

TEST_F(HttpClient, WholeChunkedBodyIsASuccess) {
    Result<HttpResponse> r = http_request("GET", url("/chunked"), {}, std::nullopt, false);
    ASSERT_TRUE(r.ok()) << r.error().message;
    EXPECT_EQ(r->status, 200u);
    EXPECT_EQ(r->body, "parça parça");
}

TEST(HttpClientRefused, NothingListeningGivesTheWindowsErrorCode) {
    FakeServer gone(nlohmann::json::object());
    ASSERT_TRUE(gone.running()) << gone.error();
    std::string url = gone.base_url() + "/";
    gone.stop();
    Result<HttpResponse> r = http_request("GET", url, {}, std::nullopt, false);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().message, "bağlantı yok (12029)");  // ERROR_WINHTTP_CANNOT_CONNECT
}

}  // namespace
