// The application object of the user-interface thread.
//
// Index
//   Records of the core's lists (notes, shelf, clipboard history)
//   Clocks of the time page (countdown, stopwatch, pomodoro)
//   Voice and teaching records
//   App: the twenty field groups, in release order
//   App operations, grouped by the file that implements them
#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "app_types.h"
#include "gfx.h"
#include "google.h"
#include "media.h"
#include "notifications.h"
#include "remind.h"
#include "search.h"
#include "steam.h"
#include "sys_audio.h"
#include "sys_image.h"
#include "sys_shared.h"
#include "sysmon.h"
#include "update.h"
#include "voice.h"
#include "weather.h"

// An opaque window handle (HWND on Windows).
using WindowHandle = void*;

// ---- Records of the core's lists ----------------------------------------------

struct NoteItem {
    std::string text;
    uint64_t id = 0;
    float fade = 0;  // done-fade, 1 when done
    bool done = false;
};

struct ShelfItem {
    std::string path;    // as received; what state.txt stores
    std::string name;    // last path component
    std::string detail;  // "Klasör", "{EXT} · {size}" or the size
    ImageRef thumbnail;
    uint64_t id = 0;
};

struct ClipEntry {
    struct Text { std::string text; };
    struct Files { std::vector<std::string> paths; };
    struct Picture { ImageRef thumbnail; ImageRef full; };
    std::string time;  // "HH:MM"
    std::variant<Text, Files, Picture> kind;
    uint64_t id = 0;
    bool pinned = false;
};

// ---- Clocks of the time page ------------------------------------------------------

struct Countdown {
    double length = 300, remaining = 300, end = 0;
    bool running = false;
};

struct Stopwatch {
    std::vector<double> laps;
    double start = 0, accumulated = 0;
    bool running = false;
};

enum class PomoPhase : uint8_t { Focus = 0, ShortBreak = 1, LongBreak = 2 };

struct Pomodoro {
    double end = 0, remaining = 1500;
    uint32_t completed = 0;
    uint32_t minutes = 25;
    PomoPhase phase = PomoPhase::Focus;
    bool running = false;
};

// ---- Voice records ------------------------------------------------------------------

struct WakeTeaching {
    std::optional<std::vector<std::vector<int16_t>>> takes;  // none = not teaching
    uint32_t take = 0;
    uint32_t retries = 0;
    std::optional<double> next_take;
};

struct PressRecord {
    double time = 0;
    float x = 0, y = 0;
};

// ---- The App --------------------------------------------------------------------------

struct AppInit {
    WindowHandle window = nullptr;
    std::unique_ptr<Renderer> renderer;
    Shared<MediaSnapshot> media;
    Sender<MediaCommand> media_tx;
    SharedAppsIndex apps;
    bool quiet = false;
};

struct App {
    explicit App(AppInit init);
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // 1. Drawing
    std::unique_ptr<Renderer> renderer;
    std::vector<HitRegion> hits;
    float scale = 1.0f;
    WindowHandle window = nullptr;
    int window_x = 0, window_y = 0;
    bool redraw = true;
    bool full_present = true;

    // 2. Notice texts
    std::string hud_title, hud_body;
    HudKind hud = HudKind::Volume;
    bool hud_shown = false;
    double hud_until = 0;

    // 3. Media
    Shared<MediaSnapshot> media_shared;
    Sender<MediaCommand> media_tx;
    MediaSnapshot media;
    double media_changed = -100;

    // 4. Audio
    EndpointVolumeCache out_cache, mic_cache;
    float volume = 0, mic_level = 0, brightness = 0;
    bool muted = false, mic_muted = false;
    bool brightness_ok = false;
    BrightnessDevice brightness_device;
    double brightness_changed = -100;

    // 5. Hot-key labels
    std::string hotkey_label = "Ctrl + Alt + Boşluk";
    std::string voice_hotkey_label;

    // 6. System monitor
    Shared<SysmonSnapshot> sysmon_shared;
    SysmonSnapshot sysmon;

    // 7. Weather
    Shared<WeatherSnapshot> weather_shared;
    Sender<std::string> weather_tx;
    WeatherSnapshot weather;

    // 8. Timers
    Stopwatch stopwatch;
    Countdown countdown;
    Pomodoro pomo;

    // 9. Deferred effects
    std::vector<PendingEffect> pending;
    bool skip_focus_restore = false;

    // 10. Page lists
    std::vector<ShelfItem> shelf;       // oldest first, at most 30
    std::vector<ClipEntry> clips;       // newest first
    std::vector<NoteItem> notes;        // newest first
    std::vector<ReminderItem> reminders;  // by due time
    uint64_t next_id = 1;

    // 11. Notices waiting
    std::deque<std::pair<std::string, std::string>> notice_queue;

    // 12. Notifications
    Shared<NotificationState> notif_shared;
    std::vector<AppNotification> notifications;  // at most 80
    std::deque<AppNotification> toast_queue;     // at most 6
    std::optional<AppNotification> toast;
    std::string notif_status;
    uint32_t unread_badge = 0;

