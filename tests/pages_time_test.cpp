// The open island on its time page, drawn into the recording renderer: the
// mode tabs, the countdown's ring, status and button by state, the stopwatch
// with its laps, the pomodoro's phases and dots, and the regions in order.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app_time.h"
#include "island_draw_support.h"
#include "pages.h"

namespace {

struct TimePageTest : IslandDrawTest {
    // The open time page's content rectangle: (114, 64, 672, 184).
    static constexpr float kX = 114, kY = 64, kH = 184;
    // The ring's centre: 96 below the content's top, so that its stroke (radius
    // 58, width 8) clears the 32-high mode tabs by 2.
    static constexpr float kRingX = kX + 66, kRingY = kY + 96;

    void draw_time(uint8_t mode) {
        app->timers.mode = mode;
        draw(IslandMode::open(Page::Time));
    }
    // The page's own regions (the dock's are left out), in drawing order.
    std::vector<Action> page_actions() const {
        std::vector<Action> out;
        for (const HitRegion& h : app->drawing.hits)
            if (h.action.kind != ActionKind::Dock) out.push_back(h.action);
        return out;
    }
    const DrawCall* text_sized(const std::string& s, float size) const {
        for (const DrawCall& c : rec->calls)
            if (c.op == DrawOp::Text && c.text == s && c.size == size) return &c;
        return nullptr;
    }
    bool has_text(const std::string& s) const { return text(s) != nullptr; }
};

void expect_actions(const std::vector<Action>& got, const std::vector<Action>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].kind, want[i].kind) << i << ": " << action_name(got[i].kind);
        EXPECT_EQ(got[i].arg, want[i].arg) << i;
    }
}

Action plain(ActionKind k) { return Action::of(k); }
Action with_arg(ActionKind k, uint8_t a) { return Action::byte(k, a); }

}  // namespace

TEST_F(TimePageTest, TabsLightTheCurrentModeAndRegisterEachThird) {
    for (uint8_t mode = 0; mode < 3; ++mode) {
        app->pointer.hovered = with_arg(ActionKind::TMode, static_cast<uint8_t>((mode + 1) % 3));
        app->anim.hover.value = 0.5f;
        draw_time(mode);
        const char* labels[3] = {"Zamanlayıcı", "Kronometre", "Pomodoro"};
        for (uint8_t i = 0; i < 3; ++i) {
            const DrawCall* l = text(labels[i]);
            ASSERT_NE(l, nullptr);
            expect_rect(l->rect, kX + 113.33f * i, kY, 113.33f, 32);
            const float alpha = i == mode ? 1.0f : i == (mode + 1) % 3 ? 0.62f + 0.38f * 0.5f : 0.62f;
            expect_color(l->color, 255, 255, 255, alpha);
            EXPECT_EQ(hit_at(kX + 113.33f * i + 50, kY + 16).kind, ActionKind::TMode);
            EXPECT_EQ(hit_at(kX + 113.33f * i + 50, kY + 16).arg, i);
        }
        bool lit = false;
        for (const DrawCall* f : ops(DrawOp::FillRoundedRect))
            if (std::fabs(f->rect.x - (kX + 113.33f * mode + 3)) < 1e-3f && f->rect.y == kY + 3 && f->rect.h == 26)
                lit = true;
        EXPECT_TRUE(lit) << int(mode);
    }
}

