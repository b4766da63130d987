// The loopback listener's socket calls on Windows sockets.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>

#include "google_listen.h"

namespace listen_socket {

namespace {

// WSAStartup once per process; the library stays loaded.
bool winsock_ready() {
    static const bool ready = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ready;
}

SOCKET socket_of(Handle s) { return static_cast<SOCKET>(s); }

void set_blocking(SOCKET s, bool blocking) {
    u_long mode = blocking ? 0 : 1;
    ioctlsocket(s, FIONBIO, &mode);
}

}  // namespace

std::optional<Handle> open_loopback(uint16_t& port) {
    if (!winsock_ready()) return std::nullopt;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return std::nullopt;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    int len = sizeof addr;
    if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(s, 8) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        closesocket(s);
        return std::nullopt;
    }
    set_blocking(s, false);
    port = ntohs(addr.sin_port);
    return static_cast<Handle>(s);
}

std::optional<Handle> accept_waiting(Handle listener) {
    SOCKET c = accept(socket_of(listener), nullptr, nullptr);
    if (c == INVALID_SOCKET) return std::nullopt;
    set_blocking(c, false);
    return static_cast<Handle>(c);
}

Read read_some(Handle s, char* buf, size_t& n) {
    int got = recv(socket_of(s), buf, static_cast<int>(std::min<size_t>(n, 1 << 20)), 0);
    if (got > 0) {
        n = static_cast<size_t>(got);
        return Read::Data;
    }
    n = 0;
    return got < 0 && WSAGetLastError() == WSAEWOULDBLOCK ? Read::Waiting : Read::Closed;
}

void answer_and_finish(Handle s, std::string_view bytes) {
    SOCKET c = socket_of(s);
    set_blocking(c, true);
    while (!bytes.empty()) {
        int n = send(c, bytes.data(), static_cast<int>(std::min<size_t>(bytes.size(), 1 << 20)), 0);
        if (n <= 0) return;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    shutdown(c, SD_SEND);
}

void close(Handle s) { closesocket(socket_of(s)); }

}  // namespace listen_socket
