// The App's construction and release.
#include "app.h"

#include "gfx.h"
#include "sys_desktop.h"
#include "sys_log.h"
#include "sys_os.h"

namespace {
constexpr double kYearSeconds = 31536000.0;
}

App::App(AppInit init) {
    // 1. Local date for the calendar; the renderer.
    LocalTime today = local_time();
    cal_year = today.year;
    cal_month = today.month;
    renderer = std::move(init.renderer);
    window = init.window;
    quiet = init.quiet;
    media_shared = std::move(init.media);
    media_tx = std::move(init.media_tx);
    apps = std::move(init.apps);

    // 2. Defaults are in the member initialisers. The audio caches refresh on
    //    first use; in quiet mode they never do.
    double mono = monotonic_seconds();
    out_cache.flow = 0;
    mic_cache.flow = 1;
    out_cache.refreshed_at = mic_cache.refreshed_at = quiet ? mono + kYearSeconds : mono - 60.0;
    if (!quiet) brightness_device = open_brightness_device();
    brightness_ok = brightness_device.present && !brightness_device.levels.empty();

    // 3. Power status; a failed query leaves 0 % on battery.
    if (auto p = read_power_status()) {
        battery = p->percent > 100 ? 100 : p->percent;
        on_ac = p->on_ac;
    }

    // 4. Theme (quiet mode draws dark).
    dark_mode = quiet ? true : read_dark_mode();

    // 5. Stored settings and lists, then the autostart value.
    if (!quiet) {
        if (auto text = read_file(state_path())) load_state_text(*text);
        autostart = read_autostart();
    }

    // 6. Scale and the city field.
    scale = scale_for_size(size);
    city_edit = city;
}

App::~App() {
    // Release in declaration order, the renderer first.
    renderer.reset();
    hits.clear();
    media_tx = Sender<MediaCommand>();
    brightness_device = BrightnessDevice();
    out_cache.platform.reset();
    mic_cache.platform.reset();
    weather_tx = Sender<std::string>();
    shelf.clear();
    clips.clear();
    update_tx = Sender<UpdateRequest>();
    google_tx = Sender<GoogleCommand>();
    voice_capture.reset();
    mic_test.reset();
}

float scale_for_size(uint8_t size) {
    switch (size < 2 ? size : 2) {
        case 0: return 0.88f;
        case 1: return 1.0f;
        default: return 1.12f;
    }
}
