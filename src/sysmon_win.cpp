// The system monitor's readings of this machine, and its thread.
//
// Index
//   ABI interfaces (declared here: MinGW ships no Windows.Networking.Connectivity header)
//   Processes
//   Consent store
//   Downloads
//   Connection profile
//   The probe and the thread
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>
#include <netioapi.h>
#include <knownfolders.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <inspectable.h>
#include <roapi.h>
#include <winstring.h>
#include <wrl/client.h>

#include "sys_os.h"
#include "sys_thread.h"
#include "sys_win.h"
#include "sysmon_sampler.h"

using Microsoft::WRL::ComPtr;

// ---- ABI interfaces ------------------------------------------------------------------------
//
// Slot order follows the runtime metadata: IInspectable's six slots, then the
// methods below in declaration order; later methods are left out.

namespace connectivity_abi {
// Windows.Networking.Connectivity.IConnectionProfile
struct IConnectionProfile : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_ProfileName(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNetworkConnectivityLevel(int32_t* value) = 0;
};

// Windows.Networking.Connectivity.IConnectionProfile2
constexpr IID kIidConnectionProfile2 = {0xe2045145, 0x4c9f, 0x400c, {0x91, 0x50, 0x7e, 0xc7, 0xd6, 0xe2, 0x88, 0x8a}};
struct IConnectionProfile2 : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_IsWwanConnectionProfile(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsWlanConnectionProfile(boolean* value) = 0;
};

// Windows.Networking.Connectivity.INetworkInformationStatics
constexpr IID kIidNetworkInformationStatics = {0x5074f851, 0x950d, 0x4165, {0x9c, 0x15, 0x36, 0x56, 0x19, 0x48, 0x1e, 0xea}};
struct INetworkInformationStatics : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE GetConnectionProfiles(IInspectable** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInternetConnectionProfile(IConnectionProfile** value) = 0;
};
}  // namespace connectivity_abi

namespace {

uint64_t filetime_value(const FILETIME& t) {
    return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

// 100-ns intervals between 1601-01-01 and 1970-01-01.
constexpr uint64_t kUnixEpochFiletime = 116'444'736'000'000'000ull;

int64_t filetime_unix_seconds(const FILETIME& t) {
    return (static_cast<int64_t>(filetime_value(t)) - static_cast<int64_t>(kUnixEpochFiletime)) / 10'000'000;
}

// A NUL-terminated UTF-16 buffer as UTF-8 (invalid units replaced).
template <size_t N>
std::string fixed_text(const wchar_t (&buffer)[N]) {
    return narrow(std::wstring_view(buffer, wcsnlen(buffer, N)));
}

}  // namespace

// ---- Processes -----------------------------------------------------------------------------

ProcessTable process_cpu_times() {
    ProcessTable table;
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.valid()) return table;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ProcessID < 5) continue;  // the idle and system processes
        UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        if (!process.valid()) continue;
        FILETIME created, exited, kernel, user;
        if (!GetProcessTimes(process.get(), &created, &exited, &kernel, &user)) continue;
        table[entry.th32ProcessID] = {fixed_text(entry.szExeFile), filetime_value(kernel) + filetime_value(user),
                                      filetime_value(created)};
    }
    return table;
}

// ---- Consent store -------------------------------------------------------------------------

