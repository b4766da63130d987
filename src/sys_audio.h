// Audio endpoint volume, display brightness and the island's sounds.
// The Windows implementation is sys_audio_win.cpp; the native stand-in reports
// every device as unavailable.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// Platform objects behind the caches (COM interfaces, the panel's handle).
struct EndpointPlatform;
struct BrightnessPlatform;

struct EndpointVolumeCache {
    double refreshed_at = -60;  // monotonic seconds of the last lookup
    uint32_t flow = 0;          // 0 speakers, 1 microphone
    std::shared_ptr<EndpointPlatform> platform;
};

struct BrightnessDevice {
    bool present = false;
    std::shared_ptr<BrightnessPlatform> platform;
    std::vector<uint8_t> levels;  // ascending, no duplicates
};

struct VolumeReading {
    bool muted = false;
    float level = 0;  // 0..1
};

// Opens the panel's brightness device; not present when it cannot be opened.
BrightnessDevice open_brightness_device();
