// The frame tick: one pass per frame that advances the App clock, hands back
// due window effects, runs the timers, voice recordings, reminders and notice
// queues, chooses the display mode, integrates the springs, draws when
// something changed and tells the frame loop how long it may sleep.
//
// Index
//   Constants
//   Wall clocks
//   Timers (countdown end, pomodoro phase end)
//   Voice recordings and the microphone test
//   Display mode, targets and glow
//   Springs
//   Display key and the wait
//   App::tick
#include <algorithm>
#include <cmath>

#include <fmt/format.h>

#include "app.h"
#include "app_geometry.h"
#include "app_time.h"
#include "gfx_geom.h"
#include "gfx_palette.h"
#include "google_text.h"
#include "remind.h"
#include "sys_audio.h"
#include "sys_log.h"
#include "sys_os.h"

// ---- Constants -------------------------------------------------------------------------

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kHoverOpenDelay = 0.35;
constexpr double kHoldToTalk = 0.55;
constexpr double kForgetPrevious = 0.5;
constexpr double kSettleWindow = 0.62;   // frames keep coming this long after a mode change
constexpr double kPomoNoticeSeconds = 5.0;
constexpr float kSubStep = 1.0f / 480.0f;
constexpr float kNoteFadeRate = 5, kNoteFadeMaxDt = 0.05f;
constexpr float kToggleStiffness = 438.65f, kToggleDamping = 37.70f, kToggleThreshold = 0.003f;

// Open-page content heights: the tab strip shows below them.
constexpr float kContentHeights[kPageCount] = {240, 238, 242, 244, 310, 228, 268, 274, 268, 262, 264, 310, 330, 0, 362};

using namespace palette;
constexpr Color kCyan = kLightBlue;

}  // namespace

// ---- Wall clocks ---------------------------------------------------------------------------

int64_t App::wall_unix() const { return wall_clock.unix_seconds ? *wall_clock.unix_seconds : unix_now_secs(); }

int64_t App::wall_utc_offset() const {
    return wall_clock.utc_offset ? *wall_clock.utc_offset : local_utc_offset(wall_unix());
}

int App::wall_minute_of_day() const {
    if (wall_clock.minute_of_day) return *wall_clock.minute_of_day;
    LocalTime t = local_time();
    return t.hour * 60 + t.minute;
}

