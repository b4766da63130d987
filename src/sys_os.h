// Operating-system basics with UTF-8 paths: environment, local time, files.
// sys_os_win.cpp implements them with the wide Win32 API, sys_os_native.cpp with POSIX.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sys_result.h"

std::optional<std::string> get_env(const char* name);

struct LocalTime {
    int year = 1970, month = 1, day = 1;
    int weekday = 4;  // 0 = Sunday
    int hour = 0, minute = 0, second = 0;
};
LocalTime local_time();
// Seconds since 1970-01-01 UTC.
int64_t unix_now();
// The local time of a Unix time (false when it cannot be converted).
bool local_time_of(int64_t unix_seconds, LocalTime& out);
// Seconds since an arbitrary start; never goes backwards.
double monotonic_seconds();

// The last component of a path with either separator (trailing separators
// ignored); the whole path when there is none.
inline std::string path_last_component(std::string_view path) {
    std::string_view p = path;
    while (!p.empty() && (p.back() == '\\' || p.back() == '/')) p.remove_suffix(1);
    size_t cut = p.find_last_of("\\/");
    std::string_view name = cut == std::string_view::npos ? p : p.substr(cut + 1);
    return name.empty() ? std::string(path) : std::string(name);
}

// The platform's path separator joins the parts.
std::string path_join(std::string_view dir, std::string_view name);
// Creates the folder and its missing parents; true when it exists afterwards.
bool create_dirs(const std::string& path);
bool file_exists(const std::string& path);
std::optional<std::string> read_file(const std::string& path);
// The bytes from `offset` to the end (empty at or past the end).
std::optional<std::string> read_file_from(const std::string& path, uint64_t offset);
// The entry names of a folder in listing order, without "." and ".."; empty
// when it cannot be listed.
std::vector<std::string> folder_names(const std::string& dir);
// Writes a temporary file beside the target and moves it over the target, so
// the target holds either the old or the new contents. Each write creates its
// own temporary name, so a leftover that cannot be replaced stops no later write.
Status write_file_atomic(const std::string& path, std::string_view bytes);
// The temporary name of one atomic write: the process and a per-process count.
inline std::string atomic_temp_path(const std::string& path, uint32_t process_id, uint64_t serial) {
    return path + "." + std::to_string(process_id) + "-" + std::to_string(serial) + ".tmp";
}
// Tries of fresh temporary names before an atomic write gives up.
constexpr int kAtomicTempTries = 8;
// Opens for shared appending (creating it) and writes the bytes in one write.
Status append_file(const std::string& path, std::string_view bytes);
bool remove_file(const std::string& path);
std::optional<uint64_t> file_size(const std::string& path);

struct FileInfo {
    bool directory = false;
    uint64_t size = 0;
};
// Nothing when the file system cannot give the metadata.
std::optional<FileInfo> file_info(const std::string& path);
