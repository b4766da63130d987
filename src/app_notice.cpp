// Heads-up notices and toasts: how long each kind stays, the gate of the
// watched kinds, the Info/Notice/Toast paths with their queues, and the two
// timer-driven sources (the 150 ms device poll and the 1 s power step).
//
// Index
//   Durations and showing
//   Info, Notice and Toast
//   Queue drain
//   Levels set by the user
//   Device poll (volume, microphone, brightness, Caps Lock, language)
//   Power and full-screen step
#include <cmath>

#include <fmt/format.h>

#include "app.h"
#include "sys_audio.h"
#include "sys_desktop.h"
#include "sys_log.h"

namespace {
constexpr size_t kToastQueueMax = 6;
// A burst of remote notices must not keep the island busy for hours: the oldest go first.
constexpr size_t kNoticeQueueMax = 20;
constexpr float kLevelChange = 0.004f;       // volume and microphone
constexpr float kBrightnessChange = 0.009f;
constexpr uint32_t kBrightnessEveryPolls = 4;
constexpr double kBrightnessQuietAfterUser = 0.6;
constexpr uint8_t kLowBatteryBelow = 21, kLowBatteryClearAt = 26;
constexpr uint8_t kSliderVolume = 0, kSliderBrightness = 1, kSliderMic = 2;
constexpr uint8_t kCapsUnread = 2;
}  // namespace

// ---- Durations and showing ---------------------------------------------------------

double App::hud_seconds(HudKind k) {
    switch (k) {
        case HudKind::Volume: case HudKind::Brightness: return 1.6;
        case HudKind::Battery: case HudKind::Net: return 2.6;
        case HudKind::LowBattery: case HudKind::Download: return 4.0;
        case HudKind::Clipboard: case HudKind::Image: return 1.9;
        case HudKind::Track: return 3.4;
        case HudKind::TimerDone: case HudKind::Voice: return 60;
        case HudKind::Pomo: return 5;
        case HudKind::Caps: case HudKind::Layout: return 1.4;
        case HudKind::Mic: return 1.8;
        case HudKind::Privacy: return 2.8;
        case HudKind::Info: return 2.2;
        case HudKind::Notice: return 7.0;
        case HudKind::Toast: case HudKind::Mail: return 5.5;
        case HudKind::Steam: return 4.5;
        case HudKind::Event: return 8.0;
    }
    return 2.2;
}

void App::show_hud(HudKind k, double seconds) {
    hud = k;
    hud_shown = true;
    end_countdown_alarm();  // another kind replacing TimerDone
    hud_until = now + seconds;
    redraw = true;
}

bool App::hud_gate() const {
    if (open || quiet || hidden) return false;
    if (hud_shown && hud_blocks(hud)) return false;
    return !(fullscreen_front && hide_fs && !browser_front);
}

void App::show_level_hud(HudKind k, float level) {
    if (hud_shown && hud == k) {
        hud_level.target = level;  // the bar glides to the new level
    } else {
        hud_level.value = hud_level.target = level;
        hud_level.velocity = 0;
    }
    show_hud(k);
}

// ---- Info, Notice and Toast ------------------------------------------------------------

void App::show_info(std::string_view title, std::string_view body) {
    hud_title.assign(title);
    hud_body.assign(body);
    if (!open) show_hud(HudKind::Info);
}

void App::notify(std::string_view title, std::string_view body) {
    if (hud_shown && hud_blocks(hud)) {
        if (notice_queue.size() >= kNoticeQueueMax) notice_queue.pop_front();
        notice_queue.emplace_back(std::string(title), std::string(body));
        return;
    }
    if (open) close_island();
    hud_title.assign(title);
    hud_body.assign(body);
    if (!quiet) {
        play_notify_sound();
        write_log(fmt::format("bildirim: {} | {}", hud_title, hud_body));
    }
    show_hud(HudKind::Notice);
}

void App::push_toast(AppNotification n) {
    if (dnd || hidden) return;
    if (fullscreen_front && hide_fs && !browser_front) return;
    if (pomo.running && pomo.phase == PomoPhase::Focus) return;
    if (hud_shown && hud_blocks(hud)) {
        if (toast_queue.size() < kToastQueueMax) toast_queue.push_back(std::move(n));
        return;
    }
    if (!quiet) write_log(fmt::format("toast: [{}] {}", n.app, n.title));
    toast = std::move(n);
    ++hud_serial;
    show_hud(HudKind::Toast);
}

// ---- Queue drain ---------------------------------------------------------------------------

