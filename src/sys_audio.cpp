// The device-free rules of the audio and brightness services.
#include <algorithm>
#include <cmath>

#include "sys_audio.h"

EndpointCacheStep endpoint_cache_step(double now, double refreshed_at, bool has_endpoint, EndpointWatch watch) {
    if (now < refreshed_at) return EndpointCacheStep::Unavailable;
    // The system says when the devices change, so nothing is looked up before that.
    if (watch == EndpointWatch::Changed) return EndpointCacheStep::Refresh;
    if (watch == EndpointWatch::Quiet)
        return has_endpoint ? EndpointCacheStep::UseCached : EndpointCacheStep::Unavailable;
    // A failed lookup is not retried at once either: on a machine without the
    // device every 150 ms poll would load the audio driver again.
    if (now - refreshed_at <= kEndpointCacheSeconds)
        return has_endpoint ? EndpointCacheStep::UseCached : EndpointCacheStep::Unavailable;
    return EndpointCacheStep::Refresh;
}

void set_master_volume(EndpointVolumeCache& cache, float level) {
    endpoint_set_level(cache, std::clamp(level, 0.0f, 1.0f));
    // A level the user raises must be heard, so it lifts a mute as well.
    if (level > kUnmuteAbove) set_master_mute(cache, false);
}

float brightness_of(const DisplayBrightness& reading) {
    return (reading.policy == 2 ? reading.dc : reading.ac) / 100.0f;
}

std::vector<uint8_t> brightness_levels_from(const uint8_t* bytes, size_t count) {
    std::vector<uint8_t> levels(bytes, bytes + count);
    std::sort(levels.begin(), levels.end());
    levels.erase(std::unique(levels.begin(), levels.end()), levels.end());
    return levels;
}

uint8_t brightness_value_to_send(const std::vector<uint8_t>& levels, float level) {
    float clamped = std::isnan(level) ? 0.0f : std::clamp(level, 0.0f, 1.0f);
    int percent = static_cast<int>(std::lround(clamped * 100.0f));
    if (levels.empty()) return static_cast<uint8_t>(percent);
    uint8_t best = levels.front();
    for (uint8_t v : levels)  // ascending, so a later level wins only when strictly nearer
        if (std::abs(v - percent) < std::abs(best - percent)) best = v;
    return best;
}
