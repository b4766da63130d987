// The null renderer measures exactly as the recording renderer does, so what
// widgets place by measured text does not move when nothing is drawn.
#include "gfx_null.h"

#include <gtest/gtest.h>

#include <string>

#include "gfx_record.h"

namespace {

TEST(NullRenderer, MeasuresWithTheRecordingMetrics) {
    struct Case {
        std::string text;
        float size, width;
        FontFamily family;
    };
    const Case cases[] = {
        {"", 14, 100, FontFamily::Text},
        {"Git", 13, 100, FontFamily::Text},
        {"G\xC3\xBCnayd\xC4\xB1n", 15, 40, FontFamily::Display},  // code points, not bytes
        {"\xEE\x9C\xA1", 16, 5, FontFamily::Icons},               // an icon glyph is 1 × size
        {std::string(200, 'x'), 12.5f, 500, FontFamily::Text},    // several wrapped lines
    };
    NullRenderer none;
    RecordingRenderer rec;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(none.measure_text(c.text, c.size, c.family, 600), rec.measure_text(c.text, c.size, c.family, 600));
        EXPECT_EQ(none.measure_wrapped(c.text, c.width, c.size, 400), rec.measure_wrapped(c.text, c.width, c.size, 400));
    }
}

}  // namespace
