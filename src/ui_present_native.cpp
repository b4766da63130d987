#include "ui_frame.h"

// No window natively: frames stay in the bitmap.
void present_frame(App&, const RectI&) {}
