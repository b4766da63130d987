// Names of the waveIn input devices, for the microphone choices.
// sys_mic_win.cpp asks Windows; the native stand-in serves a list tests set.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The product name of waveIn device `device` (up to its first NUL), or
// nothing when its capabilities cannot be read.
std::optional<std::string> input_device_name(uint32_t device);
// The number of waveIn devices.
uint32_t input_device_count();

// The names of devices first .. end − 1 in order, skipping unreadable ones.
std::vector<std::string> collect_input_device_names(uint32_t first, uint32_t end);

#ifndef _WIN32
// The native stand-in's devices; an empty entry cannot be read.
struct FakeMics {
    std::vector<std::optional<std::string>> devices;
};
FakeMics& fake_mics();
#endif