void App::drain_notice_queues() {
    if (hud_shown) return;
    if (!notice_queue.empty()) {
        auto [title, body] = std::move(notice_queue.front());
        notice_queue.pop_front();
        notify(title, body);
    } else if (!toast_queue.empty()) {
        AppNotification n = std::move(toast_queue.front());
        toast_queue.pop_front();
        push_toast(std::move(n));
    }
}

// ---- Levels set by the user ------------------------------------------------------------------

void App::set_output_level(float v) {
    volume = v;
    set_master_volume(out_cache, v);  // also unmutes the device above the threshold
    if (v > kUnmuteAbove) muted = false;
}

void App::set_mic_level(float v) {
    mic_level = v;
    set_master_volume(mic_cache, v);
    if (v > kUnmuteAbove) mic_muted = false;
}

// ---- Device poll ---------------------------------------------------------------------------------

void App::watch_hud_sources() {
    // Output volume.
    if (auto r = get_master_volume(out_cache)) {
        if (!out_seen || std::fabs(r->level - volume) > kLevelChange || r->muted != muted) {
            bool seen_before = out_seen;
            out_seen = true;
            if (slider_grab != kSliderVolume) volume = r->level;
            muted = r->muted;
            if (seen_before && hud_gate()) show_level_hud(HudKind::Volume, muted ? 0.0f : volume);
            redraw = true;
        }
    }

    // Microphone: only a mute change is worth a notice.
    if (auto r = get_master_volume(mic_cache)) {
        if (!mic_seen || std::fabs(r->level - mic_level) > kLevelChange || r->muted != mic_muted) {
            bool seen_before = mic_seen;
            bool mute_changed = r->muted != mic_muted;
            mic_seen = true;
            if (slider_grab != kSliderMic) mic_level = r->level;
            mic_muted = r->muted;
            if (seen_before && mute_changed && hud_gate()) show_hud(HudKind::Mic);
            redraw = true;
        }
    }

    // Brightness: the only device control code, so every fourth poll.
    ++hud_polls;
    if (hud_polls % kBrightnessEveryPolls == 0 && brightness_ok && slider_grab != kSliderBrightness &&
        now - brightness_changed > kBrightnessQuietAfterUser && brightness_device.present) {
        if (auto value = query_brightness(brightness_device)) {
            if (!brightness_seen) {
                brightness_seen = true;
                brightness = *value;
                redraw = true;
            } else if (std::fabs(*value - brightness) > kBrightnessChange) {
                brightness = *value;
                if (hud_gate()) show_level_hud(HudKind::Brightness, brightness);
                redraw = true;
            }
        }
    }

    // Caps Lock.
    uint8_t caps = read_caps_lock() ? 1 : 0;
    if (caps_state != caps) {
        bool read_before = caps_state != kCapsUnread;
        caps_state = caps;
        if (read_before && key_hud && hud_gate()) show_hud(HudKind::Caps);
        redraw = true;
    }

    // Keyboard language.
    std::string code = input_language_code();
    if (!code.empty() && code != "??" && code != layout_code) {
        bool had_one = !layout_code.empty();
        layout_code = std::move(code);
        if (had_one && key_hud && hud_gate()) show_hud(HudKind::Layout);
        redraw = true;
    }
}

// ---- Power and full-screen step ---------------------------------------------------------------------

void App::check_power_and_brief(bool fullscreen) {
    // A failed query says nothing about the charger or the battery, so it
    // must not pass for an unplugged, empty battery.
    if (std::optional<PowerStatus> p = read_power_status()) {
        uint8_t percent = p->percent > 100 ? 100 : p->percent;
        if (p->on_ac != on_ac || percent != battery || p->has_battery != has_battery) {
            bool plug_changed = p->on_ac != on_ac;
            on_ac = p->on_ac;
            battery = percent;
            has_battery = p->has_battery;
            if (power_seen && plug_changed && has_battery && hud_gate()) show_hud(HudKind::Battery);
            redraw = true;
        }
        if (percent < kLowBatteryBelow && !on_ac && has_battery && !low_battery_warned && power_seen) {
            low_battery_warned = true;  // a warning the gate blocks is not repeated
            if (hud_gate()) show_hud(HudKind::LowBattery);
        }
        if (on_ac || percent >= kLowBatteryClearAt) low_battery_warned = false;
        power_seen = true;
    }

    // The once-a-day morning brief joins this step with its summary text.

    // Only a change is worth a frame: an idle island draws nothing.
    if (fullscreen != fullscreen_front) {
        fullscreen_front = fullscreen;
        if (fullscreen && open && hide_fs && !browser_front) close_island();
        redraw = true;
    }
}