namespace {

// The tick's close also ends a held press; without `restore` no RestoreFocus follows.
void close_from_tick(App& a, bool restore) {
    a.pointer.held = false;
    if (restore)
        a.close_island();
    else
        a.close_for_hand_off();
}

// ---- Timers --------------------------------------------------------------------------------

void end_countdown(App& a) {
    a.timers.countdown.running = false;
    a.timers.countdown.remaining = 0;
    if (a.island.open) close_from_tick(a, true);
    a.show_hud(HudKind::TimerDone);
    a.timers.countdown.ringing = true;
    if (!a.island.quiet) set_alarm_sound(true);
    a.drawing.redraw = true;
}

void end_pomodoro_phase(App& a) {
    pomodoro_next_phase(a.timers.pomo, a.now);
    bool focus = a.timers.pomo.phase == PomoPhase::Focus;
    if (!a.island.quiet) play_notify_sound();
    if (a.island.open) close_from_tick(a, true);
    bool blocked = a.notices.shown && hud_blocks(a.notices.kind);
    if (!a.island.quiet && !blocked) {
        if (focus) {
            a.notices.title = "Odaklanma zamanı";
            a.notices.body = fmt::format("{} dk odak · {}. tur", a.timers.pomo.minutes, a.timers.pomo.completed + 1);
        } else {
            a.notices.title = "Mola zamanı!";
            a.notices.body = a.timers.pomo.phase == PomoPhase::LongBreak ? "Uzun mola · 15 dk" : "Kısa mola · 5 dk";
        }
        a.show_hud(HudKind::Pomo, kPomoNoticeSeconds);
    }
    a.drawing.redraw = true;
}

// ---- Voice recordings and the microphone test -------------------------------------------------

void follow_voice_capture(App& a) {
    if (a.voice.state != VoiceState::Listening || !a.voice.capture) return;
    const MicCapture& cap = *a.voice.capture;
    std::copy(a.voice.level_history.begin() + 1, a.voice.level_history.end(), a.voice.level_history.begin());
    a.voice.level_history.back() = cap.level();
    if (!cap.done()) return;

    if (a.voice.teaching.takes) {
        MicCapture finished = std::move(*a.voice.capture);
        a.voice.capture.reset();
        a.teaching_take_done(std::move(finished));
        return;
    }
    if (std::optional<std::string> error = cap.error()) {
        if (!a.island.quiet) write_log("voice: kayıt hatası: " + *error);
        a.voice.state = VoiceState::Idle;
        a.voice.capture.reset();
        a.notices.shown = false;
        a.show_info("Dinleme: " + *error, "Adaya basılı tut");
        return;
    }
    std::string wav = cap.wav_bytes();
    double seconds = cap.recorded_seconds();
    if (!a.island.quiet) write_log(fmt::format("voice: {:.1f} sn kayıt Gemini'ye gidiyor", seconds));
    a.voice.capture.reset();
    a.voice.state = VoiceState::Thinking;
    a.send_google_command(gcmd::AskVoice{std::move(wav)});
}

void keep_voice_notice(App& a) {
    if (a.voice.state != VoiceState::Idle && !(a.notices.shown && a.notices.kind == HudKind::Voice)) {
        if (a.voice.state == VoiceState::Answer) {
            a.voice.state = VoiceState::Idle;
        } else {
            a.show_hud(HudKind::Voice);
        }
    }
    a.publish_wake_flags(a.voice.state != VoiceState::Idle || a.voice.teaching.takes.has_value());
}

void follow_mic_test(App& a) {
    if (!a.voice.mic_test) return;
    float level = a.voice.mic_test->level();
    if (!std::isnan(level)) a.voice.mic_test_peak = std::max(a.voice.mic_test_peak, level);
    a.drawing.redraw = true;
    if (!a.voice.mic_test->done()) return;
    std::string device = a.settings.mic.empty() ? std::string("Windows varsayılanı") : a.settings.mic;
    std::optional<std::string> error = a.voice.mic_test->error();
    a.voice.mic_test.reset();
    if (error)
        a.show_info("Mikrofon: " + *error, device + " · başka mikrofon seç");
    else
        a.show_info("Mikrofon çalışıyor", device);
}

// ---- Display mode, targets and glow -----------------------------------------------------------

IslandMode choose_mode(const App& a, const App::Activities& acts) {
    if (a.island.open) return IslandMode::open(a.island.page);
    if (a.notices.shown) return IslandMode::hud(a.notices.kind);
    if (acts.count == 0) return a.pointer.inside ? IslandMode::peek() : IslandMode::idle();
    return IslandMode::act(acts.kinds[0]);
}

// Stiffness and damping of the size springs for a change between two modes.
void tune_size_springs(App& a, const IslandMode& from, const IslandMode& to) {
    double period = 0.46, ratio = 1.36;  // closed to closed
    if (!from.is_open() && to.is_open()) period = 0.52, ratio = 1.44;
    else if (from.is_open() && to.is_open()) period = 0.42, ratio = 1.72;
    else if (from.is_open()) period = 0.44, ratio = 1.68;
    double w = 2 * kPi / period;
    for (Spring* s : {&a.anim.width, &a.anim.height, &a.anim.radius}) {
        s->stiffness = static_cast<float>(w * w);
        s->damping = static_cast<float>(ratio * w);
    }
}

Color media_colour(const App& a) { return Color{a.media.snap.accent[0], a.media.snap.accent[1], a.media.snap.accent[2], 1}; }

// The glow colour of the mode, or nothing when that mode glows not at all.
std::optional<Color> glow_colour(const App& a) {
    if (a.island.mode.tag == ModeTag::Act) {
        switch (a.island.mode.act_kind()) {
            case ActKind::Music: return a.media.snap.playing ? std::optional<Color>(media_colour(a)) : std::nullopt;
            case ActKind::Steam:
                return a.steam.download && !a.steam.download->paused ? std::optional<Color>(kBlue) : std::nullopt;
            case ActKind::Game: return kGreen;
            case ActKind::Timer: return kOrange;
            case ActKind::Pomo: return a.timers.pomo.phase == PomoPhase::Focus ? kRed : kGreen;
            case ActKind::Watch: return a.timers.stopwatch.running ? std::optional<Color>(kBlue) : std::nullopt;
        }
        return std::nullopt;
    }
    if (a.island.mode.tag != ModeTag::Hud) return std::nullopt;
    switch (a.island.mode.hud_kind()) {
        case HudKind::Battery: return a.island.on_ac ? std::optional<Color>(kGreen) : std::nullopt;
        case HudKind::LowBattery: case HudKind::Mail: return kRed;
        case HudKind::Track: return media_colour(a);
        case HudKind::TimerDone: case HudKind::Privacy: return kOrange;
        case HudKind::Pomo: return a.timers.pomo.phase == PomoPhase::Focus ? kRed : kGreen;
        case HudKind::Download: case HudKind::Event: return kBlue;
        case HudKind::Notice: return kPurple;
        case HudKind::Toast: return kCyan;
        case HudKind::Steam: {
            std::string_view t = a.notices.title;
            bool finished = t.rfind("İndirme bitti", 0) == 0 || t.rfind("Oyun", 0) == 0;
            return finished ? kGreen : kBlue;
        }
        case HudKind::Voice: return a.voice.state == VoiceState::Listening ? kBlue : kPurple;
        default: return std::nullopt;
    }
}

void set_targets(App& a, const App::Activities& acts, float dt) {
    IslandShape shape = island_size(a, static_cast<uint8_t>(a.island.mode.tag), a.island.mode.payload);
    if (a.island.mode.tag == ModeTag::Act && a.pointer.inside) {
        shape.width += 14;
        shape.height += 4;
    }
    a.anim.width.target = shape.width;
    a.anim.height.target = shape.height;
    a.anim.radius.target = shape.radius;

    if (a.island.mode.tag == ModeTag::Act && acts.count >= 2) {
        a.island.bubble_act = static_cast<uint8_t>(acts.kinds[1]);
        a.anim.bubble.target = 1;
        a.anim.bubble.stiffness = 503.55f;
        a.anim.bubble.damping = 44.88f;
    } else {
        a.island.bubble_act = kNoAct;
        a.anim.bubble.target = 0;
        a.anim.bubble.stiffness = 130.51f;
        a.anim.bubble.damping = 14.17f;
    }
    a.anim.equaliser.target = a.media.snap.playing ? 1.0f : 0.0f;

    // Visibility: full-screen programs and browsers hide the closed island.
    float vis = 1;
    if (!a.island.open) {
        // Hidden from the tray: only the notices that must reach the user show.
        if (a.island.hidden)
            vis = a.notices.shown && hud_keeps(a.notices.kind) ? 1.0f : 0.0f;
        else if (a.island.fullscreen_front && !a.island.browser_front && a.settings.hide_fs)
            vis = a.notices.shown && hud_keeps(a.notices.kind) ? 1.0f : 0.0f;
        else if (a.island.browser_front && (a.settings.hide_chrome || (a.settings.hide_fs && a.island.fullscreen_front)))
            vis = a.notices.shown ? 1.0f : 0.0f;
    }
    a.anim.visibility.target = vis;

    // Glow.
    std::optional<Color> glow;
    if (a.settings.glow && (a.island.mode.tag == ModeTag::Act || a.island.mode.tag == ModeTag::Hud)) glow = glow_colour(a);
    if (glow) {
        a.anim.glow_strength.target = 1;
        if (a.anim.glow_strength.value < 0.02f) {
            a.anim.glow_color = *glow;
        } else {
            float f = std::min(4 * dt, 1.0f);
            a.anim.glow_color.r += (glow->r - a.anim.glow_color.r) * f;
            a.anim.glow_color.g += (glow->g - a.anim.glow_color.g) * f;
            a.anim.glow_color.b += (glow->b - a.anim.glow_color.b) * f;
            a.anim.glow_color.a = 1;
        }
    } else {
        a.anim.glow_strength.target = 0;
    }

    // Tab strip reveal: the pointer rests below the open page's content.
    bool reveal = false;
    if (a.island.open && a.pointer.inside && std::fabs(a.pointer.shift) < 1) {
        auto p = static_cast<size_t>(a.island.page);
        float content = a.island.page == Page::Search
                            ? (a.search_page.rows.empty() ? 170.0f : static_cast<float>(a.search_page.rows.size()) * 40 + 124)
                            : kContentHeights[p];
        float zoom = a.pointer.zoom;
        float u = zoom != 0 ? (a.pointer.x - kIslandCentreX) / zoom + kIslandCentreX : a.pointer.x;
        reveal = a.pointer.y >= content * zoom + kIslandTop && std::fabs(u - kIslandCentreX) <= 300;
    }
    a.anim.tab_reveal.target = reveal ? 1.0f : 0.0f;
    a.anim.search_sel.target = static_cast<float>(a.search_page.sel);

    // Toggle switches: the settings, then the control-centre tiles.
    bool settings[kSettingToggleCount] = {};
    for (const auto& row : kSettingsTable)
        if (row.toggle && row.flag) settings[static_cast<size_t>(*row.toggle)] = a.settings.*row.flag;
    const bool tiles[5] = {a.sysmon.snap.wifi == RadioState::On, a.sysmon.snap.bluetooth == RadioState::On, a.settings.dark_mode,
                           a.island.keep_awake, a.audio.mic_muted};
    for (size_t i = 0; i < a.anim.toggles.size(); ++i) {
        bool on = i < kSettingToggleCount ? settings[i]
                  : i >= kTileToggleSpring && i < kTileToggleSpring + 5u ? tiles[i - kTileToggleSpring]
                                                                          : false;
        Spring& t = a.anim.toggles[i];
        // A switch starts at rest in its state; afterwards it slides.
        if (t.stiffness == 0)
            t = Spring::make(on ? 1.0f : 0.0f, kToggleStiffness, kToggleDamping, kToggleThreshold);
        else
            t.target = on ? 1.0f : 0.0f;
    }
}

// ---- Springs -----------------------------------------------------------------------------------

bool settled(const Spring& s) {
    return std::fabs(s.value - s.target) < s.threshold && std::fabs(s.velocity) < 6 * s.threshold;
}

// True when the spring still moves (it was integrated, or needs time to).
bool step_spring(Spring& s, float dt, int steps, float h) {
    if (settled(s)) {
        s.value = s.target;
        s.velocity = 0;
        return false;
    }
    if (dt <= 0) return true;
    for (int i = 0; i < steps; ++i) {
        float acc = -s.stiffness * (s.value - s.target) - s.damping * s.velocity;
        s.velocity += h * acc;
        s.value += h * s.velocity;
    }
    if (settled(s)) {
        s.value = s.target;
        s.velocity = 0;
    }
    return true;
}

bool step_springs(App& a, float dt) {
    int steps = dt > 0 ? std::max(1, static_cast<int>(std::ceil(dt / kSubStep))) : 0;
    float h = steps > 0 ? dt / static_cast<float>(steps) : 0;
    bool moved = false;
    for (Spring* s : {&a.anim.width, &a.anim.height, &a.anim.radius, &a.anim.squash, &a.anim.visibility, &a.anim.bubble, &a.anim.glow_strength, &a.anim.hover,
                      &a.anim.tab_reveal, &a.anim.equaliser, &a.anim.search_sel, &a.notices.level})
        moved |= step_spring(*s, dt, steps, h);
    for (Spring& s : a.anim.toggles) moved |= step_spring(s, dt, steps, h);
    return moved;
}

// ---- Display key and the wait ---------------------------------------------------------------------

int64_t compute_display_key(const App& a) {
    int64_t key = a.wall_minute_of_day();
    if (a.timers.countdown.running || countdown_partway(a.timers.countdown))
        key += 10000 * static_cast<int64_t>(std::ceil(countdown_left(a.timers.countdown, a.now)));
    if (a.timers.pomo.running || pomodoro_partway(a.timers.pomo))
        key += 100000000 * static_cast<int64_t>(std::ceil(pomodoro_left(a.timers.pomo, a.now)));
    if (a.timers.stopwatch.running) key += 7 * static_cast<int64_t>(std::floor(stopwatch_elapsed(a.timers.stopwatch, a.now)));
    if (a.steam.snap.playing) key += 13 * (a.wall_unix() - a.steam.snap.playing->started);
    return key;
}

double fraction(double x) { return x - std::floor(x); }

FrameWait idle_wait(const App& a) {
    bool hidden = a.anim.visibility.value < 0.004f && a.anim.visibility.target < 0.004f;
    double wait = hidden ? 2.0 : 1.0;
    if (a.notices.shown) wait = std::min(wait, a.notices.until - a.now);
    if (a.pointer.close_deadline) wait = std::min(wait, *a.pointer.close_deadline - a.now);
    for (const PendingEffect& e : a.effects.pending) wait = std::min(wait, e.time - a.now);
    if (a.notices.startup) wait = std::min(wait, a.notices.startup->due - a.now);
    if (a.timers.countdown.running) wait = std::min(wait, fraction(countdown_left(a.timers.countdown, a.now)) + 0.005);
    if (a.timers.pomo.running) wait = std::min(wait, fraction(pomodoro_left(a.timers.pomo, a.now)) + 0.005);
    if (a.settings.hover_open && !a.island.open && a.pointer.inside) wait = std::min(wait, 0.05);
    if (!a.lists.reminders.empty())
        wait = std::min(wait, static_cast<double>(std::max<int64_t>(a.lists.reminders.front().due - a.wall_unix(), 0)) + 0.01);
    double ms = std::ceil(wait * 1000);
    return FrameWait::wait_ms(static_cast<uint32_t>(std::clamp(ms, 5.0, 2000.0)));
}

}  // namespace

