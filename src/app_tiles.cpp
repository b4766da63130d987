// The control centre's twelve tiles: five switches and seven one-shot commands.
// The executor never touches the desktop itself: it returns or queues a window
// effect, or calls one of the small desktop services.
#include "app.h"
#include "sys_audio.h"
#include "sys_desktop.h"
#include "sys_shell.h"

namespace {

// Delays that let the island finish collapsing before the desktop changes.
constexpr double kScreenClipDelay = 0.45;
constexpr double kMonitorOffDelay = 0.6;
constexpr double kLockDelay = 0.25;
constexpr double kShowDesktopDelay = 0.2;

}  // namespace

const std::array<App::TileInfo, 12> App::kTiles = {{
    {"Wi‑Fi", 0xE701, true},
    {"Bluetooth", 0xE702, true},
    {"Karanlık mod", 0xE708, true},
    {"Uyanık tut", 0xE7B3, true},
    {"Mikrofonu kapat", 0xE720, true},
    {"Ekran al", 0xE722, false},
    {"Ekranı kapat", 0xE7E8, false},
    {"Kilitle", 0xE72E, false},
    {"Masaüstü", 0xE7F4, false},
    {"Dosyalar", 0xE8B7, false},
    {"Görev Yön.", 0xE9D9, false},
    {"Win Ayarları", 0xE713, false},
}};

bool App::tile_on(uint8_t tile) const {
    switch (tile) {
    case 0: return sysmon.snap.wifi == RadioState::On;
    case 1: return sysmon.snap.bluetooth == RadioState::On;
    case 2: return settings.dark_mode;
    case 3: return island.keep_awake;
    case 4: return audio.mic_muted;
    default: return false;
    }
}

std::optional<WindowEffect> App::run_tile(uint8_t tile) {
    drawing.redraw = true;
    auto close_then = [&](double delay, WindowEffect e) {
        close_island();
        push_effect(effects.pending, PendingEffect{now + delay, std::move(e)});
        return std::nullopt;
    };
    auto hand_off = [&](const char* target) -> std::optional<WindowEffect> {
        close_for_hand_off();
        return effect::OpenUrl{target, std::nullopt};
    };

    switch (tile) {
    case 0:
    case 1: {
        bool wifi = tile == 0;
        RadioState& state = wifi ? sysmon.snap.wifi : sysmon.snap.bluetooth;
        if (state == RadioState::Unknown) {
            show_info(wifi ? "Wi‑Fi bulunamadı" : "Bluetooth bulunamadı", "");
            return std::nullopt;
        }
        // The copy shows the new state at once; the next snapshot replaces it.
        bool on = state != RadioState::On;
        state = on ? RadioState::On : RadioState::Off;
        return effect::SetRadio{wifi, on};
    }
    case 2:
        settings.dark_mode = !settings.dark_mode;
        if (!island.quiet) set_dark_mode(settings.dark_mode);
        return std::nullopt;
    case 3:
        island.keep_awake = !island.keep_awake;
        if (!island.quiet) set_keep_awake(island.keep_awake);
        return std::nullopt;
    case 4:
        // A missing capture device still flips the island's own flag.
        audio.mic_muted = !audio.mic_muted;
        set_master_mute(audio.mic_cache, audio.mic_muted);
        return std::nullopt;
    case 5: return close_then(kScreenClipDelay, effect::OpenUrl{"ms-screenclip:", std::nullopt});
    case 6: return close_then(kMonitorOffDelay, effect::MonitorOff{});
    case 7: return close_then(kLockDelay, effect::LockWorkstation{});
    case 8: return close_then(kShowDesktopDelay, effect::ShowDesktop{});
    case 9: return hand_off("explorer.exe");
    case 10: return hand_off("taskmgr.exe");
    default: return hand_off("ms-settings:");
    }
}
