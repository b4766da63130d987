// The weather worker's loop on a scripted clock and network: which waits it
// chooses, when it geocodes, what a city change publishes, and its end.
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "weather_worker.h"

namespace {

const WeatherBases kBases{"http://127.0.0.1:1", "http://127.0.0.1:2"};

constexpr const char* kGeoIzmir = R"({"results":[{"latitude":38.4127,"longitude":27.1384,"name":"İzmir"}]})";
constexpr const char* kGeoAnkara = R"({"results":[{"latitude":39.9199,"longitude":32.8543,"name":"Ankara"}]})";
constexpr const char* kForecast =
    R"({"current":{"temperature_2m":21.5,"weather_code":3,"is_day":1},)"
    R"("daily":{"time":["2024-02-29","2024-03-01"],"weather_code":[3,61],)"
    R"("temperature_2m_max":[22,18],"temperature_2m_min":[12,9],"precipitation_probability_max":[10,80]}})";

std::string geo(const char* city) { return weather_geocoding_url(kBases.geocoding, city); }
const std::string kIzmirForecast = weather_forecast_url(kBases.forecast, 38.4127, 27.1384);
const std::string kAnkaraForecast = weather_forecast_url(kBases.forecast, 39.9199, 32.8543);

// One step of the scripted clock: the wait ends by time, with a city, or the
// channel is gone. `before` runs first, so a test can change the answers.
struct Tick {
    RecvStatus status = RecvStatus::Timeout;
    std::string city;
};

struct Script {
    std::map<std::string, Result<std::string>> answers;
    std::vector<std::string> asked;
    std::deque<Tick> ticks;
    std::vector<double> waits;
    std::vector<WeatherSnapshot> published;  // the state at each notification
    Shared<WeatherSnapshot> state{initial_weather_snapshot("izmir")};

