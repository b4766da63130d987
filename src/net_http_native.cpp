// Native stand-in for the WinHTTP exchange: the Linux build has no network
// client, so every request fails the way an unusable network stack does.
#include "net_http.h"

Result<HttpResponse> http_send(const HttpRequest& request) {
    Result<CrackedUrl> cracked = crack_url(request.url);
    if (!cracked) return cracked.error();
    return make_error(kHttpErrNoSession);
}
