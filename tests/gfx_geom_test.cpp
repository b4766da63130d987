// The renderer's portable arithmetic and the recording renderer that follows it.
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "gfx_geom.h"
#include "gfx_record.h"

namespace {

constexpr float kEps = 1e-4f;

float dist(PointF a, PointF b) { return std::hypot(a.x - b.x, a.y - b.y); }

PointF bezier_mid(PointF p0, const CubicSegment& s) {
    return {0.125f * p0.x + 0.375f * s.c1.x + 0.375f * s.c2.x + 0.125f * s.end.x,
            0.125f * p0.y + 0.375f * s.c1.y + 0.375f * s.c2.y + 0.125f * s.end.y};
}

}  // namespace

TEST(GfxRules, AlphaFloorAndCap) {
    struct Case { float alpha, global; bool drawn; float brush; };
    const Case cases[] = {
        {0.5f, 0.004f, false, 0},   // exactly 0.002 is not above the floor
        {0.5f, 0.0041f, true, 0.00205f},
        {1.0f, 1.0f, true, 1.0f},
        {0.8f, 2.0f, true, 1.0f},   // capped at 1
        {0.0f, 1.0f, false, 0},
        {std::numeric_limits<float>::quiet_NaN(), 1.0f, false, 0},
    };
    for (const Case& c : cases) {
        auto b = brush_color(Color{0.1f, 0.2f, 0.3f, c.alpha}, c.global);
        ASSERT_EQ(b.has_value(), c.drawn) << c.alpha << " x " << c.global;
        if (b) {
            EXPECT_NEAR(b->a, c.brush, 1e-6f);
            EXPECT_EQ(b->r, 0.1f);
        }
    }
}

TEST(GfxRules, RadiusClamps) {
    EXPECT_EQ(outline_radius(50, 40, 20), 10);
    EXPECT_EQ(fill_radius(50, 40, 20), 10);
    EXPECT_EQ(fill_radius(-4, 40, 20), 0);
    EXPECT_EQ(outline_radius(-4, 40, 20), -4);  // outlines are not floored
    EXPECT_EQ(dwrite_text_alignment(TextAlign::Left), 0);
    EXPECT_EQ(dwrite_text_alignment(TextAlign::Center), 2);
    EXPECT_EQ(dwrite_text_alignment(TextAlign::Right), 1);
}

TEST(GfxRules, CanvasPixelsRoundAndSaturate) {
    struct Case { float scale; int32_t w, h; };
    const Case cases[] = {
        {1.0f, 900, 470},
        {1.12f, 1008, 526},
        {1.25f, 1125, 588},
        {std::numeric_limits<float>::quiet_NaN(), 0, 0},
        {1e10f, 2147483647, 2147483647},
    };
    for (const Case& c : cases) {
        PixelSize p = canvas_pixels(c.scale);
        EXPECT_EQ(p.width, c.w) << c.scale;
        EXPECT_EQ(p.height, c.h) << c.scale;
    }
}

TEST(GfxShapes, SoftShadowLayers) {
    EXPECT_TRUE(shadow_layers({0, 0, 100, 40}, 20, 0.01f, 1).empty());

    auto layers = shadow_layers({10, 20, 100, 40}, 20, 1.0f, 1.0f);
    ASSERT_EQ(layers.size(), 7u);
    EXPECT_NEAR(layers[0].alpha, 0.05f, 1e-6f);
    EXPECT_NEAR(layers[6].alpha, 0.05f / 7, 1e-6f);
    // Layer i spreads c = 1 + 2.2 i: c / 2 above the rect, 1.5 c below it.
    const ShadowLayer& l6 = layers[6];
    EXPECT_NEAR(l6.rect.x, 10 - 14.2f, kEps);
    EXPECT_NEAR(l6.rect.y, 20 - 7.1f, kEps);
    EXPECT_NEAR(l6.rect.w, 100 + 28.4f, kEps);
    EXPECT_NEAR(l6.rect.y + l6.rect.h, 60 + 21.3f, kEps);
    EXPECT_NEAR(l6.radius, 20 + 14.2f, kEps);
    // The radius never passes half the layer's height.
    auto round = shadow_layers({0, 0, 100, 10}, 100, 1.0f, 1.0f);
    EXPECT_NEAR(round[0].radius, 6.0f, kEps);

    // A faded island drops the faint outer layers (0.005 × (1 − i / 7) > 0.002 for i ≤ 4).
    EXPECT_EQ(shadow_layers({0, 0, 100, 40}, 20, 1.0f, 0.1f).size(), 5u);
    // A rect that collapses leaves out what has no area.
    EXPECT_EQ(shadow_layers({0, 0, -20, 40}, 0, 1.0f, 1.0f).size(), 2u);
}

