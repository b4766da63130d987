// The calendar page: on the left a month grid with today, weekends, the fixed
// national holidays and the days of Google Calendar events marked; on the
// right the weather, its current conditions and a five-day forecast whose
// range bars share one temperature scale.
//
// Index
//   Dates and labels
//   Geometry and helpers
//   Month grid
//   Weather panel
//   The page
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include <fmt/format.h>

#include "app.h"
#include "app_format.h"
#include "google_api.h"
#include "google_text.h"
#include "pages.h"
#include "sys_num.h"
#include "ui_island.h"
#include "ui_widgets.h"
#include "weather_api.h"

// ---- Dates and labels ------------------------------------------------------------------------------------

bool is_leap_year(int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int64_t year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && is_leap_year(year) ? 29 : kDays[month - 1];
}

GridCell calendar_cell(int day, int first_weekday) {
    const int index = day - 1 + (first_weekday + 6) % 7;  // Monday first
    return {index / 7, index % 7};
}

bool is_holiday(int month, int day) {
    static constexpr std::array<std::pair<int, int>, 7> kHolidays = {
        {{1, 1}, {4, 23}, {5, 1}, {5, 19}, {7, 15}, {8, 30}, {10, 29}}};
    return std::find(kHolidays.begin(), kHolidays.end(), std::pair{month, day}) != kHolidays.end();
}

std::string precipitation_label(float percent) {
    if (!(percent >= 30)) return {};
    return percent_text(sat_i64(std::round(static_cast<double>(percent))));
}

