// The calendar page as a user reaches it (a click on the island, a click on
// the Calendar dock icon), drawn through App::render: leap years, where the
// first day of a month falls in the Monday-first grid, today's disc and the
// "Bugün" button, holiday and event dots, the weather panel's messages, the
// precipitation threshold, the forecast's shared scale, and the month buttons.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "open_page_support.h"
#include "pages.h"
#include "sys_os.h"

namespace {

using open_page::ClickCase;
using open_page::Effect;

// The open calendar page is 720 × 326: its body is (114, 64, 672, 204); the
// grid's columns are 300 / 7 wide, its first row centred at y 124; the
// weather panel starts at x 434 and is 352 wide.
constexpr float kX = 114, kY = 64, kColumn = 300.0f / 7, kFirstRow = kY + 60, kPitch = 24;
constexpr float kPanelX = kX + 320, kPanelW = 352;

float cell_x(int column) { return kX + column * kColumn + kColumn / 2; }
float cell_y(int row) { return kFirstRow + row * kPitch; }

WeatherDay day(int weekday, int code, float high, float low, float precip) {
    WeatherDay d;
    d.weekday = weekday;
    d.code = code;
    d.high = high;
    d.low = low;
    d.precip = precip;
    return d;
}

void weather(App& a) {
    WeatherSnapshot& w = a.weather.snap;
    w.ok = true;
    w.city = "İstanbul";
    w.temp = 20.6f;
    w.feels = 19.4f;
    w.humidity = 40.2f;
    w.wind = 11.5f;
    w.code = 0;
    w.days = {day(3, 0, 22, 14, 0), day(4, 61, 18, 12, 29.9f), day(5, 63, 16, 10, 30),
              day(6, 3, 17, 11, 55), day(0, 71, 8, 2, 80), day(1, 0, 30, 20, 0)};
}

struct CalendarPage : open_page::OpenPageTest {
    void show(int year, int month) {
        app->island.cal_year = year;
        app->island.cal_month = month;
    }
    // The day number drawn in a cell (its 32 × 20 box about the cell's centre).
    const DrawCall* number_at(int day, int row, int column) const {
        for (const DrawCall* c : all_text(std::to_string(day)))
            if (std::fabs(c->rect.x - (cell_x(column) - 16)) < 1e-3f && std::fabs(c->rect.y - (cell_y(row) - 10)) < 1e-3f)
                return c;
        return nullptr;
    }
    std::vector<const DrawCall*> circles_at(float cx, float cy, float r) const {
        std::vector<const DrawCall*> out;
        for (const DrawCall* c : ops(DrawOp::FillCircle))
            if (std::fabs(c->rect.x + c->radius - cx) < 1e-3f && std::fabs(c->rect.y + c->radius - cy) < 1e-3f &&
                std::fabs(c->radius - r) < 1e-3f)
                out.push_back(c);
        return out;
    }
    // Circles inside the page body (the dock's page dot is below it).
    size_t body_circles() const {
        size_t n = 0;
        for (const DrawCall* c : ops(DrawOp::FillCircle))
            if (c->rect.y >= kY && c->rect.y + c->rect.h <= kY + 204) ++n;
        return n;
    }
    int64_t local_noon(int year, int month, int d) const {
        LocalTime t;
        t.year = year, t.month = month, t.day = d, t.hour = 12;
        return test_unix_for_local(t);
    }
};

}  // namespace

// ---- Dates -------------------------------------------------------------------------------------------------------