TEST(GfxShapes, ArcThresholdsAndEnds) {
    EXPECT_EQ(arc_path(50, 50, 20, 0, 0.0004f).kind, ArcPath::Nothing);
    EXPECT_EQ(arc_path(50, 50, 20, 0, std::numeric_limits<float>::quiet_NaN()).kind, ArcPath::Nothing);
    EXPECT_EQ(arc_path(50, 50, 20, 0.3f, 0.9996f).kind, ArcPath::Ring);
    EXPECT_EQ(arc_path(50, 50, 0, 0.3f, 1.0f).kind, ArcPath::Nothing);

    // A quarter from 12 o'clock ends at 3 o'clock, in one segment.
    ArcPath q = arc_path(50, 50, 20, 0, 0.25f);
    ASSERT_EQ(q.kind, ArcPath::Open);
    ASSERT_EQ(q.segments.size(), 1u);
    EXPECT_NEAR(q.start.x, 50, kEps);
    EXPECT_NEAR(q.start.y, 30, kEps);
    EXPECT_NEAR(q.segments[0].end.x, 70, 1e-3f);
    EXPECT_NEAR(q.segments[0].end.y, 50, 1e-3f);
    // Clockwise on screen: the middle of the quarter lies up and to the right.
    PointF mid = bezier_mid(q.start, q.segments[0]);
    EXPECT_GT(mid.x, 50);
    EXPECT_LT(mid.y, 50);
}

TEST(GfxShapes, ArcSegmentsStayOnTheCircle) {
    const struct { float start, sweep; size_t segments; } cases[] = {
        {0, 0.25f, 1}, {0.1f, 0.26f, 2}, {0.75f, 0.5f, 2}, {0.3f, 0.6f, 3}, {0.9f, 0.99f, 4},
    };
    const PointF c{100, 80};
    const float r = 50;
    for (const auto& k : cases) {
        ArcPath p = arc_path(c.x, c.y, r, k.start, k.sweep);
        ASSERT_EQ(p.kind, ArcPath::Open);
        EXPECT_EQ(p.segments.size(), k.segments) << k.sweep;
        PointF from = p.start;
        for (const CubicSegment& s : p.segments) {
            EXPECT_NEAR(dist(s.end, c), r, 1e-3f);
            // A cubic of at most a quarter turn strays under 0.03 % of the radius.
            EXPECT_NEAR(dist(bezier_mid(from, s), c), r, r * 3e-4f);
            from = s.end;
        }
        float end_angle = (k.start + k.sweep - 0.25f) * 6.2831855f;
        EXPECT_NEAR(from.x, c.x + r * std::cos(end_angle), 1e-3f);
        EXPECT_NEAR(from.y, c.y + r * std::sin(end_angle), 1e-3f);
    }
}

TEST(GfxShapes, ChartPoints) {
    const RectF r{10, 20, 118, 50};  // 60 slots: step 2
    auto two = chart_points(r, {5, 10}, 10, 60);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_FLOAT_EQ(two[1].x, 128);  // newest on the right edge
    EXPECT_FLOAT_EQ(two[0].x, 126);  // one step to its left
    EXPECT_FLOAT_EQ(two[1].y, 20);   // at the maximum: the top
    EXPECT_FLOAT_EQ(two[0].y, 45);

    // A maximum of 0 sends every positive value to the top; NaN and negatives sit at the bottom.
    auto flat = chart_points(r, {0.5f, -3, std::numeric_limits<float>::quiet_NaN(), 99}, 0, 60);
    EXPECT_FLOAT_EQ(flat[0].y, 20);
    EXPECT_FLOAT_EQ(flat[1].y, 70);
    EXPECT_FLOAT_EQ(flat[2].y, 70);
    EXPECT_FLOAT_EQ(flat[3].y, 20);

    EXPECT_TRUE(chart_points(r, {1}, 1, 60).empty());
    // Fewer than two slots count as two: the points span the whole width.
    auto wide = chart_points(r, {1, 1}, 1, 0);
    EXPECT_FLOAT_EQ(wide[0].x, 10);
}

