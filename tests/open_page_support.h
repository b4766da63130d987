// One page of the open island as a user reaches it: the island opened with a
// click, the page chosen with a click on its dock icon (found by its Action),
// every frame drawn through App::render into the recording renderer. Helpers
// find what was drawn, and a table runner clicks an element where its label
// was drawn, checks the Action of the region under it and what the click did.
#pragma once
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "app.h"
#include "app_fixture.h"
#include "gfx_record.h"
#include "island_draw_support.h"
#include "island_user_support.h"

namespace open_page {

using Effect = std::optional<WindowEffect>;

// One clickable element: where its label was drawn (the occurrence nearest to
// the text `beside` when given), the Action its region must carry, the state
// set before the page is opened and what the click must leave.
struct ClickCase {
    const char* name;
    std::string label;
    std::string beside;
    Action action;
    std::function<void(App&)> before;
    std::function<void(App&, const Effect&)> check;
};

// The click handed the desktop to `target`: the island closed without
// queueing a focus restore.
inline bool hands_off_to(const App& a, const Effect& e, const std::string& target) {
    const auto* o = e ? std::get_if<effect::OpenUrl>(&*e) : nullptr;
    if (!o || o->target != target || o->params || a.island.open) return false;
    for (const PendingEffect& p : a.effects.pending)
        if (std::holds_alternative<effect::RestoreFocus>(p.effect)) return false;
    return true;
}

struct OpenPageTest : ::testing::Test {
    ScopedDataDir data;
    RecordingRenderer* rec = nullptr;
    std::unique_ptr<App> app;

    void SetUp() override {
        AppFixture::reset_fake_machine();
        fresh_app();
    }
    void TearDown() override {
        app.reset();
        AppFixture::reset_fake_machine();
    }

    // A quiet island at 09:05 local on 9 December 2026, not yet opened.
    void fresh_app() {
        app.reset();
        auto r = std::make_unique<RecordingRenderer>(1.0f);
        (void)r->resize_dib(900, 470, 1.0f);
        rec = r.get();
        app = make_test_app(true, std::move(r));
        app->island.has_battery = false;
        pin_local(2026, 12, 9, 9, 5);
    }
    void pin_local(int year, int month, int day, int hour, int minute) {
        LocalTime t;
        t.year = year, t.month = month, t.day = day, t.hour = hour, t.minute = minute, t.second = 0;
        app->wall_clock.unix_seconds = test_unix_for_local(t);
    }
    int64_t unix_now() const { return *app->wall_clock.unix_seconds; }

    // Opens the island and goes to the page the way a user does.
    void open(Page p) {
        ASSERT_TRUE(island_user::open_on_page(*app, p, 240)) << "the dock icon of page " << int(p);
        redraw();
    }
    // One more frame of the state reached.
    void redraw() {
        island_user::settle(*app, 120);
        app->drawing.redraw = true;
        app->tick(island_user::kFrame);
    }

    const DrawCall* text(const std::string& s) const { return rec->find_text(s); }
    bool drawn(const std::string& s) const { return text(s) != nullptr; }
    std::vector<const DrawCall*> all_text(const std::string& s) const {
        std::vector<const DrawCall*> out;
        for (const DrawCall& c : rec->calls)
            if ((c.op == DrawOp::Text || c.op == DrawOp::WrappedText) && c.text == s) out.push_back(&c);
        return out;
    }
    std::vector<const DrawCall*> ops(DrawOp op) const {
        std::vector<const DrawCall*> out;
        for (const DrawCall& c : rec->calls)
            if (c.op == op) out.push_back(&c);
        return out;
    }
    // The page's own regions (the dock's left out).
    std::vector<HitRegion> page_regions() const {
        std::vector<HitRegion> out;
        for (const HitRegion& h : app->drawing.hits)
            if (h.action.kind != ActionKind::Dock) out.push_back(h);
        return out;
    }

    static PointF centre(const DrawCall& c) {
        return c.transform.apply({c.rect.x + c.rect.w / 2, c.rect.y + c.rect.h / 2});
    }

    // The window point of the drawn label: nearest to `beside` when given, else
    // the first whose region carries `want`, else the first.
    std::optional<PointF> where(const std::string& label, const std::string& beside, const Action& want) const {
        std::optional<PointF> anchor;
        if (!beside.empty()) {
            const DrawCall* n = text(beside);
            if (!n) return std::nullopt;
            anchor = centre(*n);
        }
        std::optional<PointF> best, first;
        float best_d = std::numeric_limits<float>::max();
        for (const DrawCall* c : all_text(label)) {
            const PointF p = centre(*c);
            if (anchor) {
                const float d = std::hypot(p.x - anchor->x, p.y - anchor->y);
                if (d < best_d) best_d = d, best = p;
                continue;
            }
            if (action_eq(app->hit_test(p.x, p.y), want)) return p;
            if (!first) first = p;
        }
        return anchor ? best : first;
    }

    // One case on a fresh island opened on `page`.
    void run(Page page, const ClickCase& c) {
        SCOPED_TRACE(c.name);
        fresh_app();
        if (c.before) c.before(*app);
        open(page);
        std::optional<PointF> p = where(c.label, c.beside, c.action);
        ASSERT_TRUE(p) << c.label << " not drawn";
        app->on_pointer_move(p->x, p->y);
        redraw();
        p = where(c.label, c.beside, c.action);
        ASSERT_TRUE(p) << c.label << " gone under the pointer";
        const Action under = app->hit_test(p->x, p->y);
        ASSERT_TRUE(action_eq(under, c.action)) << "region carries " << action_debug(under);
        app->on_pointer_down(p->x, p->y);
        const Effect e = app->on_click(p->x, p->y);
        c.check(*app, e);
    }
};

}  // namespace open_page
