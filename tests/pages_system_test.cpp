// The system page as a user reaches it (a click on the island, a click on the
// System dock icon), drawn through App::render: the texts of the cards with a
// percent sign first and a decimal comma, the uptime's day form from exactly
// one day on, the drive bar's strict colour thresholds, a quiet network's
// chart floor, an unfilled snapshot, and the Task Manager button.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "open_page_support.h"
#include "pages.h"

namespace {

using open_page::ClickCase;
using open_page::Effect;

constexpr double kGiB = 1073741824;
// The open system page is 720 × 324: its body is (114, 64, 672, 202); the
// bottom panels start at y 178 and are 331 wide.
constexpr float kX = 114, kY = 64, kPanelW = 331, kBottom = kY + 114;

void sample(App& a) {
    SysmonSnapshot& s = a.sysmon.snap;
    s.cpu = 0.456f;
    s.cpu_history = {0.2f, 0.4f, 0.456f};
    s.mem_history = {0.5f, 0.55f};
    s.mem_used = 12.5 * kGiB;
    s.mem_total = 16 * kGiB;
    s.down_rate = 1.5 * 1048576;
    s.up_rate = 12 * 1024;
    s.down_history = {1000, 2000, 1.5 * 1048576};
    s.up_history = {500, 12 * 1024};
    s.disk_free = 50 * kGiB;
    s.disk_total = 500 * kGiB;
    s.uptime = 86400;
    s.top = {{"chrome.exe", 12.5f}, {"Code.exe", 7.26f}, {"explorer.exe", 3}, {"svchost.exe", 1}};
}

struct SystemPage : open_page::OpenPageTest {
    // The drive bar: the second rounded rect that starts at the track's corner.
    const DrawCall* drive_bar() const {
        int seen = 0;
        for (const DrawCall* c : ops(DrawOp::FillRoundedRect))
            if (std::fabs(c->rect.x - (kX + 14)) < 1e-3f && std::fabs(c->rect.y - (kBottom + 32)) < 1e-3f && ++seen == 2)
                return c;
        return nullptr;
    }
};

}  // namespace

// ---- Texts ------------------------------------------------------------------------------------------------------

TEST(SystemPageTexts, PercentSignFirstAndDecimalComma) {
    EXPECT_EQ(cpu_percent_text(0.456f), "%46");
    EXPECT_EQ(cpu_percent_text(0), "%0");
    EXPECT_EQ(cpu_percent_text(1), "%100");
    EXPECT_EQ(cpu_percent_text(std::numeric_limits<float>::quiet_NaN()), "%0");
    EXPECT_EQ(cpu_percent_text(std::numeric_limits<float>::infinity()), "%" + std::to_string(INT64_MAX));
    EXPECT_EQ(process_share_text(12.5f), "%12,5");
    EXPECT_EQ(process_share_text(0), "%0,0");
    EXPECT_EQ(gigabytes_text(12.5 * kGiB), "12,5");
}

TEST(SystemPageTexts, UptimeSwitchesToDaysAtExactlyOneDay) {
    struct Case {
        uint64_t seconds;
        const char* text;
    } cases[] = {
        {0, "Açık kalma: 0 sa 0 dk"},
        {86399, "Açık kalma: 23 sa 59 dk"},
        {86400, "Açık kalma: 1 gün 0 sa"},
        {90061, "Açık kalma: 1 gün 1 sa"},
        {30 * 86400 + 23 * 3600 + 3599, "Açık kalma: 30 gün 23 sa"},
    };
    for (const Case& c : cases) EXPECT_EQ(uptime_text(c.seconds), c.text) << c.seconds;
}

