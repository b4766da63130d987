// The icon pictures: every code point the island draws has one, each parses
// and stays inside its box, the path reader rejects what it cannot draw, and
// the icon family is chosen in the right order.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "gfx_glyphs.h"

namespace {

// Every 0xE… literal in the drawing code (the table itself left out), plus the
// volume steps the control page and HUD compute from 0xE992.
std::set<char32_t> code_points_in_sources() {
    std::set<char32_t> out;
    const std::regex literal("0x[Ee][0-9A-Fa-f]{3}\\b");
#ifdef _WIN32
    const std::filesystem::path root = std::string("Z:") + VEMO_SOURCE_DIR;  // Wine's drive for the host's files
#else
    const std::filesystem::path root = VEMO_SOURCE_DIR;
#endif
    for (const auto& entry : std::filesystem::directory_iterator(root / "src")) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("gfx_glyphs", 0) == 0 || (entry.path().extension() != ".cpp" && entry.path().extension() != ".h"))
            continue;
        std::ifstream in(entry.path());
        std::stringstream text;
        text << in.rdbuf();
        const std::string s = text.str();
        for (std::sregex_iterator it(s.begin(), s.end(), literal), end; it != end; ++it)
            out.insert(static_cast<char32_t>(std::stoul(it->str(), nullptr, 16)));
    }
    for (char32_t c = 0xE992; c <= 0xE995; ++c) out.insert(c);
    return out;
}

}  // namespace

TEST(GlyphTable, EveryCodePointTheIslandDrawsHasAPicture) {
    std::set<char32_t> used = code_points_in_sources();
    // The scan must see the pages and the island, or it proves nothing.
    ASSERT_GE(used.size(), 40u);
    for (char32_t c : {0xE80F, 0xE945, 0xE7B3, 0xE916}) EXPECT_TRUE(used.count(c)) << fmt::format("{:X}", uint32_t(c));
    used.insert(kGlyphSheetCodePoints.begin(), kGlyphSheetCodePoints.end());
    for (char32_t c : used) EXPECT_FALSE(glyph_path_data(c).empty()) << fmt::format("no picture for U+{:X}", uint32_t(c));
}

TEST(GlyphTable, EveryPictureParsesAndStaysInsideItsBox) {
    const std::vector<char32_t> all = glyph_table_code_points();
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end()) << "a code point twice";
    for (char32_t c : all) {
        SCOPED_TRACE(fmt::format("U+{:X}", uint32_t(c)));
        auto pic = parse_glyph_path(glyph_path_data(c));
        ASSERT_TRUE(pic) << pic.error().message;
        // A stroke reaches half its width beyond its path; control points bound a Bézier.
        for (const GlyphFigure& f : pic->figures) {
            const float m = f.filled ? 0.0f : kGlyphStroke / 2;
            auto inside = [&](PointF p) { return p.x >= m && p.y >= m && p.x <= kGlyphBox - m && p.y <= kGlyphBox - m; };
            EXPECT_TRUE(inside(f.start)) << f.start.x << "," << f.start.y;
            EXPECT_FALSE(f.segments.empty());
            for (const GlyphSegment& s : f.segments) {
                EXPECT_TRUE(inside(s.end)) << s.end.x << "," << s.end.y;
                if (s.cubic) {
                    EXPECT_TRUE(inside(s.c1) && inside(s.c2)) << s.c1.x << "," << s.c1.y;
                }
            }
        }
        EXPECT_NE(&glyph_picture(c), &glyph_picture(0xF000)) << "fell back to the outline";
    }
}

TEST(GlyphTable, CodePointsWithoutAPictureGetTheRoundedSquare) {
    for (char32_t c : {char32_t{0xE000}, char32_t{0x41}, char32_t{0x1F600}}) {
        const GlyphPicture& p = glyph_picture(c);
        ASSERT_EQ(p.figures.size(), 1u);
        EXPECT_TRUE(p.figures[0].closed);
        EXPECT_FALSE(p.figures[0].filled);
        EXPECT_EQ(p.figures[0].segments.size(), 8u);  // four sides, four rounded corners
    }
}

