// What the black pill shows in each display mode (ui_island.cpp) and the
// animated weather pictograms (ui_weather_icons.cpp), with the small texts and
// numbers behind them, which the pages share.
#pragma once
#include <cstdint>
#include <string>

struct App;

// Draws the content of one display mode (tag and payload bytes of an IslandMode)
// inside the pill: scaled to the pill's current width, faded by `alpha`, slid by
// `offset`; hit regions only when `record`; the page header and tab strip of an
// open island only when `header`.
void draw_island(App& app, uint8_t tag, uint8_t payload, float alpha, float offset, bool record, bool header);

// ---- Weather icon kinds ----------------------------------------------------------------------
enum WeatherIcon : uint8_t {
    kIconSun = 0, kIconMoon = 1, kIconPartlyDay = 2, kIconPartlyNight = 3, kIconCloud = 4,
    kIconFog = 5, kIconDrizzle = 6, kIconRain = 7, kIconSnow = 8, kIconThunder = 9
};
// The pictogram of a WMO weather code by day or night; unknown codes are a cloud.
uint8_t weather_icon_kind(int32_t code, bool is_day);

// ---- Clock texts -----------------------------------------------------------------------------
// "h:mm:ss" from one hour on, else "m:ss"; negative counts as 0.
std::string duration_clock_text(int64_t seconds);
// The stopwatch line: whole seconds as above, a comma and the tenths digit.
std::string stopwatch_text(double elapsed);
// Seconds a countdown shows: the remainder rounded up, never below 0.
int64_t shown_seconds_left(double remaining);

// ---- Download progress -----------------------------------------------------------------------
// Whole percent done, 0..100; a total of 0 (or any non-finite ratio) is 0.
int64_t download_percent(double done, double total);
// " · kalan H sa M dk" from one hour on, else " · kalan M dk"; empty when no
// rate (0, negative or not finite) gives an estimate.
std::string download_time_left(double done, double total, double rate);