TEST(SystemPageTexts, DriveThresholdsAreStrict) {
    struct Case {
        double free, total;
        Color color;
    } cases[] = {
        {50, 500, page_color::kOrange},      // exactly 0.9
        {125, 500, page_color::kLightBlue},  // exactly 0.75
        {49, 500, page_color::kRed},
        {120, 500, page_color::kOrange},
        {500, 500, page_color::kLightBlue},
        {0, 0, page_color::kLightBlue},  // no total: unused
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.free);
        const Color got = drive_use_color(drive_use(c.free, c.total));
        EXPECT_FLOAT_EQ(got.r, c.color.r);
        EXPECT_FLOAT_EQ(got.g, c.color.g);
        EXPECT_FLOAT_EQ(got.b, c.color.b);
    }
    EXPECT_DOUBLE_EQ(drive_use(50, 500), 0.9);
    EXPECT_DOUBLE_EQ(drive_use(std::numeric_limits<double>::quiet_NaN(), 500), 0);
}

// ---- The page ---------------------------------------------------------------------------------------------------

TEST_F(SystemPage, CardsPanelsAndProcesses) {
    sample(*app);
    open(Page::System);
    const DrawCall* cpu = text("%46");
    ASSERT_TRUE(cpu);
    EXPECT_FLOAT_EQ(cpu->size, 22);
    EXPECT_EQ(cpu->family, FontFamily::Display);
    EXPECT_TRUE(drawn("12,5 GB"));
    EXPECT_TRUE(drawn("/ 16,0 GB"));
    EXPECT_TRUE(drawn("↓ 1,5 MB/s"));
    const DrawCall* up = text("↑ 12 KB/s");
    ASSERT_TRUE(up);
    expect_color(up->color, 255, 159, 10, 1);
    EXPECT_EQ(up->align, TextAlign::Right);
    EXPECT_TRUE(drawn("50,0 GB boş / 500,0 GB"));
    EXPECT_TRUE(drawn("Açık kalma: 1 gün 0 sa"));

    // Only the first three processes, in the list's order, shares in blue.
    const DrawCall* first = text("chrome.exe");
    const DrawCall* third = text("explorer.exe");
    ASSERT_TRUE(first && third);
    EXPECT_NEAR(first->rect.y, kBottom + 32, 1e-3f);
    EXPECT_NEAR(third->rect.y, kBottom + 32 + 34, 1e-3f);
    EXPECT_FALSE(drawn("svchost.exe"));
    const DrawCall* share = text("%12,5");
    ASSERT_TRUE(share);
    expect_color(share->color, 10, 132, 255, 1);
    EXPECT_TRUE(drawn("%7,3")) << "one decimal";
    EXPECT_FALSE(drawn("Ölçülüyor…"));

    // Use of exactly 0.9: orange, not red.
    const DrawCall* bar = drive_bar();
    ASSERT_TRUE(bar);
    expect_color(bar->color, 255, 159, 10, 1);
    EXPECT_NEAR(bar->rect.w, 0.9f * (kPanelW - 28), 1e-2f);

    // Four charts (the network draws two on one scale).
    EXPECT_EQ(ops(DrawOp::AreaChart).size(), 4u);
}

TEST_F(SystemPage, DriveAtThreeQuartersIsLightBlue) {
    sample(*app);
    app->sysmon.snap.disk_free = 125 * kGiB;
    open(Page::System);
    const DrawCall* bar = drive_bar();
    ASSERT_TRUE(bar);
    expect_color(bar->color, 100, 210, 255, 1);
}

TEST_F(SystemPage, QuietNetworkIsScaledAgainstSixteenKilobytes) {
    sample(*app);
    app->sysmon.snap.down_history = {4096, 8192};
    app->sysmon.snap.up_history = {0, 4096};
    open(Page::System);
    const std::vector<const DrawCall*> charts = ops(DrawOp::AreaChart);
    ASSERT_EQ(charts.size(), 4u);
    const DrawCall& down = *charts[2];
    ASSERT_EQ(down.points.size(), 2u);
    // 8192 of a 16384 floor: half the chart's height, not its top.
    EXPECT_NEAR(down.points[1].y, down.rect.y + down.rect.h / 2, 1e-3f);
    expect_color(down.color, 50, 215, 75, 1);
    const DrawCall& up = *charts[3];
    EXPECT_NEAR(up.points[1].y, up.rect.y + up.rect.h * 0.75f, 1e-3f);
    expect_color(up.color, 255, 159, 10, 1);
}

