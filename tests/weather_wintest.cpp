// The weather worker over WinHTTP against the scripted server on 127.0.0.1:
// the two requests as sent, the snapshot they fill, the waits chosen by each
// outcome, and the thread taking a new city over its channel.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "fake_server.h"
#include "weather_worker.h"

namespace {

using json = nlohmann::json;

const char* kGeocoding = R"({"results":[{"latitude":38.41273,"longitude":27.13838,"name":"İzmir"}]})";
const char* kGeocodingAnkara = R"({"results":[{"latitude":39.92,"longitude":32.85,"name":"Ankara"}]})";
const std::string kForecast = json{
    {"current",
     {{"temperature_2m", 21.5}, {"apparent_temperature", 20}, {"relative_humidity_2m", 64}, {"weather_code", 2},
      {"is_day", 1}, {"wind_speed_10m", 11.2}}},
    {"daily",
     {{"time", {"2024-02-29", "2024-03-01", "2024-03-02", "2024-03-03", "2024-03-04", "2024-03-05"}},
      {"weather_code", {2, 3, 61, 63, 0, 1}},
      {"temperature_2m_max", {22, 18, 15, 14, 19, 20}},
      {"temperature_2m_min", {12, 9, 8, 7, 10, 11}},
      {"precipitation_probability_max", {10, 20, 80, 90, 0, 5}}}}}.dump();

const char* kIzmirSearch = "/v1/search?name=%C4%B0zmir&count=1&language=tr&format=json";
const char* kAnkaraSearch = "/v1/search?name=Ankara&count=1&language=tr&format=json";
const char* kIzmirForecast =
    "/v1/forecast?latitude=38.4127&longitude=27.1384"
    "&current=temperature_2m,apparent_temperature,relative_humidity_2m,weather_code,is_day,wind_speed_10m"
    "&daily=weather_code,temperature_2m_max,temperature_2m_min,precipitation_probability_max"
    "&timezone=auto&forecast_days=6";

json routes(int forecast_status) {
    return {{kIzmirSearch, {{"body", kGeocoding}}},
            {kAnkaraSearch, {{"body", kGeocodingAnkara}}},
            {"/v1/forecast", {{"status", forecast_status}, {"body", kForecast}}}};
}

// WinHTTP's own request headers; the worker adds none.
const std::set<std::string> kClientHeaders = {"Host", "User-Agent", "Connection", "Cache-Control", "Pragma"};

void expect_plain_get(const json& record) {
    EXPECT_EQ(record["method"], "GET");
    EXPECT_EQ(record["body_hex"], "");
    for (const auto& h : record["headers"]) EXPECT_TRUE(kClientHeaders.count(h[0].get<std::string>())) << h.dump();
}

class WeatherOnWine : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.running()) << server.error(); }
    FakeServer server{routes(200), 120};
};

TEST_F(WeatherOnWine, GeocodesOnceReadsTheForecastAndWaitsByOutcome) {
    WeatherWorkerConfig config;
    config.bases = {server.base_url(), server.base_url()};
    std::vector<WeatherSnapshot> published;
    Shared<WeatherSnapshot> state(initial_weather_snapshot("İzmir"));
    config.notify = [&] { published.push_back(*state.snapshot()); };
    // The test is the clock: each wait ends at once; the second makes the
    // forecast fail, the third ends the worker.
    std::vector<double> waits;
    config.wait = [&](Receiver<std::string>&, std::string&, double seconds) {
        waits.push_back(seconds);
        if (waits.size() == 2) server.set_routes(routes(500));
        return waits.size() < 3 ? RecvStatus::Timeout : RecvStatus::Closed;
    };
    auto [tx, rx] = channel<std::string>();
    weather_worker(config, rx, state, "İzmir");

    EXPECT_EQ(waits, (std::vector<double>{0.3, 900, 90}));
    const std::vector<json> records = server.records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0]["target"], kIzmirSearch);
    EXPECT_EQ(records[1]["target"], kIzmirForecast);
    EXPECT_EQ(records[2]["target"], kIzmirForecast);  // the place is kept: no second geocoding
    for (const json& r : records) expect_plain_get(r);

    ASSERT_EQ(published.size(), 2u);
    const WeatherSnapshot& w = published[0];
    EXPECT_TRUE(w.ok);
    EXPECT_FALSE(w.loading);
    EXPECT_EQ(w.city, "İzmir");
    EXPECT_EQ(w.error, "");
    EXPECT_FLOAT_EQ(w.temp, 21.5f);
    EXPECT_FLOAT_EQ(w.feels, 20.f);
    EXPECT_FLOAT_EQ(w.humidity, 64.f);
    EXPECT_FLOAT_EQ(w.wind, 11.2f);
    EXPECT_EQ(w.code, 2);
    EXPECT_TRUE(w.is_day);
    ASSERT_EQ(w.days.size(), 6u);
    EXPECT_EQ(w.days[0].weekday, 4);  // Thursday
    EXPECT_EQ(w.days[3].weekday, 0);  // Sunday
    EXPECT_EQ(w.days[2].code, 61);
    EXPECT_FLOAT_EQ(w.days[3].precip, 90.f);

    // The failed forecast keeps the weather on show with its error.
    const WeatherSnapshot& failed = published[1];
    EXPECT_TRUE(failed.ok);
    EXPECT_EQ(failed.error, "sunucu hatası 500");
    EXPECT_FLOAT_EQ(failed.temp, 21.5f);
    EXPECT_EQ(failed.days.size(), 6u);
}

TEST_F(WeatherOnWine, ThreadFetchesAfterStartAndAtOnceForANewCity) {
    std::atomic<int> notified{0};
    WeatherWorkerConfig config;
    config.bases = {server.base_url(), server.base_url()};
    config.notify = [&] { ++notified; };
    WeatherWorker worker = spawn_weather_thread(config, "İzmir");
    auto wait_for = [&](const char* city) {
        for (int i = 0; i < 200; ++i) {
            const WeatherSnapshot s = *worker.state.snapshot();
            if (!s.loading && s.city == city) return s;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return *worker.state.snapshot();
    };
    EXPECT_TRUE(worker.state.snapshot()->loading);
    WeatherSnapshot s = wait_for("İzmir");
    EXPECT_TRUE(s.ok) << s.error;
    EXPECT_EQ(s.days.size(), 6u);

    // The 900-second wait is cut short by the city from the settings.
    ASSERT_TRUE(worker.cities.send("Ankara"));
    s = wait_for("Ankara");
    EXPECT_TRUE(s.ok) << s.error;
    EXPECT_EQ(server.records_for(kAnkaraSearch).size(), 1u);
    EXPECT_GE(notified.load(), 3);  // İzmir's pass, the change, Ankara's pass

    // Without a sender the thread ends; its last state stays readable.
    Shared<WeatherSnapshot> state = worker.state;
    worker = WeatherWorker{};
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(state.snapshot()->city, "Ankara");
}

}  // namespace