namespace {

// ---- Geometry and helpers ---------------------------------------------------------------------------------

constexpr const char* kMonthNames[12] = {"Ocak",    "Şubat",   "Mart",  "Nisan", "Mayıs", "Haziran",
                                         "Temmuz",  "Ağustos", "Eylül", "Ekim",  "Kasım", "Aralık"};
constexpr const char* kColumnHeads[7] = {"Pt", "Sa", "Ça", "Pe", "Cu", "Ct", "Pz"};

constexpr float kGridW = 300, kColumnW = kGridW / 7, kRowPitch = 24, kFirstRowY = 60;
constexpr float kPanelLeft = 320;
constexpr size_t kForecastDays = 5;
constexpr float kForecastTop = 82, kForecastPitch = 23;
constexpr Color kCutOut = rgb(18, 18, 18);

Color white(float a) { return rgb(255, 255, 255, a); }

std::string degrees(float v) { return fmt::format("{}°", sat_i64(std::round(static_cast<double>(v)))); }

int64_t floor_div(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Which days of the shown month carry an event, by the local date of each start.
std::array<bool, 32> event_days(const App& app, int year, int month, int length) {
    std::array<bool, 32> days{};
    if (length == 0) return days;
    const int64_t now = app.wall_unix(), offset = local_utc_offset(now);
    const int64_t first = days_from_civil(year, static_cast<unsigned>(month), 1);
    for (const EventItem& e : app.google.snap.events) {
        const int64_t d = floor_div(e.start + offset, 86400) - first + 1;
        if (d >= 1 && d <= length) days[static_cast<size_t>(d)] = true;
    }
    return days;
}

// ---- Month grid --------------------------------------------------------------------------------------------

void month_header(App& app, float x, float y, bool current) {
    Renderer& g = *app.drawing.renderer;
    const int month = app.island.cal_month;
    const char* name = month >= 1 && month <= 12 ? kMonthNames[month - 1] : "";
    g.draw_text(fmt::format("{} {}", name, app.island.cal_year), {x + 4, y, 200, 26}, 15.5f, FontFamily::Display, 700,
                page_color::kPrimary, TextAlign::Left);

    const float cy = y + 13;
    app.circle_button(Action::of(ActionKind::CalNext), x + 287, cy, 13, white(0.08f), white(0.2f));
    g.draw_glyph(0xE76C, x + 287, cy, 10, page_color::kPrimary);
    app.circle_button(Action::of(ActionKind::CalPrev), x + 255, cy, 13, white(0.08f), white(0.2f));
    g.draw_glyph(0xE76B, x + 255, cy, 10, page_color::kPrimary);

    if (current) return;
    const Action today = Action::of(ActionKind::CalToday);
    const float h = app.hover_of(today);
    const RectF button{x + 180, y + 1, 56, 24};
    g.fill_rounded_rect(button, 12, with_alpha(page_color::kRed, 0.2f + 0.15f * h));
    g.draw_text("Bugün", button, 11.5f, FontFamily::Text, 700, page_color::kRed, TextAlign::Center);
    app.push_hit(button, today);
}

void month_grid(App& app, float x, float y) {
    Renderer& g = *app.drawing.renderer;
    const int year = app.island.cal_year, month = app.island.cal_month;
    const LocalTime now = island_local_time(app);
    const bool current = now.year == year && now.month == month;
    month_header(app, x, y, current);

    for (int i = 0; i < 7; ++i)
        g.draw_text(kColumnHeads[i], {x + static_cast<float>(i) * kColumnW, y + 30, kColumnW, 16}, 11,
                    FontFamily::Text, 700, i < 5 ? page_color::kTertiary : with_alpha(page_color::kRed, 0.7f),
                    TextAlign::Center);

    const int length = days_in_month(year, month);
    const int first = weekday_of_date(fmt::format("{}-{:02}-01", year, month));
    const std::array<bool, 32> events = event_days(app, year, month, length);
    for (int d = 1; d <= length; ++d) {
        const GridCell c = calendar_cell(d, first);
        const float cx = x + static_cast<float>(c.column) * kColumnW + kColumnW / 2;
        const float cy = y + kFirstRowY + static_cast<float>(c.row) * kRowPitch;
        const bool today = current && d == now.day, weekend = c.column >= 5;
        if (today) g.fill_circle(cx, cy, 11.5f, page_color::kRed);
        g.draw_text(fmt::format("{}", d), {cx - 16, cy - 10, 32, 20}, 12.5f, FontFamily::Display, today ? 700 : 500,
                    today ? page_color::kPrimary : white(weekend ? 0.5f : 0.88f), TextAlign::Center);

        const bool holiday = is_holiday(month, d), event = events[static_cast<size_t>(d)];
        const Color event_dot = today ? page_color::kPrimary : page_color::kLightBlue;
        if (holiday && event) {
            g.fill_circle(cx - 3, cy + 10, 1.8f, page_color::kOrange);
            g.fill_circle(cx + 3, cy + 10, 2, event_dot);
        } else if (holiday) {
            g.fill_circle(cx, cy + 10, 1.8f, page_color::kOrange);
        } else if (event) {
            g.fill_circle(cx, cy + 10, 2, event_dot);
        }
    }
}

// ---- Weather panel ------------------------------------------------------------------------------------------

void current_conditions(App& app, const WeatherSnapshot& w, float wx, float y, float pw) {
    Renderer& g = *app.drawing.renderer;
    app.draw_weather_icon(weather_icon_kind(w.code, w.is_day), wx + 36, y + 34, 22, kCutOut);
    g.draw_text(degrees(w.temp), {wx + 66, y + 10, 90, 46}, 34, FontFamily::Display, 600, page_color::kPrimary,
                TextAlign::Left);
    g.draw_text(w.city, {wx + 150, y + 12, pw - 164, 20}, 13.5f, FontFamily::Text, 700, page_color::kPrimary,
                TextAlign::Right);
    g.draw_text(weather_code_text(static_cast<uint32_t>(w.code)), {wx + 150, y + 44, pw - 164, 18}, 12,
                FontFamily::Text, 600, page_color::kSecondary, TextAlign::Right);
    g.draw_text(fmt::format("Hissedilen {} · Nem %{} · Rüzgâr {} km/s", degrees(w.feels),
                            sat_i64(std::round(static_cast<double>(w.humidity))),
                            sat_i64(std::round(static_cast<double>(w.wind)))),
                {wx + 16, y + 58, pw - 32, 16}, 11, FontFamily::Text, 400, page_color::kTertiary, TextAlign::Left);
}

void forecast(App& app, const WeatherSnapshot& w, float wx, float y, float pw) {
    Renderer& g = *app.drawing.renderer;
    const size_t n = std::min(w.days.size(), kForecastDays);
    if (n == 0) return;
    float lo = w.days[0].low, hi = w.days[0].high;
    for (size_t i = 1; i < n; ++i) {
        lo = std::min(lo, w.days[i].low);
        hi = std::max(hi, w.days[i].high);
    }
    const float span = std::max(hi - lo, 1.0f);
    const float bx = wx + 168, bw = pw - 220;

    for (size_t i = 0; i < n; ++i) {
        const WeatherDay& d = w.days[i];
        const float ry = y + kForecastTop + kForecastPitch * static_cast<float>(i);
        g.draw_text(i == 0 ? "Bugün" : weekday_short(d.weekday), {wx + 16, ry, 56, 22}, 12, FontFamily::Text, 600,
                    white(0.9f), TextAlign::Left);
        app.draw_weather_icon(weather_icon_kind(d.code, true), wx + 82, ry + 11, 8.5f, kCutOut);
        const std::string rain = precipitation_label(d.precip);
        if (!rain.empty())
            g.draw_text(rain, {wx + 94, ry, 36, 22}, 10, FontFamily::Text, 700, page_color::kLightBlue, TextAlign::Left);
        g.draw_text(degrees(d.low), {wx + 120, ry, 40, 22}, 12, FontFamily::Display, 600, page_color::kTertiary,
                    TextAlign::Right);
        if (bw > 0) {
            g.fill_rounded_rect({bx, ry + 9, bw, 4}, std::min(bw / 2, 2.0f), white(0.1f));
            // The segment's colour tells where the day lies on the five days' scale.
            const float a = bx + bw * (d.low - lo) / span, b = bx + bw * (d.high - lo) / span;
            const float sw = std::isfinite(b - a) ? std::max(b - a, 4.0f) : 4.0f;
            g.fill_gradient_rounded_rect({std::isfinite(a) ? a : bx, ry + 9, sw, 4}, 2, page_color::kLightBlue,
                                         page_color::kOrange, bx, bx + bw);
        }
        g.draw_text(degrees(d.high), {bx + bw + 6, ry, 40, 22}, 12, FontFamily::Display, 600, page_color::kPrimary,
                    TextAlign::Left);
    }
}

void weather_panel(App& app, float wx, float y, float pw, float h) {
    Renderer& g = *app.drawing.renderer;
    const WeatherSnapshot& w = app.weather.snap;
    if (pw > 0 && h > 0) g.fill_rounded_rect({wx, y, pw, h}, std::min({pw / 2, h / 2, 20.0f}), white(0.07f));
    if (!w.ok) {
        const std::string text =
            !w.loading && !w.error.empty() ? fmt::format("Hava alınamadı: {}", w.error) : std::string("Hava durumu yükleniyor…");
        g.draw_text(text, {wx, y, pw, h}, 12.5f, FontFamily::Text, 400, page_color::kTertiary, TextAlign::Center);
        return;
    }
    current_conditions(app, w, wx, y, pw);
    forecast(app, w, wx, y, pw);
}

}  // namespace

// ---- The page ------------------------------------------------------------------------------------------------

void draw_calendar_page(App& app, const RectF& island) {
    if (!app.drawing.renderer) return;
    const RectF b = page_content_rect(island);
    month_grid(app, b.x, b.y);
    weather_panel(app, b.x + kPanelLeft, b.y, b.w - kPanelLeft, b.h);
}
