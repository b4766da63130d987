#include "sys_num.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(ShortestDecimal, NeverUsesAnExponent) {
    struct Case {
        double v;
        const char* text;
    };
    const Case cases[] = {
        {300.0, "300"},
        {299.5, "299.5"},
        {0.001, "0.001"},
        {0.1, "0.1"},
        {0.0, "0"},
        {-2.5, "-2.5"},
        {0.30000000000000004, "0.30000000000000004"},
        {1e21, "1000000000000000000000"},
        {1e-7, "0.0000001"},
        {1.5e-10, "0.00000000015"},
        {1.2345678901234568e20, "123456789012345680000"},
        {1.25, "1.25"},
        {1e23, "100000000000000000000000"},
        {-0.0, "-0"},
        {kInf, "inf"},
        {-kInf, "-inf"},
        {kNaN, "nan"},
        {-kNaN, "nan"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(shortest_decimal(c.v), c.text);
    }
}

TEST(ShortestDecimal, ExtremesReadBackExactly) {
    const double values[] = {5e-324, 2.2250738585072014e-308, 1.7976931348623157e308, 1e23, -1e300,
                             123.456, 1.0 / 3.0, 9007199254740993.0};
    for (double v : values) {
        const std::string text = shortest_decimal(v);
        SCOPED_TRACE(text);
        EXPECT_EQ(text.find_first_of("eE"), std::string::npos);
        const auto back = parse_double(text);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(*back, v);
    }
    EXPECT_EQ(shortest_decimal(5e-324).size(), 2u + 324u);
}

