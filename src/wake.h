// The wake-word listener's process-wide switches: written by the user-interface
// thread (start-up, tray menu), read by the listener thread.
#pragma once
#include <atomic>
#include <cstdint>

// The listener reacts to the wake word only while this is set.
extern std::atomic<bool> wake_enabled;
// Detection threshold factor of the stored sensitivity level.
extern std::atomic<float> wake_sensitivity;

// 0.85, 1.0 or 1.18 for the levels 0, 1, 2; anything above 2 counts as 2.
float sensitivity_for_level(uint8_t level);

// Whether the taught model `wake.bin` in the data folder exists (its content is not read).
bool wake_model_exists();
