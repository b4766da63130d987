// The ten animated weather pictograms, built from discs, rounded rectangles
// and lines only (no icon font, no picture), animated on the App clock.
//
// Index
//   Kind of a WMO code
//   Shapes: cloud, moon
//   The pictograms
#include <cmath>

#include "app.h"
#include "gfx_palette.h"
#include "ui_island.h"

namespace {

constexpr Color kLightCloud = rgb(229, 229, 234);
constexpr Color kDarkCloud = palette::kGrey;
constexpr Color kMoon = rgb(242, 242, 247);
constexpr Color kDrop = palette::kLightBlue;
constexpr Color kSnow = palette::kWhite;
constexpr Color kLightning = palette::kYellow;


float frac(float v) { return v - std::floor(v); }

}  // namespace

// ---- Kind of a WMO code ---------------------------------------------------------------------------

uint8_t weather_icon_kind(int32_t code, bool is_day) {
    switch (code) {
        case 0: return is_day ? kIconSun : kIconMoon;
        case 1: case 2: return is_day ? kIconPartlyDay : kIconPartlyNight;
        case 45: case 48: return kIconFog;
        case 51: case 53: case 55: case 56: case 57: return kIconDrizzle;
        case 61: case 63: case 65: case 66: case 67: case 80: case 81: case 82: return kIconRain;
        case 71: case 73: case 75: case 77: case 85: case 86: return kIconSnow;
        case 95: case 96: case 99: return kIconThunder;
        default: return kIconCloud;
    }
}

// ---- Shapes: cloud, moon ----------------------------------------------------------------------------

namespace {

// Three puffs on a flat rounded base; about 1.3 k wide.
void cloud(Renderer& g, float x, float y, float k, const Color& c) {
    if (!(k > 0)) return;
    g.fill_circle(x - 0.3f * k, y + 0.06f * k, 0.3f * k, c);
    g.fill_circle(x + 0.06f * k, y - 0.12f * k, 0.4f * k, c);
    g.fill_circle(x + 0.42f * k, y + 0.1f * k, 0.26f * k, c);
    const RectF base{x - 0.6f * k, y + 0.04f * k, 1.28f * k, 0.32f * k};
    g.fill_rounded_rect(base, std::fmax(0.0f, std::fmin(0.16f * k, std::fmin(base.w / 2, base.h / 2))), c);
}

// A disc with a bite of the backdrop colour: a crescent open to the lower left.
void moon(Renderer& g, float x, float y, float m, const Color& backdrop) {
    if (!(m > 0)) return;
    g.fill_circle(x, y, 0.5f * m, kMoon);
    g.fill_circle(x + 0.26f * m, y - 0.2f * m, 0.42f * m, backdrop);
}

}  // namespace

// ---- The pictograms -----------------------------------------------------------------------------------

void App::draw_weather_icon(uint8_t kind, float cx, float cy, float s, const Color& backdrop) {
    if (!drawing.renderer || !(s > 0)) return;
    Renderer& g = *drawing.renderer;
    const float t = static_cast<float>(now);

    switch (kind) {
        case kIconSun:
            draw_sun(cx, cy, s);
            break;
        case kIconMoon:
            moon(g, cx, cy, s, backdrop);
            break;
        case kIconPartlyDay:
            draw_sun(cx - 0.28f * s, cy - 0.26f * s, 0.72f * s);
            cloud(g, cx + 0.12f * s, cy + 0.16f * s, 0.82f * s, kLightCloud);
            break;
        case kIconPartlyNight:
            moon(g, cx - 0.28f * s, cy - 0.26f * s, 0.72f * s, backdrop);
            cloud(g, cx + 0.12f * s, cy + 0.16f * s, 0.82f * s, kLightCloud);
            break;
        case kIconFog: {
            static constexpr float kAlphas[3] = {0.85f, 0.7f, 0.55f};
            for (int k = 0; k < 3; ++k) {
                const float y = cy + 0.35f * s * static_cast<float>(k - 1);
                const float dx = 0.08f * s * std::sin(0.8f * t + static_cast<float>(k));
                g.draw_line(cx - 0.65f * s + dx, y, cx + 0.65f * s + dx, y, 0.14f * s, with_alpha(kLightCloud, kAlphas[k]));
            }
            break;
        }
        case kIconDrizzle:
        case kIconRain: {
            cloud(g, cx, cy - 0.2f * s, s, kLightCloud);
            const int n = kind == kIconDrizzle ? 2 : 3;
            for (int i = 0; i < n; ++i) {
                // Drops fall and fade, one cycle every 1 / 1.3 s.
                const float phase = frac(static_cast<float>(i) / static_cast<float>(n) + 1.3f * t);
                const float x = cx - 0.3f * s + static_cast<float>(i) * s * 0.6f / static_cast<float>(n - 1);
                const float y0 = cy + 0.28f * s + 0.45f * s * phase;
                g.draw_line(x, y0, x - 0.08f * s, y0 + 0.2f * s, 0.09f * s, with_alpha(kDrop, 1 - phase));
            }
            break;
        }
        case kIconSnow: {
            cloud(g, cx, cy - 0.2f * s, s, kLightCloud);
            for (int i = 0; i < 3; ++i) {
                const float fi = static_cast<float>(i);
                const float phase = frac(0.6f * t + fi / 3);
                const float x = cx - 0.3f * s + 0.3f * s * fi + 0.05f * s * std::sin(2 * t + fi);
                g.fill_circle(x, cy + 0.3f * s + 0.5f * s * phase, 0.07f * s, with_alpha(kSnow, 1 - phase));
            }
            break;
        }
        case kIconThunder: {
            cloud(g, cx, cy - 0.22f * s, s, kDarkCloud);
            // A short flash once every 1 / 0.9 s.
            const float a = frac(0.9f * t) < 0.08f ? 1.0f : 0.85f;
            draw_bolt(cx + 0.02f * s, cy + 0.4f * s, s / 9, with_alpha(kLightning, a));
            break;
        }
        default:  // kIconCloud and anything unknown
            cloud(g, cx - 0.18f * s, cy - 0.18f * s, 0.7f * s, kDarkCloud);
            cloud(g, cx + 0.06f * s, cy + 0.06f * s, s, kLightCloud);
            break;
    }
}
