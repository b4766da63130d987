// The open island on its control-centre page, drawn into the recording
// renderer: the three slider rows by device state, the twelve tiles with
// their labels, switch colours, hover and press looks, and the regions.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "island_draw_support.h"
#include "pages.h"

namespace {

struct ControlPageTest : IslandDrawTest {
    void SetUp() override {
        IslandDrawTest::SetUp();
        app->audio.brightness_ok = true;
        app->notices.mic_seen = true;
        app->sysmon.snap.wifi = RadioState::On;
        app->sysmon.snap.bluetooth = RadioState::Off;
    }
    void draw_control() { draw(IslandMode::open(Page::Control)); }

    // The unscaled cell of tile i.
    static RectF cell(int i) { return {430.0f + 91 * (i % 4), 64.0f + 63 * (i / 4), 83, 56}; }
    // The tile's fill: the rounded rect centred on its cell with the tile's shape.
    const DrawCall* tile_fill(int i) const {
        const RectF c = cell(i);
        for (const DrawCall& d : rec->calls)
            if (d.op == DrawOp::FillRoundedRect && std::fabs(d.rect.x + d.rect.w / 2 - (c.x + 41.5f)) < 1e-3f &&
                std::fabs(d.rect.y + d.rect.h / 2 - (c.y + 28)) < 1e-3f && d.rect.w < 84 && d.rect.w > 70)
                return &d;
        return nullptr;
    }
    const DrawCall* label_at(int i) const {
        const RectF c = cell(i);
        for (const DrawCall& d : rec->calls)
            if (d.op == DrawOp::Text && d.rect.x == c.x + 10 && d.rect.y == c.y + 32) return &d;
        return nullptr;
    }
    // The icon glyph drawn at tile i's glyph point.
    const DrawCall* tile_glyph(int i) const {
        const RectF c = cell(i);
        for (const DrawCall& d : rec->calls)
            if (d.op == DrawOp::Text && d.family == FontFamily::Icons &&
                std::fabs(d.rect.x + d.rect.w / 2 - (c.x + 20)) < 1e-3f &&
                std::fabs(d.rect.y + d.rect.h / 2 - (c.y + 19)) < 1e-3f)
                return &d;
        return nullptr;
    }
    std::vector<HitRegion> page_hits() const {
        std::vector<HitRegion> out;
        for (const HitRegion& h : app->drawing.hits)
            if (h.action.kind != ActionKind::Dock) out.push_back(h);
        return out;
    }
};

}  // namespace

TEST_F(ControlPageTest, VolumeRowShowsMuteAndLevelGlyphs) {
    struct Case {
        float level;
        bool muted;
        char32_t glyph;
        const char* percent;
    } cases[] = {
        {0.8f, true, 0xE74F, "%0"},    {0.004f, false, 0xE74F, "%0"}, {0.2f, false, 0xE992, "%20"},
        {0.34f, false, 0xE993, "%34"}, {0.67f, false, 0xE994, "%67"}, {1.0f, false, 0xE995, "%100"},
    };
    for (const Case& c : cases) {
        app->audio.volume = c.level;
        app->audio.muted = c.muted;
        draw_control();
        const DrawCall* g = glyph(c.glyph);
        ASSERT_NE(g, nullptr) << c.level;
        EXPECT_NEAR(g->rect.y + g->rect.h / 2, 64 + 25, 1e-3f);
        const DrawCall* p = text(c.percent);
        ASSERT_NE(p, nullptr) << c.percent;
        EXPECT_NEAR(p->rect.y, 64, 1e-3f);
        ASSERT_NE(text("Ses"), nullptr);
    }
}

TEST_F(ControlPageTest, RegistersSlidersThenTilesInOrder) {
    draw_control();
    const auto hits = page_hits();
    ASSERT_EQ(hits.size(), 15u);
    const float ys[3] = {64, 124, 184};
    for (uint8_t i = 0; i < 3; ++i) {
        EXPECT_EQ(hits[i].action.kind, ActionKind::Slider);
        EXPECT_EQ(hits[i].action.arg, i);
        expect_rect(hits[i].rect, 114, ys[i], 300, 50);
    }
    for (uint8_t i = 0; i < 12; ++i) {
        const HitRegion& h = hits[3 + i];
        EXPECT_EQ(h.action.kind, ActionKind::Tile);
        EXPECT_EQ(h.action.arg, i);
        const RectF c = cell(i);
        expect_rect(h.rect, c.x, c.y, c.w, c.h);
    }
}

TEST_F(ControlPageTest, MissingDevicesDisableTheirRowsOnly) {
    app->audio.brightness_ok = false;
    app->notices.mic_seen = false;
    app->audio.mic_muted = true;
    draw_control();
    const DrawCall* b = text("Parlaklık desteklenmiyor");
    const DrawCall* m = text("Mikrofon bulunamadı");
    ASSERT_NE(b, nullptr);
    ASSERT_NE(m, nullptr);
    expect_color(m->color, 255, 255, 255, 0.4f);
    const auto hits = page_hits();
    ASSERT_EQ(hits.size(), 13u);
    EXPECT_EQ(hits[0].action.kind, ActionKind::Slider);
    EXPECT_EQ(hits[0].action.arg, 0);
    EXPECT_EQ(hits[1].action.kind, ActionKind::Tile);
    // The microphone tile still follows the mute flag.
    const DrawCall* l4 = label_at(4);
    ASSERT_NE(l4, nullptr);
    EXPECT_EQ(l4->text, "Mik. kapalı");
}

