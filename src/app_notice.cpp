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
#include "google_text.h"
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
    notices.kind = k;
    notices.shown = true;
    end_countdown_alarm();  // another kind replacing TimerDone
    notices.until = now + seconds;
    drawing.redraw = true;
}

bool App::hud_gate() const {
    if (island.open || island.quiet || island.hidden) return false;
    if (notices.shown && hud_blocks(notices.kind)) return false;
    return !(island.fullscreen_front && settings.hide_fs && !island.browser_front);
}

void App::show_level_hud(HudKind k, float level) {
    if (notices.shown && notices.kind == k) {
        notices.level.target = level;  // the bar glides to the new level
    } else {
        notices.level.value = notices.level.target = level;
        notices.level.velocity = 0;
    }
    show_hud(k);
}

// ---- Info, Notice and Toast ------------------------------------------------------------

void App::show_info(std::string_view title, std::string_view body) {
    notices.title.assign(title);
    notices.body.assign(body);
    if (!island.open) show_hud(HudKind::Info);
}

void App::notify(std::string_view title, std::string_view body) {
    if (notices.shown && hud_blocks(notices.kind)) {
        if (notices.queue.size() >= kNoticeQueueMax) notices.queue.pop_front();
        notices.queue.emplace_back(std::string(title), std::string(body));
        return;
    }
    if (island.open) close_island();
    notices.title.assign(title);
    notices.body.assign(body);
    if (!island.quiet) {
        play_notify_sound();
        write_log(fmt::format("bildirim: {} | {}", notices.title, notices.body));
    }
    show_hud(HudKind::Notice);
}

void App::push_toast(AppNotification n) {
    if (settings.dnd || island.hidden) return;
    if (island.fullscreen_front && settings.hide_fs && !island.browser_front) return;
    if (timers.pomo.running && timers.pomo.phase == PomoPhase::Focus) return;
    if (notices.shown && hud_blocks(notices.kind)) {
        if (notifs.toast_queue.size() < kToastQueueMax) notifs.toast_queue.push_back(std::move(n));
        return;
    }
    if (!island.quiet) write_log(fmt::format("toast: [{}] {}", n.app, n.title));
    notifs.toast = std::move(n);
    ++notices.serial;
    show_hud(HudKind::Toast);
}

// ---- Queue drain ---------------------------------------------------------------------------

void App::drain_notice_queues() {
    if (notices.shown) return;
    if (!notices.queue.empty()) {
        auto [title, body] = std::move(notices.queue.front());
        notices.queue.pop_front();
        notify(title, body);
    } else if (!notifs.toast_queue.empty()) {
        AppNotification n = std::move(notifs.toast_queue.front());
        notifs.toast_queue.pop_front();
        push_toast(std::move(n));
    }
}

// ---- Levels set by the user ------------------------------------------------------------------

void App::set_output_level(float v) {
    audio.volume = v;
    set_master_volume(audio.out_cache, v);  // also unmutes the device above the threshold
    if (v > kUnmuteAbove) audio.muted = false;
}

void App::set_mic_level(float v) {
    audio.mic_level = v;
    set_master_volume(audio.mic_cache, v);
    if (v > kUnmuteAbove) audio.mic_muted = false;
}

// ---- Device poll ---------------------------------------------------------------------------------

