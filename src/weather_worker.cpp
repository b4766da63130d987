// The weather worker's loop: wait for a city or the time of the next pass,
// run the pass without holding the lock, publish the whole snapshot.
#include "weather_worker.h"

#include <chrono>
#include <cmath>
#include <memory>
#include <optional>
#include <utility>

#include "sys_thread.h"

namespace {

RecvStatus channel_wait(Receiver<std::string>& cities, std::string& city, double seconds) {
    const auto ms = static_cast<int64_t>(std::ceil(seconds * 1000.0));
    return cities.recv(city, std::chrono::milliseconds(ms));
}

void tell(const WeatherWorkerConfig& config) {
    if (config.notify) config.notify();
}

}  // namespace

WeatherSnapshot initial_weather_snapshot(const std::string& city) {
    WeatherSnapshot s;
    s.city = city;
    s.loading = true;
    s.is_day = false;
    return s;
}

void weather_worker(const WeatherWorkerConfig& config, Receiver<std::string>& cities,
                    const Shared<WeatherSnapshot>& state, std::string city) {
    WeatherFetch fetch = config.fetch;
    if (!fetch) fetch = [](const std::string& url) { return http_get_text(url); };
    std::optional<WeatherPlace> place;
    double wait = kWeatherFirstWaitSeconds;
    for (;;) {
        std::string next;
        const RecvStatus got = config.wait ? config.wait(cities, next, wait) : channel_wait(cities, next, wait);
        if (got == RecvStatus::Closed) return;
        if (got == RecvStatus::Value) {
            city = std::move(next);
            place.reset();
            // The old city's forecast goes with its name, so a failure for the
            // new city can never show the old weather under it.
            (void)state.with([&](WeatherSnapshot& s) { weather_city_changed(s, city); });
            tell(config);
        }

        // A damaged lock starts the pass from an empty snapshot.
        const WeatherSnapshot start = state.snapshot().value_or(WeatherSnapshot{});
        WeatherPass pass = run_weather_pass(start, std::move(place), city, config.bases, fetch, config.weekday_of);
        place = std::move(pass.place);
        wait = pass.wait_seconds;
        (void)state.with([&](WeatherSnapshot& s) { s = std::move(pass.snapshot); });
        tell(config);
    }
}

WeatherWorker spawn_weather_thread(WeatherWorkerConfig config, const std::string& city) {
    auto [tx, rx] = channel<std::string>();
    WeatherWorker worker{Shared<WeatherSnapshot>(initial_weather_snapshot(city)), tx};
    auto receiver = std::make_shared<Receiver<std::string>>(std::move(rx));
    (void)spawn_detached("weather", [config = std::move(config), receiver, state = worker.state, city] {
        weather_thread_setup();
        weather_worker(config, *receiver, state, city);
    });
    return worker;
}
