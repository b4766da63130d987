// POSIX implementation of the OS basics, for the native build and its tests.
#include "sys_os.h"

#include <atomic>
#include <cerrno>
#include <dirent.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

std::optional<std::string> get_env(const char* name) {
    const char* v = std::getenv(name);
    if (!v) return std::nullopt;
    return std::string(v);
}

static LocalTime from_tm(const std::tm& t) {
    LocalTime lt;
    lt.year = t.tm_year + 1900;
    lt.month = t.tm_mon + 1;
    lt.day = t.tm_mday;
    lt.weekday = t.tm_wday;
    lt.hour = t.tm_hour;
    lt.minute = t.tm_min;
    lt.second = t.tm_sec;
    return lt;
}

LocalTime local_time() {
    LocalTime out;
    local_time_of(unix_now(), out);
    return out;
}

int64_t unix_now() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

bool local_time_of(int64_t unix_seconds, LocalTime& out) {
    std::time_t t = static_cast<std::time_t>(unix_seconds);
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return false;
    out = from_tm(tm);
    return true;
}

double monotonic_seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::string path_join(std::string_view dir, std::string_view name) {
    std::string out(dir);
    if (!out.empty() && out.back() != '/') out += '/';
    out += name;
    return out;
}

bool create_dirs(const std::string& path) {
    if (path.empty()) return false;
    std::string cur;
    size_t i = 0;
    while (i <= path.size()) {
        size_t j = path.find('/', i);
        if (j == std::string::npos) j = path.size();
        cur = path.substr(0, j);
        if (!cur.empty()) ::mkdir(cur.c_str(), 0755);
        i = j + 1;
    }
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool file_exists(const std::string& path) {
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0;
}

std::optional<std::string> read_file(const std::string& path) { return read_file_from(path, 0); }

std::optional<std::string> read_file_from(const std::string& path, uint64_t offset) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string out;
    if (::lseek(fd, static_cast<off_t>(offset), SEEK_SET) < 0) {
        ::close(fd);
        return std::nullopt;
    }
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return out;
}

std::vector<std::string> folder_names(const std::string& dir) {
    std::vector<std::string> out;
    DIR* d = ::opendir(dir.c_str());
    if (!d) return out;
    while (const dirent* e = ::readdir(d)) {
        std::string_view name = e->d_name;
        if (name != "." && name != "..") out.emplace_back(name);
    }
    ::closedir(d);
    return out;
}

static bool write_all(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

Status write_file_atomic(const std::string& path, std::string_view bytes) {
    static std::atomic<uint64_t> serial{0};
    std::string tmp;
    int fd = -1;
    for (int i = 0; i < kAtomicTempTries && fd < 0; ++i) {
        tmp = atomic_temp_path(path, static_cast<uint32_t>(::getpid()), ++serial);
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST && errno != EISDIR) break;
    }
    if (fd < 0) return make_error("open " + tmp + ": " + std::strerror(errno));
    bool ok = write_all(fd, bytes) && ::fsync(fd) == 0;
    int err = errno;
    ::close(fd);
    if (!ok) {
        ::unlink(tmp.c_str());
        return make_error("write " + tmp + ": " + std::strerror(err));
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        err = errno;
        ::unlink(tmp.c_str());
        return make_error("rename " + tmp + ": " + std::strerror(err));
    }
    return ok_status();
}

Status append_file(const std::string& path, std::string_view bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return make_error("open " + path + ": " + std::strerror(errno));
    bool ok = write_all(fd, bytes);
    ::close(fd);
    if (!ok) return make_error("write " + path);
    return ok_status();
}

bool remove_file(const std::string& path) { return ::unlink(path.c_str()) == 0; }

std::optional<uint64_t> file_size(const std::string& path) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return static_cast<uint64_t>(st.st_size);
}

std::optional<FileInfo> file_info(const std::string& path) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileInfo{S_ISDIR(st.st_mode), static_cast<uint64_t>(st.st_size)};
}
