// Natively there is no Steam client: no registry, so the watcher finds nothing.
#include "steam_watch.h"

std::optional<std::string> read_reg_string(const std::string&, const std::string&) { return std::nullopt; }
std::optional<uint32_t> read_reg_dword(const std::string&, const std::string&) { return std::nullopt; }

SteamSystem steam_machine() {
    SteamSystem sys;
    sys.reg_string = read_reg_string;
    sys.reg_dword = read_reg_dword;
    sys.process_running = [](uint32_t) { return false; };
    sys.received_bytes = [] { return std::optional<uint64_t>(); };
    return sys;
}
