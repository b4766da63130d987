// The one HTTP client: a single blocking request over WinHTTP per call.
//
// Rule for every request builder in the program: take the base URL (scheme,
// host, optional port) as a parameter and never hard-code it inside the
// builder. The product passes the real hosts; the tests aim the same builders
// at a fake server on 127.0.0.1.
//
// Portable parts (URL cracking, header block, body cap) live in net_http.cpp;
// the WinHTTP exchange lives in net_http_win.cpp.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sys_result.h"

// One request header; both texts UTF-8.
struct HttpHeader {
    std::string name;
    std::string value;
};

// A completed exchange. HTTP error statuses (4xx, 5xx) come back here too.
struct HttpResponse {
    std::string body;                     // raw bytes, empty when none was sent
    std::optional<std::string> location;  // only for a 3xx status with a readable Location
    uint32_t status = 0;                  // 0 when the status could not be read
};

// ---- Fixed values -----------------------------------------------------------

inline constexpr const char* kHttpUserAgent = "VemoIsland/2";
// Reading stops after the chunk that brings the body above this many bytes.
inline constexpr size_t kHttpBodyCap = 64'000'000;
// Bytes of the buffer the Location header is read into (4096 UTF-16 units).
inline constexpr uint32_t kHttpLocationBufferBytes = 8192;

// Per-step limits. The receive time-out also bounds the wait for the response
// headers and every single read of the body.
struct HttpTimeouts {
    int resolve_ms = 10000;
    int connect_ms = 10000;
    int send_ms = 15000;
    int receive_ms = 30000;
};

// Overall limits for a whole exchange, headers and body together: a server
// that trickles bytes cannot hold a worker past them.
inline constexpr int kHttpDeadlineMs = 60'000;               // API and page requests
inline constexpr int kHttpDownloadDeadlineMs = 15 * 60'000;  // the self-update's download

// The client's error texts (shown to the user as they stand).
inline constexpr const char* kHttpErrBadUrl = "geçersiz adres";
inline constexpr const char* kHttpErrNoSession = "ağ başlatılamadı";
inline constexpr const char* kHttpErrNoConnection = "bağlantı yok";
// "bağlantı yok (<Windows error code in decimal>)" for a failed send or receive,
// a passed deadline (12002, a time-out) or a body cut short.
std::string http_exchange_error(uint32_t windows_error);

// ---- Request ----------------------------------------------------------------

// Everything one exchange needs. The limits default to the product's values;
// a caller picks a longer deadline for a download, tests pick short limits.
struct HttpRequest {
    std::string method = "GET";
    std::string url;
    std::vector<HttpHeader> headers;
    std::optional<std::string> body;  // absent: no request body at all
    bool follow_redirects = false;
    size_t body_cap = kHttpBodyCap;
    HttpTimeouts timeouts;
    int deadline_ms = kHttpDeadlineMs;  // the whole exchange fails with a time-out after this
};

// The product's entry point: method, absolute URL, headers in order, optional
// body, and whether WinHTTP follows redirects itself. Errors are the texts above.
// The deadline is kHttpDeadlineMs; a download uses http_send with its own.
Result<HttpResponse> http_request(std::string_view method, std::string_view url, const std::vector<HttpHeader>& headers,
                                  std::optional<std::string_view> body, bool follow_redirects);
// The same exchange from a full description (Windows only, net_http_win.cpp).
Result<HttpResponse> http_send(const HttpRequest& request);

// ---- Portable pieces of the exchange ---------------------------------------

struct CrackedUrl {
    bool secure = false;  // "https://"
    std::string host;
    uint16_t port = 0;
    std::string path;  // from the first "/" after the authority, query included; "/" when none
};

// Splits an absolute URL; only the exact lower-case "https://" and "http://"
// are accepted, anything else fails with kHttpErrBadUrl. A bad port (empty,
// not decimal, above 65535) silently gives the scheme's default.
Result<CrackedUrl> crack_url(std::string_view url);

// "name: value\r\n" per header, in order, as UTF-16 without a terminating NUL;
// empty for no headers (the caller then passes no header block at all).
std::u16string http_header_block(const std::vector<HttpHeader>& headers);

// Whether a status asks for the Location header (300 to 399).
inline bool http_status_has_location(uint32_t status) { return status >= 300 && status <= 399; }

// Whether the body loop goes on after the body has reached `received` bytes.
inline bool http_body_wants_more(size_t received, size_t cap) { return received <= cap; }

// The length a Content-Length header value announces; none for an absent or
// unreadable value (the body then ends where the connection or chunks end).
std::optional<uint64_t> http_content_length(std::string_view value);

// A test's stand-in server address, taken only when it is exactly
// "http://127.0.0.1:" and a port: "127.0.0.1:80@host" or a path would let the
// variable send a request somewhere else.
bool is_loopback_test_base(std::string_view base);