void App::watch_hud_sources() {
    // Output volume.
    if (auto r = get_master_volume(audio.out_cache)) {
        if (!notices.out_seen || std::fabs(r->level - audio.volume) > kLevelChange || r->muted != audio.muted) {
            bool seen_before = notices.out_seen;
            notices.out_seen = true;
            if (pointer.slider_grab != kSliderVolume) audio.volume = r->level;
            audio.muted = r->muted;
            if (seen_before && hud_gate()) show_level_hud(HudKind::Volume, audio.muted ? 0.0f : audio.volume);
            drawing.redraw = true;
        }
    }

    // Microphone: only a mute change is worth a notice.
    if (auto r = get_master_volume(audio.mic_cache)) {
        if (!notices.mic_seen || std::fabs(r->level - audio.mic_level) > kLevelChange || r->muted != audio.mic_muted) {
            bool seen_before = notices.mic_seen;
            bool mute_changed = r->muted != audio.mic_muted;
            notices.mic_seen = true;
            if (pointer.slider_grab != kSliderMic) audio.mic_level = r->level;
            audio.mic_muted = r->muted;
            if (seen_before && mute_changed && hud_gate()) show_hud(HudKind::Mic);
            drawing.redraw = true;
        }
    }

    // Brightness: the only device control code, so every fourth poll.
    ++notices.polls;
    if (notices.polls % kBrightnessEveryPolls == 0 && audio.brightness_ok && pointer.slider_grab != kSliderBrightness &&
        now - audio.brightness_changed > kBrightnessQuietAfterUser && audio.brightness_device.present) {
        if (auto value = query_brightness(audio.brightness_device)) {
            if (!notices.brightness_seen) {
                notices.brightness_seen = true;
                audio.brightness = *value;
                drawing.redraw = true;
            } else if (std::fabs(*value - audio.brightness) > kBrightnessChange) {
                audio.brightness = *value;
                if (hud_gate()) show_level_hud(HudKind::Brightness, audio.brightness);
                drawing.redraw = true;
            }
        }
    }

    // Caps Lock.
    uint8_t caps = read_caps_lock() ? 1 : 0;
    if (notices.caps_state != caps) {
        bool read_before = notices.caps_state != kCapsUnread;
        notices.caps_state = caps;
        if (read_before && settings.key_hud && hud_gate()) show_hud(HudKind::Caps);
        drawing.redraw = true;
    }

    // Keyboard language.
    std::string code = input_language_code();
    if (!code.empty() && code != "??" && code != notices.layout_code) {
        bool had_one = !notices.layout_code.empty();
        notices.layout_code = std::move(code);
        if (had_one && settings.key_hud && hud_gate()) show_hud(HudKind::Layout);
        drawing.redraw = true;
    }
}

// ---- Power and full-screen step ---------------------------------------------------------------------

bool App::battery_shown() const {
    if (!island.has_battery) return false;
    if (island.open || island.mode.tag == ModeTag::Peek) return true;
    return notices.shown && (notices.kind == HudKind::Battery || notices.kind == HudKind::LowBattery);
}

void App::show_morning_brief() {
    constexpr int kFirstHour = 5, kLastHour = 11;
    constexpr double kSettleSeconds = 20, kWaitAtMostSeconds = 90;
    if (island.quiet || now < kSettleSeconds) return;
    const int64_t t = wall_unix(), offset = wall_utc_offset();
    const int64_t hour = ((t + offset) % 86400 + 86400) % 86400 / 3600;
    if (hour < kFirstHour || hour > kLastHour) return;
    const CivilDate d = civil_from_unix_at(t, offset);
    std::string key = fmt::format("{}-{:02}-{:02}", d.year, d.month, d.day);
    if (key == settings.brief) return;
    // The first minute and a half waits for the weather and the mail to arrive.
    const bool unready = !weather.snap.ok || (google.snap.signed_in && google.snap.mails.empty());
    if (unready && now < kWaitAtMostSeconds) return;
    auto [title, body] = day_summary_text();
    settings.brief = std::move(key);
    save_state();
    write_log("günün özeti gösterildi");
    notify(title, body);
}

void App::check_power_and_brief(bool fullscreen, bool read_power) {
    // A failed query says nothing about the charger or the battery, so it
    // must not pass for an unplugged, empty battery.
    if (std::optional<PowerStatus> p = read_power ? read_power_status() : std::nullopt) {
        uint8_t percent = p->percent > 100 ? 100 : p->percent;
        if (p->on_ac != island.on_ac || percent != island.battery || p->has_battery != island.has_battery) {
            bool plug_changed = p->on_ac != island.on_ac;
            island.on_ac = p->on_ac;
            island.battery = percent;
            island.has_battery = p->has_battery;
            if (notices.power_seen && plug_changed && island.has_battery && hud_gate()) show_hud(HudKind::Battery);
            drawing.redraw = true;
        }
        if (percent < kLowBatteryBelow && !island.on_ac && island.has_battery && !notices.low_battery_warned && notices.power_seen) {
            notices.low_battery_warned = true;  // a warning the gate blocks is not repeated
            if (hud_gate()) show_hud(HudKind::LowBattery);
        }
        if (island.on_ac || percent >= kLowBatteryClearAt) notices.low_battery_warned = false;
        notices.power_seen = true;
    }

    show_morning_brief();

    // Only a change is worth a frame: an idle island draws nothing.
    if (fullscreen != island.fullscreen_front) {
        island.fullscreen_front = fullscreen;
        if (fullscreen && island.open && settings.hide_fs && !island.browser_front) close_island();
        drawing.redraw = true;
    }
}
