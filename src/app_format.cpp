// Weather texts, size and rate texts, weekday abbreviations.
#include "app_format.h"

#include <algorithm>

#include <fmt/format.h>

#include "sys_num.h"

const char* weather_code_text(uint32_t code) {
    switch (code) {
        case 0: return "Açık";
        case 1: return "Az bulutlu";
        case 2: return "Parçalı bulutlu";
        case 3: return "Kapalı";
        case 45:
        case 48: return "Sisli";
        case 51:
        case 53:
        case 55: return "Çiseliyor";
        case 56:
        case 57: return "Dondurucu çisenti";
        case 61: return "Hafif yağmur";
        case 63: return "Yağmurlu";
        case 65: return "Şiddetli yağmur";
        case 66:
        case 67: return "Dondurucu yağmur";
        case 71: return "Hafif kar";
        case 73: return "Karlı";
        case 75: return "Yoğun kar";
        case 77: return "Kar taneleri";
        case 80:
        case 81: return "Sağanak";
        case 82: return "Şiddetli sağanak";
        case 85:
        case 86: return "Kar sağanağı";
        case 95: return "Gök gürültülü";
        case 96:
        case 99: return "Dolu ve fırtına";
        default: return "—";
    }
}

std::string format_bytes(uint64_t n) {
    constexpr uint64_t kKiB = 1024, kMiB = kKiB * 1024, kGiB = kMiB * 1024;
    if (n < kKiB) return fmt::format("{} B", n);
    if (n < kMiB) return fixed_comma(static_cast<double>(n) / kKiB, 1) + " KB";
    if (n < kGiB) return fixed_comma(static_cast<double>(n) / kMiB, 1) + " MB";
    return fixed_comma(static_cast<double>(n) / kGiB, 1) + " GB";
}

std::string format_rate(double x) {
    if (x >= 1048576.0) return fixed_comma(x / 1048576.0, 1) + " MB/s";
    if (x >= 1024.0) return fixed_comma(x / 1024.0, 0) + " KB/s";
    return fixed_comma(x, 0) + " B/s";
}

// "{m} dk" (at least 1) below an hour, else "{h} sa {m} dk".
std::string play_time_text(int64_t seconds) {
    const int64_t s = std::max<int64_t>(0, seconds);
    if (s < 3600) return fmt::format("{} dk", std::max<int64_t>(1, s / 60));
    return fmt::format("{} sa {} dk", s / 3600, (s % 3600) / 60);
}
