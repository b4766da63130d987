// The screenshot mode ("--shots [folder]"): a quiet App with fake data is driven
// through a fixed script of scenes by synthetic clicks found through the hit
// regions of the last render; each scene leaves one PNG and its checks, and a
// plain-text report collects one verdict line per check and the failure count.
//
// Index
//   Report and checks
//   Fake data
//   Input and capture
//   The run and its scenes
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app.h"
#include "gfx.h"
#include "search.h"
#include "steam.h"
#include "sysmon.h"
#include "weather.h"

// ---- Report and checks ------------------------------------------------------------------

struct ShotsReport {
    std::string text;
    uint32_t failures = 0;
};

// "  [OK] {}" or "  [FAIL] {}"; a FAIL counts one failure.
void shot_check(ShotsReport& report, std::string_view description, bool pass);

// ---- Fake data --------------------------------------------------------------------------

// A soft n × n picture with a bright spot (BGRA, opaque).
ImageRef make_test_image(uint32_t n);
// A 260 × 121 striped cover, varied by k.
ImageRef make_fake_album_art(uint32_t k);
std::vector<AppEntry> make_fake_app_entries(const std::vector<std::string>& names);
// Numbered from `first`; last played i × 3 days before `now_unix`.
std::vector<SteamGameEntry> make_fake_steam_games(const std::vector<std::pair<std::string, double>>& games,
                                                  uint32_t first, int64_t now_unix);
SysmonSnapshot make_fake_sysmon();
WeatherSnapshot make_fake_weather();
// Mail "m{digit}" from `from` with the fixed meeting snippet.
MailItem make_fake_mail(char digit, std::string from, std::string subject, bool unread);
// The mean colour of a picture, lifted toward a lively accent (0..1 per channel, r g b).
std::array<float, 3> accent_of(const Image& image);

// ---- Input and capture --------------------------------------------------------------------

// One frame of the script.
constexpr float kShotTick = 1.0f / 120.0f;
void shot_ticks(App& app, int n);

// Move, press, one tick, release at a window point; what the release hit.
bool simulate_click(App& app, float x, float y);

// The newest region bound to `a`, or nothing.
const HitRegion* shot_region(const App& app, const Action& a);
// Clicks the newest region bound to `a`; a missing one adds the "!! hit" line.
bool click_action(App& app, const Action& a, ShotsReport& report);

// The crop of a frame at UI scale s from a W × H surface: the columns 50 s..850 s
// and the rows 0..370 s, clipped to the surface.
struct ShotCrop {
    int32_t x0 = 0, x1 = 0, height = 0;
    int32_t width() const { return x1 - x0; }
};
ShotCrop shot_crop(float scale, int32_t surface_width, int32_t surface_height);
// The cropped premultiplied BGRA frame laid over the synthetic desktop, opaque.
std::vector<uint8_t> composite_over_desktop(const uint8_t* pixels, int32_t stride_pixels, const ShotCrop& crop);

// Redraws the whole surface through App::render and writes {dir}/{name}.png (when
// the renderer has pixels); appends the shot line.
void capture_shot(App& app, const std::string& dir, const std::string& name, ShotsReport& report);

// ---- The run and its scenes -----------------------------------------------------------------

// Makes an offscreen renderer of width × height pixels at scale 1.
using RendererMaker = std::function<Result<std::unique_ptr<Renderer>>(int32_t width, int32_t height)>;

// Everything a scene works with.
struct ShotsRun {
    App& app;
    std::string dir;
    ShotsReport& report;
    Shared<MediaSnapshot> media;
    SharedAppsIndex apps;
    std::vector<std::string> dropped;  // the files dropped on the island in the shelf scene
};

// The files of the shelf scene on Windows.
extern const std::vector<std::string> kShotsDroppedFiles;

// The whole mode on renderers from `make`: every scene, the glyph sheet and report.txt.
// Returns the report written.
ShotsReport run_shots_with(const std::string& dir, const RendererMaker& make,
                           const std::vector<std::string>& dropped = kShotsDroppedFiles);
// The program's "--shots" entry (Windows: Direct2D renderers, PNG files).
void run_shots(const std::string& dir);

// Scenes 01 to 49 with the loop of heads-up notices.
void run_shots_scenes(ShotsRun& run);
// Scenes 50 to 68: Google, the assistant and voice, with the script playing the Google worker.
void run_shots_google_scenes(ShotsRun& run);
// The icon font's 40 code points drawn into an 800 × 420 sheet, 99-glyphs.png.
void write_glyph_sheet(const std::string& dir, const RendererMaker& make, ShotsReport& report);
