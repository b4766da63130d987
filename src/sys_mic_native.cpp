#include "sys_mic.h"

FakeMics& fake_mics() {
    static FakeMics m;
    return m;
}

uint32_t input_device_count() { return static_cast<uint32_t>(fake_mics().devices.size()); }

std::optional<std::string> input_device_name(uint32_t device) {
    const auto& devices = fake_mics().devices;
    if (device >= devices.size()) return std::nullopt;
    return devices[device];
}
