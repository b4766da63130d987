// Command line, window geometry, the shared openers and the App slot: the
// host's portable part.
#include "main.h"

#include <cmath>
#include <limits>

#include <fmt/format.h>

#include "app.h"
#include "sys_num.h"

namespace {

std::string join_from(const std::vector<std::string>& args, size_t from) {
    std::string out;
    for (size_t i = from; i < args.size(); ++i) {
        if (i > from) out += ' ';
        out += args[i];
    }
    return out;
}

std::string arg_or(const std::vector<std::string>& args, size_t i, const char* fallback) {
    return i < args.size() ? args[i] : std::string(fallback);
}

}  // namespace

StartChoice classify_args(const std::vector<std::string>& args) {
    StartChoice c;
    for (const auto& a : args)
        if (a == "--after-update") c.after_update = true;
    if (args.size() < 2) return c;
    const std::string& f = args[1];
    if (f == "--shots") c.what = LocalStart{LocalMode::Shots, arg_or(args, 2, "shots")};
    else if (f == "--selftest") c.what = LocalStart{LocalMode::Selftest, arg_or(args, 2, "selftest.txt")};
    else if (f == "--make-icon") c.what = LocalStart{LocalMode::MakeIcon, arg_or(args, 2, "app.ico")};
    else if (f == "--wake-test") c.what = LocalStart{LocalMode::WakeTest, arg_or(args, 2, "wake-test.txt")};
    else if (f == "--update-now") c.what = LocalStart{LocalMode::UpdateNow, ""};
    else if (f == "--notify" || f == "--bildirim")
        c.what = RemoteStart{RemoteKind::Notify, arg_or(args, 2, "Vemo Ada") + '\x01' + arg_or(args, 3, "")};
    else if (f == "--remind" || f == "--hatirlat") c.what = RemoteStart{RemoteKind::Remind, join_from(args, 2)};
    else if (f == "--check-update" || f == "--guncelleme-denetle") c.what = RemoteStart{RemoteKind::CheckUpdate, ""};
    else if (f == "--assistant" || f == "--asistan") c.what = RemoteStart{RemoteKind::Assistant, ""};
    else if (f == "--ask" || f == "--sor") c.what = RemoteStart{RemoteKind::Ask, join_from(args, 2)};
    else if (f == "--sor-sesli") c.what = RemoteStart{RemoteKind::Ask, '\x01' + join_from(args, 2)};
    else if (f == "--google-sign-in" || f == "--google-baglan") c.what = RemoteStart{RemoteKind::GoogleSignIn, ""};
    else if (f == "--teach-wake" || f == "--hey-google-ogret") c.what = RemoteStart{RemoteKind::TeachWake, ""};
    return c;
}

int32_t round_sat_i32(float v) {
    if (std::isnan(v)) return 0;
    double r = std::round(static_cast<double>(v));  // halves away from zero
    if (r >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (r <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(r);
}

WindowGeometry window_geometry(const RectI& monitor, float monitor_scale, float size_factor) {
    WindowGeometry g;
    g.scale = monitor_scale * size_factor;
    g.width = round_sat_i32(900.0f * g.scale);
    g.height = round_sat_i32(470.0f * g.scale);
    int64_t span = int64_t{monitor.right} - monitor.left - g.width;
    g.x = static_cast<int32_t>(monitor.left + span / 2);  // truncates toward zero
    g.y = monitor.top;
    return g;
}

std::string placement_log_line(const RectI& m, float scale, const WindowGeometry& g, bool tray,
                               const std::string& hotkey_label, bool dragdrop, bool clipboard) {
    return fmt::format("monitor ({}, {}, {}, {}) scale {} window {}x{} at {},{}; tray={} hotkey={} dragdrop={} clipboard={}",
                       m.left, m.top, m.right, m.bottom, shortest_decimal(scale), g.width,
                       g.height, g.x, g.y, tray, hotkey_label, dragdrop, clipboard);
}

void on_show_request() {
    with_app([](App& app) { app.open_page(app.page_to_open()); });
}

void on_tray_click() {
    with_app([](App& app) { app.toggle_from_tray(); });
}

UiThreadState& ui_thread_state() {
    thread_local UiThreadState state;
    return state;
}

void install_app_state(std::unique_ptr<App> app) {
    UiThreadState& s = ui_thread_state();
    s.app.reset();
    s.app = std::move(app);
    s.borrowed = false;
}

std::unique_ptr<App> take_app_state() {
    UiThreadState& s = ui_thread_state();
    s.borrowed = false;
    return std::move(s.app);
}
