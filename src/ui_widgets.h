// The arithmetic and texts behind the shared widgets (App methods in app.h,
// drawn in ui_widgets.cpp): the hit-region transform, page titles and dock
// glyphs, the dock's magnification, the caret blink, the island's local time
// and small formatters.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "app_types.h"
#include "sys_os.h"

struct App;
class Renderer;

// The island content's zoom, the pill's width over its target width, stays within these.
constexpr float kContentZoomMin = 0.55f, kContentZoomMax = 1.12f;

// A drawing rectangle in window units: scaled by zoom about (kIslandCentreX,
// kIslandTop), moved by shift.
RectF hit_rect(const RectF& r, float zoom, float shift);

// The local time the island shows: the tick's pinned Unix time when a test pins
// one, else the system clock.
LocalTime island_local_time(const App& app);

// "Günaydın" 5–11, "İyi günler" 12–17, "İyi akşamlar" 18–22, else "İyi geceler".
const char* greeting_for_hour(int hour);
// The header title of a page (the home page greets instead).
const char* page_title(Page p);
// The dock tooltip's name of a page.
const char* page_short_name(Page p);
// The dock glyph of a page.
char32_t page_glyph(Page p);

// "%" followed by the number: the percent sign comes first.
std::string percent_text(int64_t value);
// A badge count: the number, "9+" from 10 on.
std::string badge_text(uint32_t count);
// `text` when its wrapped height at `width` is within `height`; otherwise its
// longest start that fits with "…" appended, ended after a whole word (after
// any character when not even the first word fits), so no line is cut
// through. "…" alone when nothing fits.
std::string fit_wrapped(Renderer& g, std::string_view text, float width, float height, float size, float weight);
// The dock's count badge: a red disc of radius 7.5 that widens into a pill when
// its label and a margin of 3 on each side need more room ("9+" does).
constexpr float kBadgeRadius = 7.5f, kBadgeTextSize = 9.5f, kBadgeMargin = 3;
float badge_width(Renderer& g, std::string_view label);

// The caret shows 60 % of each of 1.8 blinks a second.
bool caret_lit(double now);
// How far a field's text slides left so its end stays visible.
float field_scroll(float text_width, float area_width);

// Each channel and the alpha moved toward white by t.
Color toward_white(const Color& c, float t);
// a blended toward b by t, alpha included.
Color blend(const Color& a, const Color& b, float t);

// The page dock for a pointer x in island units and a reveal 0..1.
struct DockLayout {
    static constexpr int kSlots = 15;
    std::array<float, kSlots> scale{};  // s_i, 1 at rest
    std::array<float, kSlots> left{};   // L_i
    float total = 0;                     // Σ 38 s_i
    float start = 0;                     // L = kIslandCentreX − total / 2
};
DockLayout dock_layout(float pointer_x, float reveal);

// The letter tile's colour of an app name.
Color letter_tile_color(std::string_view name);
// Image ids of the app-icon widget: explicit pictures and shell icons.
uint64_t explicit_icon_id(std::string_view app_id);
uint64_t shell_icon_id(std::string_view app_id);
