// The WinHTTP exchange: one session, connection and request per call.
#include "net_http.h"
#include "sys_log.h"
#include "sys_text.h"
#include "sys_win.h"

#include <winhttp.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <limits>

namespace {

// Sizes WinHTTP takes as 32-bit counts; larger ones are a caller's bug.
DWORD dword_size(size_t n) {
    if (n > std::numeric_limits<DWORD>::max()) {
        write_log("net: request larger than 4 GB");
        std::abort();
    }
    return static_cast<DWORD>(n);
}

std::wstring to_wide(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }

// The end of a whole exchange; every step's own time-out is cut to what is left.
class Deadline {
public:
    explicit Deadline(int ms) : end_(Clock::now() + std::chrono::milliseconds(std::max(ms, 0))) {}
    int left_ms() const {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end_ - Clock::now()).count();
        return static_cast<int>(std::clamp<long long>(left, 0, std::numeric_limits<int>::max()));
    }
    bool passed() const { return left_ms() == 0; }
    // A step's limit, never past the deadline; at least 1 ms, as 0 means "wait for ever" to WinHTTP.
    int clip(int step_ms) const {
        int left = left_ms();
        return std::max(1, step_ms > 0 ? std::min(step_ms, left) : left);
    }
private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point end_;
};

void apply_timeouts(HINTERNET h, const HttpTimeouts& t, const Deadline& deadline) {
    WinHttpSetTimeouts(h, deadline.clip(t.resolve_ms), deadline.clip(t.connect_ms), deadline.clip(t.send_ms),
                       deadline.clip(t.receive_ms));
}

// The plain receive time-out does not cover the wait for the response headers.
// Set before the send (Wine takes it then) and again after it (what is left).
void set_header_wait(HINTERNET req, const HttpTimeouts& t, const Deadline& deadline) {
    DWORD wait = static_cast<DWORD>(deadline.clip(t.receive_ms));
    WinHttpSetOption(req, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &wait, sizeof wait);
}

// The error of a failed WinHTTP call; once the deadline has passed it is the
// deadline that ended the step, whatever code the cut time-out produced.
Error failed_step(const Deadline& deadline) {
    DWORD code = GetLastError();
    return make_error(http_exchange_error(deadline.passed() ? ERROR_WINHTTP_TIMEOUT : code));
}

// The Content-Length the server announced, if any.
std::optional<uint64_t> announced_length(HINTERNET req) {
    wchar_t buffer[64];
    DWORD size = sizeof buffer;
    if (!WinHttpQueryHeaders(req, WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX, buffer, &size,
                             WINHTTP_NO_HEADER_INDEX))
        return std::nullopt;
    std::string text;
    for (DWORD i = 0; i < size / sizeof(wchar_t); ++i) text += buffer[i] < 128 ? static_cast<char>(buffer[i]) : '?';
    return http_content_length(text);
}

// Whether an answer carries a body at all, whatever its Content-Length says.
bool has_body(std::string_view method, uint32_t status) {
    return method != "HEAD" && status != 204 && status != 304 && !(status >= 100 && status < 200);
}

}  // namespace

Result<HttpResponse> http_send(const HttpRequest& request) {
    Result<CrackedUrl> cracked = crack_url(request.url);
    if (!cracked) return cracked.error();
    const CrackedUrl& url = *cracked;
    std::wstring host = to_wide(utf8_to_utf16(url.host));
    std::wstring path = to_wide(utf8_to_utf16(url.path));
    std::wstring method = to_wide(utf8_to_utf16(request.method));
    std::wstring agent = to_wide(utf8_to_utf16(kHttpUserAgent));

    const Deadline deadline(request.deadline_ms);
    const HttpTimeouts& t = request.timeouts;
    // Declared session first so the handles close request, connection, session.
    UniqueInternet session(WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                                       WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return make_error(kHttpErrNoSession);
    apply_timeouts(session.get(), t, deadline);

    UniqueInternet connection(WinHttpConnect(session.get(), host.c_str(), url.port, 0));
    if (!connection) return make_error(kHttpErrNoConnection);
    UniqueInternet req(WinHttpOpenRequest(connection.get(), method.c_str(), path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                          WINHTTP_DEFAULT_ACCEPT_TYPES, url.secure ? WINHTTP_FLAG_SECURE : 0));
    if (!req) return make_error(kHttpErrNoConnection);

    if (!request.follow_redirects) {
        DWORD feature = WINHTTP_DISABLE_REDIRECTS;
        WinHttpSetOption(req.get(), WINHTTP_OPTION_DISABLE_FEATURE, &feature, sizeof feature);
    }

    std::wstring header_block = to_wide(http_header_block(request.headers));
    const wchar_t* headers_ptr = header_block.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : header_block.c_str();
    DWORD headers_len = dword_size(header_block.size());
    void* body_ptr = request.body ? const_cast<char*>(request.body->data()) : WINHTTP_NO_REQUEST_DATA;
    DWORD body_len = request.body ? dword_size(request.body->size()) : 0;
    apply_timeouts(req.get(), t, deadline);
    set_header_wait(req.get(), t, deadline);
    if (!WinHttpSendRequest(req.get(), headers_ptr, headers_len, body_ptr, body_len, body_len, 0))
        return failed_step(deadline);
    set_header_wait(req.get(), t, deadline);
    if (!WinHttpReceiveResponse(req.get(), nullptr)) return failed_step(deadline);

    HttpResponse response;
    DWORD status = 0;
    DWORD status_size = sizeof status;
    if (WinHttpQueryHeaders(req.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                            &status, &status_size, WINHTTP_NO_HEADER_INDEX))
        response.status = status;

    if (http_status_has_location(response.status)) {
        std::u16string buffer(kHttpLocationBufferBytes / 2, u'\0');
        DWORD size = kHttpLocationBufferBytes;
        if (WinHttpQueryHeaders(req.get(), WINHTTP_QUERY_LOCATION, WINHTTP_HEADER_NAME_BY_INDEX, buffer.data(), &size,
                                WINHTTP_NO_HEADER_INDEX)) {
            buffer.resize(size / 2);
            response.location = utf16_to_utf8(buffer);
        }
    }

    // Only the cap ends the body early with success: a failed read, a passed
    // deadline or fewer bytes than announced make the whole exchange an error.
    const std::optional<uint64_t> expected = announced_length(req.get());
    for (;;) {
        if (deadline.passed()) return make_error(http_exchange_error(ERROR_WINHTTP_TIMEOUT));
        apply_timeouts(req.get(), t, deadline);
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(req.get(), &available)) return failed_step(deadline);
        if (available == 0) break;
        std::string chunk(available, '\0');
        DWORD read = 0;
        if (!WinHttpReadData(req.get(), chunk.data(), available, &read)) return failed_step(deadline);
        if (read == 0) break;
        response.body.append(chunk.data(), read);
        if (!http_body_wants_more(response.body.size(), request.body_cap)) return response;
    }
    if (expected && response.body.size() < *expected && has_body(request.method, response.status))
        return make_error(http_exchange_error(ERROR_WINHTTP_CONNECTION_ERROR));
    return response;
}
