// URL cracking, header block and error texts of the HTTP client.
#include <gtest/gtest.h>

#include "net_http.h"

namespace {

struct CrackCase {
    const char* url;
    bool secure;
    const char* host;
    uint16_t port;
    const char* path;
};

const CrackCase kCrackCases[] = {
    {"https://host", true, "host", 443, "/"},
    {"http://h:8080/p?q=1", false, "h", 8080, "/p?q=1"},
    {"https://h:/x", true, "h", 443, "/x"},            // empty port
    {"https://h:70000/x", true, "h", 443, "/x"},       // above 65535
    {"http://h:65535", false, "h", 65535, "/"},        // largest port, no path
    {"http://h:65536/", false, "h", 80, "/"},
    {"http://h:+81/a", false, "h", 81, "/a"},          // one leading plus
    {"http://h:++81/a", false, "h", 80, "/a"},
    {"http://h:-1/a", false, "h", 80, "/a"},
    {"http://h:8a/", false, "h", 80, "/"},             // not decimal
    {"http://h: 80/", false, "h", 80, "/"},
    {"http://h:99999999999999999999/", false, "h", 80, "/"},  // no overflow wrap-around
    {"https://h/a:b?c=d/e", true, "h", 443, "/a:b?c=d/e"},  // a colon in the path is no port
    {"http://127.0.0.1:5000/v1/x?k=%20", false, "127.0.0.1", 5000, "/v1/x?k=%20"},
    {"https://", true, "", 443, "/"},
};

TEST(CrackUrl, SplitsSchemeHostPortAndPath) {
    for (const CrackCase& c : kCrackCases) {
        SCOPED_TRACE(c.url);
        Result<CrackedUrl> r = crack_url(c.url);
        ASSERT_TRUE(r.ok()) << r.error().message;
        EXPECT_EQ(r->secure, c.secure);
        EXPECT_EQ(r->host, c.host);
        EXPECT_EQ(r->port, c.port);
        EXPECT_EQ(r->path, c.path);
    }
}

TEST(CrackUrl, RejectsEverySchemeButExactHttpAndHttps) {
    for (const char* url : {"HTTPS://h", "Http://h/x", "ftp://h/", "https:/h", "http:", "", "//h/x", " https://h"}) {
        SCOPED_TRACE(url);
        Result<CrackedUrl> r = crack_url(url);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().message, "geçersiz adres");
    }
}

// Fails before any network activity, on every build.
TEST(HttpRequest, BadSchemeFailsWithoutNetwork) {
    Result<HttpResponse> r = http_request("GET", "HTTPS://127.0.0.1:9/x", {}, std::nullopt, true);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().message, "geçersiz adres");
}

TEST(HttpHeaderBlock, LinesInOrderAsUtf16) {
    std::vector<HttpHeader> headers = {{"Content-Type", "application/json"}, {"X-Başlık", "değer ü"}, {"A", ""}};
    EXPECT_EQ(http_header_block(headers), u"Content-Type: application/json\r\nX-Başlık: değer ü\r\nA: \r\n");
    EXPECT_TRUE(http_header_block({}).empty());
}

TEST(HttpClientTexts, ErrorsAndFixedValues) {
    EXPECT_EQ(http_exchange_error(12029), "bağlantı yok (12029)");
    EXPECT_EQ(http_exchange_error(4294967295u), "bağlantı yok (4294967295)");
    EXPECT_STREQ(kHttpErrNoSession, "ağ başlatılamadı");
    EXPECT_STREQ(kHttpErrNoConnection, "bağlantı yok");
    EXPECT_STREQ(kHttpUserAgent, "VemoIsland/2");
}

TEST(HttpBodyCap, ExactCapIsReadWholeOneByteMoreStops) {
    EXPECT_TRUE(http_body_wants_more(kHttpBodyCap, kHttpBodyCap));
    EXPECT_FALSE(http_body_wants_more(kHttpBodyCap + 1, kHttpBodyCap));
    EXPECT_EQ(kHttpBodyCap, 64'000'000u);
}

// An unreadable Content-Length must not turn a whole body into a "short" one.
TEST(HttpContentLength, DigitsOnlyElseUnknown) {
    const std::pair<const char*, std::optional<uint64_t>> cases[] = {
        {"16", 16},   {" 0 ", 0},   {"64000001", 64'000'001}, {"9999999999999999999", 9'999'999'999'999'999'999u},
        {"", {}},     {"-1", {}},   {"+5", {}},               {"1 2", {}},
        {"12a", {}},  {"99999999999999999999", {}},
    };
    for (const auto& [text, want] : cases) EXPECT_EQ(http_content_length(text), want) << text;
}

}  // namespace
