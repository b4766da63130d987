// Weather: the requests, the answers and one fetch pass of the watcher,
// free of threads and of the network so they run on plain data.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net_http.h"
#include "sys_result.h"
#include "weather.h"

// ---- Fixed values -----------------------------------------------------------

inline constexpr const char* kWeatherGeocodingBase = "https://geocoding-api.open-meteo.com";
inline constexpr const char* kWeatherForecastBase = "https://api.open-meteo.com";
inline constexpr double kWeatherRefreshSeconds = 900;  // after a forecast was read
inline constexpr double kWeatherRetrySeconds = 90;     // after any failure
inline constexpr double kWeatherFirstWaitSeconds = 0.3;

// The error texts shown on the weather card.
inline constexpr const char* kWeatherErrBadAnswer = "geçersiz yanıt";
inline constexpr const char* kWeatherErrNoPlace = "konum yok";
inline constexpr const char* kWeatherErrNoData = "veri yok";
std::string weather_server_error(uint32_t status);       // "sunucu hatası 500"
std::string weather_not_found_error(std::string_view city);  // "“city” bulunamadı"

// ---- Requests ---------------------------------------------------------------

// The city as the geocoding query carries it: letters, digits, "-", "." and
// "_" stay, every other byte is "%XX" (a space is "%20", "~" is "%7E").
std::string weather_city_query(std::string_view city);
// base + "/v1/search?name=…&count=1&language=tr&format=json"
std::string weather_geocoding_url(std::string_view base, std::string_view city);
// base + "/v1/forecast?latitude=…&longitude=…&current=…&daily=…": coordinates with four decimals.
std::string weather_forecast_url(std::string_view base, double latitude, double longitude);

// The text of a GET answer: status 200 gives the body (invalid UTF-8 replaced),
// any other status "sunucu hatası {status}", a client error passes unchanged.
Result<std::string> weather_answer_text(const Result<HttpResponse>& answer);
// GET without headers, redirects followed, through the program's HTTP client.
Result<std::string> http_get_text(std::string_view url);

// ---- Answers ----------------------------------------------------------------

struct WeatherPlace {
    double latitude = 0, longitude = 0;
    std::string name;
};

// The first result of a geocoding answer; `city` (as typed) names the place
// when the answer gives no name, and goes into the not-found text.
Result<WeatherPlace> parse_geocoding(std::string_view text, std::string_view city);

// The current values and the daily forecast of one forecast answer.
struct WeatherReading {
    float temp = 0, feels = 0, wind = 0, humidity = 0;
    int32_t code = 0;
    bool is_day = false;
    std::vector<WeatherDay> days;
};

// Weekday (0 = Sunday) of a "YYYY-MM-DD" text, used for every forecast day.
using WeekdayOfDate = int32_t (*)(std::string_view date);

// The weekday (0 = Sunday) of a "YYYY-MM-DD" text by Sakamoto's rule. The
// pieces between "-" that read as signed 32-bit numbers count; unless there
// are exactly three, or when the month is outside 1..12, the answer is 0.
// Dates come from the network, so any numbers are taken without overflow.
int32_t weekday_of_date(std::string_view date);

// Missing or non-numeric members read as 0 (false); a missing "current" fails.
Result<WeatherReading> parse_forecast(std::string_view text, WeekdayOfDate weekday_of);

// A JSON number saturated into a signed 32-bit integer (NaN gives 0).
int32_t saturate_i32(double v);

// ---- The watcher's state ----------------------------------------------------

// A new city from the settings: the snapshot names it and shows it loading,
// and drops the old city's forecast so a failure for the new city can never
// show the old weather under the new name. The error stays until the pass.
void weather_city_changed(WeatherSnapshot& snapshot, std::string_view city);

// The wait before the next pass: long after a forecast was read, short after a failure.
double weather_next_wait(bool forecast_read);

// Reads one URL's text (http_get_text in the program, a table in the tests).
using WeatherFetch = std::function<Result<std::string>(const std::string& url)>;

struct WeatherBases {
    std::string geocoding = kWeatherGeocodingBase;
    std::string forecast = kWeatherForecastBase;
};

// The variable that points both endpoints at a test server on this machine.
inline constexpr const char* kWeatherTestBaseVariable = "VEMO_TEST_WEATHER_BASE";
// The service's hosts, or the test base when it is a loopback address
// ("http://127.0.0.1:" and digits, nothing more), so the variable can never send
// the requests to another host.
WeatherBases weather_bases(const std::optional<std::string>& test_base);

struct WeatherPass {
    WeatherSnapshot snapshot;           // the next snapshot to publish (`loading` false)
    std::optional<WeatherPlace> place;  // kept until the city changes
    double wait_seconds = kWeatherRetrySeconds;
};

// One pass of the watcher: geocodes `city` when there is no place yet, then
// reads the forecast into a copy of `start`. A geocoding failure clears `ok`;
// a forecast failure changes only `error`.
WeatherPass run_weather_pass(const WeatherSnapshot& start, std::optional<WeatherPlace> place, std::string_view city,
                             const WeatherBases& bases, const WeatherFetch& fetch, WeekdayOfDate weekday_of);
