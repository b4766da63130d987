// Icon family choice, the path-data reader and the table of icon pictures.
//
// Index
//   Icon family
//   Path data reader
//   The table (one line icon per code point, 24 × 24 box)
//   Lookup
#include "gfx_glyphs.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <unordered_map>

#include <fmt/format.h>

// ---- Icon family ---------------------------------------------------------------------------------

IconFont choose_icon_font(bool has_fluent, bool has_mdl2) {
    if (has_fluent) return IconFont::Fluent;
    return has_mdl2 ? IconFont::Mdl2 : IconFont::None;
}

std::string_view icon_font_name(IconFont f) {
    switch (f) {
        case IconFont::Fluent: return "Segoe Fluent Icons";
        case IconFont::Mdl2: return "Segoe MDL2 Assets";
        case IconFont::None: break;
    }
    return {};
}

std::string icon_font_log_line(IconFont f) {
    if (f == IconFont::None) return "icon font: none, drawn icons";
    return fmt::format("icon font: {}", icon_font_name(f));
}

float glyph_stroke_width(float size) {
    if (!(size > 0)) return kGlyphStroke;
    return std::max(kGlyphStroke, 0.85f * kGlyphBox / size);
}

// ---- Path data reader ------------------------------------------------------------------------------

namespace {

constexpr float kPi = 3.14159265358979f;

PointF arc_point(float cx, float cy, float r, float deg) {
    float a = deg * kPi / 180.0f;
    return {cx + r * std::sin(a), cy - r * std::cos(a)};
}

// Cubic pieces of at most a quarter turn from a0 to a1 (degrees, either direction).
std::vector<GlyphSegment> arc_segments(float cx, float cy, float r, float a0, float a1) {
    std::vector<GlyphSegment> out;
    float sweep = a1 - a0;
    int n = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / 90.0f - 1e-4f)));
    float step = sweep / static_cast<float>(n);
    float k = 4.0f / 3.0f * std::tan(step * kPi / 180.0f / 4.0f);
    for (int i = 0; i < n; ++i) {
        float t0 = a0 + step * static_cast<float>(i), t1 = t0 + step;
        float r0 = t0 * kPi / 180.0f, r1 = t1 * kPi / 180.0f;
        PointF p0 = arc_point(cx, cy, r, t0), p1 = arc_point(cx, cy, r, t1);
        // d/da of the point is (r cos a, r sin a).
        GlyphSegment s;
        s.cubic = true;
        s.c1 = {p0.x + k * r * std::cos(r0), p0.y + k * r * std::sin(r0)};
        s.c2 = {p1.x - k * r * std::cos(r1), p1.y - k * r * std::sin(r1)};
        s.end = p1;
        out.push_back(s);
    }
    return out;
}

class PathReader {
public:
    explicit PathReader(std::string_view d) : d_(d) {}

    Result<GlyphPicture> read() {
        while (true) {
            skip_space();
            if (pos_ >= d_.size()) break;
            char c = d_[pos_++];
            Status s = command(c);
            if (!s) return s.error();
        }
        if (pic_.figures.empty()) return make_error("glyph path: no figure");
        return std::move(pic_);
    }

private:
    Status command(char c) {
        switch (c) {
            case 'M': {
                float v[2];
                if (!numbers(v, 2)) return bad(c);
                begin({v[0], v[1]});
                return ok_status();
            }
            case 'L': {
                float v[2];
                if (!numbers(v, 2) || !open_) return bad(c);
                add({false, {}, {}, {v[0], v[1]}});
                return ok_status();
            }
            case 'C': {
                float v[6];
                if (!numbers(v, 6) || !open_) return bad(c);
                add({true, {v[0], v[1]}, {v[2], v[3]}, {v[4], v[5]}});
                return ok_status();
            }
            case 'A':
            case 'R': {
                float v[5];
                if (!numbers(v, 5) || !(v[2] > 0) || v[3] == v[4]) return bad(c);
                PointF from = arc_point(v[0], v[1], v[2], v[3]);
                if (c == 'R' || !open_) {
                    begin(from);
                } else if (std::hypot(from.x - last_.x, from.y - last_.y) > 1e-3f) {
                    add({false, {}, {}, from});
                }
                for (const GlyphSegment& s : arc_segments(v[0], v[1], v[2], v[3], v[4])) add(s);
                return ok_status();
            }
            case 'O': {
                float v[3];
                if (!numbers(v, 3) || !(v[2] > 0)) return bad(c);
                begin(arc_point(v[0], v[1], v[2], 0));
                for (const GlyphSegment& s : arc_segments(v[0], v[1], v[2], 0, 360)) add(s);
                close();
                return ok_status();
            }
            case 'Z':
                if (!open_) return bad(c);
                close();
                return ok_status();
            case 'F':
            case 'S':
                filled_ = c == 'F';
                open_ = false;
                return ok_status();
            default:
                return make_error(fmt::format("glyph path: unknown command '{}' at {}", c, pos_ - 1));
        }
    }

