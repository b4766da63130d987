// Win32 implementation of the OS basics: wide-character paths throughout.
#include "sys_os.h"
#include "sys_win.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <vector>

std::wstring widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string narrow(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string system_message(DWORD code) {
    wchar_t* buf = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
    UniqueLocal owner(buf);
    std::wstring text = n && buf ? std::wstring(buf, n) : std::wstring();
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' || text.back() == L'.'))
        text.pop_back();
    return narrow(text);
}

Error win_error(const char* call, HRESULT hr) {
    char code[16];
    wsprintfA(code, "0x%08lX", static_cast<unsigned long>(hr));
    std::string msg = std::string(call) + " (" + code + ")";
    std::string sys = system_message(static_cast<DWORD>(hr));
    if (!sys.empty()) msg += ": " + sys;
    return Error{msg, static_cast<int32_t>(hr)};
}

Error last_error(const char* call) {
    DWORD e = GetLastError();
    return win_error(call, HRESULT_FROM_WIN32(e));
}

std::optional<std::string> get_env(const char* name) {
    std::wstring wname = widen(name);
    DWORD n = GetEnvironmentVariableW(wname.c_str(), nullptr, 0);
    if (n == 0) return std::nullopt;
    std::wstring buf(n, L'\0');
    DWORD got = GetEnvironmentVariableW(wname.c_str(), buf.data(), n);
    if (got == 0 || got >= n) return got == 0 ? std::optional<std::string>(std::string()) : std::nullopt;
    buf.resize(got);
    return narrow(buf);
}

LocalTime local_time() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    LocalTime lt;
    lt.year = st.wYear;
    lt.month = st.wMonth;
    lt.day = st.wDay;
    lt.weekday = st.wDayOfWeek;
    lt.hour = st.wHour;
    lt.minute = st.wMinute;
    lt.second = st.wSecond;
    return lt;
}

// 100-ns intervals between 1601-01-01 and 1970-01-01.
static constexpr int64_t kEpochDiff = 116444736000000000LL;

int64_t unix_now() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER u;
    u.LowPart = ft.dwLowDateTime;
    u.HighPart = ft.dwHighDateTime;
    return (static_cast<int64_t>(u.QuadPart) - kEpochDiff) / 10000000LL;
}

namespace {

bool fill_local_time(const FILETIME& ft, LocalTime& out) {
    SYSTEMTIME st;
    if (!FileTimeToSystemTime(&ft, &st)) return false;
    out.year = st.wYear;
    out.month = st.wMonth;
    out.day = st.wDay;
    out.weekday = st.wDayOfWeek;
    out.hour = st.wHour;
    out.minute = st.wMinute;
    out.second = st.wSecond;
    return true;
}

FILETIME filetime_of_unix(int64_t unix_seconds) {
    ULARGE_INTEGER u;
    u.QuadPart = static_cast<ULONGLONG>(unix_seconds * 10000000LL + kEpochDiff);
    return FILETIME{u.LowPart, u.HighPart};
}

// The zone's offset within one minute: every clock change (daylight saving,
// a new zone chosen by the user) takes effect on a minute boundary or is
// noticed within a minute. Asking the zone rules is costly (several registry
// reads under Wine), and the island asks several times a second.
struct ZoneOffsetCache {
    int64_t minute = INT64_MIN;
    int64_t offset = 0;  // seconds, local minus UTC
};

}  // namespace

bool local_time_of(int64_t unix_seconds, LocalTime& out) {
    if (unix_seconds < -11644473600LL || unix_seconds > 900000000000LL) return false;
    thread_local ZoneOffsetCache cache;
    const int64_t minute = unix_seconds >= 0 ? unix_seconds / 60 : -((-unix_seconds + 59) / 60);
    if (minute != cache.minute) {
        const FILETIME ft = filetime_of_unix(minute * 60);
        SYSTEMTIME utc, loc;
        FILETIME local_ft;
        if (!FileTimeToSystemTime(&ft, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &loc) ||
            !SystemTimeToFileTime(&loc, &local_ft))
            return false;
        ULARGE_INTEGER l;
        l.LowPart = local_ft.dwLowDateTime;
        l.HighPart = local_ft.dwHighDateTime;
        cache.offset = (static_cast<int64_t>(l.QuadPart) - kEpochDiff) / 10000000LL - minute * 60;
        cache.minute = minute;
    }
    const int64_t local = unix_seconds + cache.offset;
    if (local < -11644473600LL) return false;
    return fill_local_time(filetime_of_unix(local), out);
}

