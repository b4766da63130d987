// Weather requests and answers, and one fetch pass of the watcher.
//
//   Error texts
//   Requests
//   Answers
//   The watcher's state
#include "weather_api.h"

#include "net_http.h"

#include <cmath>
#include <limits>

#include <fmt/format.h>

#include "net_encode.h"
#include "net_json.h"
#include "sys_num.h"
#include "sys_text.h"

using nlohmann::json;

// ---- Error texts ------------------------------------------------------------

std::string weather_server_error(uint32_t status) { return fmt::format("sunucu hatası {}", status); }

std::string weather_not_found_error(std::string_view city) {
    return fmt::format("\u201C{}\u201D bulunamadı", city);
}

// ---- Requests ---------------------------------------------------------------

std::string weather_city_query(std::string_view city) {
    // The shared encoder keeps "~"; the geocoding query escapes it as well.
    const std::string encoded = percent_encode(city);
    std::string out;
    out.reserve(encoded.size());
    for (char c : encoded) {
        if (c == '~') out += "%7E";
        else out.push_back(c);
    }
    return out;
}

std::string weather_geocoding_url(std::string_view base, std::string_view city) {
    return fmt::format("{}/v1/search?name={}&count=1&language=tr&format=json", base, weather_city_query(city));
}

std::string weather_forecast_url(std::string_view base, double latitude, double longitude) {
    return fmt::format(
        "{}/v1/forecast?latitude={:.4f}&longitude={:.4f}"
        "&current=temperature_2m,apparent_temperature,relative_humidity_2m,weather_code,is_day,wind_speed_10m"
        "&daily=weather_code,temperature_2m_max,temperature_2m_min,precipitation_probability_max"
        "&timezone=auto&forecast_days=6",
        base, latitude, longitude);
}

Result<std::string> weather_answer_text(const Result<HttpResponse>& answer) {
    if (!answer) return answer.error();
    if (answer->status != 200) return make_error(weather_server_error(answer->status));
    return sanitize_utf8(answer->body);
}

Result<std::string> http_get_text(std::string_view url) {
    return weather_answer_text(http_request("GET", url, {}, std::nullopt, /*follow_redirects=*/true));
}

// ---- Answers ----------------------------------------------------------------