TEST(CalendarDates, MonthLengthsAndLeapYears) {
    struct Case {
        int64_t year;
        int month, days;
    } cases[] = {
        {2024, 2, 29}, {2000, 2, 29}, {1900, 2, 28}, {2023, 2, 28}, {2100, 2, 28}, {2400, 2, 29},
        {2026, 1, 31}, {2026, 4, 30}, {2026, 12, 31}, {2026, 0, 0}, {2026, 13, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(days_in_month(c.year, c.month), c.days) << c.year << "-" << c.month;
}

TEST(CalendarDates, GridCellsAreMondayFirst) {
    // Sunday first: day 1 in the last column, day 30 on a sixth row.
    EXPECT_EQ(calendar_cell(1, 0).row, 0);
    EXPECT_EQ(calendar_cell(1, 0).column, 6);
    EXPECT_EQ(calendar_cell(2, 0).row, 1);
    EXPECT_EQ(calendar_cell(2, 0).column, 0);
    EXPECT_EQ(calendar_cell(30, 0).row, 5);
    // Monday first: day 1 in the first column, day 28 closes the fourth row.
    EXPECT_EQ(calendar_cell(1, 1).column, 0);
    EXPECT_EQ(calendar_cell(28, 1).row, 3);
    EXPECT_EQ(calendar_cell(28, 1).column, 6);
}

TEST(CalendarDates, HolidaysAndPrecipitation) {
    EXPECT_TRUE(is_holiday(10, 29));
    EXPECT_TRUE(is_holiday(1, 1));
    EXPECT_TRUE(is_holiday(4, 23));
    EXPECT_FALSE(is_holiday(10, 28));
    EXPECT_FALSE(is_holiday(29, 10));
    EXPECT_EQ(precipitation_label(29.9f), "");
    EXPECT_EQ(precipitation_label(30), "%30");
    EXPECT_EQ(precipitation_label(64.5f), "%65");
    EXPECT_EQ(precipitation_label(std::nanf("")), "");
}

// ---- Month grid -------------------------------------------------------------------------------------------------

// November 2026 begins on a Sunday: day 1 in the Pz column, day 30 on the sixth row.
TEST_F(CalendarPage, MonthStartingOnSundayNeedsSixRows) {
    show(2026, 11);
    open(Page::Calendar);
    EXPECT_TRUE(drawn("Kasım 2026"));
    const DrawCall* first = number_at(1, 0, 6);
    ASSERT_TRUE(first) << "day 1 in the last column";
    expect_color(first->color, 255, 255, 255, 0.5f);
    EXPECT_TRUE(number_at(2, 1, 0));
    const DrawCall* last = number_at(30, 5, 0);
    ASSERT_TRUE(last) << "day 30 on the sixth row";
    expect_color(last->color, 255, 255, 255, 0.88f);
    EXPECT_FALSE(drawn("31"));

    // Another month than the current one: the "Bugün" button, no disc.
    const DrawCall* today = text("Bugün");
    ASSERT_TRUE(today);
    expect_color(today->color, 255, 69, 58, 1);
    EXPECT_EQ(body_circles(), 2u) << "only the two month buttons";
}

TEST_F(CalendarPage, FebruaryOfLeapAndCommonYears) {
    struct Case {
        int year;
        bool has_29;
    } cases[] = {{2024, true}, {2000, true}, {1900, false}, {2023, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.year);
        fresh_app();
        show(c.year, 2);
        open(Page::Calendar);
        EXPECT_EQ(drawn("29"), c.has_29);
        EXPECT_TRUE(drawn("28"));
        EXPECT_FALSE(drawn("30"));
    }
}

// 9 December 2026 (a Wednesday; the month begins on a Tuesday) is today.
TEST_F(CalendarPage, TodayHasTheRedDiscAndNoButton) {
    show(2026, 12);
    open(Page::Calendar);
    EXPECT_TRUE(drawn("Aralık 2026"));
    EXPECT_FALSE(drawn("Bugün"));
    const DrawCall* nine = number_at(9, 1, 2);
    ASSERT_TRUE(nine);
    EXPECT_FLOAT_EQ(nine->weight, 700);
    expect_color(nine->color, 255, 255, 255, 1);
    const std::vector<const DrawCall*> disc = circles_at(cell_x(2), cell_y(1), 11.5f);
    ASSERT_EQ(disc.size(), 1u);
    expect_color(disc[0]->color, 255, 69, 58, 1);
    EXPECT_TRUE(number_at(1, 0, 1)) << "Tuesday";
}

// 29 October 2026 is a Thursday (row 4, column 3); 5 October a Monday (row 1, column 0).
TEST_F(CalendarPage, HolidayAndEventDots) {
    show(2026, 10);
    open(Page::Calendar);
    const float hx = cell_x(3), hy = cell_y(4) + 10;
    std::vector<const DrawCall*> dot = circles_at(hx, hy, 1.8f);
    ASSERT_EQ(dot.size(), 1u) << "29 October alone: one orange dot";
    expect_color(dot[0]->color, 255, 159, 10, 1);

    app->google.snap.events = {{"e1", "Tören", "", local_noon(2026, 10, 29), false},
                               {"e2", "Toplantı", "", local_noon(2026, 10, 5), false},
                               {"e3", "Gelecek ay", "", local_noon(2026, 11, 5), false}};
    redraw();
    EXPECT_TRUE(circles_at(hx, hy, 1.8f).empty());
    ASSERT_EQ(circles_at(hx - 3, hy, 1.8f).size(), 1u) << "the holiday's dot moves left";
    const std::vector<const DrawCall*> beside = circles_at(hx + 3, hy, 2);
    ASSERT_EQ(beside.size(), 1u) << "and the event's sits beside it";
    expect_color(beside[0]->color, 100, 210, 255, 1);
    const std::vector<const DrawCall*> event = circles_at(cell_x(0), cell_y(1) + 10, 2);
    ASSERT_EQ(event.size(), 1u) << "an event day alone";
    expect_color(event[0]->color, 100, 210, 255, 1);
    EXPECT_EQ(body_circles(), 2u + 3u) << "the month buttons and three dots; November's event not here";
}

TEST_F(CalendarPage, AnEventTodayHasAWhiteDot) {
    show(2026, 12);
    app->google.snap.events = {{"e1", "Öğle", "", local_noon(2026, 12, 9), false}};
    open(Page::Calendar);
    const std::vector<const DrawCall*> dot = circles_at(cell_x(2), cell_y(1) + 10, 2);
    ASSERT_EQ(dot.size(), 1u);
    expect_color(dot[0]->color, 255, 255, 255, 1);
}

// ---- Weather panel ------------------------------------------------------------------------------------------------

TEST_F(CalendarPage, WeatherMessagesWithoutAForecast) {
    struct Case {
        const char* name;
        bool loading;
        const char* error;
        const char* text;
    } cases[] = {
        {"an error", false, "sunucu hatası 500", "Hava alınamadı: sunucu hatası 500"},
        {"loading again after an error", true, "sunucu hatası 500", "Hava durumu yükleniyor…"},
        {"nothing yet", false, "", "Hava durumu yükleniyor…"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fresh_app();
        app->weather.snap.loading = c.loading;
        app->weather.snap.error = c.error;
        open(Page::Calendar);
        const DrawCall* t = text(c.text);
        ASSERT_TRUE(t);
        expect_rect(t->rect, kPanelX, kY, kPanelW, 204);
        EXPECT_EQ(t->align, TextAlign::Center);
        EXPECT_TRUE(ops(DrawOp::GradientRect).empty()) << "nothing else of the panel";
    }
}

TEST_F(CalendarPage, CurrentConditionsAndFiveDays) {
    weather(*app);
    open(Page::Calendar);
    EXPECT_TRUE(drawn("21°"));
    const DrawCall* city = text("İstanbul");
    ASSERT_TRUE(city);
    EXPECT_EQ(city->align, TextAlign::Right);
    EXPECT_TRUE(drawn("Açık"));
    EXPECT_TRUE(drawn("Hissedilen 19° · Nem %40 · Rüzgâr 12 km/s"));

    // Five rows of six days, the first "Bugün", then the day names.
    EXPECT_TRUE(drawn("Bugün"));
    for (const char* name : {"Per", "Cum", "Cmt", "Paz"}) EXPECT_TRUE(drawn(name)) << name;
    EXPECT_FALSE(drawn("Pzt")) << "the sixth day";
    EXPECT_FALSE(drawn("30°"));

    // 29.9 % shows nothing, 30 % shows "%30".
    const std::vector<const DrawCall*> thirty = all_text("%30");
    ASSERT_EQ(thirty.size(), 1u);
    EXPECT_NEAR(thirty[0]->rect.y, kY + 82 + 2 * 23, 1e-3f);
    expect_color(thirty[0]->color, 100, 210, 255, 1);
    EXPECT_TRUE(drawn("%55"));

    // Ranges on one scale: lowest 2, highest 22, so span 20 over 132 units from x 602.
    const std::vector<const DrawCall*> bars = ops(DrawOp::GradientRect);
    ASSERT_EQ(bars.size(), 5u);
    const float bx = kPanelX + 168, bw = kPanelW - 220;
    EXPECT_NEAR(bars[0]->rect.x, bx + bw * 12 / 20, 1e-3f);
    EXPECT_NEAR(bars[0]->rect.w, bw * 8 / 20, 1e-3f);
    EXPECT_NEAR(bars[4]->rect.x, bx, 1e-3f);
    for (const DrawCall* b : bars) {
        EXPECT_FLOAT_EQ(b->p0, bx);
        EXPECT_FLOAT_EQ(b->p1, bx + bw);
        expect_color(b->color, 100, 210, 255, 1);
        expect_color(b->color2, 255, 159, 10, 1);
    }
}

TEST_F(CalendarPage, FewerDaysAndEqualTemperatures) {
    weather(*app);
    app->weather.snap.days = {day(3, 0, 10, 10, 0), day(4, 0, 10, 10, 0)};
    open(Page::Calendar);
    const std::vector<const DrawCall*> bars = ops(DrawOp::GradientRect);
    ASSERT_EQ(bars.size(), 2u);
    for (const DrawCall* b : bars) {
        EXPECT_FLOAT_EQ(b->rect.w, 4) << "span 1, at least 4 wide";
        EXPECT_FLOAT_EQ(b->rect.x, kPanelX + 168);
    }
    EXPECT_FALSE(drawn("Cum"));
}

// ---- Clicks --------------------------------------------------------------------------------------------------------

TEST_F(CalendarPage, MonthButtons) {
    auto month = [](int year, int m) {
        return [=](App& a) {
            a.island.cal_year = year;
            a.island.cal_month = m;
        };
    };
    auto shows = [](int year, int m) {
        return [=](App& a, const Effect& e) {
            EXPECT_FALSE(e.has_value());
            EXPECT_TRUE(a.island.open);
            EXPECT_EQ(a.island.cal_year, year);
            EXPECT_EQ(a.island.cal_month, m);
        };
    };
    const std::vector<ClickCase> cases = {
        {"next", test_utf8(0xE76C), "", Action::of(ActionKind::CalNext), month(2026, 11), shows(2026, 12)},
        {"next into a new year", test_utf8(0xE76C), "", Action::of(ActionKind::CalNext), month(2026, 12),
         shows(2027, 1)},
        {"previous", test_utf8(0xE76B), "", Action::of(ActionKind::CalPrev), month(2026, 12), shows(2026, 11)},
        {"previous into the old year", test_utf8(0xE76B), "", Action::of(ActionKind::CalPrev), month(2027, 1),
         shows(2026, 12)},
        {"back to today", "Bugün", "", Action::of(ActionKind::CalToday), month(2020, 3),
         [](App& a, const Effect& e) {
             const LocalTime t = local_time();
             EXPECT_FALSE(e.has_value());
             EXPECT_EQ(a.island.cal_year, t.year);
             EXPECT_EQ(a.island.cal_month, t.month);
         }},
    };
    for (const ClickCase& c : cases) run(Page::Calendar, c);

    // The two circles, and "Bugün" only while another month is shown.
    fresh_app();
    show(2026, 12);
    weather(*app);
    open(Page::Calendar);
    std::vector<std::string> got;
    for (const HitRegion& h : page_regions()) got.push_back(action_debug(h.action));
    EXPECT_EQ(got, (std::vector<std::string>{"CalNext", "CalPrev"}));
    show(2026, 6);
    redraw();
    got.clear();
    for (const HitRegion& h : page_regions()) got.push_back(action_debug(h.action));
    EXPECT_EQ(got, (std::vector<std::string>{"CalNext", "CalPrev", "CalToday"}));
}
