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
    std::string text;
    text.reserve(message.size());
    for (size_t i = 0; i < message.size(); ++i) {
        const auto c = static_cast<unsigned char>(message[i]);
        const bool c1 = c == 0xC2 && i + 1 < message.size() && (static_cast<unsigned char>(message[i + 1]) & 0xE0) == 0x80;
        if (c1) ++i;  // U+0080..U+009F, two bytes in UTF-8
        text += c < 0x20 || c == 0x7F || c1 ? ' ' : static_cast<char>(c);
    }
    return fmt::format("{:02}:{:02}:{:02} {}\n", hour, minute, second, text);
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