    // 13. Steam
    Shared<SteamSnapshot> steam_shared;
    std::optional<SteamActiveDownload> steam_download;
    SteamSnapshot steam;

    // 14. Update
    Shared<UpdateState> update_shared;
    Sender<UpdateRequest> update_tx;
    std::string update_status;

    // 15. Google
    Shared<GoogleState> google_shared;
    Sender<GoogleCommand> google_tx;
    GoogleState google;

    // 16. Voice
    std::optional<MicCapture> voice_capture;
    std::array<float, 32> level_history{};
    VoiceState voice = VoiceState::Idle;
    std::string voice_answer;
    double voice_until = 0;
    WakeTeaching teaching;
    std::optional<MicCapture> mic_test;
    float mic_test_peak = 0;
    std::optional<PressRecord> press;
    std::optional<double> hold_talk_start;

    // 17. Settings
    std::string brief;
    std::string city_edit;
    std::vector<SearchRow> search_rows;
    SharedAppsIndex apps;
    std::string city = "İstanbul";
    std::string mic;
    bool hover_open = false, clip_hud = true, key_hud = true, dl_hud = true, auto_shelf = true;
    bool hide_fs = true, hide_chrome = true, glow = true, app_notif = true, wake = true, dnd = false;
    uint8_t size = 1, wake_sens = 1;
    bool autostart = false;
    bool dark_mode = false;

    // 18. Clock and pointer
    double now = 0;
    float pointer_x = -1, pointer_y = -1;
    float press_x = 0, press_y = 0;
    bool pointer_inside = false;
    double pointer_entered = 0;
    bool button_held = false;
    float zoom = 1.0f, shift = 0.0f;
    std::optional<double> close_deadline;

    // 19. Island state
    IslandMode mode = IslandMode::idle();
    IslandMode prev_mode = IslandMode::none();
    double mode_changed = -10;
    int8_t slide_dir = 0;
    bool open = false;
    Page page = Page::Home;
    Page remembered_page = Page::Home;
    TextField focus = TextField::None;
    Action hovered = Action::none();
    Action pressed = Action::none();
    double hover_start = 0;
    std::optional<uint8_t> slider_grab;
    bool drag_out = false;
    bool drag_hover = false;
    uint8_t bubble_act = kNoAct;
    bool fullscreen_front = false, browser_front = false;
    bool on_ac = false;
    uint8_t battery = 0;
    int64_t display_key = -1;
    bool quiet = false;

    // 20. Animation
    Spring width = Spring::make(126, 194.96f, 19.55f, 0.05f);
    Spring height = Spring::make(34, 194.96f, 19.55f, 0.05f);
    Spring radius = Spring::make(17, 194.96f, 19.55f, 0.05f);
    Spring squash = Spring::make(1, 503.55f, 24.68f, 0.0015f);
    Spring visibility = Spring::make(1, 385.53f, 39.27f, 0.002f);
    Spring bubble = Spring::make(0, 130.51f, 14.17f, 0.002f);
    Spring glow_strength = Spring::make(0, 61.69f, 15.71f, 0.003f);
    Spring hover = Spring::make(0, 1218.47f, 69.81f, 0.003f);
    Spring tab_reveal = Spring::make(0, 438.65f, 37.70f, 0.003f);
    Spring equaliser = Spring::make(0, 109.66f, 20.94f, 0.003f);
    Spring search_sel = Spring::make(0, 438.65f, 33.51f, 0.003f);
    Color glow_color{0, 0, 0, 1};
    std::array<Spring, 32> toggles{};
    int cal_year = 2026, cal_month = 1;

    // ---- Working fields of single pages and handlers --------------------------------
    std::string search_text, note_text, gemini_text;
    uint32_t search_sel_index = 0;
    float shelf_scroll = 0, clip_scroll = 0, notif_scroll = 0, notes_scroll = 0;
    float chat_scroll = 0, chat_scroll_max = 0;
    double ignore_clipboard_until = 0;
    double last_clip_notice = -100;
    ImageRef hud_picture;
    uint64_t hud_serial = 0;
    std::string layout_code;  // keyboard-layout language shown by the Layout notice
    bool assistant_thinking = false;

    // ---- Settings file (app_settings.cpp) ---------------------------------------------
    // Writes state.txt whole; nothing in quiet mode; failures ignored.
    void save_state() const;
    // The exact text save_state writes.
    std::string state_text() const;
    // Applies the contents of state.txt (every rule of the reader).
    void load_state_text(std::string_view text);

    // ---- Shelf (app_lists.cpp) -------------------------------------------------------------
    void add_to_shelf(std::vector<std::string> paths, bool save);
};

// The path of state.txt in the data folder (the folder is created on the way).
std::string state_path();
// The island scale from the size= line alone, before any App exists.
float read_ui_scale();
float read_ui_scale_text(std::string_view text);
// 0.88, 1.0 or 1.12 for the stored size.
float scale_for_size(uint8_t size);

struct FileInfo;
// "Klasör", "{EXT} · {size}" or the size alone.
std::string shelf_detail(std::string_view name, const FileInfo& info);