    WeatherWorkerConfig config() {
        WeatherWorkerConfig c;
        c.bases = kBases;
        c.fetch = [this](const std::string& url) -> Result<std::string> {
            asked.push_back(url);
            auto it = answers.find(url);
            return it == answers.end() ? Result<std::string>(make_error("sunucu hatası 404")) : it->second;
        };
        c.notify = [this] { published.push_back(*state.snapshot()); };
        c.wait = [this](Receiver<std::string>&, std::string& city, double seconds) {
            waits.push_back(seconds);
            if (ticks.empty()) return RecvStatus::Closed;
            Tick t = ticks.front();
            ticks.pop_front();
            city = t.city;
            return t.status;
        };
        return c;
    }
    void run() {
        auto [tx, rx] = channel<std::string>();
        weather_worker(config(), rx, state, "izmir");
    }
};

TEST(WeatherWorker, WaitsFollowTheOutcomeOfEachPass) {
    Script s;
    s.answers = {{geo("izmir"), std::string(kGeoIzmir)}, {kIzmirForecast, std::string(kForecast)}};
    s.ticks = {{}, {}};
    s.run();
    // First pass after 0.3 s, then a quarter of an hour, geocoding only once.
    EXPECT_EQ(s.waits, (std::vector<double>{0.3, 900, 900}));
    EXPECT_EQ(s.asked, (std::vector<std::string>{geo("izmir"), kIzmirForecast, kIzmirForecast}));
    const WeatherSnapshot w = *s.state.snapshot();
    EXPECT_TRUE(w.ok);
    EXPECT_FALSE(w.loading);
    EXPECT_EQ(w.city, "İzmir");
    ASSERT_EQ(w.days.size(), 2u);
    EXPECT_EQ(w.days[0].weekday, 4);  // the real date rule: 2024-02-29 is a Thursday
    EXPECT_EQ(w.days[1].weekday, 5);
    EXPECT_EQ(s.published.size(), 2u);
}

TEST(WeatherWorker, FailuresRetryAfterNinetySecondsAndGeocodeAgainOnlyWithoutAPlace) {
    Script s;
    s.ticks = {{}, {}, {}};
    // 1: no place yet (geocoding 404); 2: place found, forecast 500; 3: both fine.
    s.answers = {{geo("izmir"), make_error("sunucu hatası 404")}};
    auto config = s.config();
    int pass = 0;
    auto inner = config.wait;
    config.wait = [&](Receiver<std::string>& r, std::string& city, double seconds) {
        if (pass == 1) s.answers = {{geo("izmir"), std::string(kGeoIzmir)}, {kIzmirForecast, make_error("sunucu hatası 500")}};
        if (pass == 2) s.answers.insert_or_assign(kIzmirForecast, std::string(kForecast));
        ++pass;
        return inner(r, city, seconds);
    };
    auto [tx, rx] = channel<std::string>();
    weather_worker(config, rx, s.state, "izmir");
    EXPECT_EQ(s.waits, (std::vector<double>{0.3, 90, 90, 900}));
    EXPECT_EQ(s.asked, (std::vector<std::string>{geo("izmir"), geo("izmir"), kIzmirForecast, kIzmirForecast}));
    ASSERT_EQ(s.published.size(), 3u);
    EXPECT_EQ(s.published[0].error, "sunucu hatası 404");
    EXPECT_FALSE(s.published[0].ok);
    EXPECT_EQ(s.published[1].error, "sunucu hatası 500");
    EXPECT_EQ(s.published[1].city, "İzmir");
    EXPECT_TRUE(s.published[2].ok);
    EXPECT_EQ(s.published[2].error, "");
}

// A new city during the long wait is fetched at once; the first message shows
// it loading without the old city's weather, and a failed forecast for it
// never brings that weather back.
TEST(WeatherWorker, CityChangeFetchesAtOnceAndDropsTheOldForecast) {
    Script s;
    s.answers = {{geo("izmir"), std::string(kGeoIzmir)},
                 {kIzmirForecast, std::string(kForecast)},
                 {geo("Ankara"), std::string(kGeoAnkara)},
                 {kAnkaraForecast, make_error("bağlantı yok (12002)")}};
    s.ticks = {{}, {RecvStatus::Value, "Ankara"}};
    s.run();
    EXPECT_EQ(s.waits, (std::vector<double>{0.3, 900, 90}));
    EXPECT_EQ(s.asked,
              (std::vector<std::string>{geo("izmir"), kIzmirForecast, geo("Ankara"), kAnkaraForecast}));
    ASSERT_EQ(s.published.size(), 3u);
    const WeatherSnapshot& changed = s.published[1];
    EXPECT_EQ(changed.city, "Ankara");
    EXPECT_TRUE(changed.loading);
    EXPECT_FALSE(changed.ok);
    EXPECT_TRUE(changed.days.empty());
    EXPECT_EQ(changed.temp, 0.f);
    const WeatherSnapshot& failed = s.published[2];
    EXPECT_EQ(failed.city, "Ankara");
    EXPECT_FALSE(failed.loading);
    EXPECT_FALSE(failed.ok);
    EXPECT_TRUE(failed.days.empty());
    EXPECT_EQ(failed.error, "bağlantı yok (12002)");
}

TEST(WeatherWorker, EndsWhenEveryCitySenderIsGone) {
    auto [tx, rx] = channel<std::string>();
    tx = Sender<std::string>();
    WeatherWorkerConfig c;
    int fetched = 0;
    c.fetch = [&](const std::string&) -> Result<std::string> { ++fetched; return make_error("x"); };
    Shared<WeatherSnapshot> state(initial_weather_snapshot("izmir"));
    weather_worker(c, rx, state, "izmir");  // the channel's own wait sees it closed
    EXPECT_EQ(fetched, 0);
    const WeatherSnapshot w = *state.snapshot();
    EXPECT_EQ(w.city, "izmir");
    EXPECT_TRUE(w.loading);
    EXPECT_FALSE(w.ok);
    EXPECT_FALSE(w.is_day);
}

TEST(WeatherWorker, PoisonedStatePassesFromAnEmptySnapshotAndStoresNothing) {
    Script s;
    s.answers = {{geo("izmir"), std::string(kGeoIzmir)}, {kIzmirForecast, std::string(kForecast)}};
    EXPECT_THROW(s.state.with([](WeatherSnapshot&) { throw 1; }), int);
    s.ticks = {{}};
    auto config = s.config();
    int notes = 0;
    config.notify = [&] { ++notes; };
    auto [tx, rx] = channel<std::string>();
    weather_worker(config, rx, s.state, "izmir");
    EXPECT_EQ(s.asked.size(), 2u);
    EXPECT_EQ(notes, 1);
    EXPECT_EQ(s.waits, (std::vector<double>{0.3, 900}));
}

}  // namespace
