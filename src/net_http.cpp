// Portable pieces of the HTTP client: URL cracking, header block, error texts.
#include "net_http.h"

#include <fmt/format.h>

#include "sys_text.h"

std::string http_exchange_error(uint32_t windows_error) {
    return fmt::format("{} ({})", kHttpErrNoConnection, windows_error);
}

// Digits only with one optional leading "+", 0 to 65535; anything else is no port.
static std::optional<uint16_t> parse_port(std::string_view s) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return std::nullopt;
    uint32_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<uint32_t>(c - '0');
        if (v > 65535) return std::nullopt;
    }
    return static_cast<uint16_t>(v);
}

std::optional<uint64_t> http_content_length(std::string_view value) {
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
    if (value.empty() || value.size() > 19) return std::nullopt;  // 19 digits always fit
    uint64_t v = 0;
    for (char c : value) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    return v;
}

Result<CrackedUrl> crack_url(std::string_view url) {
    constexpr std::string_view kHttps = "https://";
    constexpr std::string_view kHttp = "http://";
    CrackedUrl out;
    std::string_view rest;
    if (url.starts_with(kHttps)) {
        out.secure = true;
        rest = url.substr(kHttps.size());
    } else if (url.starts_with(kHttp)) {
        rest = url.substr(kHttp.size());
    } else {
        return make_error(kHttpErrBadUrl);
    }
    const uint16_t default_port = out.secure ? 443 : 80;

    size_t slash = rest.find('/');
    std::string_view authority = rest.substr(0, slash);
    out.path = slash == std::string_view::npos ? std::string("/") : std::string(rest.substr(slash));

    size_t colon = authority.find(':');
    out.host = std::string(authority.substr(0, colon));
    out.port = default_port;
    if (colon != std::string_view::npos) out.port = parse_port(authority.substr(colon + 1)).value_or(default_port);
    return out;
}

std::u16string http_header_block(const std::vector<HttpHeader>& headers) {
    std::string text;
    for (const HttpHeader& h : headers) text += fmt::format("{}: {}\r\n", h.name, h.value);
    return utf8_to_utf16(text);
}

Result<HttpResponse> http_request(std::string_view method, std::string_view url, const std::vector<HttpHeader>& headers,
                                  std::optional<std::string_view> body, bool follow_redirects) {
    HttpRequest request;
    request.method = std::string(method);
    request.url = std::string(url);
    request.headers = headers;
    if (body) request.body = std::string(*body);
    request.follow_redirects = follow_redirects;
    return http_send(request);
}

bool is_loopback_test_base(std::string_view base) {
    constexpr std::string_view kLoopback = "http://127.0.0.1:";
    if (base.size() <= kLoopback.size() || !base.starts_with(kLoopback)) return false;
    for (char c : base.substr(kLoopback.size()))
        if (c < '0' || c > '9') return false;
    return true;
}