    Error bad(char c) const { return make_error(fmt::format("glyph path: bad '{}' before {}", c, pos_)); }

    void begin(PointF p) {
        GlyphFigure f;
        f.filled = filled_;
        f.start = p;
        pic_.figures.push_back(std::move(f));
        last_ = p;
        open_ = true;
    }
    void add(const GlyphSegment& s) {
        pic_.figures.back().segments.push_back(s);
        last_ = s.end;
    }
    void close() {
        pic_.figures.back().closed = true;
        open_ = false;
    }

    void skip_space() {
        while (pos_ < d_.size() && (std::isspace(static_cast<unsigned char>(d_[pos_])) || d_[pos_] == ',')) ++pos_;
    }
    bool numbers(float* out, int n) {
        for (int i = 0; i < n; ++i) {
            skip_space();
            size_t start = pos_;
            while (pos_ < d_.size() && (std::isdigit(static_cast<unsigned char>(d_[pos_])) || d_[pos_] == '.' ||
                                        d_[pos_] == '-'))
                ++pos_;
            if (pos_ == start) return false;
            std::string text(d_.substr(start, pos_ - start));
            char* end = nullptr;
            out[i] = std::strtof(text.c_str(), &end);
            if (end != text.c_str() + text.size() || !std::isfinite(out[i])) return false;
        }
        return true;
    }

    std::string_view d_;
    size_t pos_ = 0;
    GlyphPicture pic_;
    PointF last_;
    bool open_ = false, filled_ = false;
};

}  // namespace

Result<GlyphPicture> parse_glyph_path(std::string_view data) { return PathReader(data).read(); }

// ---- The table (one line icon per code point, 24 × 24 box) -----------------------------------------

