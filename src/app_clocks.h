// The time page's three clocks as plain records: the countdown, the
// stopwatch and the pomodoro (their operations are in app_time.h).
#pragma once
#include <cstdint>
#include <vector>

struct Countdown {
    double length = 300, remaining = 300, end = 0;
    bool running = false;
    bool ringing = false;  // finished: its alarm loops until TimerDone leaves the screen
};

struct Stopwatch {
    std::vector<double> laps;
    double start = 0, accumulated = 0;
    bool running = false;
};

enum class PomoPhase : uint8_t { Focus = 0, ShortBreak = 1, LongBreak = 2 };

struct Pomodoro {
    double end = 0, remaining = 1500;
    uint32_t completed = 0;
    uint32_t minutes = 25;
    PomoPhase phase = PomoPhase::Focus;
    bool running = false;
};
