// The wake-word listener's process-wide switches.
#include "wake.h"

#include <algorithm>
#include <array>

#include "sys_log.h"
#include "sys_os.h"

std::atomic<bool> wake_enabled{true};
std::atomic<bool> wake_reload{true};
std::atomic<bool> wake_paused{false};
std::atomic<float> wake_sensitivity{1.0f};

float sensitivity_for_level(uint8_t level) {
    static constexpr std::array<float, 3> kFactors = {0.85f, 1.0f, 1.18f};
    return kFactors[std::min<uint8_t>(level, 2)];
}

bool wake_model_exists() { return file_info(data_file("wake.bin")).has_value(); }
