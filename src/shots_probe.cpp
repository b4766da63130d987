// The system probe's report: debug forms of the values it saw and its lines in order.
#include "shots_probe.h"

#include <fmt/format.h>

#include "app_format.h"
#include "sys_os.h"

namespace {

const char* yes_no(bool b) { return b ? "true" : "false"; }

constexpr double kGigabyte = 1e9;

}  // namespace

// ---- Debug forms ----------------------------------------------------------------------------

std::string fmt_battery_debug(const PowerStatus& power) {
    return fmt::format("Battery {{ percent: {}, ac: {}, present: {} }}", power.percent, yes_no(power.on_ac),
                       yes_no(power.has_battery));
}

std::string debug_text(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20 || u == 0x7F) {
            out += fmt::format("\\u{{{:x}}}", u);
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string debug_text_list(const std::vector<std::string>& items) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + debug_text(items[i]);
    return out + "]";
}

std::string debug_volume(const std::optional<VolumeReading>& reading) {
    if (!reading) return "None";
    return fmt::format("({}, {})", reading->level, yes_no(reading->muted));
}

std::string debug_radio(RadioState state) {
    switch (state) {
        case RadioState::Off: return "Off";
        case RadioState::On: return "On";
        default: return "None";
    }
}

std::string debug_top(const std::vector<TopProcess>& top) {
    std::string out = "[";
    for (size_t i = 0; i < top.size(); ++i)
        out += fmt::format("{}({}, {})", i ? ", " : "", debug_text(top[i].name), top[i].cpu_percent);
    return out + "]";
}

std::string debug_playing(const std::optional<SteamPlaying>& playing) {
    if (!playing) return "None";
    return fmt::format("Playing {{ name: {}, app_id: {}, started: {} }}", debug_text(playing->name), playing->app_id,
                       playing->started);
}

std::string debug_download(const std::optional<SteamActiveDownload>& active) {
    if (!active) return "None";
    return fmt::format("Download {{ name: {}, app_id: {}, done: {}, total: {}, rate: {}, state: {}, paused: {} }}",
                       debug_text(active->name), active->app_id, active->done, active->total, active->rate,
                       active->state, yes_no(active->paused));
}

// ---- The report -----------------------------------------------------------------------------

namespace {

std::string media_line(const MediaSnapshot& m) {
    // No session means no cover, whatever an earlier pass left behind.
    std::string art = m.has && m.art ? fmt::format("{}x{}", m.art->width, m.art->height) : "-";
    return fmt::format("media: has={} playing={} title={} artist={} app={} pos={:.1f}/{:.1f} art={}", yes_no(m.has),
                       yes_no(m.playing), m.title, m.artist, m.app, m.position, m.duration, art);
}

std::string sysmon_line(const SysmonSnapshot& s) {
    return fmt::format(
        "sysmon: cpu={:.0f}% ram={:.1f}/{:.1f} GB down={:.0f} B/s up={:.0f} B/s disk_free={:.0f} GB wifi={} bt={} "
        "online={} net={} top={}",
        s.cpu * 100.0, s.mem_used / kGigabyte, s.mem_total / kGigabyte, s.down_rate, s.up_rate,
        s.disk_free / kGigabyte, debug_radio(s.wifi), debug_radio(s.bluetooth), yes_no(s.online), s.net_name,
        debug_top(s.top));
}

std::string weather_line(const WeatherSnapshot& w) {
    // The table knows only WMO codes; anything else (a negative code too) reads as a dash.
    const char* text = w.code < 0 ? "—" : weather_code_text(static_cast<uint32_t>(w.code));
    return fmt::format("weather: ok={} city={} temp={:.1f} code={} ({}) days={} err={}", yes_no(w.ok), w.city, w.temp,
                       w.code, text, w.days.size(), w.error);
}

void add_steam_lines(std::vector<std::string>& lines, const SteamSnapshot& s) {
    lines.push_back(fmt::format("steam: found={} client={} persona={} games={} size={:.0f} GB updates={} playing={} "
                                "active={}",
                                yes_no(s.found), yes_no(s.client), s.persona, s.game_count,
                                static_cast<double>(s.total_size) / kGigabyte, s.updates_waiting,
                                debug_playing(s.playing), debug_download(s.active)));
    for (const SteamGameEntry& g : s.games)
        lines.push_back(fmt::format("  game: {} ({}) {} sa, last={} img={}", g.name, g.app_id, g.minutes / 60.0,
                                    g.last_played, yes_no(g.header != nullptr)));
}

}  // namespace

std::vector<std::string> probe_report_lines(const SystemProbe& p) {
    std::vector<std::string> lines;
    lines.push_back("volume: " + debug_volume(p.volume));
    lines.push_back(fmt::format("brightness available={} value={}", yes_no(p.brightness_available),
                                p.brightness_available && p.brightness ? fmt::format("{}", *p.brightness) : "None"));
    lines.push_back("battery: " + (p.power ? fmt_battery_debug(*p.power) : std::string("None")));

    lines.push_back(fmt::format("apps indexed: {}", p.apps.size()));
    for (size_t i = 0; i < p.apps.size() && i < kProbeListedApps; ++i)
        lines.push_back(fmt::format("  app: {} -> {}", p.apps[i].name, p.apps[i].id));
    for (const SearchRow& row : p.query_rows)
        lines.push_back(fmt::format("  query '{}': {} ({})", kProbeQuery, row.title, row.label));

    if (p.media) lines.push_back(media_line(*p.media));
    lines.push_back("shell icon notepad: " +
                    (p.shell_icon ? fmt::format("({}, {})", p.shell_icon->first, p.shell_icon->second)
                                  : std::string("None")));
    lines.push_back(fmt::format("autostart: {}", yes_no(p.autostart)));
    lines.push_back(fmt::format("dark mode: {}  caps: {}  layout: {}", yes_no(p.dark_mode), yes_no(p.caps_lock),
                                p.layout));
    lines.push_back("foreground exe: " + p.foreground_exe);
    lines.push_back(fmt::format("mic in use: {}  camera in use: {}", debug_text_list(p.mic_users),
                                debug_text_list(p.cam_users)));
    lines.push_back("microphone: " + debug_volume(p.microphone));

    if (p.sysmon) lines.push_back(sysmon_line(*p.sysmon));
    if (p.weather) lines.push_back(weather_line(*p.weather));
    if (p.steam) add_steam_lines(lines, *p.steam);
    if (p.notifications_status) lines.push_back("notifications listener: " + *p.notifications_status);
    lines.push_back(fmt::format("is_browser chrome/edge/discord: {} {} {}", yes_no(p.is_browser[0]),
                                yes_no(p.is_browser[1]), yes_no(p.is_browser[2])));
    lines.push_back(p.google_line);
    lines.push_back("microphones: " + debug_text_list(p.microphones));
    return lines;
}

std::string probe_report_text(const SystemProbe& probe) {
    std::string text;
    for (const std::string& line : probe_report_lines(probe)) text += line + "\n";
    return text;
}

ProbeTarget probe_target(const std::string& argument, bool is_folder) {
    if (argument.empty()) return {"", kProbeFileName};
    char last = argument.back();
    bool ends_in_separator = last == '/' || last == '\\';
    std::string name = path_last_component(argument);
    if (is_folder || ends_in_separator || name.find('.') == std::string::npos) {
        std::string folder = argument;
        while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
        return {folder, path_join(folder, kProbeFileName)};
    }
    return {"", argument};
}
