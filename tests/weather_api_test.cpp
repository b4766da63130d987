// Weather requests, answer parsing, error texts and the watcher's fetch pass.
#include <gtest/gtest.h>

#include <iterator>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "weather_api.h"

namespace {

constexpr const char* kBase = "http://127.0.0.1:8080";
constexpr const char* kForecastQuery =
    "&current=temperature_2m,apparent_temperature,relative_humidity_2m,weather_code,is_day,wind_speed_10m"
    "&daily=weather_code,temperature_2m_max,temperature_2m_min,precipitation_probability_max"
    "&timezone=auto&forecast_days=6";

// Stands in for the date rule: the last digit of the date, -1 for an empty text,
// so a test sees which date text reached which day.
int32_t last_digit(std::string_view date) { return date.empty() ? -1 : date.back() - '0'; }

std::string nested(size_t levels) { return std::string(levels, '[') + std::string(levels, ']'); }

// ---- Requests ---------------------------------------------------------------

TEST(WeatherUrl, GeocodingCarriesTheCityAsPercentEncodedUtf8) {
    struct Case {
        const char* city;
        const char* name;
    };
    const Case cases[] = {
        {"İzmir", "%C4%B0zmir"},  // upper-case hex digits
        {"New York", "New%20York"},
        {"Şanlıurfa", "%C5%9Eanl%C4%B1urfa"},
        {"a~b", "a%7Eb"},                                  // "~" escaped too
        {"A-z.0_9", "A-z.0_9"},
        {"a&b=c?d#", "a%26b%3Dc%3Fd%23"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.city);
        EXPECT_EQ(weather_geocoding_url(kBase, c.city),
                  std::string(kBase) + "/v1/search?name=" + c.name + "&count=1&language=tr&format=json");
    }
}

TEST(WeatherUrl, ForecastHasCoordinatesWithFourDecimals) {
    struct Case {
        double lat, lon;
        const char* coords;
    };
    const Case cases[] = {
        {38.41273, 27.13838, "latitude=38.4127&longitude=27.1384"},
        {41, 29, "latitude=41.0000&longitude=29.0000"},
        {-33.868820, 151.209296, "latitude=-33.8688&longitude=151.2093"},
        {0, -0.5, "latitude=0.0000&longitude=-0.5000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.coords);
        EXPECT_EQ(weather_forecast_url(kBase, c.lat, c.lon),
                  std::string(kBase) + "/v1/forecast?" + c.coords + kForecastQuery);
    }
}

TEST(WeatherUrl, TestBaseTakenOnlyOnLoopback) {
    struct Case {
        std::optional<std::string> variable;
        const char* geocoding;
        const char* forecast;
    };
    const Case cases[] = {
        {std::nullopt, kWeatherGeocodingBase, kWeatherForecastBase},
        {"http://127.0.0.1:8080", "http://127.0.0.1:8080", "http://127.0.0.1:8080"},
        {"http://127.0.0.1:", kWeatherGeocodingBase, kWeatherForecastBase},
        {"http://127.0.0.1:80/evil", kWeatherGeocodingBase, kWeatherForecastBase},
        {"http://127.0.0.1:80@example.com", kWeatherGeocodingBase, kWeatherForecastBase},  // user info, other host
        {"https://127.0.0.1:443", kWeatherGeocodingBase, kWeatherForecastBase},
        {"http://example.com:80", kWeatherGeocodingBase, kWeatherForecastBase},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.variable.value_or("(none)"));
        const WeatherBases b = weather_bases(c.variable);
        EXPECT_EQ(b.geocoding, c.geocoding);
        EXPECT_EQ(b.forecast, c.forecast);
    }
}

TEST(WeatherAnswerText, StatusAndClientErrors) {
    HttpResponse ok{"{\"a\":1}", std::nullopt, 200};
    ASSERT_TRUE(weather_answer_text(ok).ok());
    EXPECT_EQ(weather_answer_text(ok).value(), "{\"a\":1}");

    HttpResponse bad_bytes{"\"\xFF\"", std::nullopt, 200};
    EXPECT_EQ(weather_answer_text(bad_bytes).value(), "\"\xEF\xBF\xBD\"");

    for (uint32_t status : {500u, 404u, 301u, 0u}) {
        HttpResponse r{"{}", std::nullopt, status};
        Result<std::string> t = weather_answer_text(r);
        ASSERT_FALSE(t.ok());
        EXPECT_EQ(t.error().message, "sunucu hatası " + std::to_string(status));
    }
    Result<std::string> client = weather_answer_text(Result<HttpResponse>(make_error("bağlantı yok (12002)")));
    ASSERT_FALSE(client.ok());
    EXPECT_EQ(client.error().message, "bağlantı yok (12002)");
}

// ---- Geocoding ----------------------------------------------------------------

TEST(WeatherGeocoding, ReadsThePlaceOrFailsWithItsText) {
    struct Case {
        const char* what;
        std::string text;
        const char* city;
        const char* error;  // nullptr: a place is found
        double lat = 0, lon = 0;
        const char* name = nullptr;
    };
    const Case cases[] = {
        {"floats", R"({"results":[{"latitude":38.4127,"longitude":27.1384,"name":"İzmir"}]})", "izmir", nullptr,
         38.4127, 27.1384, "İzmir"},
        {"integers", R"({"results":[{"latitude":41,"longitude":-29,"name":"X"}]})", "x", nullptr, 41, -29, "X"},
        {"huge integer", R"({"results":[{"latitude":18446744073709551615,"longitude":0}]})", "y", nullptr,
         18446744073709551615.0, 0, "y"},
        {"no name", R"({"results":[{"latitude":1.5,"longitude":2.5}]})", "ankara", nullptr, 1.5, 2.5, "ankara"},
        {"name not text", R"({"results":[{"latitude":1,"longitude":2,"name":7}]})", "bursa", nullptr, 1, 2, "bursa"},
        {"no results", R"({"generationtime_ms":0.5})", "Atlantis", "\u201CAtlantis\u201D bulunamadı"},
        {"empty results", R"({"results":[]})", "Atlantis", "\u201CAtlantis\u201D bulunamadı"},
        {"results not a list", R"({"results":{"latitude":1,"longitude":2}})", "Q", "\u201CQ\u201D bulunamadı"},
        {"empty city", R"({})", "", "\u201C\u201D bulunamadı"},
        {"document is a list", R"([{"latitude":1,"longitude":2}])", "Q", "\u201CQ\u201D bulunamadı"},
        {"coordinates as text", R"({"results":[{"latitude":"41","longitude":29}]})", "Q", "konum yok"},
        {"no longitude", R"({"results":[{"latitude":41}]})", "Q", "konum yok"},
        {"result not an object", R"({"results":[5]})", "Q", "konum yok"},
        {"not JSON", "<html>bad gateway</html>", "Q", "geçersiz yanıt"},
        {"cut short", R"({"results":[{"latitude":41,)", "Q", "geçersiz yanıt"},
        {"empty body", "", "Q", "geçersiz yanıt"},
        {"nested too deep", R"({"results":[{"latitude":1,"longitude":2,"x":)" + nested(100) + "}]}", "Q",
         "geçersiz yanıt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Result<WeatherPlace> r = parse_geocoding(c.text, c.city);
        if (c.error) {
            ASSERT_FALSE(r.ok());
            EXPECT_EQ(r.error().message, c.error);
            continue;
        }
        ASSERT_TRUE(r.ok()) << r.error().message;
        EXPECT_DOUBLE_EQ(r->latitude, c.lat);
        EXPECT_DOUBLE_EQ(r->longitude, c.lon);
        EXPECT_EQ(r->name, c.name);
    }
}

// ---- Forecast -----------------------------------------------------------------

constexpr const char* kFullForecast = R"({
  "current": {"temperature_2m": 21.5, "apparent_temperature": 20, "relative_humidity_2m": 60,
              "weather_code": 3, "is_day": 1, "wind_speed_10m": 12.4},
  "daily": {"time": ["2024-02-21","2024-02-22","2024-02-23","2024-02-24","2024-02-25","2024-02-26"],
            "weather_code": [3, 61, 0, 95, 45, 2],
            "temperature_2m_max": [22, 18.5, 19, 17, 16, 20],
            "temperature_2m_min": [12, 11, 10.5, 9, 8, 10],
            "precipitation_probability_max": [0, 80, 5, 90, 10, 0]}
})";

