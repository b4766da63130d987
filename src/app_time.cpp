// Countdown, stopwatch and pomodoro: their arithmetic, the time page's
// actions and the live-activity test.
//
// Index
//   Countdown
//   Stopwatch
//   Pomodoro
//   Live activities
//   Time page actions
#include <algorithm>

#include "app.h"
#include "app_time.h"
#include "sys_audio.h"

namespace {
// Half a second of slack keeps a just-started or just-finished clock from
// counting as "paused part-way".
constexpr double kSlack = 0.5;
constexpr double kMediaRecentSeconds = 25;
}  // namespace

// ---- Countdown ---------------------------------------------------------------------

double countdown_left(const Countdown& c, double now) {
    return c.running ? std::max(c.end - now, 0.0) : c.remaining;
}

bool countdown_partway(const Countdown& c) {
    return c.remaining > kSlack && c.remaining < c.length - kSlack;
}

void countdown_adjust(Countdown& c, double delta, double now) {
    if (c.running) {
        double left = std::clamp(std::max(c.end - now, 0.0) + delta, 0.0, kCountdownMax);
        c.end = now + left;
        c.length = std::max(c.length, left);
    } else {
        c.remaining = c.length = std::max(std::min(std::max(c.remaining + delta, 0.0), kCountdownMax), kCountdownMin);
    }
}

// ---- Stopwatch -----------------------------------------------------------------------

double stopwatch_elapsed(const Stopwatch& s, double now) {
    return s.running ? (now - s.start) + s.accumulated : s.accumulated;
}

void stopwatch_reset(Stopwatch& s) {
    s.laps.clear();
    s.start = 0;
    s.accumulated = 0;
    s.running = false;
}

void stopwatch_add_lap(std::vector<double>& laps, double lap) {
    laps.insert(laps.begin(), lap);
    if (laps.size() > kLapLimit) laps.resize(kLapLimit);
}

// ---- Pomodoro --------------------------------------------------------------------------

double pomodoro_phase_length(const Pomodoro& p) {
    switch (p.phase) {
        case PomoPhase::ShortBreak: return kShortBreakSeconds;
        case PomoPhase::LongBreak: return kLongBreakSeconds;
        case PomoPhase::Focus: break;
    }
    return p.minutes * 60.0;
}

double pomodoro_left(const Pomodoro& p, double now) {
    return p.running ? std::max(p.end - now, 0.0) : p.remaining;
}

bool pomodoro_partway(const Pomodoro& p) { return p.remaining < pomodoro_phase_length(p) - kSlack; }

void pomodoro_next_phase(Pomodoro& p, double now) {
    if (p.phase != PomoPhase::Focus) {
        p.phase = PomoPhase::Focus;
        p.remaining = p.minutes * 60.0;
    } else {
        ++p.completed;
        bool long_break = p.completed % 4 == 0;
        p.phase = long_break ? PomoPhase::LongBreak : PomoPhase::ShortBreak;
        p.remaining = long_break ? kLongBreakSeconds : kShortBreakSeconds;
    }
    if (p.running) p.end = now + p.remaining;
}

// ---- Live activities ---------------------------------------------------------------------

bool App::Activities::has(ActKind k) const {
    for (uint8_t i = 0; i < count; ++i)
        if (kinds[i] == k) return true;
    return false;
}

App::Activities App::live_activities() const {
    Activities out;
    auto add = [&](ActKind k) { out.kinds[out.count++] = k; };
    if (media.has && (media.playing || now - media_changed < kMediaRecentSeconds)) add(ActKind::Music);
    if (steam_download) add(ActKind::Steam);
    if (steam.playing) add(ActKind::Game);
    if (countdown.running || countdown_partway(countdown)) add(ActKind::Timer);
    if (pomo.running || pomodoro_partway(pomo)) add(ActKind::Pomo);
    if (stopwatch.running || stopwatch.accumulated > 0) add(ActKind::Watch);
    return out;
}

// ---- Time page actions ---------------------------------------------------------------------

bool App::act_time(const Action& a) {
    switch (a.kind) {
        case ActionKind::TMode:
            time_mode = a.arg;
            break;
        case ActionKind::Preset: {
            if (a.arg >= std::size(kPresetMinutes)) break;
            countdown.length = countdown.remaining = kPresetMinutes[a.arg] * 60.0;
            if (countdown.running) countdown.end = now + countdown.length;
            save_state();
            break;
        }
        case ActionKind::TMinus: countdown_adjust(countdown, -kCountdownStep, now); break;
        case ActionKind::TPlus: countdown_adjust(countdown, kCountdownStep, now); break;
        case ActionKind::TToggle:
            if (time_mode == 0) {
                if (countdown.running) {
                    countdown.remaining = std::max(countdown.end - now, 0.0);
                    countdown.running = false;
                } else {
                    if (countdown.remaining <= kSlack) countdown.remaining = countdown.length;
                    countdown.end = now + countdown.remaining;
                    countdown.running = true;
                }
            } else if (time_mode == 1) {
                if (stopwatch.running) {
                    stopwatch.accumulated = (now - stopwatch.start) + stopwatch.accumulated;
                    stopwatch.running = false;
                } else {
                    stopwatch.start = now;
                    stopwatch.running = true;
                }
            } else {
                if (pomo.running) {
                    pomo.remaining = std::max(pomo.end - now, 0.0);
                    pomo.running = false;
                } else {
                    pomo.end = now + pomo.remaining;
                    pomo.running = true;
                }
            }
            break;
        case ActionKind::TReset:
            if (time_mode == 0) {
                countdown.running = false;
                countdown.remaining = countdown.length;
            } else if (time_mode == 1) {
                stopwatch_reset(stopwatch);
            } else {
                pomo.phase = PomoPhase::Focus;
                pomo.running = false;
                pomo.completed = 0;
                pomo.remaining = pomo.minutes * 60.0;
            }
            break;
        case ActionKind::Lap:
            if (stopwatch.running) stopwatch_add_lap(stopwatch.laps, (now - stopwatch.start) + stopwatch.accumulated);
            break;
        case ActionKind::PomoLen:
            pomo.minutes = kFocusMinutes[a.arg % 3];
            if (pomo.phase == PomoPhase::Focus && !pomo.running) pomo.remaining = pomo.minutes * 60.0;
            save_state();
            break;
        case ActionKind::PomoSkip: pomodoro_next_phase(pomo, now); break;
        case ActionKind::Snooze:
            if (!quiet) set_alarm_sound(false);
            hud_shown = false;
            countdown.ringing = false;
            countdown.length = countdown.remaining = 60;
            countdown.end = now + 60;
            countdown.running = true;
            break;
        default:
            return false;
    }
    redraw = true;
    return true;
}
