// The system probe's pass over this machine: the Windows queries in the
// report's order and the watchers started with the program's own spawners.
#include <chrono>
#include <thread>

#include "app.h"
#include "google_worker.h"
#include "notifications.h"
#include "shots_probe.h"
#include "steam_watch.h"
#include "sys_mic.h"
#include "sys_os.h"
#include "sys_shell.h"
#include "sys_win.h"
#include "sysmon_sampler.h"
#include "weather_worker.h"

namespace {

// Long enough for the apps index and a media pass, then for two system-monitor
// samples and the weather's first reply, then for the Steam files and the
// notification listener's start.
constexpr auto kFirstWait = std::chrono::seconds(4);
constexpr auto kSecondWait = std::chrono::seconds(5);
constexpr auto kThirdWait = std::chrono::seconds(4);

constexpr DWORD kPathUnits = 1024;

// The full executable path of the program in front; empty when there is none
// or it cannot be opened.
std::string foreground_exe_path() {
    HWND front = GetForegroundWindow();
    if (!front) return {};
    DWORD pid = 0;
    GetWindowThreadProcessId(front, &pid);
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process.valid()) return {};
    wchar_t path[kPathUnits];
    DWORD units = kPathUnits;
    if (!QueryFullProcessImageNameW(process.get(), 0, path, &units)) return {};
    return narrow(std::wstring_view(path, units));
}

}  // namespace

// Each watcher's state is copied under its lock (snapshot); a poisoned lock
// gives nothing and the report leaves that state's lines out.
void run_system_probe(const std::string& path) {
    ComInit com;
    SystemProbe p;

    EndpointVolumeCache speakers;
    p.volume = get_master_volume(speakers);
    BrightnessDevice panel = open_brightness_device();
    p.brightness_available = panel.present;
    if (panel.present) p.brightness = query_brightness(panel);
    p.power = read_power_status();

    SharedAppsIndex apps = spawn_apps_thread();
    // No window receives the watchers' messages: they go to the threads' own queues.
    MediaWorker media = start_media_thread(nullptr, WM_NULL);
    std::this_thread::sleep_for(kFirstWait);

    AppListRef list;
    if (auto index = apps.lock()) list = (*index)->apps;
    if (list) {
        for (const AppEntry& e : *list) p.apps.push_back(RawAppItem{e.name, e.id});
        p.query_rows = search_rows(*list, kProbeQuery, kProbeQueryRows);
    } else {
        p.query_rows = search_rows(AppList{}, kProbeQuery, kProbeQueryRows);
    }
    p.media = media.state.snapshot();

    if (ImageRef icon = shell_thumbnail(kProbeShellIconPath, kProbeShellIconSize, kProbeShellIconSize, true))
        p.shell_icon = std::make_pair(icon->width, icon->height);
    p.autostart = read_autostart();
    p.dark_mode = read_dark_mode();
    p.caps_lock = read_caps_lock();
    p.layout = input_language_code();
    p.foreground_exe = foreground_exe_path();
    p.mic_users = capability_users("microphone");
    p.cam_users = capability_users("webcam");
    EndpointVolumeCache microphone;
    microphone.flow = 1;
    p.microphone = get_master_volume(microphone);

    sysmon_top_wanted = true;  // the report lists the busiest programs
    Shared<SysmonSnapshot> sysmon = spawn_sysmon_thread([] {});
    WeatherWorkerConfig weather_config;
    weather_config.bases = weather_bases(get_env(kWeatherTestBaseVariable));
    weather_config.notify = [] {};
    WeatherWorker weather = spawn_weather_thread(std::move(weather_config), Settings{}.city);
    std::this_thread::sleep_for(kSecondWait);

    p.sysmon = sysmon.snapshot();
    p.weather = weather.state.snapshot();

    Shared<SteamSnapshot> steam = spawn_steam_watcher(steam_machine(), [] {});
    Shared<NotificationState> notifications = start_notification_thread(nullptr, WM_NULL);
    std::this_thread::sleep_for(kThirdWait);

    p.steam = steam.snapshot();
    if (auto state = notifications.snapshot()) p.notifications_status = state->status;
    for (size_t i = 0; i < kProbeBrowserNames.size(); ++i) p.is_browser[i] = is_browser_exe(kProbeBrowserNames[i]);
    p.google_line = google_status_line();
    p.microphones = collect_input_device_names(0, input_device_count());

    std::optional<FileInfo> info = file_info(path);
    ProbeTarget target = probe_target(path, info && info->directory);
    if (!target.folder.empty()) (void)create_dirs(target.folder);
    (void)write_file_atomic(target.file, probe_report_text(p));
}