TEST(GlyphPath, ArcsBecomeBeziersOnTheCircle) {
    struct Case { const char* path; size_t segments; PointF end; bool closed; };
    const Case cases[] = {
        {"R 12 12 10 0 90", 1, {22, 12}, false},      // 12 to 3 o'clock
        {"R 12 12 10 0 -90", 1, {2, 12}, false},      // anticlockwise to 9 o'clock
        {"R 12 12 10 -45 225", 3, {12 - 7.0711f, 12 + 7.0711f}, false},
        {"O 12 12 10", 4, {12, 2}, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.path);
        auto pic = parse_glyph_path(k.path);
        ASSERT_TRUE(pic) << pic.error().message;
        ASSERT_EQ(pic->figures.size(), 1u);
        const GlyphFigure& f = pic->figures[0];
        ASSERT_EQ(f.segments.size(), k.segments);
        EXPECT_EQ(f.closed, k.closed);
        EXPECT_NEAR(f.segments.back().end.x, k.end.x, 1e-3);
        EXPECT_NEAR(f.segments.back().end.y, k.end.y, 1e-3);
        PointF p0 = f.start;
        for (const GlyphSegment& s : f.segments) {
            ASSERT_TRUE(s.cubic);
            // The curve's midpoint lies on the circle (within a hundredth of a unit).
            float mx = 0.125f * p0.x + 0.375f * s.c1.x + 0.375f * s.c2.x + 0.125f * s.end.x;
            float my = 0.125f * p0.y + 0.375f * s.c1.y + 0.375f * s.c2.y + 0.125f * s.end.y;
            EXPECT_NEAR(std::hypot(mx - 12, my - 12), 10, 0.01);
            p0 = s.end;
        }
    }
}

TEST(GlyphPath, FiguresCommandsAndErrors) {
    // A continued arc joins with a line; F fills the figures after it.
    auto pic = parse_glyph_path("M 2 12 A 12 12 4 270 450 L 22 12 F O 12 20 1 S M 1 1 L 2 2");
    ASSERT_TRUE(pic) << pic.error().message;
    ASSERT_EQ(pic->figures.size(), 3u);
    EXPECT_FALSE(pic->figures[0].segments[0].cubic);  // (2,12) to the arc start (8,12)
    EXPECT_NEAR(pic->figures[0].segments[0].end.x, 8, 1e-4);
    EXPECT_FALSE(pic->figures[0].filled);
    EXPECT_TRUE(pic->figures[1].filled);
    EXPECT_FALSE(pic->figures[2].filled);

    for (const char* bad : {"", "   ", "L 1 1", "M 1", "M 1 2 C 1 2 3 4", "M 1 2 X 3 4", "M 1 2 L nan 4",
                            "R 1 1 0 0 90", "O 12 12 -2", "R 12 12 4 30 30", "Z", "M 1 2 L 1e9x 3"}) {
        auto r = parse_glyph_path(bad);
        EXPECT_FALSE(r) << "accepted: \"" << bad << "\"";
        if (!r) {
            EXPECT_NE(r.error().message.find("glyph path"), std::string::npos);
        }
    }
}

TEST(IconFontChoice, FluentThenMdl2ThenDrawnPictures) {
    struct Case { bool fluent, mdl2; IconFont want; const char* log; };
    const Case cases[] = {
        {true, true, IconFont::Fluent, "icon font: Segoe Fluent Icons"},
        {true, false, IconFont::Fluent, "icon font: Segoe Fluent Icons"},
        {false, true, IconFont::Mdl2, "icon font: Segoe MDL2 Assets"},
        {false, false, IconFont::None, "icon font: none, drawn icons"},
    };
    for (const Case& k : cases) {
        IconFont f = choose_icon_font(k.fluent, k.mdl2);
        EXPECT_EQ(f, k.want);
        EXPECT_EQ(icon_font_log_line(f), k.log);
    }
    EXPECT_TRUE(icon_font_name(IconFont::None).empty());
    // Small glyphs keep a stroke of at least 0.85 island units.
    EXPECT_FLOAT_EQ(glyph_stroke_width(24), kGlyphStroke);
    EXPECT_FLOAT_EQ(glyph_stroke_width(8) * 8 / kGlyphBox, 0.85f);
}