// A float keeps the digits of a float: 0.1f is "0.1", not the double it widens to.
TEST(ShortestDecimal, FloatsUseTheirOwnShortestDigits) {
    struct Case {
        float v;
        const char* text;
    };
    const Case cases[] = {
        {0.1f, "0.1"}, {1.12f, "1.12"}, {0.88f, "0.88"}, {16777216.0f, "16777216"},
        {1e10f, "10000000000"}, {3.4028235e38f, "340282350000000000000000000000000000000"}, {1e-45f, "0.000000000000000000000000000000000000000000001"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(shortest_decimal(c.v), c.text);
    }
}

TEST(FixedDecimals, CommaAndPointWithRoundToNearest) {
    struct Case {
        double v;
        int decimals;
        const char* comma;
    };
    const Case cases[] = {
        {2.5, 1, "2,5"},
        {1023.6, 0, "1024"},
        {2.35, 1, "2,4"},    // 2.35 is stored a little above 2.35
        {2.25, 1, "2,2"},    // an exact tie goes to the even digit
        {0.5, 0, "0"},
        {1.5, 0, "2"},
        {-0.04, 1, "-0,0"},
        {1e20, 2, "100000000000000000000,00"},
        {3.14159, 3, "3,142"},
        {7.0, -2, "7"},      // negative decimals act as zero
        {kNaN, 1, "0"},
        {kInf, 2, "0"},
        {-kInf, 0, "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.comma);
        EXPECT_EQ(fixed_comma(c.v, c.decimals), c.comma);
        std::string point = c.comma;
        for (char& ch : point)
            if (ch == ',') ch = '.';
        EXPECT_EQ(fixed_point(c.v, c.decimals), point);
    }
}

TEST(Saturating, SignedConversions) {
    struct Case {
        double v;
        int64_t i64;
        int32_t i32;
    };
    constexpr int64_t kMax64 = std::numeric_limits<int64_t>::max();
    constexpr int64_t kMin64 = std::numeric_limits<int64_t>::min();
    constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();
    const Case cases[] = {
        {kNaN, 0, 0},
        {2.9, 2, 2},
        {-2.9, -2, -2},
        {2147483647.5, 2147483647, kMax32},
        {2147483648.0, 2147483648, kMax32},
        {-2147483648.9, -2147483648, kMin32},
        {-2147483649.0, -2147483649, kMin32},
        {9223372036854775807.0, kMax64, kMax32},  // the literal rounds to 2^63
        {-9223372036854775808.0, kMin64, kMin32},
        {9223372036854774784.0, 9223372036854774784, kMax32},
        {1e300, kMax64, kMax32},
        {-1e300, kMin64, kMin32},
        {kInf, kMax64, kMax32},
        {-kInf, kMin64, kMin32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.v);
        EXPECT_EQ(sat_i64(c.v), c.i64);
        EXPECT_EQ(sat_i32(c.v), c.i32);
    }
}

TEST(Saturating, UnsignedConversions) {
    struct Case {
        double v;
        uint64_t u64;
        uint32_t u32;
        uint16_t u16;
        uint8_t u8;
    };
    constexpr uint64_t kMax64 = std::numeric_limits<uint64_t>::max();
    const Case cases[] = {
        {kNaN, 0, 0, 0, 0},
        {-0.5, 0, 0, 0, 0},
        {-1e9, 0, 0, 0, 0},
        {-kInf, 0, 0, 0, 0},
        {255.9, 255, 255, 255, 255},
        {256.0, 256, 256, 256, 255},
        {65536.0, 65536, 65536, 65535, 255},
        {4294967295.9, 4294967295u, 4294967295u, 65535, 255},
        {5e9, 5000000000u, 4294967295u, 65535, 255},
        {18446744073709549568.0, 18446744073709549568u, 4294967295u, 65535, 255},
        {18446744073709551616.0, kMax64, 4294967295u, 65535, 255},
        {kInf, kMax64, 4294967295u, 65535, 255},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.v);
        EXPECT_EQ(sat_u64(c.v), c.u64);
        EXPECT_EQ(sat_u32(c.v), c.u32);
        EXPECT_EQ(sat_u16(c.v), c.u16);
        EXPECT_EQ(sat_u8(c.v), c.u8);
    }
}

TEST(ParseDouble, AcceptsOneSignAndNothingAround) {
    struct Good {
        const char* text;
        double v;
    };
    const Good good[] = {
        {"1", 1.0},     {"-1.5", -1.5}, {"+2.5", 2.5},  {".5", 0.5},       {"5.", 5.0},
        {"1e3", 1000},  {"1E-2", 0.01}, {"+1e+2", 100}, {"0.1", 0.1},      {"300", 300},
        {"inf", kInf},  {"-inf", -kInf}, {"+Infinity", kInf},
        {"0.30000000000000004", 0.30000000000000004},
    };
    for (const auto& g : good) {
        SCOPED_TRACE(g.text);
        const auto v = parse_double(g.text);
        ASSERT_TRUE(v.has_value());
        EXPECT_EQ(*v, g.v);
    }
    const auto neg_zero = parse_double("-0");
    ASSERT_TRUE(neg_zero.has_value());
    EXPECT_TRUE(std::signbit(*neg_zero));
    const auto nan = parse_double("nan");
    ASSERT_TRUE(nan.has_value());
    EXPECT_TRUE(std::isnan(*nan));

    const char* bad[] = {"", "+", "-", " 1", "1 ", "1,5", "+-1", "-+1", "++1", "--1",
                         "1e", "0x10", "1e400", "1e-400", "abc", "1.2.3", "\xD9\xA1"};
    for (const char* b : bad) {
        SCOPED_TRACE(b);
        EXPECT_FALSE(parse_double(b).has_value());
    }
}

TEST(ParseIntegers, StrictDecimalWithRangeChecks) {
    EXPECT_EQ(parse_i64("0"), 0);
    EXPECT_EQ(parse_i64("+5"), 5);
    EXPECT_EQ(parse_i64("-5"), -5);
    EXPECT_EQ(parse_i64("007"), 7);
    EXPECT_EQ(parse_i64("9223372036854775807"), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(parse_i64("-9223372036854775808"), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(parse_u64("18446744073709551615"), std::numeric_limits<uint64_t>::max());
    EXPECT_EQ(parse_u64("+7"), 7u);

    const char* bad_i64[] = {"", "+", "-", "+-1", "-+1", "--1", "++1", " 1", "1 ", "1.0",
                             "0x1", "9223372036854775808", "-9223372036854775809", "\xD9\xA1"};
    for (const char* b : bad_i64) {
        SCOPED_TRACE(b);
        EXPECT_FALSE(parse_i64(b).has_value());
    }
    const char* bad_u64[] = {"", "+", "-0", "-1", "++7", "+-7", " 7", "7 ", "18446744073709551616", "1e3"};
    for (const char* b : bad_u64) {
        SCOPED_TRACE(b);
        EXPECT_FALSE(parse_u64(b).has_value());
    }
}

}  // namespace
