// The sign-in's loopback listener on Windows sockets.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "google_signin.h"
#include "sys_os.h"

namespace {

constexpr double kReadWaitSeconds = 5;   // a silent connection is dropped after this
constexpr int kPollMs = 120;
constexpr int kRequestMaxBytes = 8192;

// WSAStartup once per process; the library stays loaded.
bool winsock_ready() {
    static const bool ready = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ready;
}

struct UniqueSocket {
    SOCKET s = INVALID_SOCKET;
    UniqueSocket() = default;
    explicit UniqueSocket(SOCKET v) : s(v) {}
    UniqueSocket(UniqueSocket&& o) noexcept : s(o.s) { o.s = INVALID_SOCKET; }
    UniqueSocket& operator=(UniqueSocket&& o) noexcept {
        std::swap(s, o.s);
        return *this;
    }
    ~UniqueSocket() {
        if (s != INVALID_SOCKET) closesocket(s);
    }
};

struct Pending {
    UniqueSocket socket;
    double since = 0;
};

void set_blocking(SOCKET s, bool blocking) {
    u_long mode = blocking ? 0 : 1;
    ioctlsocket(s, FIONBIO, &mode);
}

void send_all(SOCKET s, std::string_view bytes) {
    while (!bytes.empty()) {
        int n = send(s, bytes.data(), static_cast<int>(std::min<size_t>(bytes.size(), 1 << 20)), 0);
        if (n <= 0) return;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
}

}  // namespace

LoopbackListener::~LoopbackListener() {
    if (socket_ != kNone) closesocket(static_cast<SOCKET>(socket_));
}

Result<LoopbackListener> LoopbackListener::open() {
    if (!winsock_ready()) return make_error("ağ başlatılamadı");
    UniqueSocket s(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (s.s == INVALID_SOCKET) return make_error("dinleyici açılamadı");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (bind(s.s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(s.s, 8) != 0)
        return make_error("dinleyici açılamadı");
    int len = sizeof addr;
    if (getsockname(s.s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) return make_error("dinleyici açılamadı");
    set_blocking(s.s, false);
    LoopbackListener l;
    l.socket_ = static_cast<uint64_t>(s.s);
    l.port_ = ntohs(addr.sin_port);
    s.s = INVALID_SOCKET;
    return l;
}

Result<std::string> LoopbackListener::serve_one(double deadline, const std::function<std::string(std::string_view)>& answer) {
    SOCKET listener = static_cast<SOCKET>(socket_);
    std::vector<Pending> pending;
    while (monotonic_seconds() < deadline) {
        for (;;) {
            SOCKET c = accept(listener, nullptr, nullptr);
            if (c == INVALID_SOCKET) break;
            set_blocking(c, false);
            pending.push_back(Pending{UniqueSocket(c), monotonic_seconds()});
        }
        for (size_t i = 0; i < pending.size();) {
            char buf[kRequestMaxBytes];
            int n = recv(pending[i].socket.s, buf, sizeof buf, 0);
            if (n > 0) {
                SOCKET c = pending[i].socket.s;
                std::string request(buf, static_cast<size_t>(n));
                set_blocking(c, true);
                send_all(c, answer(request));
                shutdown(c, SD_SEND);
                return request;
            }
            bool waiting = n < 0 && WSAGetLastError() == WSAEWOULDBLOCK;
            // Closed without a word, failed, or silent too long (a browser's speculative connection).
            if (!waiting || monotonic_seconds() - pending[i].since > kReadWaitSeconds) {
                pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            ++i;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
    return make_error("giriş 5 dakikada tamamlanmadı");
}
