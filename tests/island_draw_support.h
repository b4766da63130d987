// A fixture for the island content and page tests: an App in a fresh data
// folder drawing into the recording renderer, with a pinned local clock and
// helpers to find what was drawn.
#pragma once
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app.h"
#include "app_fixture.h"
#include "app_geometry.h"
#include "gfx_record.h"
#include "sys_os.h"
#include "sys_text.h"
#include "test_support.h"
#include "ui_island.h"

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
inline int64_t test_days_from_civil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

inline int64_t test_civil_seconds(const LocalTime& t) {
    return test_days_from_civil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

// A Unix time whose local time (in this machine's zone) is `want`.
inline int64_t test_unix_for_local(const LocalTime& want) {
    int64_t guess = test_civil_seconds(want);
    for (int i = 0; i < 3; ++i) {
        LocalTime got;
        if (!local_time_of(guess, got)) break;
        const int64_t diff = test_civil_seconds(want) - test_civil_seconds(got);
        if (diff == 0) break;
        guess += diff;
    }
    return guess;
}

inline std::string test_utf8(char32_t c) {
    std::string s;
    append_utf8(s, c);
    return s;
}

struct IslandDrawTest : ::testing::Test {
    ScopedDataDir data;
    std::unique_ptr<App> app;
    RecordingRenderer* rec = nullptr;

    void SetUp() override {
        auto r = std::make_unique<RecordingRenderer>();
        rec = r.get();
        app = make_test_app(true, std::move(r));
        app->now = 100;
        app->island.has_battery = false;
        pin_local(2026, 12, 9, 9, 5);
    }

    // Pins the island's local clock (and the tick's Unix clock) to a local time.
    void pin_local(int year, int month, int day, int hour, int minute) {
        LocalTime t;
        t.year = year, t.month = month, t.day = day, t.hour = hour, t.minute = minute, t.second = 0;
        app->wall_clock.unix_seconds = test_unix_for_local(t);
    }

    // The target shape of a mode.
    IslandShape shape(IslandMode m) const { return island_size(*app, static_cast<uint8_t>(m.tag), m.payload); }

    // Draws one mode as the current mode at rest (the pill at its full width).
    void draw(IslandMode m, bool record = true, bool header = true, float offset = 0) {
        app->island.mode = m;
        app->anim.width.value = shape(m).width;
        app->drawing.hits.clear();
        ASSERT_TRUE(rec->begin_frame(0, 0, 900, 470));
        draw_island(*app, static_cast<uint8_t>(m.tag), m.payload, 1.0f, offset, record, header);
    }

    const DrawCall* text(const std::string& s) const { return rec->find_text(s); }
    const DrawCall* glyph(char32_t c) const {
        const DrawCall* call = rec->find_text(test_utf8(c));
        return call && call->family == FontFamily::Icons ? call : nullptr;
    }
    std::vector<const DrawCall*> ops(DrawOp op) const {
        std::vector<const DrawCall*> out;
        for (const DrawCall& c : rec->calls)
            if (c.op == op) out.push_back(&c);
        return out;
    }
    // The last region drawn under a point (the pointer handlers' rule).
    Action hit_at(float x, float y) const { return app->hit_test(x, y); }
};

inline void expect_rect(const RectF& r, float x, float y, float w, float h) {
    EXPECT_NEAR(r.x, x, 1e-3f);
    EXPECT_NEAR(r.y, y, 1e-3f);
    EXPECT_NEAR(r.w, w, 1e-3f);
    EXPECT_NEAR(r.h, h, 1e-3f);
}

inline void expect_color(const Color& c, int r, int g, int b, float a) {
    EXPECT_NEAR(c.r * 255, r, 0.01f);
    EXPECT_NEAR(c.g * 255, g, 0.01f);
    EXPECT_NEAR(c.b * 255, b, 0.01f);
    EXPECT_NEAR(c.a, a, 1e-4f);
}
