// The media watcher's pure rules: player names, the accent colour of a cover,
// the timeline in seconds and the seek position in ticks.
//
// Index
//   Player names
//   Accent colour
//   Timeline and seek
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "media.h"
#include "media_runtime_ids.h"
#include "sys_text.h"

MediaSnapshot initial_media_snapshot() {
    MediaSnapshot s;
    s.accent[0] = s.accent[1] = s.accent[2] = 1.0f;
    return s;
}

// ---- Player names ---------------------------------------------------------------------------------

namespace {

struct KnownPlayer {
    const char* needle;  // looked for in the lower-cased identifier, in this order
    const char* name;
};
constexpr KnownPlayer kKnownPlayers[] = {
    {"spotify", "Spotify"},       {"chrome", "Chrome"},           {"msedge", "Edge"},
    {"firefox", "Firefox"},       {"308046b0af4a39cb", "Firefox"}, {"opera", "Opera"},
    {"brave", "Brave"},           {"zunemusic", "Medya Oynatıcı"}, {"zunevideo", "Filmler ve TV"},
    {"vlc", "VLC"},               {"applemusic", "Apple Music"},  {"itunes", "iTunes"},
    {"deezer", "Deezer"},         {"youtube", "YouTube"},         {"discord", "Discord"},
    {"vivaldi", "Vivaldi"},       {"vortex", "VORTEX"},           {"foobar", "foobar2000"},
    {"aimp", "AIMP"},             {"tidal", "TIDAL"},
};

bool ends_with(std::string_view s, std::string_view tail) {
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

}  // namespace

std::string media_source_name(std::string_view app_id) {
    const std::string lower = to_lower(app_id);
    for (const KnownPlayer& p : kKnownPlayers)
        if (lower.find(p.needle) != std::string::npos) return p.name;

    std::string_view name = app_id;
    if (size_t cut = name.find_last_of("\\/!"); cut != std::string_view::npos) name = name.substr(cut + 1);
    while (ends_with(name, ".exe")) name.remove_suffix(4);
    while (ends_with(name, ".EXE")) name.remove_suffix(4);
    if (size_t dot = name.rfind('.'); dot != std::string_view::npos) name = name.substr(dot + 1);
    if (name.empty()) return "Medya";

    const std::u32string chars = utf8_to_u32(name);
    std::u32string out;
    append_upper(out, chars[0]);
    out.append(chars, 1);
    return u32_to_utf8(out);
}

// ---- Accent colour ----------------------------------------------------------------------------------

namespace {
constexpr double kOpaqueEnough = 0.5;      // pixels below this alpha do not count
constexpr double kBaseWeight = 0.05;       // every counted pixel weighs at least this
constexpr double kGreySpread = 0.04;       // a mean colour this flat is grey
constexpr std::array<float, 3> kNoArtAccent = {1.0f, 1.0f, 1.0f};
constexpr std::array<float, 3> kGreyAccent = {0.92f, 0.92f, 0.95f};
constexpr double kMinSaturation = 0.5, kMaxSaturation = 0.85, kMinValue = 0.92;
}  // namespace

std::array<float, 3> accent_from_pixels(const Image& image) {
    double sum_r = 0, sum_g = 0, sum_b = 0, sum_w = 0;
    const size_t whole = image.pixels.size() / 4;
    for (size_t i = 0; i < whole; ++i) {
        const uint8_t* px = &image.pixels[i * 4];
        const double a = px[3] / 255.0;
        if (a < kOpaqueEnough) continue;
        const double r = px[2] / 255.0 / a, g = px[1] / 255.0 / a, b = px[0] / 255.0 / a;
        const double v = std::max({r, g, b});
        const double s = v > 0 ? (v - std::min({r, g, b})) / v : 0;
        const double w = s * s * v + kBaseWeight;
        sum_r += w * r;
        sum_g += w * g;
        sum_b += w * b;
        sum_w += w;
    }
    if (sum_w <= 0) return kNoArtAccent;

    const double r = sum_r / sum_w, g = sum_g / sum_w, b = sum_b / sum_w;
    const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    if (mx <= 0.0001 || mx - mn < kGreySpread) return kGreyAccent;

    const double delta = mx - mn;
    double h;
    if (mx == r) h = std::fmod((g - b) / delta, 6.0);
    else if (mx == g) h = (b - r) / delta + 2;
    else h = (r - g) / delta + 4;
    if (h < 0) h += 6;
    const double s = std::clamp(delta / mx, kMinSaturation, kMaxSaturation);
    const double v = std::max(mx, kMinValue);
    const double c = s * v;
    const double x = c * (1 - std::fabs(std::fmod(h, 2.0) - 1));
    const double m = v - c;
    double out_r, out_g, out_b;
    switch (static_cast<int>(h)) {
        case 0: out_r = c, out_g = x, out_b = 0; break;
        case 1: out_r = x, out_g = c, out_b = 0; break;
        case 2: out_r = 0, out_g = c, out_b = x; break;
        case 3: out_r = 0, out_g = x, out_b = c; break;
        case 4: out_r = x, out_g = 0, out_b = c; break;
        default: out_r = c, out_g = 0, out_b = x; break;
    }
    return {static_cast<float>(out_r + m), static_cast<float>(out_g + m), static_cast<float>(out_b + m)};
}

// ---- Timeline and seek ----------------------------------------------------------------------------

namespace {
constexpr double kLongestExtrapolation = 21'600;  // six hours: an older update is stale
}

int64_t seek_ticks(double seconds) {
    const double ticks = seconds * static_cast<double>(kTicksPerSecond);
    if (std::isnan(ticks)) return 0;
    // 2^63 is exactly representable; anything at or beyond it saturates.
    constexpr double kLimit = 9223372036854775808.0;
    if (ticks >= kLimit) return std::numeric_limits<int64_t>::max();
    if (ticks <= -kLimit) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(ticks);  // toward zero
}

MediaTimes media_times(const MediaTimelineTicks& t, bool playing, int64_t now) {
    const double tps = static_cast<double>(kTicksPerSecond);
    MediaTimes out;
    out.duration = std::max(static_cast<double>(t.end) - static_cast<double>(t.start), 0.0) / tps;
    out.position = std::max(static_cast<double>(t.position) - static_cast<double>(t.start), 0.0) / tps;
    if (playing && t.last_updated > 0) {
        const double elapsed = (static_cast<double>(now) - static_cast<double>(t.last_updated)) / tps;
        if (elapsed > 0 && elapsed < kLongestExtrapolation) out.position += elapsed;
    }
    if (out.duration > 0) out.position = std::min(out.position, out.duration);
    return out;
}

std::string media_track_key(std::string_view title, std::string_view artist, std::string_view app) {
    std::string key;
    key.reserve(title.size() + artist.size() + app.size() + 2);
    key.append(title);
    key += '\x01';
    key.append(artist);
    key += '\x01';
    key.append(app);
    return key;
}

std::string runtime_iid_text(const RuntimeIid& iid) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x", static_cast<unsigned>(iid.data1),
                  static_cast<unsigned>(iid.data2), static_cast<unsigned>(iid.data3), iid.data4[0], iid.data4[1],
                  iid.data4[2], iid.data4[3], iid.data4[4], iid.data4[5], iid.data4[6], iid.data4[7]);
    return buf;
}
