// The island's one palette: 8-bit colours with an alpha, primary text white,
// secondary and tertiary white at lower alpha, the pill pure black.
#pragma once
#include "gfx_types.h"

namespace palette {
constexpr Color kBlack{0, 0, 0, 1};
constexpr Color kWhite = rgb(255, 255, 255);
constexpr Color kSecondary = rgb(255, 255, 255, 0.62f);
constexpr Color kTertiary = rgb(255, 255, 255, 0.4f);
constexpr Color kBlue = rgb(10, 132, 255);
constexpr Color kGreen = rgb(50, 215, 75);
constexpr Color kOrange = rgb(255, 159, 10);
constexpr Color kRed = rgb(255, 69, 58);
constexpr Color kPurple = rgb(191, 90, 242);
constexpr Color kLightBlue = rgb(100, 210, 255);
constexpr Color kYellow = rgb(255, 214, 10);
constexpr Color kIndigo = rgb(94, 92, 230);
constexpr Color kSky = rgb(71, 163, 255);
constexpr Color kGrey = rgb(142, 142, 147);
constexpr Color kInk = rgb(28, 28, 30);  // dark labels on coloured buttons
}  // namespace palette

// The colour with another alpha.
constexpr Color with_alpha(Color c, float a) {
    c.a = a;
    return c;
}
