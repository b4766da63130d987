// The sign-in's loopback listener: waits for the browser's redirect, ignoring
// connections that say nothing, and answers the first real request.
#include <chrono>
#include <thread>
#include <vector>

#include "google_listen.h"
#include "google_signin.h"
#include "sys_os.h"

namespace {

constexpr double kReadWaitSeconds = 5;  // a silent connection is dropped after this
constexpr int kPollMs = 120;
constexpr size_t kRequestMaxBytes = 8192;

struct UniqueSocket {
    listen_socket::Handle s = listen_socket::kNone;
    UniqueSocket() = default;
    explicit UniqueSocket(listen_socket::Handle v) : s(v) {}
    UniqueSocket(UniqueSocket&& o) noexcept : s(o.s) { o.s = listen_socket::kNone; }
    UniqueSocket& operator=(UniqueSocket&& o) noexcept {
        std::swap(s, o.s);
        return *this;
    }
    UniqueSocket(const UniqueSocket&) = delete;
    ~UniqueSocket() {
        if (s != listen_socket::kNone) listen_socket::close(s);
    }
};

struct Pending {
    UniqueSocket socket;
    double since = 0;
};

}  // namespace

LoopbackListener::~LoopbackListener() {
    if (socket_ != kNone) listen_socket::close(socket_);
}

Result<LoopbackListener> LoopbackListener::open() {
    uint16_t port = 0;
    std::optional<listen_socket::Handle> s = listen_socket::open_loopback(port);
    if (!s) return make_error("dinleyici açılamadı");
    LoopbackListener l;
    l.socket_ = *s;
    l.port_ = port;
    return l;
}

Result<std::string> LoopbackListener::serve_one(double deadline, const std::function<std::string(std::string_view)>& answer) {
    std::vector<Pending> pending;
    while (monotonic_seconds() < deadline) {
        while (std::optional<listen_socket::Handle> c = listen_socket::accept_waiting(socket_))
            pending.push_back(Pending{UniqueSocket(*c), monotonic_seconds()});
        for (size_t i = 0; i < pending.size();) {
            char buf[kRequestMaxBytes];
            size_t n = sizeof buf;
            listen_socket::Read r = listen_socket::read_some(pending[i].socket.s, buf, n);
            if (r == listen_socket::Read::Data) {
                std::string request(buf, n);
                listen_socket::answer_and_finish(pending[i].socket.s, answer(request));
                return request;
            }
            // Closed without a word, failed, or silent too long (a browser's speculative connection).
            if (r == listen_socket::Read::Closed || monotonic_seconds() - pending[i].since > kReadWaitSeconds) {
                pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            ++i;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
    return make_error("giriş 5 dakikada tamamlanmadı");
}
