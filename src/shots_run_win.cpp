// The "--shots" entry on Windows: Direct2D renderers and PNG files through the
// Windows Imaging Component, both on this thread's single-threaded apartment.
#include "shots.h"
#include "sys_win.h"

void run_shots(const std::string& dir) {
    ComInit com;
    run_shots_with(dir, [](int32_t width, int32_t height) { return create_renderer(width, height, 1.0f); });
}