TEST_F(SystemPage, UnfilledSnapshot) {
    open(Page::System);
    EXPECT_TRUE(drawn("%0"));
    EXPECT_TRUE(drawn("0,0 GB"));
    EXPECT_TRUE(drawn("Ölçülüyor…"));
    EXPECT_TRUE(drawn("Açık kalma: 0 sa 0 dk"));
    EXPECT_TRUE(ops(DrawOp::AreaChart).empty());
    const DrawCall* bar = drive_bar();
    ASSERT_TRUE(bar);
    EXPECT_FLOAT_EQ(bar->rect.w, 8);
    expect_color(bar->color, 100, 210, 255, 1);
}

// ---- Clicks -------------------------------------------------------------------------------------------------------

TEST_F(SystemPage, TaskManagerButton) {
    const std::vector<ClickCase> cases = {
        {"task manager", "Görev Yön.", "", Action::of(ActionKind::TaskMgr), sample,
         [](App& a, const Effect& e) { EXPECT_TRUE(open_page::hands_off_to(a, e, "taskmgr.exe")); }},
        {"task manager before the first sample", "Görev Yön.", "", Action::of(ActionKind::TaskMgr), nullptr,
         [](App& a, const Effect& e) { EXPECT_TRUE(open_page::hands_off_to(a, e, "taskmgr.exe")); }},
    };
    for (const ClickCase& c : cases) run(Page::System, c);

    // The button is the page's one region, and it brightens under the pointer.
    fresh_app();
    sample(*app);
    open(Page::System);
    ASSERT_EQ(page_regions().size(), 1u);
    const DrawCall* label = text("Görev Yön.");
    ASSERT_TRUE(label);
    expect_color(label->color, 255, 255, 255, 0.62f);
    const PointF p = centre(*label);
    app->on_pointer_move(p.x, p.y);
    redraw();
    EXPECT_GT(text("Görev Yön.")->color.a, 0.95f);
}

// The sampler's process walk is asked for only while the page that lists the
// busiest programs is on screen.
TEST_F(SystemPage, ProcessListWantedOnlyWhileThePageShows) {
    sysmon_top_wanted = true;
    app->tick(1.0f / 60);
    EXPECT_FALSE(sysmon_top_wanted.load());  // closed island
    open(Page::Home);
    EXPECT_FALSE(sysmon_top_wanted.load());
    open(Page::System);
    EXPECT_TRUE(sysmon_top_wanted.load());
    app->close_island();
    for (int i = 0; i < 120; ++i) app->tick(1.0f / 60);
    EXPECT_FALSE(sysmon_top_wanted.load());
}

// Opening the island takes the sampler's newest sample at once, without
// waiting for its next wake-up; a snapshot no newer than the island's is left.
TEST_F(SystemPage, OpeningTakesTheNewestSample) {
    SysmonSnapshot newer;
    newer.tick = 42;
    newer.cpu = 0.5f;
    app->sysmon.shared.with([&](SysmonSnapshot& s) { s = newer; });
    sysmon_live_wanted = false;
    open(Page::System);
    EXPECT_EQ(app->sysmon.snap.tick, 42u);
    EXPECT_FLOAT_EQ(app->sysmon.snap.cpu, 0.5f);

    app->close_island();
    for (int i = 0; i < 120; ++i) app->tick(1.0f / 60);
    app->sysmon.snap.cpu = 0.25f;  // the island's copy is the newest
    open(Page::System);
    EXPECT_FLOAT_EQ(app->sysmon.snap.cpu, 0.25f);
}
