#include <gtest/gtest.h>

#include "sys_audio.h"

TEST(Brightness, RequestSnapsToTheNearestSupportedLevel) {
    struct Case { std::vector<uint8_t> levels; float request; uint8_t want; };
    const Case cases[] = {
        {{0, 25, 50, 75, 100}, 0.62f, 50},   // 62 is 12 from 50 and 13 from 75
        {{0, 25, 50, 75, 100}, 0.625f, 75},  // rounds to 63
        {{40, 60}, 0.5f, 40},                // a tie goes to the lower level
        {{40, 60}, 0.51f, 60},
        {{40, 60}, 0.0f, 40},
        {{40, 60}, 1.7f, 60},                // clamped to 100 first
        {{}, 0.333f, 33},                    // no levels: the percent itself
        {{}, -1.0f, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(brightness_value_to_send(c.levels, c.request), c.want) << c.request;
}

TEST(Brightness, ReportedLevelsAreSortedWithoutDuplicates) {
    const uint8_t reported[] = {10, 10, 40, 20, 40};
    EXPECT_EQ(brightness_levels_from(reported, 5), (std::vector<uint8_t>{10, 20, 40}));
    EXPECT_TRUE(brightness_levels_from(reported, 0).empty());
}

TEST(Brightness, QueryReadsTheLevelOfThePolicyInForce) {
    EXPECT_FLOAT_EQ(brightness_of({2, 80, 30}), 0.30f);
    EXPECT_FLOAT_EQ(brightness_of({1, 80, 30}), 0.80f);
    EXPECT_FLOAT_EQ(brightness_of({3, 100, 30}), 1.0f);
}

TEST(EndpointCache, CachedForThreeSecondsAndShutBeforeItsStamp) {
    struct Case { double now, stamp; bool has; EndpointCacheStep want; };
    const Case cases[] = {
        {100.0, 99.0, true, EndpointCacheStep::UseCached},     // 1 s later: the same interface
        {103.0, 100.0, true, EndpointCacheStep::UseCached},    // exactly 3 s still counts
        {103.5, 100.0, true, EndpointCacheStep::Refresh},      // looked up again
        {100.5, 100.0, false, EndpointCacheStep::Unavailable},  // a failed lookup is not retried at once
        {103.0, 100.0, false, EndpointCacheStep::Unavailable},
        {103.5, 100.0, false, EndpointCacheStep::Refresh},      // but after 3 s
        {100.0, 100.0 + 31536000, true, EndpointCacheStep::Unavailable},  // quiet mode stamps a year ahead
        {100.0, -60.0, false, EndpointCacheStep::Refresh},
    };
    for (const Case& c : cases) EXPECT_EQ(endpoint_cache_step(c.now, c.stamp, c.has), c.want) << c.now << " " << c.stamp;
}

TEST(EndpointCache, WithDeviceReportsLooksUpOnlyAfterAChange) {
    struct Case { double now, stamp; bool has; EndpointWatch watch; EndpointCacheStep want; };
    const Case cases[] = {
        {500.0, 100.0, true, EndpointWatch::Quiet, EndpointCacheStep::UseCached},     // long after: still cached
        {500.0, 100.0, false, EndpointWatch::Quiet, EndpointCacheStep::Unavailable},  // no device, none added
        {100.5, 100.0, true, EndpointWatch::Changed, EndpointCacheStep::Refresh},     // a new default: at once
        {100.5, 100.0, false, EndpointWatch::Changed, EndpointCacheStep::Refresh},    // a device arrived
        {100.0, 100.0 + 31536000, true, EndpointWatch::Changed, EndpointCacheStep::Unavailable},  // quiet mode
        {103.5, 100.0, true, EndpointWatch::None, EndpointCacheStep::Refresh},        // a failed read: timed again
    };
    for (const Case& c : cases)
        EXPECT_EQ(endpoint_cache_step(c.now, c.stamp, c.has, c.watch), c.want) << c.now << " " << int(c.watch);
}
