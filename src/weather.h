// Weather: the watcher's shared snapshot.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct WeatherDay {
    int32_t weekday = 0;  // 0 = Sunday
    int32_t code = 0;     // WMO weather code
    float high = 0, low = 0, precip = 0;
};

struct WeatherSnapshot {
    std::string city;
    std::vector<WeatherDay> days;
    std::string error;
    float temp = 0, feels = 0;
    int32_t code = 0;
    float wind = 0, humidity = 0;
    bool ok = false, loading = false, is_day = true;
};
