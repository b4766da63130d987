// The open island's page bodies: the content rectangle every page lays itself
// out in, the drawing conventions the pages share (rows, delete buttons,
// footers, empty states, scrolling lists) and the page bodies themselves
// (pages.cpp dispatches through App::draw_page; pages_*.cpp draw the bodies).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "app_types.h"
#include "gfx_palette.h"

struct App;

// ---- Content rectangle --------------------------------------------------------------------------
// Header above the content and tab strip below it.
constexpr float kPageHeaderHeight = 56, kPageDockHeight = 66, kPageInset = 24;
// The area below the page header and above the tab strip:
// (x + 24, y + 56, width − 48, height − 122).
RectF page_content_rect(const RectF& island);

// ---- Shared colours -----------------------------------------------------------------------------
namespace page_color {
using namespace palette;
constexpr Color kPrimary = kWhite;
constexpr Color kDarkLabel = kInk;
constexpr Color kNeutralButton = rgb(58, 58, 60);
}  // namespace page_color

// ---- Control-centre switches shared with the home page -----------------------------------------
// Their springs sit in App::toggles from kTileToggleSpring (app_types.h) on.
// The solid colour a switch tile (0-4) blends to when on.
Color tile_on_color(uint8_t tile);

// ---- Shared patterns ------------------------------------------------------------------------------
// 0.9 while the Action is pressed, else 1: pressed elements shrink about their centre.
float press_scale(const App& app, const Action& a);
// A row's background: white at 0.05 + 0.07 × hover, radius min(width / 2, 14).
void draw_row_background(App& app, const RectF& r, float hover);
// The delete circle of a hovered row (radius 10, neutral grey to red by its own
// hover, a cross glyph), faded with the row's hover; its region follows the row's.
void draw_row_delete(App& app, float cx, float cy, float row_hover, const Action& a);
// A tertiary count line 24 above the content bottom and, while the list has
// entries, a "Temizle" button at the right.
void draw_list_footer(App& app, const RectF& content, std::string_view count_text, bool has_items, const Action& clear);
// A glyph, a title and a hint, centred in the area near its top.
void draw_empty_state(App& app, const RectF& area, char32_t glyph, std::string_view title, std::string_view hint);
// A scrolling list's item k sits at start + pitch × k − scroll; items wholly
// outside [clip_top, clip_bottom) are neither drawn nor registered.
inline float list_item_top(float start, float pitch, size_t k, float scroll) {
    return start + pitch * static_cast<float>(k) - scroll;
}
inline bool list_item_visible(float top, float height, float clip_top, float clip_bottom) {
    return top + height > clip_top && top < clip_bottom;
}

// ---- Page bodies -----------------------------------------------------------------------------------
// Each draws inside the content rectangle of the island rect it is given.
void draw_home_page(App& app, const RectF& island);
void draw_google_page(App& app, const RectF& island);
void draw_gemini_page(App& app, const RectF& island);
void draw_media_page(App& app, const RectF& island);
void draw_notifs_page(App& app, const RectF& island);
void draw_search_page(App& app, const RectF& island);
void draw_settings_page(App& app, const RectF& island);
void draw_steam_page(App& app, const RectF& island);
void draw_system_page(App& app, const RectF& island);
void draw_calendar_page(App& app, const RectF& island);

// The settings page's about line: the version, then the update, search hot-key
// and notification-access statuses, each with its word for an empty status.
std::string settings_about_line(const App& app);

// ---- Google page texts ------------------------------------------------------------------------------
// "07.03" from a task's due text beginning "2025-03-07"; empty unless it begins with such a date.
std::string task_due_label(std::string_view due);
// The first character of the name, else of the e-mail address, upper-cased; "G" when both are empty.
std::string avatar_letter(std::string_view name, std::string_view email);

// ---- System page texts ----------------------------------------------------------------------------------
// "%46" for a load of 0.456: the load × 100 rounded, saturating, NaN as 0.
std::string cpu_percent_text(float load);
// "%12,5": a process's share with one decimal and a decimal comma.
std::string process_share_text(float share);
// "Açık kalma: 1 gün 0 sa" from a whole day on, else "Açık kalma: 23 sa 59 dk".
std::string uptime_text(uint64_t seconds);
// Bytes as gibibytes with one decimal and a comma ("12,5").
std::string gigabytes_text(double bytes);
// The used fraction of a drive, 1 − free / total; 0 without a positive total.
double drive_use(double free, double total);
// Red above 0.9, orange above 0.75, else light blue.
Color drive_use_color(double use);

// ---- Calendar page ----------------------------------------------------------------------------------------
// Gregorian leap years: divisible by 4 and not by 100, or by 400.
bool is_leap_year(int64_t year);
// 28 to 31; 0 for a month outside 1..12.
int days_in_month(int64_t year, int month);
// Where day d (1-based) of a month whose first day falls on `first_weekday`
// (0 = Sunday) sits in the Monday-first grid: row and column (0..6).
struct GridCell {
    int row = 0, column = 0;
};
GridCell calendar_cell(int day, int first_weekday);
// The fixed national holidays, every year.
bool is_holiday(int month, int day);
// "%30" for a precipitation probability of at least 30, else empty.
std::string precipitation_label(float percent);

// ---- Steam page ---------------------------------------------------------------------------------------------
// The badge of a download: its state's label and colour; a paused download reads "Duraklatıldı".
struct DownloadBadge {
    const char* label;
    Color color;
};
DownloadBadge download_badge(uint8_t state, bool paused);
// How long ago a game was last played: "3 gün önce" under a month, else "2 ay önce".
std::string played_ago_text(int64_t last_played, int64_t now);
// Play time in hours: one decimal with a comma under ten hours ("2,5"), whole hours above.
std::string play_hours_text(uint32_t minutes);
