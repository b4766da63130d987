// Search folding, weather texts, size/rate texts and Turkish capitalisation.
#include "app_format.h"

#include <fmt/format.h>

#include "sys_num.h"
#include "sys_text.h"

void fold_search_char(char32_t c, std::string& out) {
    switch (c) {
        case U'\u00E2': out.push_back('a'); return;  // â
        case U'\u00E7': out.push_back('c'); return;  // ç
        case U'\u00EE':                              // î
        case U'\u0131': out.push_back('i'); return;  // ı
        case U'\u00F6': out.push_back('o'); return;  // ö
        case U'\u00FC': out.push_back('u'); return;  // ü
        case U'\u011F': out.push_back('g'); return;  // ğ
        case U'\u015F': out.push_back('s'); return;  // ş
        case U'\u0307':                              // combining dot left by "İ"
        case U'\0': return;
        default: append_utf8(out, c); return;
    }
}

std::string fold_search_text(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::u32string lowered;
    for (size_t i = 0; i < text.size();) {
        lowered.clear();
        append_lower(lowered, next_code_point(text, i));
        for (char32_t c : lowered) fold_search_char(c, out);
    }
    return out;
}

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

std::string turkish_capitalize(std::string_view text) {
    if (text.empty()) return {};
    size_t i = 0;
    const char32_t first = next_code_point(text, i);
    std::string out;
    out.reserve(text.size() + 2);
    if (first == U'i') {
        out += "İ";
    } else if (first == U'\u0131') {
        out += "I";
    } else {
        std::u32string upper;
        append_upper(upper, first);
        for (char32_t c : upper) append_utf8(out, c);
    }
    out += sanitize_utf8(text.substr(i));
    return out;
}

const char* weekday_short(int weekday) {
    static const char* const kNames[] = {"Paz", "Pzt", "Sal", "Çar", "Per", "Cum", "Cmt"};
    if (weekday < 0 || weekday > 6) return "";
    return kNames[weekday];
}