TEST_F(ControlPageTest, TileLabelsFollowTheTableMuteAndRadioState) {
    const char* labels[12] = {"Wi‑Fi",        "Bluetooth", "Karanlık mod", "Uyanık tut", "Mikrofon",   "Ekran al",
                              "Ekranı kapat", "Kilitle",   "Masaüstü",     "Dosyalar",   "Görev Yön.", "Win Ayarları"};
    draw_control();
    for (int i = 0; i < 12; ++i) {
        const DrawCall* l = label_at(i);
        ASSERT_NE(l, nullptr) << i;
        EXPECT_EQ(l->text, labels[i]);
        EXPECT_EQ(l->size, 11);
        EXPECT_EQ(l->weight, 600);
        expect_color(l->color, 255, 255, 255, 0.92f);
        ASSERT_NE(tile_glyph(i), nullptr) << i;
        EXPECT_EQ(tile_glyph(i)->text, test_utf8(App::kTiles[i].glyph));
    }
    // A radio not read yet is dimmed; a muted microphone renames tile 4.
    app->sysmon.snap.wifi = RadioState::Unknown;
    app->audio.mic_muted = true;
    draw_control();
    expect_color(label_at(0)->color, 255, 255, 255, 0.4f);
    expect_color(label_at(1)->color, 255, 255, 255, 0.92f);
    EXPECT_EQ(label_at(4)->text, "Mik. kapalı");
    app->sysmon.snap.wifi = RadioState::Off;
    app->sysmon.snap.bluetooth = RadioState::Unknown;
    draw_control();
    expect_color(label_at(0)->color, 255, 255, 255, 0.92f);
    expect_color(label_at(1)->color, 255, 255, 255, 0.4f);
}

TEST_F(ControlPageTest, SwitchTilesBlendTowardTheirColourWithTheSpring) {
    struct Case {
        int tile;
        float v;
        int r, g, b;
        float alpha, glyph_alpha;
    } cases[] = {
        {0, 0, 255, 255, 255, 0.09f, 0.9f},  {0, 1, 10, 132, 255, 1, 1},         {2, 1, 94, 92, 230, 1, 1},
        {3, 1, 255, 159, 10, 1, 1},          {4, 1, 255, 69, 58, 1, 1},          {1, 0.5f, 133, 194, 255, 0.545f, 0.9f},
        {1, 0.6f, 108, 181, 255, 0.636f, 1}, {7, 1, 255, 255, 255, 0.09f, 0.9f},  // an action tile has no on colour
    };
    for (const Case& c : cases) {
        for (auto& t : app->anim.toggles) t.value = 0;
        app->anim.toggles[kTileToggleSpring + c.tile].value = c.v;
        if (c.tile == 7) app->anim.toggles[kTileToggleSpring + 7].value = 1;
        draw_control();
        const DrawCall* f = tile_fill(c.tile);
        ASSERT_NE(f, nullptr) << c.tile;
        EXPECT_NEAR(f->color.r * 255, c.r, 0.6f) << c.tile << " " << c.v;
        EXPECT_NEAR(f->color.g * 255, c.g, 0.6f) << c.tile << " " << c.v;
        EXPECT_NEAR(f->color.b * 255, c.b, 0.6f) << c.tile << " " << c.v;
        EXPECT_NEAR(f->color.a, c.alpha, 1e-3f);
        EXPECT_NEAR(tile_glyph(c.tile)->color.a, c.glyph_alpha, 1e-4f);
    }
}

TEST_F(ControlPageTest, HoverLightensAndPressShrinksOnlyThatTile) {
    app->pointer.hovered = Action::byte(ActionKind::Tile, 7);
    app->anim.hover.value = 1;
    app->pointer.pressed = Action::byte(ActionKind::Tile, 7);
    draw_control();
    const DrawCall* t7 = tile_fill(7);
    ASSERT_NE(t7, nullptr);
    EXPECT_NEAR(t7->color.a, 0.16f, 1e-4f);
    const RectF c = cell(7);
    expect_rect(t7->rect, c.x + 41.5f - 83 * 0.45f, c.y + 28 - 56 * 0.45f, 83 * 0.9f, 56 * 0.9f);
    EXPECT_NEAR(t7->radius, 16, 1e-4f);
    const DrawCall* t6 = tile_fill(6);
    ASSERT_NE(t6, nullptr);
    EXPECT_NEAR(t6->color.a, 0.09f, 1e-4f);
    expect_rect(t6->rect, cell(6).x, cell(6).y, 83, 56);
    // The region keeps the unscaled cell.
    EXPECT_EQ(hit_at(c.x + 2, c.y + 2).kind, ActionKind::Tile);
    EXPECT_EQ(hit_at(c.x + 2, c.y + 2).arg, 7);
}