TEST_F(TimePageTest, CountdownTimeStatusAndButtonFollowItsState) {
    struct Case {
        bool running;
        double remaining, end;
        const char *time, *status, *button;
        float ring_alpha;
    } cases[] = {
        {false, 300, 0, "5:00", "hazır", "Başlat", 0.75f},
        {false, 120.4, 0, "2:01", "duraklatıldı", "Devam et", 0.75f},
        {false, 299.7, 0, "5:00", "hazır", "Başlat", 0.75f},
        {false, 0, 0, "0:00", "hazır", "Başlat", 0.75f},
        {true, 0, 100 + 3725.2, "1:02:06", "kaldı", "Duraklat", 1.0f},
        {true, 0, 90, "0:00", "kaldı", "Duraklat", 1.0f},  // past its end: never below zero
    };
    for (const Case& c : cases) {
        app->timers.countdown = Countdown{};
        app->timers.countdown.length = c.running ? 7200 : 300;
        app->timers.countdown.remaining = c.remaining;
        app->timers.countdown.end = c.end;
        app->timers.countdown.running = c.running;
        draw_time(0);
        const DrawCall* time = text_sized(c.time, 25);
        ASSERT_NE(time, nullptr) << c.time;
        EXPECT_EQ(time->family, FontFamily::Display);
        expect_rect(time->rect, kRingX - 54, kRingY - 16, 108, 32);
        const DrawCall* status = text(c.status);
        ASSERT_NE(status, nullptr) << c.status;
        expect_color(status->color, 255, 255, 255, 0.4f);
        EXPECT_NE(text(c.button), nullptr) << c.button;

        // The ring's track, then an arc in orange that ends at 12 o'clock.
        auto rings = ops(DrawOp::Ring);
        ASSERT_FALSE(rings.empty());
        expect_rect(rings.front()->rect, kRingX - 58, kRingY - 58, 116, 116);
        const double left = countdown_left(app->timers.countdown, app->now);
        const float fraction = static_cast<float>(left / app->timers.countdown.length);
        for (const DrawCall& d : rec->calls)
            if ((d.op == DrawOp::Arc || d.op == DrawOp::Ring) && d.color.g * 255 > 150 && d.color.g * 255 < 170) {
                EXPECT_NEAR(d.p0 + d.p1, 1.0f, 1e-4f);
                EXPECT_NEAR(d.p1, fraction, 1e-4f);
                EXPECT_NEAR(d.color.a, c.ring_alpha, 1e-4f);
            }
    }
}

TEST_F(TimePageTest, CountdownRegistersTabsPresetsAndButtonsInOrder) {
    draw_time(0);
    std::vector<Action> want = {with_arg(ActionKind::TMode, 0), with_arg(ActionKind::TMode, 1),
                                with_arg(ActionKind::TMode, 2)};
    for (uint8_t i = 0; i < 8; ++i) want.push_back(with_arg(ActionKind::Preset, i));
    for (ActionKind k : {ActionKind::TMinus, ActionKind::TPlus, ActionKind::TToggle, ActionKind::TReset})
        want.push_back(plain(k));
    expect_actions(page_actions(), want);

    // Each chip carries its index: the 25-minute chip sends 5.
    const char* minutes[8] = {"1 dk", "3 dk", "5 dk", "10 dk", "15 dk", "25 dk", "45 dk", "60 dk"};
    for (uint8_t i = 0; i < 8; ++i) {
        const DrawCall* chip = text(minutes[i]);
        ASSERT_NE(chip, nullptr) << minutes[i];
        const Action a = hit_at(chip->rect.x + chip->rect.w / 2, chip->rect.y + chip->rect.h / 2);
        EXPECT_EQ(a.kind, ActionKind::Preset);
        EXPECT_EQ(a.arg, i);
    }
    EXPECT_NE(text("−1"), nullptr);
    EXPECT_NE(text("+1"), nullptr);
    EXPECT_NE(glyph(0xE72C), nullptr);
}

TEST_F(TimePageTest, StopwatchButtonsFollowRunningAndElapsed) {
    struct Case {
        bool running;
        double accumulated;
        const char *time, *left, *right;
        ActionKind left_action;
        float time_alpha;
    } cases[] = {
        {false, 0, "0:00,00", "Tur", "Başlat", ActionKind::Lap, 0.62f},
        {false, 3723.45, "1:02:03,45", "Sıfırla", "Başlat", ActionKind::TReset, 0.62f},
        {true, 0, "0:07,50", "Tur", "Durdur", ActionKind::Lap, 1.0f},  // started 7.5 s ago
    };
    for (const Case& c : cases) {
        app->timers.stopwatch = Stopwatch{};
        app->timers.stopwatch.running = c.running;
        app->timers.stopwatch.accumulated = c.accumulated;
        app->timers.stopwatch.start = app->now - 7.5;
        draw_time(1);
        const DrawCall* time = text_sized(c.time, 44);
        ASSERT_NE(time, nullptr) << c.time;
        EXPECT_NEAR(time->color.a, c.time_alpha, 1e-4f);
        EXPECT_EQ(time->family, FontFamily::Display);
        EXPECT_NE(text(c.left), nullptr) << c.left;
        EXPECT_NE(text(c.right), nullptr) << c.right;
        expect_actions(page_actions(),
                       {with_arg(ActionKind::TMode, 0), with_arg(ActionKind::TMode, 1), with_arg(ActionKind::TMode, 2),
                        plain(c.left_action), plain(ActionKind::TToggle)});
        EXPECT_NE(text("Turlar burada görünür"), nullptr);
    }
}

