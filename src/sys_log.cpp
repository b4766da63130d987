#include "sys_log.h"

#include <fmt/format.h>

#include <mutex>

#include "sys_os.h"

std::string data_dir() {
    std::string dir;
    if (auto v = get_env("VEMO_ISLAND_DATA"); v && !v->empty()) {
        dir = *v;
    } else {
        auto appdata = get_env("APPDATA");
        dir = path_join(appdata && !appdata->empty() ? *appdata : std::string("."), "VemoIsland");
    }
    create_dirs(dir);
    return dir;
}

std::string data_file(std::string_view name) { return path_join(data_dir(), name); }

std::string log_line(int hour, int minute, int second, std::string_view message) {
    return fmt::format("{:02}:{:02}:{:02} {}\n", hour, minute, second, message);
}

void write_log(std::string_view message) {
    // Appends are whole-line writes; the lock also keeps threads of this
    // process from racing where a file system's append is not atomic (Wine).
    static std::mutex m;
    LocalTime t = local_time();
    std::string line = log_line(t.hour, t.minute, t.second, message);
    std::string path = data_file("log.txt");
    std::lock_guard<std::mutex> lk(m);
    (void)append_file(path, line);
}
