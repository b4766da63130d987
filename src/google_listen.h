// The few socket calls the sign-in's loopback listener needs, one set per
// platform (google_listen_win.cpp, google_listen_native.cpp); the listener's
// wait-accept-answer loop over them is shared (google_listen.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace listen_socket {

using Handle = uint64_t;
inline constexpr Handle kNone = ~Handle{0};

// A non-blocking TCP socket listening on 127.0.0.1 on a free port; the port in `port`.
std::optional<Handle> open_loopback(uint16_t& port);
// A waiting connection, made non-blocking, or nothing when none waits.
std::optional<Handle> accept_waiting(Handle listener);

enum class Read { Data, Waiting, Closed };
// Reads what has arrived into `buf` (its size in `n`, the count read back there).
Read read_some(Handle s, char* buf, size_t& n);
// Sends all of `bytes` blocking, then ends the sending side.
void answer_and_finish(Handle s, std::string_view bytes);
void close(Handle s);

}  // namespace listen_socket
