// The system page: the latest sample of the system monitor. Three cards with
// processor load, memory and network rates over their last minute, then a
// panel with the free space of drive C: and the time since start, and a panel
// with the busiest processes and the button that opens the Task Manager.
//
// Index
//   Texts and colours
//   Geometry and helpers
//   Top row: processor, memory, network
//   Bottom row: drive and uptime, busiest processes
//   The page
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "app.h"
#include "app_format.h"
#include "pages.h"
#include "sys_num.h"
#include "ui_widgets.h"

// ---- Texts and colours ---------------------------------------------------------------------------------

std::string cpu_percent_text(float load) { return percent_text(sat_i64(std::round(static_cast<double>(load) * 100))); }

std::string process_share_text(float share) { return fmt::format("%{}", fixed_comma(share, 1)); }

std::string uptime_text(uint64_t seconds) {
    if (seconds >= 86400) return fmt::format("Açık kalma: {} gün {} sa", seconds / 86400, seconds / 3600 % 24);
    return fmt::format("Açık kalma: {} sa {} dk", seconds / 3600, seconds / 60 % 60);
}

std::string gigabytes_text(double bytes) { return fixed_comma(bytes / 1073741824.0, 1); }

double drive_use(double free, double total) {
    if (!(total > 0)) return 0;
    const double u = 1 - free / total;
    return std::isfinite(u) ? u : 0;
}

// The thresholds are strict: exactly 0.9 is still orange, exactly 0.75 still light blue.
Color drive_use_color(double use) {
    if (use > 0.9) return page_color::kRed;
    if (use > 0.75) return page_color::kOrange;
    return page_color::kLightBlue;
}

