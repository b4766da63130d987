// Native stand-in for data protection and random bytes, so portable code links
// and runs on Linux. It does NOT protect anything: "sealing" only prefixes a
// marker, so the Linux build keeps the same absent-or-present logic as Windows
// (foreign bytes fail to open) without any secrecy.
#include "sys_protect.h"

#include <random>

namespace {
constexpr std::string_view kNativeMarker{"VemoIsland-native-seal\0", 23};
}

Result<std::string> dpapi_protect(std::string_view plain) {
    std::string out(kNativeMarker);
    out += plain;
    return out;
}

Result<std::string> dpapi_unprotect(std::string_view sealed) {
    if (!sealed.starts_with(kNativeMarker)) return make_error("dpapi_unprotect: not sealed by this program");
    return std::string(sealed.substr(kNativeMarker.size()));
}

Result<std::string> random_bytes(size_t n) {
    std::string out(n, '\0');
    try {
        std::random_device device;
        for (char& c : out) c = static_cast<char>(device() & 0xFF);
    } catch (const std::exception& e) {
        return make_error(std::string("random_bytes: ") + e.what());
    }
    return out;
}