namespace {

std::vector<std::string> enum_subkeys(HKEY key) {
    std::vector<std::string> names;
    wchar_t name[512];
    for (DWORD i = 0;; ++i) {
        DWORD length = ARRAYSIZE(name);
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.push_back(narrow(std::wstring_view(name, length)));
    }
    return names;
}

UniqueHkey open_key(HKEY parent, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, widen(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return UniqueHkey();
    return UniqueHkey(key);
}

std::optional<uint64_t> read_qword(HKEY key, const wchar_t* value) {
    uint64_t v = 0;
    DWORD size = sizeof v;
    if (RegGetValueW(key, nullptr, value, RRF_RT_REG_QWORD, nullptr, &v, &size) != ERROR_SUCCESS) return std::nullopt;
    return v;
}

ConsentEntry consent_entry(HKEY parent, const std::string& name, bool packaged) {
    ConsentEntry e{packaged, name, std::nullopt, std::nullopt};
    if (UniqueHkey key = open_key(parent, name)) {
        e.last_start = read_qword(key.get(), L"LastUsedTimeStart");
        e.last_stop = read_qword(key.get(), L"LastUsedTimeStop");
    }
    return e;
}

}  // namespace

std::vector<std::string> capability_users(std::string_view capability, std::string_view store) {
    UniqueHkey root = open_key(HKEY_CURRENT_USER, std::string(store) + "\\" + std::string(capability));
    if (!root) return {};
    std::vector<ConsentEntry> entries;
    for (const std::string& sub : enum_subkeys(root.get())) {
        if (sub != "NonPackaged") {
            entries.push_back(consent_entry(root.get(), sub, true));
            continue;
        }
        UniqueHkey programs = open_key(root.get(), sub);
        if (!programs) continue;
        for (const std::string& program : enum_subkeys(programs.get())) {
            ConsentEntry e{false, program, std::nullopt, std::nullopt};
            if (!consent_display_name(e)) continue;  // the island itself: not even opened
            entries.push_back(consent_entry(programs.get(), program, false));
        }
    }
    return consent_users(entries);
}

// ---- Downloads -----------------------------------------------------------------------------

std::optional<std::string> downloads_folder() {
    PWSTR raw = nullptr;
    const HRESULT hr = SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, &raw);
    UniqueCoTaskMem<wchar_t> path(raw);
    if (FAILED(hr) || !raw) return std::nullopt;
    return narrow(raw);
}