TEST(WeatherForecast, ReadsCurrentValuesAndSixDays) {
    Result<WeatherReading> r = parse_forecast(kFullForecast, last_digit);
    ASSERT_TRUE(r.ok()) << r.error().message;
    EXPECT_FLOAT_EQ(r->temp, 21.5f);
    EXPECT_FLOAT_EQ(r->feels, 20.f);
    EXPECT_FLOAT_EQ(r->humidity, 60.f);
    EXPECT_FLOAT_EQ(r->wind, 12.4f);
    EXPECT_EQ(r->code, 3);
    EXPECT_TRUE(r->is_day);
    ASSERT_EQ(r->days.size(), 6u);
    EXPECT_EQ(r->days[0].weekday, 1);
    EXPECT_EQ(r->days[5].weekday, 6);
    EXPECT_EQ(r->days[3].code, 95);
    EXPECT_FLOAT_EQ(r->days[1].high, 18.5f);
    EXPECT_FLOAT_EQ(r->days[2].low, 10.5f);
    EXPECT_FLOAT_EQ(r->days[3].precip, 90.f);
}

TEST(WeatherForecast, ShortArraysAndOddMembersReadAsZero) {
    const char* text = R"({
      "current": {"temperature_2m": "warm", "is_day": 0.5},
      "daily": {"time": ["2024-02-21", 7, "2024-02-23"],
                "weather_code": [61.9, "x"],
                "temperature_2m_max": [30],
                "temperature_2m_min": {"0": 1},
                "precipitation_probability_max": [null, 40, true]}
    })";
    Result<WeatherReading> r = parse_forecast(text, last_digit);
    ASSERT_TRUE(r.ok()) << r.error().message;
    EXPECT_EQ(r->temp, 0.f);
    EXPECT_EQ(r->code, 0);  // missing weather_code: "Açık"
    EXPECT_FALSE(r->is_day);  // only above 0.5 is day
    // One day per date, however short the other arrays are; a date that is not text reads as "".
    const WeatherDay expected[] = {
        {1, 61, 30, 0, 0},
        {-1, 0, 0, 0, 40},
        {3, 0, 0, 0, 0},
    };
    ASSERT_EQ(r->days.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(r->days[i].weekday, expected[i].weekday);
        EXPECT_EQ(r->days[i].code, expected[i].code);
        EXPECT_EQ(r->days[i].high, expected[i].high);
        EXPECT_EQ(r->days[i].low, expected[i].low);
        EXPECT_EQ(r->days[i].precip, expected[i].precip);
    }
}