double monotonic_seconds() {
    static const double freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / freq;
}

std::string path_join(std::string_view dir, std::string_view name) {
    std::string out(dir);
    if (!out.empty() && out.back() != '\\' && out.back() != '/') out += '\\';
    out += name;
    return out;
}

bool create_dirs(const std::string& path) {
    std::wstring w = widen(path);
    for (auto& c : w)
        if (c == L'/') c = L'\\';
    // Create each missing parent from the left; existing ones just fail.
    for (size_t i = 1; i < w.size(); ++i) {
        if (w[i] == L'\\' && w[i - 1] != L':' && w[i - 1] != L'\\') {
            CreateDirectoryW(w.substr(0, i).c_str(), nullptr);
        }
    }
    CreateDirectoryW(w.c_str(), nullptr);
    DWORD attr = GetFileAttributesW(w.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool file_exists(const std::string& path) {
    return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::string> read_file(const std::string& path) { return read_file_from(path, 0); }

std::optional<std::string> read_file_from(const std::string& path, uint64_t offset) {
    UniqueHandle f(CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.valid()) return std::nullopt;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(f.get(), &size) || size.QuadPart < 0 || size.QuadPart > (1LL << 31)) return std::nullopt;
    const uint64_t total = static_cast<uint64_t>(size.QuadPart);
    if (offset >= total) return std::string();
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(f.get(), at, nullptr, FILE_BEGIN)) return std::nullopt;
    std::string out(static_cast<size_t>(total - offset), '\0');
    size_t done = 0;
    while (done < out.size()) {
        DWORD got = 0;
        DWORD want = static_cast<DWORD>(std::min<size_t>(out.size() - done, 1u << 24));
        if (!ReadFile(f.get(), out.data() + done, want, &got, nullptr)) return std::nullopt;
        if (got == 0) break;
        done += got;
    }
    out.resize(done);
    return out;
}

std::vector<std::string> folder_names(const std::string& dir) {
    std::vector<std::string> out;
    WIN32_FIND_DATAW data;
    UniqueFind find(FindFirstFileW(widen(path_join(dir, "*")).c_str(), &data));
    if (!find.valid()) return out;
    do {
        std::wstring_view name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        out.push_back(narrow(name));
    } while (FindNextFileW(find.get(), &data));
    return out;
}

static bool write_all(HANDLE f, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        if (!WriteFile(f, bytes.data() + done, want, &wrote, nullptr) || wrote == 0) return false;
        done += wrote;
    }
    return true;
}

Status write_file_atomic(const std::string& path, std::string_view bytes) {
    static std::atomic<uint64_t> serial{0};
    std::wstring target = widen(path);
    std::wstring tmp;
    {
        UniqueHandle f;
        DWORD err = 0;
        for (int i = 0; i < kAtomicTempTries && !f.valid(); ++i) {
            tmp = widen(atomic_temp_path(path, GetCurrentProcessId(), ++serial));
            f = UniqueHandle(CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            err = f.valid() ? 0 : GetLastError();
            if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS && err != ERROR_ACCESS_DENIED) break;
        }
        if (!f.valid()) {
            SetLastError(err);
            return last_error("CreateFileW");
        }
        if (!write_all(f.get(), bytes) || !FlushFileBuffers(f.get())) {
            Error e = last_error("WriteFile");
            f.reset();
            DeleteFileW(tmp.c_str());
            return e;
        }
    }
    if (!MoveFileExW(tmp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        Error e = last_error("MoveFileExW");
        DeleteFileW(tmp.c_str());
        return e;
    }
    return ok_status();
}

Status append_file(const std::string& path, std::string_view bytes) {
    // FILE_APPEND_DATA makes every write land at the end, so whole lines from
    // several threads or processes never overwrite each other.
    UniqueHandle f(CreateFileW(widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.valid()) return last_error("CreateFileW");
    if (!write_all(f.get(), bytes)) return last_error("WriteFile");
    return ok_status();
}

bool remove_file(const std::string& path) { return DeleteFileW(widen(path).c_str()) != 0; }

std::optional<uint64_t> file_size(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &d)) return std::nullopt;
    return (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

std::optional<FileInfo> file_info(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &d)) return std::nullopt;
    FileInfo fi;
    fi.directory = (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    fi.size = (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
    return fi;
}