TEST(GfxShapes, CoverFitShowsTheMiddle) {
    // A 200 × 100 picture in a 50 × 50 rect: scale 0.5, the middle 100 × 100 shows.
    CoverFit f = cover_fit({30, 40, 50, 50}, 200, 100);
    EXPECT_FLOAT_EQ(f.scale, 0.5f);
    EXPECT_FLOAT_EQ(f.tx, 5);
    EXPECT_FLOAT_EQ(f.ty, 40);
    EXPECT_FLOAT_EQ((30 - f.tx) / f.scale, 50);   // first visible picture column
    EXPECT_FLOAT_EQ((80 - f.tx) / f.scale, 150);  // last
    CoverFit tall = cover_fit({0, 0, 100, 20}, 10, 10);
    EXPECT_FLOAT_EQ(tall.scale, 10);
    EXPECT_FLOAT_EQ(tall.ty, -40);
}

TEST(GfxKeys, SaturatingConversions) {
    const struct { float v; uint32_t key; } cases[] = {
        {-1.0f, 0}, {std::numeric_limits<float>::quiet_NaN(), 0}, {-std::numeric_limits<float>::infinity(), 0},
        {1450.9f, 1450}, {5e9f, 4294967295u}, {std::numeric_limits<float>::infinity(), 4294967295u},
    };
    for (const auto& c : cases) EXPECT_EQ(key_u32(c.v), c.key) << c.v;

    EXPECT_EQ(label_key(14.5f, 600, FontFamily::Text, TextAlign::Left),
              label_key(14.504f, 600, FontFamily::Text, TextAlign::Left));
    EXPECT_EQ(label_key(14.5f, 600, FontFamily::Text, TextAlign::Left).size100, 1450u);
    EXPECT_FALSE(label_key(14.5f, 600, FontFamily::Text, TextAlign::Left) ==
                 label_key(14.5f, 600, FontFamily::Text, TextAlign::Right));
    EXPECT_FALSE(label_key(14.5f, 600, FontFamily::Text, TextAlign::Left) ==
                 label_key(14.5f, 600, FontFamily::Display, TextAlign::Left));
    WrapKey w = wrap_key("x", -5, 1e12f, 500);
    EXPECT_EQ(w.width10, 0u);
    EXPECT_EQ(w.size10, 4294967295u);
}

TEST(GfxKeys, HashesAreStable) {
    // SipHash-1-3, zero key, over the text and a 0xFF byte; values agree with
    // CPython's bytes hash under PYTHONHASHSEED=0 (the same function).
    EXPECT_EQ(text_hash(""), 3476900567878811119ull);
    EXPECT_EQ(text_hash("abc"), 17224545590736200989ull);
    EXPECT_EQ(text_hash("hello world"), 8170069951894177743ull);
    std::string twenty;
    for (int i = 0; i < 20; ++i) twenty.push_back(static_cast<char>(i));
    EXPECT_EQ(text_hash(twenty), 3486285865058584738ull);
    EXPECT_EQ(siphash13("abc\xff"), text_hash("abc"));

    EXPECT_EQ(fnv1a64(""), 0xcbf29ce484222325ull);
    EXPECT_EQ(fnv1a64("a"), 0xaf63dc4c8601ec8cull);
    EXPECT_EQ(fnv1a64("foobar"), 0x85944171f73967e8ull);
}

TEST(GfxCache, WrappedHeightsResetPast600) {
    RecordingRenderer r;
    for (int i = 0; i < 601; ++i) r.measure_wrapped("text " + std::to_string(i), 200, 14, 500);
    EXPECT_EQ(r.cache_counts().wrapped_heights, 601u);
    // A repeat is answered from the cache and inserts nothing.
    r.measure_wrapped("text 7", 200, 14, 500);
    EXPECT_EQ(r.cache_counts().wrapped_heights, 601u);
    // The 602nd distinct measurement empties the cache before inserting itself.
    r.measure_wrapped("text 601", 200, 14, 500);
    EXPECT_EQ(r.cache_counts().wrapped_heights, 1u);

    BoundedCache<TextKey, int> c;
    for (uint32_t i = 0; i < 602; ++i) c.insert(TextKey{i, 0}, static_cast<int>(i));
    ASSERT_EQ(c.size(), 1u);
    ASSERT_NE(c.find(TextKey{601, 0}), nullptr);
    EXPECT_EQ(*c.find(TextKey{601, 0}), 601);
}