TEST(WeatherForecast, NumbersOutOfRangeSaturate) {
    const char* text = R"({
      "current": {"weather_code": 1e12, "temperature_2m": 1e300, "apparent_temperature": -1e300, "is_day": 2},
      "daily": {"time": ["a","b"], "weather_code": [-99999999999, 9223372036854775807]}
    })";
    Result<WeatherReading> r = parse_forecast(text, last_digit);
    ASSERT_TRUE(r.ok()) << r.error().message;
    EXPECT_EQ(r->code, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(r->temp, std::numeric_limits<float>::infinity());
    EXPECT_EQ(r->feels, -std::numeric_limits<float>::infinity());
    EXPECT_TRUE(r->is_day);
    EXPECT_EQ(r->days[0].code, std::numeric_limits<int32_t>::min());
    EXPECT_EQ(r->days[1].code, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(saturate_i32(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(saturate_i32(-7.9), -7);
}

TEST(WeatherForecast, UnreadableAnswersFail) {
    struct Case {
        const char* what;
        std::string text;
        const char* error;
    };
    const Case cases[] = {
        {"no current", R"({"daily":{"time":["2024-02-21"]}})", "veri yok"},
        {"document is a number", "42", "veri yok"},
        {"not JSON", "Service Unavailable", "geçersiz yanıt"},
        {"nested too deep", R"({"current":{},"daily":{"time":)" + nested(5000) + "}}", "geçersiz yanıt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Result<WeatherReading> r = parse_forecast(c.text, last_digit);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().message, c.error);
    }
    // A "current" with nothing readable in it is no failure.
    Result<WeatherReading> empty = parse_forecast(R"({"current":null})", last_digit);
    ASSERT_TRUE(empty.ok());
    EXPECT_TRUE(empty->days.empty());
}

// ---- The fetch pass -------------------------------------------------------------

const WeatherBases kBases{"http://127.0.0.1:1", "http://127.0.0.1:2"};

constexpr const char* kGeoIzmir = R"({"results":[{"latitude":38.4127,"longitude":27.1384,"name":"İzmir"}]})";
constexpr const char* kGeoAnkara = R"({"results":[{"latitude":39.9199,"longitude":32.8543,"name":"Ankara"}]})";

// A table of answers by URL that records every request in order.
struct FakeService {
    std::map<std::string, Result<std::string>> answers;
    std::vector<std::string> asked;

    void answer(const std::string& url, Result<std::string> r) { answers.insert_or_assign(url, std::move(r)); }
    WeatherFetch fetch() {
        return [this](const std::string& url) -> Result<std::string> {
            asked.push_back(url);
            auto it = answers.find(url);
            return it == answers.end() ? Result<std::string>(make_error("sunucu hatası 404")) : it->second;
        };
    }
};

std::string geo_url(const char* city) { return weather_geocoding_url(kBases.geocoding, city); }
std::string forecast_url(double lat, double lon) { return weather_forecast_url(kBases.forecast, lat, lon); }

WeatherSnapshot fresh_snapshot(const char* city) {
    WeatherSnapshot s;
    s.city = city;
    s.loading = true;
    return s;
}

TEST(WeatherPass, FirstPassGeocodesThenReadsTheForecast) {
    FakeService svc;
    svc.answer(geo_url("izmir"), std::string(kGeoIzmir));
    svc.answer(forecast_url(38.4127, 27.1384), std::string(kFullForecast));

    WeatherPass p = run_weather_pass(fresh_snapshot("izmir"), std::nullopt, "izmir", kBases, svc.fetch(), last_digit);
    EXPECT_EQ(svc.asked, (std::vector<std::string>{geo_url("izmir"), forecast_url(38.4127, 27.1384)}));
    EXPECT_TRUE(p.snapshot.ok);
    EXPECT_FALSE(p.snapshot.loading);
    EXPECT_EQ(p.snapshot.city, "İzmir");
    EXPECT_EQ(p.snapshot.error, "");
    EXPECT_FLOAT_EQ(p.snapshot.temp, 21.5f);
    EXPECT_EQ(p.snapshot.days.size(), 6u);
    EXPECT_EQ(p.wait_seconds, 900);
    ASSERT_TRUE(p.place.has_value());

    // The next pass keeps the place and asks only for the forecast.
    svc.asked.clear();
    WeatherPass next = run_weather_pass(p.snapshot, p.place, "izmir", kBases, svc.fetch(), last_digit);
    EXPECT_EQ(svc.asked, (std::vector<std::string>{forecast_url(38.4127, 27.1384)}));
    EXPECT_EQ(next.wait_seconds, 900);
}

TEST(WeatherPass, FailuresWaitNinetySeconds) {
    struct Case {
        const char* what;
        Result<std::string> geo;
        Result<std::string> forecast;
        const char* error;
        bool asks_forecast;
    };
    const Case cases[] = {
        {"geocoding status", make_error("sunucu hatası 500"), std::string(kFullForecast), "sunucu hatası 500", false},
        {"geocoding client error", make_error("bağlantı yok"), std::string(kFullForecast), "bağlantı yok", false},
        {"unknown city", std::string(R"({"results":[]})"), std::string(kFullForecast), "\u201Cizmir\u201D bulunamadı",
         false},
        {"no coordinates", std::string(R"({"results":[{"name":"x"}]})"), std::string(kFullForecast), "konum yok",
         false},
        {"forecast status", std::string(kGeoIzmir), make_error("sunucu hatası 503"), "sunucu hatası 503", true},
        {"forecast not JSON", std::string(kGeoIzmir), std::string("<html>"), "geçersiz yanıt", true},
        {"forecast without current", std::string(kGeoIzmir), std::string("{}"), "veri yok", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeService svc;
        svc.answer(geo_url("izmir"), c.geo);
        svc.answer(forecast_url(38.4127, 27.1384), c.forecast);
        WeatherPass p = run_weather_pass(fresh_snapshot("izmir"), std::nullopt, "izmir", kBases, svc.fetch(), last_digit);
        EXPECT_EQ(p.snapshot.error, c.error);
        EXPECT_FALSE(p.snapshot.ok);
        EXPECT_FALSE(p.snapshot.loading);
        EXPECT_EQ(p.wait_seconds, 90);
        EXPECT_EQ(svc.asked.size(), c.asks_forecast ? 2u : 1u);
        EXPECT_EQ(p.place.has_value(), c.asks_forecast);  // a found place is kept for the retry
    }
}

TEST(WeatherPass, ForecastFailureAfterSuccessKeepsTheLastWeather) {
    FakeService svc;
    svc.answer(geo_url("izmir"), std::string(kGeoIzmir));
    svc.answer(forecast_url(38.4127, 27.1384), std::string(kFullForecast));
    WeatherPass good = run_weather_pass(fresh_snapshot("izmir"), std::nullopt, "izmir", kBases, svc.fetch(), last_digit);

    svc.answer(forecast_url(38.4127, 27.1384), make_error("sunucu hatası 500"));
    WeatherPass bad = run_weather_pass(good.snapshot, good.place, "izmir", kBases, svc.fetch(), last_digit);
    EXPECT_TRUE(bad.snapshot.ok);
    EXPECT_EQ(bad.snapshot.error, "sunucu hatası 500");
    EXPECT_FLOAT_EQ(bad.snapshot.temp, 21.5f);
    EXPECT_EQ(bad.snapshot.days.size(), 6u);
    EXPECT_EQ(bad.wait_seconds, 90);

    // The next success clears the error.
    svc.answer(forecast_url(38.4127, 27.1384), std::string(kFullForecast));
    WeatherPass again = run_weather_pass(bad.snapshot, bad.place, "izmir", kBases, svc.fetch(), last_digit);
    EXPECT_EQ(again.snapshot.error, "");
    EXPECT_EQ(again.wait_seconds, 900);
}

// Without the reset, a failed forecast for the new city kept `ok` and showed
// İzmir's temperature and days under Ankara's name.
TEST(WeatherPass, CityChangeNeverShowsTheOldCitysWeather) {
    FakeService svc;
    svc.answer(geo_url("izmir"), std::string(kGeoIzmir));
    svc.answer(forecast_url(38.4127, 27.1384), std::string(kFullForecast));
    WeatherPass izmir = run_weather_pass(fresh_snapshot("izmir"), std::nullopt, "izmir", kBases, svc.fetch(), last_digit);
    ASSERT_TRUE(izmir.snapshot.ok);

    WeatherSnapshot changed = izmir.snapshot;
    weather_city_changed(changed, "ankara");
    EXPECT_EQ(changed.city, "ankara");
    EXPECT_TRUE(changed.loading);
    EXPECT_FALSE(changed.ok);
    EXPECT_TRUE(changed.days.empty());
    EXPECT_EQ(changed.temp, 0.f);
    EXPECT_EQ(changed.code, 0);

    svc.answer(geo_url("ankara"), std::string(kGeoAnkara));
    svc.answer(forecast_url(39.9199, 32.8543), make_error("sunucu hatası 500"));
    WeatherPass ankara = run_weather_pass(changed, std::nullopt, "ankara", kBases, svc.fetch(), last_digit);
    EXPECT_EQ(ankara.snapshot.city, "Ankara");
    EXPECT_EQ(ankara.snapshot.error, "sunucu hatası 500");
    EXPECT_FALSE(ankara.snapshot.ok);
    EXPECT_TRUE(ankara.snapshot.days.empty());
    EXPECT_EQ(ankara.snapshot.temp, 0.f);
    EXPECT_EQ(ankara.snapshot.humidity, 0.f);
    EXPECT_EQ(ankara.wait_seconds, 90);
}

// ---- Weekday of a date text ----------------------------------------------------

// Days since 1970-01-01 of a civil date, to check the weekday rule against.
int64_t civil_days(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

TEST(WeekdayOfDate, SakamotoOnNetworkText) {
    struct Case {
        const char* text;
        int32_t weekday;
    } cases[] = {
        {"2024-02-29", 4},  // a Thursday
        {"1970-01-01", 4},
        {"2000-01-01", 6},
        {"2026-11-01", 0},
        {"2026-12-31", 4},
        {"2024-02", 0},      // two numbers
        {"2024-02-29-1", 0}, // four numbers
        {"2024-13-01", 0},   // no month 13
        {"2024-00-10", 0},
        {"", 0},
        {"yıl-ay-gün", 0},
        {"2024-x-03-01", 5},                 // a piece that does not read is skipped
        {"2024-03-01T00:00", 0},             // neither does this one, so two numbers remain
        {"99999999999-01-01", 0},            // not a 32-bit number: skipped
        {"+2024-02-29", 4},
    };
    for (const Case& c : cases) EXPECT_EQ(weekday_of_date(c.text), c.weekday) << c.text;
}

// The largest dates the network could send do not overflow, and match the calendar.
TEST(WeekdayOfDate, AgreesWithTheCalendarUpToTheLargestYear) {
    struct Date {
        int64_t y;
        int m, d;
    } dates[] = {{1900, 2, 28}, {1900, 3, 1}, {2000, 2, 29}, {2100, 3, 1}, {2147483647, 12, 31}, {2147483647, 1, 1}};
    for (const Date& t : dates) {
        const std::string text = std::to_string(t.y) + "-" + std::to_string(t.m) + "-" + std::to_string(t.d);
        const int64_t expected = ((civil_days(t.y, t.m, t.d) + 4) % 7 + 7) % 7;
        EXPECT_EQ(weekday_of_date(text), expected) << text;
    }
    EXPECT_EQ(weekday_of_date("2147483647-12-2147483647"), ((2147483647 + 0) % 7 + weekday_of_date("2147483647-12-0")) % 7);
}

}  // namespace
