// The Steam watcher's questions to Windows: the client's registry values, its
// process, and the network interfaces' received-byte counters.
#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>

#include "steam_watch.h"
#include "sys_text.h"
#include "sys_win.h"

namespace {

// Room for 1023 UTF-16 units and the terminating NUL.
constexpr DWORD kRegTextBytes = 2048;

namespace release_call_steam {
struct MibTable { void operator()(PMIB_IF_TABLE2 t) const { FreeMibTable(t); } };
}  // namespace release_call_steam
using UniqueIfTable = UniqueOf<PMIB_IF_TABLE2, release_call_steam::MibTable>;

bool process_running(uint32_t pid) {
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process.valid()) return false;
    DWORD code = 0;
    return GetExitCodeProcess(process.get(), &code) && code == STILL_ACTIVE;
}

std::optional<uint64_t> received_bytes() {
    UniqueIfTable table;
    if (GetIfTable2(table.put()) != NO_ERROR || !table) return std::nullopt;
    uint64_t sum = 0;
    for (ULONG i = 0; i < table.get()->NumEntries; ++i) {
        const MIB_IF_ROW2& row = table.get()->Table[i];
        if (row.OperStatus != IfOperStatusUp || row.Type == IF_TYPE_SOFTWARE_LOOPBACK ||
            !row.InterfaceAndOperStatusFlags.HardwareInterface)
            continue;
        sum += row.InOctets;
    }
    return sum;
}

}  // namespace

std::optional<std::string> read_reg_string(const std::string& key, const std::string& value) {
    wchar_t buf[kRegTextBytes / sizeof(wchar_t)];
    DWORD size = sizeof buf;
    if (RegGetValueW(HKEY_CURRENT_USER, widen(key).c_str(), widen(value).c_str(), RRF_RT_REG_SZ, nullptr, buf, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    size_t units = size / sizeof(wchar_t);
    if (units > 0 && buf[units - 1] == L'\0') --units;
    return utf16_to_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(buf), units));
}

std::optional<uint32_t> read_reg_dword(const std::string& key, const std::string& value) {
    DWORD number = 0;
    DWORD size = sizeof number;
    if (RegGetValueW(HKEY_CURRENT_USER, widen(key).c_str(), widen(value).c_str(), RRF_RT_REG_DWORD, nullptr, &number,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    return number;
}

SteamSystem steam_machine() {
    SteamSystem sys;
    // The thread lives as long as the program; COM stays initialised on it for the picture decoder.
    sys.thread_setup = [] { (void)CoInitializeEx(nullptr, COINIT_MULTITHREADED); };
    sys.reg_string = read_reg_string;
    sys.reg_dword = read_reg_dword;
    sys.process_running = process_running;
    sys.received_bytes = received_bytes;
    return sys;
}
