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
    if (media.snap.has && (media.snap.playing || now - media.changed < kMediaRecentSeconds)) add(ActKind::Music);
    if (steam.download) add(ActKind::Steam);
    if (steam.snap.playing) add(ActKind::Game);
    if (timers.countdown.running || countdown_partway(timers.countdown)) add(ActKind::Timer);
    if (timers.pomo.running || pomodoro_partway(timers.pomo)) add(ActKind::Pomo);
    if (timers.stopwatch.running || timers.stopwatch.accumulated > 0) add(ActKind::Watch);
    return out;
}

// ---- Time page actions ---------------------------------------------------------------------

bool App::act_time(const Action& a) {
    switch (a.kind) {
        case ActionKind::TMode:
            timers.mode = a.arg;
            break;
        case ActionKind::Preset: {
            if (a.arg >= std::size(kPresetMinutes)) break;
            timers.countdown.length = timers.countdown.remaining = kPresetMinutes[a.arg] * 60.0;
            if (timers.countdown.running) timers.countdown.end = now + timers.countdown.length;
            save_state();
            break;
        }
        case ActionKind::TMinus: countdown_adjust(timers.countdown, -kCountdownStep, now); break;
        case ActionKind::TPlus: countdown_adjust(timers.countdown, kCountdownStep, now); break;
        case ActionKind::TToggle:
            if (timers.mode == 0) {
                if (timers.countdown.running) {
                    timers.countdown.remaining = std::max(timers.countdown.end - now, 0.0);
                    timers.countdown.running = false;
                } else {
                    if (timers.countdown.remaining <= kSlack) timers.countdown.remaining = timers.countdown.length;
                    timers.countdown.end = now + timers.countdown.remaining;
                    timers.countdown.running = true;
                }
            } else if (timers.mode == 1) {
                if (timers.stopwatch.running) {
                    timers.stopwatch.accumulated = (now - timers.stopwatch.start) + timers.stopwatch.accumulated;
                    timers.stopwatch.running = false;
                } else {
                    timers.stopwatch.start = now;
                    timers.stopwatch.running = true;
                }
            } else {
                if (timers.pomo.running) {
                    timers.pomo.remaining = std::max(timers.pomo.end - now, 0.0);
                    timers.pomo.running = false;
                } else {
                    timers.pomo.end = now + timers.pomo.remaining;
                    timers.pomo.running = true;
                }
            }
            break;
        case ActionKind::TReset:
            if (timers.mode == 0) {
                timers.countdown.running = false;
                timers.countdown.remaining = timers.countdown.length;
            } else if (timers.mode == 1) {
                stopwatch_reset(timers.stopwatch);
            } else {
                timers.pomo.phase = PomoPhase::Focus;
                timers.pomo.running = false;
                timers.pomo.completed = 0;
                timers.pomo.remaining = timers.pomo.minutes * 60.0;
            }
            break;
        case ActionKind::Lap:
            if (timers.stopwatch.running) stopwatch_add_lap(timers.stopwatch.laps, (now - timers.stopwatch.start) + timers.stopwatch.accumulated);
            break;
        case ActionKind::PomoLen:
            timers.pomo.minutes = kFocusMinutes[a.arg % 3];
            if (timers.pomo.phase == PomoPhase::Focus && !timers.pomo.running) timers.pomo.remaining = timers.pomo.minutes * 60.0;
            save_state();
            break;
        case ActionKind::PomoSkip: pomodoro_next_phase(timers.pomo, now); break;
        case ActionKind::Snooze:
            if (!island.quiet) set_alarm_sound(false);
            notices.shown = false;
            timers.countdown.ringing = false;
            timers.countdown.length = timers.countdown.remaining = 60;
            timers.countdown.end = now + 60;
            timers.countdown.running = true;
            break;
        default:
            return false;
    }
    drawing.redraw = true;
    return true;
}