// ---- App::tick ------------------------------------------------------------------------------------

namespace {

// The sampler's newest sample when the island has not seen it yet.
void catch_up_sysmon(App& a) {
    uint64_t tick = 0;
    if (!a.sysmon.shared.with([&](SysmonSnapshot& s) { tick = s.tick; })) return;
    if (tick > a.sysmon.snap.tick) a.on_sysmon_update();
}

}  // namespace

App::TickResult App::tick(float dt) {
    TickResult out;
    // 1. Clock.
    now += static_cast<double>(dt);
    // The sampler walks the process list only while the system page shows it,
    // and wakes a closed island only for what it shows. Its newest sample is
    // taken at once when the island opens.
    sysmon_top_wanted.store(island.open && island.page == Page::System, std::memory_order_relaxed);
    if (!sysmon_live_wanted.exchange(island.open, std::memory_order_relaxed) && island.open) catch_up_sysmon(*this);

    // 2. Due effects, in queue order.
    if (!effects.pending.empty()) {
        size_t keep = 0;
        for (size_t i = 0; i < effects.pending.size(); ++i) {
            if (effects.pending[i].time <= now)
                out.effects.push_back(std::move(effects.pending[i].effect));
            else
                effects.pending[keep++] = std::move(effects.pending[i]);
        }
        effects.pending.erase(effects.pending.begin() + static_cast<std::ptrdiff_t>(keep), effects.pending.end());
    }

    // 3. Notice expiry; an unanswered alarm resets the countdown.
    if (notices.shown && now >= notices.until) {
        if (notices.kind == HudKind::TimerDone) dismiss_timer_done();
        notices.shown = false;
        drawing.redraw = true;
    }
    // Any other path that took TimerDone off the screen (a click, a page opened from outside).
    end_countdown_alarm();

    // 4. Close deadline (the pointer left the open island).
    if (pointer.close_deadline && now >= *pointer.close_deadline) {
        pointer.close_deadline.reset();
        if (island.open && !pointer.inside && island.focus == TextField::None && !pointer.slider_grab && !pointer.held && !island.drag_hover &&
            !island.drag_out)
            close_from_tick(*this, false);
    }

    // 5. Hover open.
    if (settings.hover_open && pointer.inside && !island.open && !notices.shown && now - pointer.entered > kHoverOpenDelay &&
        hit_island(pointer.x, pointer.y))
        open_page(page_to_open());

    // 6. Countdown end.
    if (timers.countdown.running && now >= timers.countdown.end) end_countdown(*this);

    // 7. Pomodoro phase end.
    if (timers.pomo.running && now >= timers.pomo.end) end_pomodoro_phase(*this);

    // 8. Media clock: Music stays live for a while after playback stops.
    if (media.snap.playing) media.changed = now;

    // 9-11. Voice recording, voice notice, microphone test.
    follow_voice_capture(*this);
    keep_voice_notice(*this);
    follow_mic_test(*this);

    // 12. Next teaching take.
    if (voice.teaching.next_take && now >= *voice.teaching.next_take) {
        voice.teaching.next_take.reset();
        if (voice.teaching.takes && !island.quiet) start_teaching_take();
    }

    // 13. Press and hold on the closed island starts voice input.
    if (voice.press && now - voice.press->time > kHoldToTalk && pointer.held && !island.open) {
        voice.press.reset();
        pointer.held = false;
        anim.squash.target = 1;
        start_voice();
        if (voice.state == VoiceState::Listening) voice.hold_talk_start = now;
    }

    // 14. One due reminder per tick.
    if (!lists.reminders.empty() && lists.reminders.front().due <= wall_unix()) {
        std::string text = std::move(lists.reminders.front().text);
        lists.reminders.erase(lists.reminders.begin());
        save_state();
        notify("Hatırlatma", text);
    }

    // The greeting after an update, once its time has come.
    if (notices.startup && now >= notices.startup->due) {
        StartupNotice n = std::move(*notices.startup);
        notices.startup.reset();
        notify(n.title, n.body);
    }

    // 15. One waiting notice or toast per tick.
    drain_notice_queues();

    // 16. Note done-fade.
    float fade_step = kNoteFadeRate * std::min(dt, kNoteFadeMaxDt);
    for (NoteItem& n : lists.notes) {
        float target = n.done ? 1.0f : 0.0f;
        if (std::fabs(n.fade - target) > 0.001f) {
            n.fade = std::clamp(n.fade + (target > n.fade ? fade_step : -fade_step), 0.0f, 1.0f);
            drawing.redraw = true;
        }
    }

    // 17-18. Display mode and its change.
    Activities acts = live_activities();
    IslandMode next = choose_mode(*this, acts);
    if (next != island.mode) {
        tune_size_springs(*this, island.mode, next);
        island.slide_dir = 0;
        if (island.mode.is_open() && next.is_open())
            island.slide_dir = static_cast<int>(next.payload) > static_cast<int>(island.mode.payload) ? 1 : -1;
        island.prev_mode = island.mode;
        island.mode = next;
        island.mode_changed = now;
    }

    // 19-23. Targets of every spring.
    set_targets(*this, acts, dt);

    // 24. Springs.
    bool moved = step_springs(*this, dt);

    // 25. The previous mode has faded out.
    if (island.prev_mode.tag != ModeTag::None && now - island.mode_changed >= kForgetPrevious) island.prev_mode = IslandMode::none();

    // 26. Display key.
    int64_t key = compute_display_key(*this);
    bool key_changed = key != island.display_key;
    if (key_changed) island.display_key = key;

    // 27. Draw when something changed, then the wait.
    double since_change = now - island.mode_changed;
    bool settling = moved || since_change < kSettleWindow;
    bool animating = is_animating();
    if (key_changed || drawing.redraw || settling || animating) {
        render();
        drawing.redraw = false;
        if (settling) {
            out.wait = FrameWait::animate();
            return out;
        }
        if (animating) {
            out.wait = FrameWait::idle();
            return out;
        }
    }
    out.wait = idle_wait(*this);
    return out;
}
