// The time page's three clocks as plain operations on their records
// (Countdown, Stopwatch, Pomodoro in app_clocks.h); "now" is the App clock.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app_clocks.h"

constexpr double kCountdownMin = 60, kCountdownMax = 21600, kCountdownStep = 60;
constexpr size_t kLapLimit = 20;
constexpr double kShortBreakSeconds = 300, kLongBreakSeconds = 900;
inline constexpr uint32_t kPresetMinutes[8] = {1, 3, 5, 10, 15, 25, 45, 60};
inline constexpr uint32_t kFocusMinutes[3] = {15, 25, 50};

// Remaining seconds: max(end − now, 0) while running, else the stored remainder.
double countdown_left(const Countdown& c, double now);
// Stopped part-way: more than half a second done and more than half a second left.
bool countdown_partway(const Countdown& c);
// By ±60 s. Running: the remainder moves within 0..21600 (so it can drop
// below a minute) and the length grows to cover it. Stopped: length and
// remainder move together within 60..21600.
void countdown_adjust(Countdown& c, double delta, double now);

// Shown seconds: (now − start) + accumulated while running, else accumulated.
double stopwatch_elapsed(const Stopwatch& s, double now);
// No laps, no time, stopped.
void stopwatch_reset(Stopwatch& s);
// Newest first; the oldest beyond kLapLimit is dropped.
void stopwatch_add_lap(std::vector<double>& laps, double lap);

// Focus minutes × 60, 300 for a short break, 900 for a long one.
double pomodoro_phase_length(const Pomodoro& p);
double pomodoro_left(const Pomodoro& p, double now);
// Stopped with less than the phase's full length (minus half a second) left.
bool pomodoro_partway(const Pomodoro& p);
// Break -> focus; focus -> a short break, or a long one after every fourth
// finished run. A running pomodoro starts the new phase at once.
void pomodoro_next_phase(Pomodoro& p, double now);