namespace {

// ---- Geometry and helpers ------------------------------------------------------------------------------

constexpr float kCardH = 104, kGap = 10, kBottomTop = 114;
constexpr uint32_t kChartSlots = 60;
// A quiet network is scaled against this rate, so it draws low curves rather than full-height noise.
constexpr float kNetFloor = 16384;
constexpr size_t kMostProcesses = 3;
constexpr float kProcessPitch = 17;

Color white(float a) { return rgb(255, 255, 255, a); }

float largest(const std::vector<float>& v) {
    float m = 0;
    for (float x : v)
        if (x > m) m = x;
    return m;
}

// ---- Top row: processor, memory, network ---------------------------------------------------------------

struct CardTexts {
    const char* label;
    std::string value, second;
    float value_size, second_size;
    Color second_color;
};

void card(Renderer& g, float cx, float y, float cw, const CardTexts& t) {
    if (cw > 0) g.fill_rounded_rect({cx, y, cw, kCardH}, std::min(cw / 2, 20.0f), white(0.07f));
    g.draw_text(t.label, {cx + 14, y + 8, 100, 18}, 11.5f, FontFamily::Text, 700, page_color::kTertiary, TextAlign::Left);
    const RectF value{cx + 14, y + 24, cw - 28, 30};
    g.draw_text(t.value, value, t.value_size, FontFamily::Display, 700, page_color::kPrimary, TextAlign::Left);
    if (!t.second.empty())
        g.draw_text(t.second, value, t.second_size, FontFamily::Display, 600, t.second_color, TextAlign::Right);
}

void top_row(Renderer& g, const SysmonSnapshot& s, float x, float y, float w) {
    const float cw = (w - 2 * kGap) / 3;
    auto left = [&](int k) { return x + static_cast<float>(k) * (cw + kGap); };
    auto chart = [&](int k) { return RectF{left(k) + 10, y + 60, cw - 20, 36}; };

    card(g, left(0), y, cw, {"İşlemci", cpu_percent_text(s.cpu), "", 22, 0, {}});
    g.draw_area_chart(chart(0), s.cpu_history, 1.0f, kChartSlots, page_color::kBlue);

    card(g, left(1), y, cw,
         {"Bellek", fmt::format("{} GB", gigabytes_text(s.mem_used)), fmt::format("/ {} GB", gigabytes_text(s.mem_total)),
          22, 12.5f,
          page_color::kTertiary});
    g.draw_area_chart(chart(1), s.mem_history, 1.0f, kChartSlots, page_color::kPurple);

    card(g, left(2), y, cw,
         {"Ağ", fmt::format("↓ {}", format_rate(s.down_rate)), fmt::format("↑ {}", format_rate(s.up_rate)), 15, 12,
          page_color::kOrange});
    // Both curves share one scale, so their heights compare.
    const float top = std::max({largest(s.down_history), largest(s.up_history), kNetFloor});
    g.draw_area_chart(chart(2), s.down_history, top, kChartSlots, page_color::kGreen);
    g.draw_area_chart(chart(2), s.up_history, top, kChartSlots, page_color::kOrange);
}

// ---- Bottom row: drive and uptime, busiest processes ---------------------------------------------------

void drive_panel(Renderer& g, const SysmonSnapshot& s, float x, float ty, float pw) {
    g.draw_text("C: diski", {x + 14, ty + 8, 120, 18}, 11.5f, FontFamily::Text, 700, page_color::kTertiary,
                TextAlign::Left);
    g.draw_text(fmt::format("{} GB boş / {} GB", gigabytes_text(s.disk_free), gigabytes_text(s.disk_total)),
                {x + 14, ty + 8, pw - 28, 18}, 11.5f, FontFamily::Text, 600, page_color::kSecondary, TextAlign::Right);

    const double u = drive_use(s.disk_free, s.disk_total);
    const float track = pw - 28;
    if (track > 0) {
        g.fill_rounded_rect({x + 14, ty + 32, track, 8}, std::min(track / 2, 4.0f), white(0.12f));
        // The bar keeps an 8-unit minimum and never runs past its track.
        const float bw = std::min(std::max(static_cast<float>(std::clamp(u, 0.0, 1.0)) * track, 8.0f), std::max(track, 8.0f));
        g.fill_rounded_rect({x + 14, ty + 32, bw, 8}, std::min(bw / 2, 4.0f), drive_use_color(u));
    }
    g.draw_text(uptime_text(s.uptime), {x + 14, ty + 46, pw - 28, 18}, 11.5f, FontFamily::Text, 400,
                page_color::kTertiary, TextAlign::Left);
}

void process_panel(App& app, const SysmonSnapshot& s, float px, float ty, float pw) {
    Renderer& g = *app.drawing.renderer;
    g.draw_text("En çok işlemci kullananlar", {px + 14, ty + 8, 220, 18}, 11.5f, FontFamily::Text, 700,
                page_color::kTertiary, TextAlign::Left);

    const Action task_manager = Action::of(ActionKind::TaskMgr);
    const float h = app.hover_of(task_manager);
    const RectF button{px + pw - 112, ty + 6, 100, 22};
    g.fill_rounded_rect(button, 11, white(0.08f + 0.1f * h));
    g.draw_text("Görev Yön.", button, 11, FontFamily::Text, 600, white(0.62f + 0.38f * h), TextAlign::Center);
    app.push_hit(button, task_manager);

    if (s.top.empty()) {
        g.draw_text("Ölçülüyor…", {px + 14, ty + 30, 200, 18}, 11.5f, FontFamily::Text, 400, page_color::kTertiary,
                    TextAlign::Left);
        return;
    }
    for (size_t i = 0; i < std::min(s.top.size(), kMostProcesses); ++i) {
        const float ry = ty + 32 + kProcessPitch * static_cast<float>(i);
        g.draw_text(s.top[i].name, {px + 14, ry, pw - 90, 15}, 11.5f, FontFamily::Text, 600, white(0.85f),
                    TextAlign::Left);
        g.draw_text(process_share_text(s.top[i].cpu_percent), {px + pw - 70, ry, 56, 15}, 11.5f, FontFamily::Display,
                    600, page_color::kBlue, TextAlign::Right);
    }
}

}  // namespace

// ---- The page ------------------------------------------------------------------------------------------

void draw_system_page(App& app, const RectF& island) {
    if (!app.drawing.renderer) return;
    Renderer& g = *app.drawing.renderer;
    const RectF b = page_content_rect(island);
    // Drawing reads only the App's copy; nothing changes it while the frame is drawn.
    const SysmonSnapshot& s = app.sysmon.snap;

    top_row(g, s, b.x, b.y, b.w);

    const float ty = b.y + kBottomTop, th = b.h - kBottomTop;
    const float pw = (b.w - kGap) / 2, px = b.x + pw + kGap;
    if (th > 0 && pw > 0) {
        const float radius = std::min({pw / 2, th / 2, 20.0f});
        g.fill_rounded_rect({b.x, ty, pw, th}, radius, white(0.07f));
        g.fill_rounded_rect({px, ty, pw, th}, radius, white(0.07f));
    }
    drive_panel(g, s, b.x, ty, pw);
    process_panel(app, s, px, ty, pw);
}
