// The WinHTTP exchange: one session, connection and request per call.
#include "net_http.h"
#include "sys_log.h"
#include "sys_text.h"
#include "sys_win.h"

#include <winhttp.h>

#include <cstdlib>
#include <limits>

namespace {

// Owner of one WinHTTP handle.
class UniqueInternet {
public:
    explicit UniqueInternet(HINTERNET h) : h_(h) {}
    UniqueInternet(const UniqueInternet&) = delete;
    UniqueInternet& operator=(const UniqueInternet&) = delete;
    ~UniqueInternet() { if (h_) WinHttpCloseHandle(h_); }
    HINTERNET get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
private:
    HINTERNET h_;
};

// Sizes WinHTTP takes as 32-bit counts; larger ones are a caller's bug.
DWORD dword_size(size_t n) {
    if (n > std::numeric_limits<DWORD>::max()) {
        write_log("net: request larger than 4 GB");
        std::abort();
    }
    return static_cast<DWORD>(n);
}

std::wstring to_wide(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }

}  // namespace

Result<HttpResponse> http_send(const HttpRequest& request) {
    Result<CrackedUrl> cracked = crack_url(request.url);
    if (!cracked) return cracked.error();
    const CrackedUrl& url = *cracked;
    std::wstring host = to_wide(utf8_to_utf16(url.host));
    std::wstring path = to_wide(utf8_to_utf16(url.path));
    std::wstring method = to_wide(utf8_to_utf16(request.method));
    std::wstring agent = to_wide(utf8_to_utf16(kHttpUserAgent));

    // Declared session first so the handles close request, connection, session.
    UniqueInternet session(WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                                       WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return make_error(kHttpErrNoSession);
    const HttpTimeouts& t = request.timeouts;
    WinHttpSetTimeouts(session.get(), t.resolve_ms, t.connect_ms, t.send_ms, t.receive_ms);

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
    if (!WinHttpSendRequest(req.get(), headers_ptr, headers_len, body_ptr, body_len, body_len, 0))
        return make_error(http_exchange_error(GetLastError()));
    if (!WinHttpReceiveResponse(req.get(), nullptr)) return make_error(http_exchange_error(GetLastError()));

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

    // A failed read or the cap ends the loop; what was read so far is the body.
    for (;;) {
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(req.get(), &available) || available == 0) break;
        std::string chunk(available, '\0');
        DWORD read = 0;
        if (!WinHttpReadData(req.get(), chunk.data(), available, &read) || read == 0) break;
        response.body.append(chunk.data(), read);
        if (!http_body_wants_more(response.body.size(), request.body_cap)) break;
    }
    return response;
}
