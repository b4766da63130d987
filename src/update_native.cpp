// Self-update, native stand-in for the file operations of the swap (POSIX),
// so the swap runs in the native tests on real files.
#include "update.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "sys_os.h"

namespace {

Error errno_text() { return make_error(std::strerror(errno)); }

Result<std::string> running_exe_path() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf);
    if (n < 0 || static_cast<size_t>(n) >= sizeof buf) return errno_text();
    return std::string(buf, static_cast<size_t>(n));
}

Status write_whole_file(const std::string& path, std::string_view bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return errno_text();
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    Error e = errno_text();
    if (std::fclose(f) != 0 && ok) return errno_text();
    if (!ok) return e;
    return ok_status();
}

Status rename_path(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0) return errno_text();
    return ok_status();
}

}  // namespace

SwapFiles system_swap_files() {
    return SwapFiles{running_exe_path, write_whole_file, remove_file, rename_path};
}
