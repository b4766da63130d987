#include "sys_audio.h"

// No display control natively.
BrightnessDevice open_brightness_device() { return BrightnessDevice{}; }