namespace {

struct GlyphEntry {
    char32_t code_point;
    const char* path;
};

// Shared parts: the speaker of the volume glyphs and a rounded frame.
#define SPEAKER "M 3 9.5 L 6.5 9.5 L 11 5.5 L 11 18.5 L 6.5 14.5 L 3 14.5 Z "

// Ascending by code point.
const GlyphEntry kGlyphs[] = {
    // Wi-Fi: three arcs over a dot.
    {0xE701, "R 12 19 4.5 -45 45 R 12 19 9 -45 45 R 12 19 13.5 -45 45 F O 12 19 1.5"},
    // Bluetooth rune.
    {0xE702, "M 7 7.5 L 17 16.5 L 12 21 L 12 3 L 17 7.5 L 7 16.5"},
    // Brightness: a sun.
    {0xE706, "O 12 12 4 M 12 2.5 L 12 4.5 M 12 19.5 L 12 21.5 M 2.5 12 L 4.5 12 M 19.5 12 L 21.5 12 "
             "M 5.3 5.3 L 6.7 6.7 M 17.3 17.3 L 18.7 18.7 M 5.3 18.7 L 6.7 17.3 M 17.3 6.7 L 18.7 5.3"},
    // Map pin.
    {0xE707, "M 12 21.5 C 10 19.5 5 14.5 5 9.5 C 5 5.6 8.1 2.5 12 2.5 C 15.9 2.5 19 5.6 19 9.5 "
             "C 19 14.5 14 19.5 12 21.5 Z O 12 9.5 2.5"},
    // Moon (dark mode).
    {0xE708, "M 13.5 3.5 C 8.5 3.8 4 7.5 4 12.5 C 4 17.2 7.8 20.5 12.3 20.5 C 15.8 20.5 18.7 18.5 20 15.5 "
             "C 14.8 16.5 10.2 12.6 10.2 8 C 10.2 6.2 11.4 4.5 13.5 3.5 Z"},
    // Note: a sheet with a folded corner and two lines.
    {0xE70B, "M 4 4 L 20 4 L 20 14.5 L 14.5 20 L 4 20 Z M 20 14.5 L 14.5 14.5 L 14.5 20 "
             "M 8 9 L 16 9 M 8 12.5 L 12.5 12.5"},
    // Plus.
    {0xE710, "M 12 4 L 12 20 M 4 12 L 20 12"},
    // Cross.
    {0xE711, "M 5.5 5.5 L 18.5 18.5 M 18.5 5.5 L 5.5 18.5"},
    // Gear: a hub, a rim and eight teeth.
    {0xE713, "O 12 12 3 O 12 12 6.8 M 12 5.2 L 12 2.5 M 12 18.8 L 12 21.5 M 5.2 12 L 2.5 12 M 18.8 12 L 21.5 12 "
             "M 7.2 7.2 L 5.3 5.3 M 16.8 16.8 L 18.7 18.7 M 7.2 16.8 L 5.3 18.7 M 16.8 7.2 L 18.7 5.3"},
    // Envelope.
    {0xE715, "M 4.5 5.5 L 19.5 5.5 C 20.6 5.5 21.5 6.4 21.5 7.5 L 21.5 16.5 C 21.5 17.6 20.6 18.5 19.5 18.5 "
             "L 4.5 18.5 C 3.4 18.5 2.5 17.6 2.5 16.5 L 2.5 7.5 C 2.5 6.4 3.4 5.5 4.5 5.5 Z M 3.2 6.8 L 12 13 L 20.8 6.8"},
    // Push pin.
    {0xE718, "M 8.5 3.5 L 15.5 3.5 M 10 3.5 L 10 9.5 L 6.5 13.5 L 17.5 13.5 L 14 9.5 L 14 3.5 M 12 13.5 L 12 21"},
    // Microphone.
    {0xE720, "M 9 6 C 9 4.3 10.3 3 12 3 C 13.7 3 15 4.3 15 6 L 15 11.5 C 15 13.2 13.7 14.5 12 14.5 "
             "C 10.3 14.5 9 13.2 9 11.5 Z M 5.5 11 C 5.5 15 8.5 17.8 12 17.8 C 15.5 17.8 18.5 15 18.5 11 "
             "M 12 17.8 L 12 21 M 8.5 21 L 15.5 21"},
    // Magnifier.
    {0xE721, "O 10 10 6.5 M 14.8 14.8 L 20.5 20.5"},
    // Camera.
    {0xE722, "M 3 8 C 3 7.2 3.7 6.5 4.5 6.5 L 7.5 6.5 L 9 4.5 L 15 4.5 L 16.5 6.5 L 19.5 6.5 "
             "C 20.3 6.5 21 7.2 21 8 L 21 18 C 21 18.8 20.3 19.5 19.5 19.5 L 4.5 19.5 C 3.7 19.5 3 18.8 3 18 Z "
             "O 12 12.8 3.8"},
    // Refresh: a circling arrow.
    {0xE72C, "R 12 12.5 7.5 60 360 M 9.6 2.3 L 12.2 5 L 9.6 7.7"},
    // Padlock.
    {0xE72E, "M 6.5 11 L 17.5 11 C 18.3 11 19 11.7 19 12.5 L 19 19.5 C 19 20.3 18.3 21 17.5 21 L 6.5 21 "
             "C 5.7 21 5 20.3 5 19.5 L 5 12.5 C 5 11.7 5.7 11 6.5 11 Z M 8 11 L 8 7.5 A 12 7.5 4 270 450 L 16 11 "
             "M 12 15 L 12 17"},
    // Check mark.
    {0xE73E, "M 4 12.5 L 9.5 18 L 20 6.5"},
    // Waste bin.
    {0xE74D, "M 4 6.5 L 20 6.5 M 9.5 6.5 L 9.5 4 L 14.5 4 L 14.5 6.5 M 6 6.5 L 7 20.5 L 17 20.5 L 18 6.5 "
             "M 10 10.5 L 10 16.5 M 14 10.5 L 14 16.5"},
    // Muted speaker.
    {0xE74F, SPEAKER "M 15 9.5 L 20 14.5 M 20 9.5 L 15 14.5"},
    // Keyboard.
    {0xE765, "M 3.5 6.5 L 20.5 6.5 C 21.3 6.5 22 7.2 22 8 L 22 16.5 C 22 17.3 21.3 18 20.5 18 L 3.5 18 "
             "C 2.7 18 2 17.3 2 16.5 L 2 8 C 2 7.2 2.7 6.5 3.5 6.5 Z M 8.5 14.5 L 15.5 14.5 "
             "F O 6 10 1.1 O 10 10 1.1 O 14 10 1.1 O 18 10 1.1 O 5.8 14.5 1.1 O 18.2 14.5 1.1"},
    // Chevron left.
    {0xE76B, "M 15 4.5 L 7.5 12 L 15 19.5"},
    // Chevron right.
    {0xE76C, "M 9 4.5 L 16.5 12 L 9 19.5"},
    // Globe.
    {0xE774, "O 12 12 9 M 3 12 L 21 12 M 12 3 C 9.3 5.5 8.2 8.8 8.2 12 C 8.2 15.2 9.3 18.5 12 21 "
             "C 14.7 18.5 15.8 15.2 15.8 12 C 15.8 8.8 14.7 5.5 12 3 Z"},
    // Clipboard.
    {0xE77F, "M 8 4.5 L 6 4.5 C 5.2 4.5 4.5 5.2 4.5 6 L 4.5 20 C 4.5 20.8 5.2 21.5 6 21.5 L 18 21.5 "
             "C 18.8 21.5 19.5 20.8 19.5 20 L 19.5 6 C 19.5 5.2 18.8 4.5 18 4.5 L 16 4.5 "
             "M 9 2.8 L 15 2.8 L 15 6.3 L 9 6.3 Z M 8.5 11 L 15.5 11 M 8.5 15 L 13.5 15"},
    // Calendar.
    {0xE787, "M 5 5 L 19 5 C 20.1 5 21 5.9 21 7 L 21 19 C 21 20.1 20.1 21 19 21 L 5 21 C 3.9 21 3 20.1 3 19 "
             "L 3 7 C 3 5.9 3.9 5 5 5 Z M 3 9.5 L 21 9.5 M 8 3 L 8 6.5 M 16 3 L 16 6.5 "
             "F O 8 13.5 1.1 O 12 13.5 1.1 O 16 13.5 1.1 O 8 17.2 1.1 O 12 17.2 1.1"},
    // Eye (keep awake).
    {0xE7B3, "M 2.5 12 C 5 7.2 8.5 5 12 5 C 15.5 5 19 7.2 21.5 12 C 19 16.8 15.5 19 12 19 C 8.5 19 5 16.8 2.5 12 Z "
             "O 12 12 3"},
    // Box (shelf).
    {0xE7B8, "M 12 2.5 L 20.5 7 L 20.5 17 L 12 21.5 L 3.5 17 L 3.5 7 Z M 3.5 7 L 12 11.5 L 20.5 7 M 12 11.5 L 12 21.5"},
    // Warning triangle.
    {0xE7BA, "M 12 3.5 L 21.5 20 L 2.5 20 Z M 12 9.5 L 12 14 F O 12 17 1.1"},
    // Sleep: a moon with a small z.
    {0xE7E7, "M 11 4.5 C 7 5.3 4 8.8 4 13 C 4 17.4 7.6 21 12 21 C 15.5 21 18.4 18.8 19.5 15.7 "
             "C 14.8 16.4 10.5 12.8 10.5 8 C 10.5 6.8 10.7 5.6 11 4.5 Z M 14.5 3.5 L 19 3.5 L 14.5 8.5 L 19 8.5"},
    // Power button.
    {0xE7E8, "R 12 13 7.5 40 320 M 12 3 L 12 11"},
    // Monitor (desktop).
    {0xE7F4, "M 4 4.5 L 20 4.5 C 20.8 4.5 21.5 5.2 21.5 6 L 21.5 15.5 C 21.5 16.3 20.8 17 20 17 L 4 17 "
             "C 3.2 17 2.5 16.3 2.5 15.5 L 2.5 6 C 2.5 5.2 3.2 4.5 4 4.5 Z M 12 17 L 12 20.5 M 8 20.5 L 16 20.5"},
    // Game controller.
    {0xE7FC, "M 7 7 L 17 7 C 20 7 21.3 9.5 21.8 13 L 22.1 16 C 22.3 18.3 20 19.3 18.6 17.6 L 16.5 15 L 7.5 15 "
             "L 5.4 17.6 C 4 19.3 1.7 18.3 1.9 16 L 2.2 13 C 2.7 9.5 4 7 7 7 Z M 7 9.5 L 7 12.5 M 5.5 11 L 8.5 11 "
             "F O 16 10 1.1 O 18.2 12 1.1"},
    // House.
    {0xE80F, "M 3 11.5 L 12 3.5 L 21 11.5 M 5.5 9.5 L 5.5 20.5 L 18.5 20.5 L 18.5 9.5 "
             "M 10 20.5 L 10 15 L 14 15 L 14 20.5"},
    // Network: three linked boxes.
    {0xE839, "M 9 3 L 15 3 L 15 8 L 9 8 Z M 3 16 L 9 16 L 9 21 L 3 21 Z M 15 16 L 21 16 L 21 21 L 15 21 Z "
             "M 12 8 L 12 12 M 6 16 L 6 12 L 18 12 L 18 16"},
    // Download arrow onto a tray line.
    {0xE896, "M 12 3.5 L 12 15.5 M 6.5 10.5 L 12 16 L 17.5 10.5 M 4 20.5 L 20 20.5"},
    // Document.
    {0xE8A5, "M 6 2.5 L 14 2.5 L 19 7.5 L 19 21.5 L 6 21.5 Z M 14 2.5 L 14 7.5 L 19 7.5 M 9 12 L 16 12 M 9 16 L 16 16"},
    // Folder.
    {0xE8B7, "M 2.5 7 C 2.5 5.9 3.4 5 4.5 5 L 9.5 5 L 11.5 7.5 L 19.5 7.5 C 20.6 7.5 21.5 8.4 21.5 9.5 L 21.5 18 "
             "C 21.5 19.1 20.6 20 19.5 20 L 4.5 20 C 3.4 20 2.5 19.1 2.5 18 Z M 2.5 10.5 L 21.5 10.5"},
    // Speech bubble.
    {0xE8BD, "M 5 4.5 L 19 4.5 C 20.4 4.5 21.5 5.6 21.5 7 L 21.5 14.5 C 21.5 15.9 20.4 17 19 17 L 11 17 "
             "L 6.5 20.5 L 6.5 17 L 5 17 C 3.6 17 2.5 15.9 2.5 14.5 L 2.5 7 C 2.5 5.6 3.6 4.5 5 4.5 Z"},
    // Copy: two sheets.
    {0xE8C8, "M 15.5 5.5 L 15.5 4.5 C 15.5 3.7 14.8 3 14 3 L 4.5 3 C 3.7 3 3 3.7 3 4.5 L 3 14 "
             "C 3 14.8 3.7 15.5 4.5 15.5 L 5.5 15.5 M 10 8.5 L 19.5 8.5 C 20.3 8.5 21 9.2 21 10 L 21 19.5 "
             "C 21 20.3 20.3 21 19.5 21 L 10 21 C 9.2 21 8.5 20.3 8.5 19.5 L 8.5 10 C 8.5 9.2 9.2 8.5 10 8.5 Z"},
    // Font: a capital A.
    {0xE8D2, "M 5 20 L 12 4 L 19 20 M 7.6 14 L 16.4 14"},
    // Music note.
    {0xE8D6, "M 9 17.5 L 9 5 L 19 3 L 19 15.5 M 9 8.5 L 19 6.5 O 6.5 17.5 2.5 O 16.5 15.5 2.5"},
    // Calculator.
    {0xE8EF, "M 6.5 2.5 L 17.5 2.5 C 18.3 2.5 19 3.2 19 4 L 19 20 C 19 20.8 18.3 21.5 17.5 21.5 L 6.5 21.5 "
             "C 5.7 21.5 5 20.8 5 20 L 5 4 C 5 3.2 5.7 2.5 6.5 2.5 Z M 8 5.5 L 16 5.5 L 16 9 L 8 9 Z "
             "F O 8.8 12.6 1.1 O 12 12.6 1.1 O 15.2 12.6 1.1 O 8.8 15.8 1.1 O 12 15.8 1.1 O 15.2 15.8 1.1 "
             "O 8.8 19 1.1 O 12 19 1.1 O 15.2 19 1.1"},
    // Stopwatch.
    {0xE916, "O 12 13.5 7.5 M 10 2.8 L 14 2.8 M 12 2.8 L 12 6 M 12 13.5 L 12 9.5 M 18 6.8 L 19.5 5.3"},
    // Lightning bolt (control centre).
    {0xE945, "M 13.5 2.5 L 5 13.5 L 11.5 13.5 L 10.5 21.5 L 19 10.5 L 12.5 10.5 Z"},
    // Speaker with no, one, two and three waves.
    {0xE992, SPEAKER},
    {0xE993, SPEAKER "R 11 12 3.5 50 130"},
    {0xE994, SPEAKER "R 11 12 3.5 50 130 R 11 12 7 50 130"},
    {0xE995, SPEAKER "R 11 12 3.5 50 130 R 11 12 7 50 130 R 11 12 10.5 50 130"},
    // Pulse line (system activity).
    {0xE9D9, "M 2.5 12.5 L 7 12.5 L 9.5 6.5 L 14 18 L 16.5 12.5 L 21.5 12.5"},
    // Bell.
    {0xEA8F, "M 6 17 L 6 11 C 6 7.5 8.7 5 12 5 C 15.3 5 18 7.5 18 11 L 18 17 M 4 17 L 20 17 "
             "M 10 20 L 11.2 21.3 L 12.8 21.3 L 14 20 M 12 3 L 12 5"},
    // Cloud (weather).
    {0xEB9F, "M 7 19 C 4.2 19 2.5 17 2.5 14.7 C 2.5 12.4 4.3 10.6 6.6 10.6 C 7.3 7.6 9.8 5.5 12.8 5.5 "
             "C 16.4 5.5 19.2 8.3 19.3 11.8 C 21 12.3 21.8 13.8 21.8 15.4 C 21.8 17.4 20.2 19 18.2 19 Z"},
    // App: four tiles.
    {0xECAA, "M 4 4 L 10.5 4 L 10.5 10.5 L 4 10.5 Z M 13.5 4 L 20 4 L 20 10.5 L 13.5 10.5 Z "
             "M 4 13.5 L 10.5 13.5 L 10.5 20 L 4 20 Z M 13.5 13.5 L 20 13.5 L 20 20 L 13.5 20 Z"},
};

#undef SPEAKER

// Drawn for a code point without a picture.
const char* const kMissingGlyph =
    "M 7 5 L 17 5 C 18.1 5 19 5.9 19 7 L 19 17 C 19 18.1 18.1 19 17 19 L 7 19 C 5.9 19 5 18.1 5 17 L 5 7 "
    "C 5 5.9 5.9 5 7 5 Z";

}  // namespace