TEST_F(TimePageTest, StopwatchListsLapsNewestFirstWithSplitAndTotal) {
    app->timers.stopwatch.running = true;
    app->timers.stopwatch.start = app->now - 80;
    app->timers.stopwatch.laps = {75.5, 12.25};  // newest first
    draw_time(1);
    EXPECT_EQ(text("Turlar burada görünür"), nullptr);
    const DrawCall* second = text("Tur 2");
    const DrawCall* first = text("Tur 1");
    ASSERT_NE(second, nullptr);
    ASSERT_NE(first, nullptr);
    EXPECT_LT(second->rect.y, first->rect.y);
    // The split since the lap before (a minute or more keeps the full form), then the running total.
    const DrawCall* split2 = text_sized("1:03,25", 12.5f);
    const DrawCall* total2 = text_sized("1:15,50", 13.5f);
    const DrawCall* split1 = text_sized("+12,25", 12.5f);
    const DrawCall* total1 = text_sized("0:12,25", 13.5f);
    for (const DrawCall* t : {split2, total2, split1, total1}) {
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->family, FontFamily::Display);
    }
    EXPECT_EQ(split2->rect.y, second->rect.y);
    EXPECT_EQ(total1->rect.y, first->rect.y);
    EXPECT_EQ(split1->align, TextAlign::Left);
    EXPECT_EQ(total1->align, TextAlign::Right);
    EXPECT_EQ(split1->rect.w, 100);
}

TEST_F(TimePageTest, StopwatchLapsStayInsideThePanel) {
    app->timers.stopwatch.laps.clear();
    for (int i = 20; i >= 1; --i) app->timers.stopwatch.laps.push_back(i * 10.0);
    draw_time(1);
    EXPECT_NE(text("Tur 20"), nullptr);
    EXPECT_EQ(text("Tur 1"), nullptr);
    for (const DrawCall& c : rec->calls) {
        if (c.op == DrawOp::Text && c.text.rfind("Tur ", 0) == 0) {
            EXPECT_LE(c.rect.y + c.rect.h, kY + kH);
        }
    }
}

TEST_F(TimePageTest, PomodoroPhaseLabelColourAndButtons) {
    struct Case {
        PomoPhase phase;
        double remaining;
        bool running;
        const char *label, *button;
        int g;  // green channel of the phase colour
        float fraction;
    } cases[] = {
        {PomoPhase::Focus, 1500, false, "Odak", "Başlat", 69, 1.0f},
        {PomoPhase::Focus, 750, false, "Odak", "Devam et", 69, 0.5f},
        {PomoPhase::ShortBreak, 150, false, "Kısa mola", "Devam et", 215, 0.5f},
        {PomoPhase::LongBreak, 900, false, "Uzun mola", "Başlat", 215, 1.0f},
    };
    for (const Case& c : cases) {
        app->timers.pomo = Pomodoro{};
        app->timers.pomo.phase = c.phase;
        app->timers.pomo.remaining = c.remaining;
        app->timers.pomo.running = c.running;
        draw_time(2);
        const DrawCall* label = text(c.label);
        ASSERT_NE(label, nullptr) << c.label;
        EXPECT_EQ(label->weight, 700);
        EXPECT_NEAR(label->color.g * 255, c.g, 0.01f);
        EXPECT_NE(text(c.button), nullptr) << c.button;
        bool arc_seen = false;
        for (const DrawCall& d : rec->calls)
            if ((d.op == DrawOp::Arc || d.op == DrawOp::Ring) && d.color.a == 1 &&
                std::fabs(d.color.g * 255 - c.g) < 0.01f) {
                EXPECT_NEAR(d.p1, c.fraction, 1e-4f);
                arc_seen = true;
            }
        EXPECT_TRUE(arc_seen) << c.label;
    }

    app->timers.pomo = Pomodoro{};
    app->timers.pomo.running = true;
    app->timers.pomo.end = app->now + 61;
    draw_time(2);
    EXPECT_NE(text("Duraklat"), nullptr);
    EXPECT_NE(text_sized("1:01", 25), nullptr);
    std::vector<Action> want = {
        with_arg(ActionKind::TMode, 0),   with_arg(ActionKind::TMode, 1),   with_arg(ActionKind::TMode, 2),
        with_arg(ActionKind::PomoLen, 0), with_arg(ActionKind::PomoLen, 1), with_arg(ActionKind::PomoLen, 2),
        plain(ActionKind::TToggle),       plain(ActionKind::PomoSkip),      plain(ActionKind::TReset)};
    expect_actions(page_actions(), want);
    for (const char* s : {"Odak süresi", "15 dk", "25 dk", "50 dk", "Atla"}) EXPECT_NE(text(s), nullptr) << s;
}

