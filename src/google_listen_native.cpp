// The loopback listener's socket calls on POSIX sockets (the Linux build runs
// the same sign-in against a local fake browser in its tests).
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>

#include "google_listen.h"

namespace listen_socket {

namespace {

int fd_of(Handle s) { return static_cast<int>(s); }

void set_blocking(int s, bool blocking) {
    int flags = fcntl(s, F_GETFL, 0);
    if (flags < 0) return;
    fcntl(s, F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK);
}

}  // namespace

std::optional<Handle> open_loopback(uint16_t& port) {
    int s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s < 0) return std::nullopt;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(s, 8) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(s);
        return std::nullopt;
    }
    set_blocking(s, false);
    port = ntohs(addr.sin_port);
    return static_cast<Handle>(s);
}

std::optional<Handle> accept_waiting(Handle listener) {
    int c = accept(fd_of(listener), nullptr, nullptr);
    if (c < 0) return std::nullopt;
    set_blocking(c, false);
    return static_cast<Handle>(c);
}

Read read_some(Handle s, char* buf, size_t& n) {
    ssize_t got = recv(fd_of(s), buf, n, 0);
    if (got > 0) {
        n = static_cast<size_t>(got);
        return Read::Data;
    }
    n = 0;
    return got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) ? Read::Waiting : Read::Closed;
}

void answer_and_finish(Handle s, std::string_view bytes) {
    int c = fd_of(s);
    set_blocking(c, true);
    while (!bytes.empty()) {
        ssize_t n = send(c, bytes.data(), std::min<size_t>(bytes.size(), 1 << 20), MSG_NOSIGNAL);
        if (n <= 0) return;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    shutdown(c, SHUT_WR);
}

void close(Handle s) { ::close(fd_of(s)); }

}  // namespace listen_socket