const std::array<char32_t, 40> kGlyphSheetCodePoints = {
    0xE80F, 0xE8D6, 0xE945, 0xE916, 0xE7B8, 0xE77F, 0xE70B, 0xE9D9, 0xE787, 0xE721,
    0xE713, 0xE701, 0xE702, 0xE708, 0xE7B3, 0xE720, 0xE722, 0xE7E8, 0xE72E, 0xE7F4,
    0xE8B7, 0xE765, 0xE839, 0xE7BA, 0xE718, 0xE707, 0xEB9F, 0xE73E, 0xE8D2, 0xE76B,
    0xE76C, 0xE710, 0xE711, 0xE896, 0xE8C8, 0xE992, 0xE995, 0xEA8F, 0xE7E7, 0xECAA};

// ---- Lookup ----------------------------------------------------------------------------------------

std::string_view glyph_path_data(char32_t code_point) {
    auto it = std::lower_bound(std::begin(kGlyphs), std::end(kGlyphs), code_point,
                               [](const GlyphEntry& e, char32_t c) { return e.code_point < c; });
    if (it == std::end(kGlyphs) || it->code_point != code_point) return {};
    return it->path;
}

std::vector<char32_t> glyph_table_code_points() {
    std::vector<char32_t> out;
    for (const GlyphEntry& e : kGlyphs) out.push_back(e.code_point);
    return out;
}

const GlyphPicture& glyph_picture(char32_t code_point) {
    // Parsed once for the whole table; a picture that fails to parse falls
    // back to the outline (the table test names it).
    static const GlyphPicture missing = parse_glyph_path(kMissingGlyph).value();
    static const std::unordered_map<char32_t, GlyphPicture> all = [] {
        std::unordered_map<char32_t, GlyphPicture> m;
        for (const GlyphEntry& e : kGlyphs)
            if (auto p = parse_glyph_path(e.path)) m.emplace(e.code_point, std::move(p.value()));
        return m;
    }();
    auto it = all.find(code_point);
    return it == all.end() ? missing : it->second;
}
