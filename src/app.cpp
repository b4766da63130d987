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
    island.cal_year = today.year;
    island.cal_month = today.month;
    drawing.renderer = std::move(init.renderer);
    drawing.window = init.window;
    island.quiet = init.quiet;
    media.shared = std::move(init.media);
    media.tx = std::move(init.media_tx);
    search_page.apps = std::move(init.apps);

    // 2. Defaults are in the member initialisers. The audio caches refresh on
    //    first use; in quiet mode they never do.
    double mono = monotonic_seconds();
    audio.out_cache.flow = 0;
    audio.mic_cache.flow = 1;
    audio.out_cache.refreshed_at = audio.mic_cache.refreshed_at = island.quiet ? mono + kYearSeconds : mono - 60.0;
    if (!island.quiet) audio.brightness_device = open_brightness_device();
    audio.brightness_ok = audio.brightness_device.present && !audio.brightness_device.levels.empty();

    // 3. Power status; a failed query leaves 0 % on battery.
    if (auto p = read_power_status()) {
        island.battery = p->percent > 100 ? 100 : p->percent;
        island.on_ac = p->on_ac;
    }

    // 4. Theme (quiet mode draws dark).
    settings.dark_mode = island.quiet ? true : read_dark_mode();

    // 5. Stored settings and lists, then the autostart value.
    if (!island.quiet) {
        if (auto text = read_file(state_path())) load_state_text(*text);
        settings.autostart = read_autostart();
    }

    // 6. Scale and the city field.
    drawing.scale = scale_for_size(settings.size);
    settings.city_edit = settings.city;
}

App::~App() {
    // Release in declaration order, the renderer first.
    drawing.renderer.reset();
    drawing.hits.clear();
    media.tx = Sender<MediaCommand>();
    audio.brightness_device = BrightnessDevice();
    audio.out_cache.platform.reset();
    audio.mic_cache.platform.reset();
    weather.tx = Sender<std::string>();
    lists.shelf.clear();
    lists.clips.clear();
    update.tx = Sender<UpdateRequest>();
    google.tx = Sender<GoogleCommand>();
    voice.capture.reset();
    voice.mic_test.reset();
}

float scale_for_size(uint8_t size) {
    switch (size < 2 ? size : 2) {
        case 0: return 0.88f;
        case 1: return 1.0f;
        default: return 1.12f;
    }
}