std::vector<FileSize> recent_downloads(const std::optional<std::string>& folder) {
    if (!folder) return {};
    WIN32_FIND_DATAW data{};
    UniqueFind find(FindFirstFileExW(widen(path_join(*folder, "*")).c_str(), FindExInfoBasic, &data,
                                     FindExSearchNameMatch, nullptr, 0));
    if (!find.valid()) return {};
    std::vector<FolderEntry> listing;
    do {
        const bool link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(data.dwReserved0);
        listing.push_back({fixed_text(data.cFileName),
                           (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                           filetime_unix_seconds(data.ftLastWriteTime),
                           (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, link});
    } while (FindNextFileW(find.get(), &data));
    return recent_downloads_in(listing, unix_now());
}

// ---- Connection profile --------------------------------------------------------------------

std::optional<ConnectionReading> internet_connection() {
    static const wchar_t kClass[] = L"Windows.Networking.Connectivity.NetworkInformation";
    HstringRef name(kClass, ARRAYSIZE(kClass) - 1);
    ComPtr<connectivity_abi::INetworkInformationStatics> statics;
    if (!name.get() || FAILED(RoGetActivationFactory(name.get(), connectivity_abi::kIidNetworkInformationStatics,
                                                     reinterpret_cast<void**>(statics.GetAddressOf()))))
        return std::nullopt;
    ComPtr<connectivity_abi::IConnectionProfile> profile;
    if (FAILED(statics->GetInternetConnectionProfile(&profile)) || !profile) return std::nullopt;

    ConnectionReading r;
    if (int32_t level = 0; SUCCEEDED(profile->GetNetworkConnectivityLevel(&level))) r.connectivity = level;
    HSTRING raw = nullptr;
    if (SUCCEEDED(profile->get_ProfileName(&raw))) {
        UniqueHstring owned(raw);
        r.name = hstring_utf8(raw);
    }
    ComPtr<connectivity_abi::IConnectionProfile2> second;
    boolean wlan = 0;
    if (SUCCEEDED(profile->QueryInterface(connectivity_abi::kIidConnectionProfile2,
                                          reinterpret_cast<void**>(second.GetAddressOf()))) &&
        SUCCEEDED(second->get_IsWlanConnectionProfile(&wlan)))
        r.wlan = wlan != 0;
    return r;
}

// ---- The probe and the thread --------------------------------------------------------------

namespace {

class SystemProbe final : public SysmonProbe {
public:
    uint32_t processors() override {
        SYSTEM_INFO info{};
        GetSystemInfo(&info);
        return info.dwNumberOfProcessors;
    }
    std::optional<CpuTimes> cpu_times() override {
        FILETIME idle, kernel, user;
        if (!GetSystemTimes(&idle, &kernel, &user)) return std::nullopt;
        // The kernel time includes the idle time, as the load formula expects.
        return CpuTimes{filetime_value(idle), filetime_value(kernel) + filetime_value(user)};
    }
    std::optional<MemoryReading> memory() override {
        MEMORYSTATUSEX status{};
        status.dwLength = sizeof status;
        if (!GlobalMemoryStatusEx(&status)) return std::nullopt;
        return MemoryReading{static_cast<double>(status.ullTotalPhys), static_cast<double>(status.ullAvailPhys)};
    }
    // The whole interface table is costly to build (over 10 ms under Wine), so
    // it is built every 30 s to find the hardware interfaces that are up; in
    // between, those are read one by one (one that comes up later counts from
    // the next listing).
    std::optional<NetCounters> network() override {
        const double now = monotonic_seconds();
        if (listed_ && now - listed_at_ < kInterfaceListSeconds) {
            if (std::optional<NetCounters> sum = read_listed_interfaces()) return sum;
        }
        MIB_IF_TABLE2* table = nullptr;
        if (GetIfTable2(&table) != NO_ERROR || !table) return std::nullopt;
        interfaces_.clear();
        listed_ = true;
        listed_at_ = now;
        NetCounters sum;
        for (ULONG i = 0; i < table->NumEntries; ++i) {
            const MIB_IF_ROW2& row = table->Table[i];
            if (row.Type == IF_TYPE_SOFTWARE_LOOPBACK || row.OperStatus != IfOperStatusUp ||
                !row.InterfaceAndOperStatusFlags.HardwareInterface)
                continue;
            interfaces_.push_back(row.InterfaceLuid);
            sum.received += row.InOctets;
            sum.sent += row.OutOctets;
        }
        FreeMibTable(table);
        return sum;
    }
    uint64_t uptime_ms() override { return GetTickCount64(); }
    std::optional<DiskReading> disk() override {
        ULARGE_INTEGER free_to_caller{}, total{};
        if (!GetDiskFreeSpaceExW(L"C:\\", &free_to_caller, &total, nullptr)) return std::nullopt;
        return DiskReading{static_cast<double>(free_to_caller.QuadPart), static_cast<double>(total.QuadPart)};
    }
    ProcessTable processes() override { return process_cpu_times(); }
    std::vector<std::string> capability_users(std::string_view capability) override {
        return ::capability_users(capability);
    }
    std::optional<std::string> downloads_folder() override { return ::downloads_folder(); }
    std::vector<FileSize> recent_downloads(const std::string& folder) override { return ::recent_downloads(folder); }
    std::optional<uint64_t> folder_stamp(const std::string& folder) override {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExW(widen(folder).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
        return filetime_value(data.ftLastWriteTime);
    }
    std::optional<std::vector<RadioReading>> radios() override { return list_radios(); }
    std::optional<ConnectionReading> connection() override { return internet_connection(); }
    double now() override { return monotonic_seconds(); }

private:
    static constexpr double kInterfaceListSeconds = 30;

    // None when an interface is gone: the table is built again.
    std::optional<NetCounters> read_listed_interfaces() {
        NetCounters sum;
        for (const NET_LUID& luid : interfaces_) {
            MIB_IF_ROW2 row{};
            row.InterfaceLuid = luid;
            if (GetIfEntry2(&row) != NO_ERROR) return std::nullopt;
            if (row.OperStatus != IfOperStatusUp) continue;
            sum.received += row.InOctets;
            sum.sent += row.OutOctets;
        }
        return sum;
    }

    std::vector<NET_LUID> interfaces_;  // hardware interfaces that were up, not loopback, as last listed
    bool listed_ = false;  // even an empty list stands for its 30 s
    double listed_at_ = 0;
};

}  // namespace

std::unique_ptr<SysmonProbe> make_system_probe() { return std::make_unique<SystemProbe>(); }

Shared<SysmonSnapshot> spawn_sysmon_thread(std::function<void()> notify) {
    Shared<SysmonSnapshot> shared(SysmonSnapshot{});
    (void)spawn_detached("sysmon", [shared, notify = std::move(notify)] {
        // The radio list and the connection profile need the runtime; without
        // it they read as absent.
        (void)RoInitialize(RO_INIT_MULTITHREADED);
        std::unique_ptr<SysmonProbe> probe = make_system_probe();
        sysmon_run(*probe, shared, notify);
    });
    return shared;
}
