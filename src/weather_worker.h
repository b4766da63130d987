// The "weather" worker: one thread that geocodes the chosen city once, reads
// its forecast every 15 minutes (90 seconds after a failure) and takes new
// cities over a channel. It is the only writer of the shared WeatherSnapshot.
#pragma once
#include <functional>
#include <string>

#include "sys_shared.h"
#include "weather.h"
#include "weather_api.h"

struct WeatherWorkerConfig {
    WeatherBases bases;
    WeatherFetch fetch;            // empty: http_get_text
    WeekdayOfDate weekday_of = weekday_of_date;
    std::function<void()> notify;  // posts WM_APP_WEATHER in the product
    // Waits up to `seconds` for a new city; empty: the channel's own wait.
    // Tests stand in for the clock here and see every wait the worker chose.
    std::function<RecvStatus(Receiver<std::string>& cities, std::string& city, double seconds)> wait;
};

struct WeatherWorker {
    Shared<WeatherSnapshot> state;
    Sender<std::string> cities;
};

// The snapshot before the first pass: the city as stored, loading, nothing read.
WeatherSnapshot initial_weather_snapshot(const std::string& city);

// Thread body: returns when every sender of `cities` is gone.
void weather_worker(const WeatherWorkerConfig& config, Receiver<std::string>& cities,
                    const Shared<WeatherSnapshot>& state, std::string city);

// Creates the state and the city channel and starts the thread "weather";
// when the thread cannot start, the pair comes back all the same.
WeatherWorker spawn_weather_thread(WeatherWorkerConfig config, const std::string& city);

// Per-thread set-up of the worker thread (the Windows Runtime on Windows).
void weather_thread_setup();