TEST(GfxAffine, ScaleAboutThenTranslate) {
    Affine z = Affine::scale_about(0.8f, 450, 8);
    PointF fixed = z.apply({450, 8});
    EXPECT_FLOAT_EQ(fixed.x, 450);
    EXPECT_FLOAT_EQ(fixed.y, 8);
    PointF p = z.then(Affine::translation(-100, -3)).apply({550, 48});
    EXPECT_FLOAT_EQ(p.x, 430);
    EXPECT_FLOAT_EQ(p.y, 37);
}

TEST(RecordingRenderer, FollowsThePrimitiveRules) {
    RecordingRenderer r;
    ASSERT_TRUE(r.begin_frame(0, 0, 900, 470));
    r.fill_rounded_rect({0, 0, 40, 20}, 50, rgb(255, 255, 255));
    r.fill_rounded_rect({0, 0, 0, 20}, 5, rgb(255, 255, 255));  // no width: nothing
    r.fill_circle(5, 5, 0, rgb(255, 255, 255));                 // no radius: nothing
    r.draw_arc(5, 5, 4, 0, 0.0004f, 2, rgb(255, 255, 255));
    r.draw_arc(5, 5, 4, 0, 0.9996f, 2, rgb(255, 255, 255));
    r.draw_text("", {0, 0, 10, 10}, 12, FontFamily::Text, 400, rgb(255, 255, 255), TextAlign::Left);
    r.draw_glyph(0x1F600, 50, 60, 10, rgb(255, 255, 255));
    r.draw_glyph(0xD800, 50, 60, 10, rgb(255, 255, 255));  // not a scalar value
    r.global_alpha = 0.004f;
    r.fill_rounded_rect({0, 0, 40, 20}, 4, rgb(255, 255, 255, 0.5f));
    r.draw_image(1, Image{std::vector<uint8_t>(16, 255), 2, 2}, {0, 0, 10, 10}, 2);  // global alpha 0.004 is enough
    r.global_alpha = 1;
    r.draw_image(2, Image{std::vector<uint8_t>(8, 255), 2, 2}, {0, 0, 10, 10}, 2);  // buffer too short: refused

    ASSERT_EQ(r.calls.size(), 4u);
    EXPECT_EQ(r.calls[0].radius, 10);
    EXPECT_EQ(r.calls[1].op, DrawOp::Ring);
    const DrawCall& glyph = r.calls[2];
    EXPECT_EQ(glyph.family, FontFamily::Icons);
    EXPECT_EQ(glyph.text, "\xF0\x9F\x98\x80");  // the surrogate pair's character as one glyph
    EXPECT_FLOAT_EQ(glyph.rect.x, 40);
    EXPECT_FLOAT_EQ(glyph.rect.w, 20);
    EXPECT_EQ(glyph.align, TextAlign::Center);
    EXPECT_EQ(r.calls[3].op, DrawOp::Image);
    EXPECT_EQ(r.cache_counts().images, 1u);

    r.forget_image(99);  // not cached: nothing happens
    EXPECT_EQ(r.cache_counts().images, 1u);
    r.simulate_end_draw_error(kRecreateTargetError);
    EXPECT_FALSE(r.end_frame());
    EXPECT_EQ(r.cache_counts().images, 0u);
    ASSERT_TRUE(r.begin_frame(0, 0, 900, 470));
    EXPECT_TRUE(r.end_frame());
}

TEST(RecordingRenderer, MetricsAndFormats) {
    RecordingRenderer r;
    EXPECT_FLOAT_EQ(r.measure_text("ab ", 10, FontFamily::Text, 400), 15);  // trailing space counts
    EXPECT_FLOAT_EQ(r.measure_text("ğü", 10, FontFamily::Text, 400), 10);   // characters, not bytes
    // Narrower than 10 lays out at 10.
    EXPECT_FLOAT_EQ(r.measure_wrapped("abcd", 2, 10, 400), r.measure_wrapped("abcd", 10, 10, 400));
    r.draw_text("a", {}, 14.5f, FontFamily::Text, 600, rgb(255, 255, 255), TextAlign::Left);
    r.draw_text("a", {}, 14.504f, FontFamily::Text, 600, rgb(255, 255, 255), TextAlign::Left);
    size_t before = r.cache_counts().label_formats;
    r.draw_text("a", {}, 14.5f, FontFamily::Text, 600, rgb(255, 255, 255), TextAlign::Center);
    EXPECT_EQ(r.cache_counts().label_formats, before + 1);
}