namespace {

const json* member(const json& object, const char* key) {
    if (!object.is_object()) return nullptr;
    auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

const json* element(const json* array, size_t i) {
    return array && array->is_array() && i < array->size() ? &(*array)[i] : nullptr;
}

std::optional<double> number(const json* v) {
    if (!v || !v->is_number()) return std::nullopt;
    return v->get<double>();
}

// Out-of-range doubles become infinities explicitly rather than by an undefined cast.
float to_f32(const json* v) {
    const double d = number(v).value_or(0.0);
    constexpr double kMax = std::numeric_limits<float>::max();
    if (d > kMax) return std::numeric_limits<float>::infinity();
    if (d < -kMax) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(d);
}

int32_t to_i32(const json* v) { return saturate_i32(number(v).value_or(0.0)); }

}  // namespace

int32_t saturate_i32(double v) {
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
    if (v <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

int32_t weekday_of_date(std::string_view date) {
    static constexpr int64_t kMonthShift[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    int64_t parts[3] = {0, 0, 0};
    size_t count = 0;
    while (true) {
        const size_t dash = date.find('-');
        const std::optional<int64_t> n = parse_i64(date.substr(0, dash));
        if (n && *n >= std::numeric_limits<int32_t>::min() && *n <= std::numeric_limits<int32_t>::max()) {
            if (count == 3) return 0;
            parts[count++] = *n;
        }
        if (dash == std::string_view::npos) break;
        date.remove_prefix(dash + 1);
    }
    if (count != 3) return 0;
    int64_t y = parts[0];
    const int64_t m = parts[1], d = parts[2];
    if (m < 1 || m > 12) return 0;
    if (m < 3) y -= 1;
    const int64_t w = (y + y / 4 - y / 100 + y / 400 + kMonthShift[m - 1] + d) % 7;
    return static_cast<int32_t>(w < 0 ? w + 7 : w);
}

Result<WeatherPlace> parse_geocoding(std::string_view text, std::string_view city) {
    const std::optional<json> doc = parse_json_limited(text);
    if (!doc) return make_error(kWeatherErrBadAnswer);
    const json* results = member(*doc, "results");
    if (!results || !results->is_array() || results->empty()) return make_error(weather_not_found_error(city));
    const json& first = results->front();
    const std::optional<double> lat = number(member(first, "latitude"));
    const std::optional<double> lon = number(member(first, "longitude"));
    if (!lat || !lon) return make_error(kWeatherErrNoPlace);
    WeatherPlace place{*lat, *lon, std::string(city)};
    if (const json* name = member(first, "name"); name && name->is_string()) place.name = name->get<std::string>();
    return place;
}

Result<WeatherReading> parse_forecast(std::string_view text, WeekdayOfDate weekday_of) {
    const std::optional<json> doc = parse_json_limited(text);
    if (!doc) return make_error(kWeatherErrBadAnswer);
    const json* current = member(*doc, "current");
    if (!current) return make_error(kWeatherErrNoData);

    WeatherReading r;
    r.temp = to_f32(member(*current, "temperature_2m"));
    r.feels = to_f32(member(*current, "apparent_temperature"));
    r.humidity = to_f32(member(*current, "relative_humidity_2m"));
    r.wind = to_f32(member(*current, "wind_speed_10m"));
    r.code = to_i32(member(*current, "weather_code"));
    r.is_day = number(member(*current, "is_day")).value_or(0.0) > 0.5;

    const json* daily = member(*doc, "daily");
    if (!daily) return r;
    const json* time = member(*daily, "time");
    const json* code = member(*daily, "weather_code");
    const json* high = member(*daily, "temperature_2m_max");
    const json* low = member(*daily, "temperature_2m_min");
    const json* precip = member(*daily, "precipitation_probability_max");
    if (!time || !time->is_array()) return r;
    r.days.reserve(time->size());
    for (size_t i = 0; i < time->size(); ++i) {
        const json& date = (*time)[i];
        WeatherDay d;
        d.weekday = weekday_of(date.is_string() ? std::string_view(date.get_ref<const std::string&>()) : "");
        d.code = to_i32(element(code, i));
        d.high = to_f32(element(high, i));
        d.low = to_f32(element(low, i));
        d.precip = to_f32(element(precip, i));
        r.days.push_back(d);
    }
    return r;
}

// ---- The watcher's state ----------------------------------------------------

void weather_city_changed(WeatherSnapshot& snapshot, std::string_view city) {
    WeatherSnapshot fresh;
    fresh.city = std::string(city);
    fresh.error = std::move(snapshot.error);
    fresh.loading = true;
    snapshot = std::move(fresh);
}

WeatherBases weather_bases(const std::optional<std::string>& test_base) {
    if (!test_base || !is_loopback_test_base(*test_base)) return {};
    return {*test_base, *test_base};
}

double weather_next_wait(bool forecast_read) { return forecast_read ? kWeatherRefreshSeconds : kWeatherRetrySeconds; }

WeatherPass run_weather_pass(const WeatherSnapshot& start, std::optional<WeatherPlace> place, std::string_view city,
                             const WeatherBases& bases, const WeatherFetch& fetch, WeekdayOfDate weekday_of) {
    WeatherPass pass{start, std::move(place), kWeatherRetrySeconds};
    WeatherSnapshot& s = pass.snapshot;
    s.loading = false;

    if (!pass.place) {
        Result<std::string> text = fetch(weather_geocoding_url(bases.geocoding, city));
        Result<WeatherPlace> found = text ? parse_geocoding(*text, city) : Result<WeatherPlace>(text.error());
        if (!found) {
            s.ok = false;
            s.error = found.error().message;
            return pass;
        }
        pass.place = std::move(*found);
    }

    s.city = pass.place->name;
    Result<std::string> text = fetch(weather_forecast_url(bases.forecast, pass.place->latitude, pass.place->longitude));
    Result<WeatherReading> reading = text ? parse_forecast(*text, weekday_of) : Result<WeatherReading>(text.error());
    if (!reading) {
        s.error = reading.error().message;
        pass.wait_seconds = weather_next_wait(false);
        return pass;
    }
    s.temp = reading->temp;
    s.feels = reading->feels;
    s.code = reading->code;
    s.wind = reading->wind;
    s.humidity = reading->humidity;
    s.is_day = reading->is_day;
    s.days = std::move(reading->days);
    s.ok = true;
    s.error.clear();
    pass.wait_seconds = weather_next_wait(true);
    return pass;
}
