// The icon pictures the renderer draws where no icon font is installed (Wine,
// server and trimmed Windows images): one vector picture per icon code point,
// written as path data in a 24 × 24 box, and the choice of the icon family.
//
// Index
//   Icon family
//   Path data and pictures
//   The table
#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "gfx.h"
#include "sys_result.h"

// ---- Icon family ---------------------------------------------------------------------------------

// Windows 11 ships "Segoe Fluent Icons", Windows 10 "Segoe MDL2 Assets" (same
// private-use code points for our glyphs); without either we draw pictures.
enum class IconFont : uint8_t { Fluent, Mdl2, None };

IconFont choose_icon_font(bool has_fluent, bool has_mdl2);
// The family name for DirectWrite; empty for None.
std::string_view icon_font_name(IconFont f);
// "icon font: Segoe MDL2 Assets" or "icon font: none, drawn icons".
std::string icon_font_log_line(IconFont f);

// ---- Path data and pictures -----------------------------------------------------------------------

// Path data: absolute coordinates in the 24 × 24 box, numbers separated by
// spaces or commas.
//   M x y                 new figure
//   L x y                 line
//   C x1 y1 x2 y2 x y     cubic Bézier
//   A cx cy r a0 a1       arc continuing the figure (a line to its start first)
//   R cx cy r a0 a1       an arc as a figure of its own
//   O cx cy r             a circle as a closed figure of its own
//   Z                     close the figure
//   F / S                 the figures that follow are filled / stroked (stroked at first)
// Angles are degrees clockwise from 12 o'clock; a1 < a0 runs anticlockwise.
// Arcs become cubic Béziers (Wine does not draw AddArc).
constexpr float kGlyphBox = 24.0f;
// The stroke of every line icon, in box units.
constexpr float kGlyphStroke = 1.8f;

struct GlyphSegment {
    bool cubic = false;
    PointF c1, c2, end;  // c1 and c2 only for cubics
};
struct GlyphFigure {
    bool filled = false, closed = false;
    PointF start;
    std::vector<GlyphSegment> segments;
};
struct GlyphPicture {
    std::vector<GlyphFigure> figures;
};

Result<GlyphPicture> parse_glyph_path(std::string_view data);

// The stroke width, in box units, of a glyph drawn at `size` island units:
// the common weight, never thinner than 0.85 island units on screen.
float glyph_stroke_width(float size);

// ---- The table ------------------------------------------------------------------------------------

// The path data of a code point's picture; empty when the table has none.
std::string_view glyph_path_data(char32_t code_point);
// Every code point of the table, ascending.
std::vector<char32_t> glyph_table_code_points();
// The parsed picture; a rounded-square outline for a code point without one.
const GlyphPicture& glyph_picture(char32_t code_point);

// The forty code points of the glyph sheet, in sheet order.
extern const std::array<char32_t, 40> kGlyphSheetCodePoints;