TEST_F(TimePageTest, PomodoroDotsCountTheCurrentRound) {
    struct Case {
        uint32_t completed;
        PomoPhase phase;
        size_t filled;
    } cases[] = {
        {0, PomoPhase::Focus, 0},     {3, PomoPhase::ShortBreak, 3}, {3, PomoPhase::Focus, 3},
        {4, PomoPhase::LongBreak, 4}, {4, PomoPhase::Focus, 0},      {9, PomoPhase::ShortBreak, 1},
    };
    for (const Case& c : cases) {
        app->timers.pomo = Pomodoro{};
        app->timers.pomo.completed = c.completed;
        app->timers.pomo.phase = c.phase;
        app->timers.pomo.remaining = pomodoro_phase_length(app->timers.pomo);
        draw_time(2);
        size_t filled = 0, outlined = 0;
        for (const DrawCall& d : rec->calls) {
            if (d.op == DrawOp::FillCircle && d.radius == 6.5f) {
                expect_color(d.color, 255, 69, 58, 1);
                ++filled;
            }
            if (d.op == DrawOp::StrokeCircle && d.radius == 6) ++outlined;
        }
        EXPECT_EQ(filled, c.filled) << c.completed;
        EXPECT_EQ(outlined, 4 - c.filled) << c.completed;
        EXPECT_NE(text("Toplam " + std::to_string(c.completed) + " odak"), nullptr);
    }
}

// The ring's stroke keeps clear of the mode tabs above it and of the content's
// bottom, in both modes that draw it, and the texts inside move with it.
TEST_F(TimePageTest, ProgressRingClearsTheModeTabs) {
    for (uint8_t mode : {0, 2}) {
        SCOPED_TRACE(int(mode));
        draw_time(mode);
        const DrawCall* tabs = nullptr;
        for (const DrawCall* f : ops(DrawOp::FillRoundedRect))
            if (f->rect.x == kX && f->rect.y == kY && f->rect.w == 340) tabs = f;
        ASSERT_NE(tabs, nullptr);
        for (const DrawCall& d : rec->calls) {
            if (d.op != DrawOp::Ring && d.op != DrawOp::Arc) continue;
            // Ring and arc calls record the circle's bounding box; the stroke adds half its width.
            const float top = d.rect.y - d.stroke / 2, bottom = d.rect.y + d.rect.h + d.stroke / 2;
            EXPECT_GE(top, tabs->rect.y + tabs->rect.h) << draw_op_name(d.op);
            EXPECT_LE(bottom, kY + kH);
            EXPECT_NEAR(d.rect.y + d.rect.h / 2, kRingY, 1e-3f);
        }
        const DrawCall* time = text_sized(mode == 0 ? "5:00" : "25:00", 25);
        ASSERT_NE(time, nullptr);
        EXPECT_NEAR(time->rect.y + time->rect.h / 2, kRingY, 1e-3f);
    }
}
