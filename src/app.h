// The application object of the user-interface thread.
//
// Index
//   Records of the core's lists (notes, shelf, clipboard history)
//   Voice and teaching records
//   App: the twenty field groups, in release order
//   App operations, grouped by the file that implements them
#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

#include "app_clocks.h"
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

// The product's web site (the Website action and the tray menu).
constexpr const char* kWebsite = "https://vemo.app";
constexpr const char* kWebsiteHost = "vemo.app";

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

// ---- The App's field groups, in release order ------------------------------------------

// A notice shown once the App clock passes `due` (the after-update greeting).
struct StartupNotice {
    std::string title, body;
    double due = 0;
};

// 1. Drawing: the renderer, this frame's hit regions and what the host presented.
struct DrawingState {
    std::unique_ptr<Renderer> renderer;
    std::vector<HitRegion> hits;
    float scale = 1.0f;
    WindowHandle window = nullptr;
    int window_x = 0, window_y = 0;
    bool redraw = true;
    bool full_present = true;
    // Each widget draws at once and, while record_hits is on, appends its HitRegion
    // through the hit zoom and shift; later regions win.
    bool record_hits = false;
    RectI monitor;              // the monitor the island sits on, in screen pixels
    bool hidden_frame = false;  // the transparent frame of a hidden island is drawn
    RectI last_presented;       // pixels of the last presented island bounds
    // The id the notice picture was last drawn under (0 = none); once the notice
    // changes it is forgotten, so notice bitmaps never pile up in the renderer.
    uint64_t notice_image_id = 0;
    // App id -> the shell's icon; null once the shell had none, so each id is asked once.
    std::unordered_map<std::string, ImageRef> app_icon_cache;
};

// 2 and 11. The heads-up notice shown, the notices waiting and what the polls last saw.
struct NoticeState {
    std::string title, body;
    HudKind kind = HudKind::Volume;
    bool shown = false;
    double until = 0;
    std::deque<std::pair<std::string, std::string>> queue;  // at most 20
    Spring level = Spring::make(0, 438.65f, 37.70f, 0.003f);  // bar of the Volume and Brightness notices
    ImageRef picture;
    uint64_t serial = 0;
    std::string layout_code;  // keyboard-layout language shown by the Layout notice
    bool out_seen = false, mic_seen = false, brightness_seen = false;
    uint32_t polls = 0;
    uint8_t caps_state = 2;  // 0 off, 1 on, 2 not read yet
    bool low_battery_warned = false, power_seen = false;
    std::optional<StartupNotice> startup;
};

// 3. Media
struct MediaLink {
    Shared<MediaSnapshot> shared;
    Sender<MediaCommand> tx;
    MediaSnapshot snap;
    double changed = -100;  // the last copy from the watcher (the page extrapolates the position from it)
    double active = -100;   // the last copy while something played
    bool seen = false;      // a copy has arrived since start-up
};

// 4. Audio and brightness
struct AudioState {
    EndpointVolumeCache out_cache, mic_cache;
    float volume = 0, mic_level = 0, brightness = 0;
    bool muted = false, mic_muted = false;
    bool brightness_ok = false;
    BrightnessDevice brightness_device;
    double brightness_changed = -100;
};

// 5. Hot-key labels
struct HotkeyLabels {
    std::string search = "Ctrl + Alt + Boşluk";
    std::string voice;
};

// 6. System monitor, with the downloads it reported
struct RecentDownload {
    std::string name;  // the file name
    std::string time;  // local "HH:MM" when it finished
};
struct SysmonLink {
    Shared<SysmonSnapshot> shared;
    SysmonSnapshot snap;
    std::vector<RecentDownload> recent;  // newest first, at most 8
    uint64_t mic_users = 0, cam_users = 0;  // the counts of the last copy
    bool seen = false;                      // a copy has arrived since start-up
};

// 7. Weather
struct WeatherLink {
    Shared<WeatherSnapshot> shared;
    Sender<std::string> tx;
    WeatherSnapshot snap;
};

// 8. Timers and the time page
struct TimerState {
    Stopwatch stopwatch;
    Countdown countdown;
    Pomodoro pomo;
    uint8_t mode = 0;  // the page shows 0 countdown, 1 stopwatch, 2 pomodoro
};

// 9. Deferred effects
struct EffectQueue {
    std::vector<PendingEffect> pending;
    bool skip_focus_restore = false;
};

// 10. Page lists, with the working fields of their pages
struct PageLists {
    std::vector<ShelfItem> shelf;         // oldest first, at most 30
    std::vector<ClipEntry> clips;         // newest first
    std::vector<NoteItem> notes;          // newest first
    std::vector<ReminderItem> reminders;  // by due time
    uint64_t next_id = 1;
    std::string note_text;
    float shelf_scroll = 0, clip_scroll = 0, notes_scroll = 0;
    double ignore_clipboard_until = 0;
    double last_clip_notice = -100;
};

// 12. Notifications and toasts
struct NotificationLink {
    Shared<NotificationState> shared;
    std::vector<AppNotification> list;       // at most 80
    std::deque<AppNotification> toast_queue;  // at most 6
    std::optional<AppNotification> toast;
    std::string status;
    uint32_t unread_badge = 0;
    float scroll = 0;
};

// 13. Steam
struct SteamLink {
    Shared<SteamSnapshot> shared;
    std::optional<SteamActiveDownload> download;
    std::vector<SteamDownload> downloads;
    SteamSnapshot snap;
    bool found = false;
};

// 14. Update
struct UpdateLink {
    Shared<UpdateState> shared;
    Sender<UpdateRequest> tx;
    std::string status;
};

// 15. Google and the assistant's page
struct App;
struct GoogleLink {
    Shared<GoogleState> shared;
    Sender<GoogleCommand> tx;
    GoogleState snap;
    uint8_t tab = 0;  // the Google page's tab
    std::string gemini_text;
    float chat_scroll = 0, chat_scroll_max = 0;
    bool chat_follow = true;  // the Gemini chat scrolls to its newest line
    // What the Gemini page saw last frame: a change sends the chat to its newest line.
    size_t chat_seen_lines = 0;
    bool chat_seen_busy = false;
    bool assistant_thinking = false;
    // Stands in for the desktop tool executor in tests (see App::run_tool_call).
    std::function<std::optional<std::string>(App&, const ToolCall&)> tool_hook;
};

// 16. Voice
struct VoiceLink {
    std::optional<MicCapture> capture;
    std::array<float, 32> level_history{};
    VoiceState state = VoiceState::Idle;
    std::string answer;
    double until = 0;
    WakeTeaching teaching;
    std::optional<MicCapture> mic_test;
    float mic_test_peak = 0;
    std::optional<PressRecord> press;
    std::optional<double> hold_talk_start;
    std::string question;  // the question the voice notice shows
    bool outside = false;  // the coming answer is one for the voice notice
    bool speak = false;    // and it is to be spoken
    // The microphone choices: "" (Windows default), then the waveIn devices.
    std::vector<std::string> microphones;
};

// 17. Settings (state.txt) and the values read at start-up
struct Settings {
    std::string brief;
    std::string city_edit;
    std::string city = "İstanbul";
    std::string mic;
    bool hover_open = false, clip_hud = true, key_hud = true, dl_hud = true, auto_shelf = true;
    bool hide_fs = true, hide_chrome = true, glow = true, app_notif = true, wake = true, dnd = false;
    uint8_t size = 1, wake_sens = 1;
    bool autostart = false;
    bool dark_mode = false;
    bool wake_model_present = false;  // wake.bin was taught (read at start-up)
};

// One row of the settings table (app_settings.cpp): how a setting is stored in
// state.txt, which switch flips it and its label on the settings page.
enum class SettingKind : uint8_t {
    Flag,          // "0" or "1"
    Level,         // 0..2, unreadable reads as 1
    Text,          // trimmed, may be empty
    NonEmptyText,  // trimmed; an empty value keeps the default
};
struct SettingRow {
    const char* key;  // state.txt key; null when the setting is kept elsewhere
    SettingKind kind;
    bool Settings::*flag;
    uint8_t Settings::*level;
    std::string Settings::*text;
    std::optional<SettingToggle> toggle;  // the switch that flips it
    const char* label;                    // the switch's label on the settings page
};
// Adding a setting: its field in Settings and one row here.
extern const std::array<SettingRow, 17> kSettingsTable;
// The row of a switch or of a state.txt key; null when there is none.
const SettingRow* setting_row(SettingToggle t);
const SettingRow* setting_row(std::string_view key);

// The search page
struct SearchPage {
    std::string text;
    uint32_t sel = 0;
    std::vector<SearchRow> rows;
    SharedAppsIndex apps;
};

// 18. Pointer
struct PointerState {
    float x = -1, y = -1;
    float press_x = 0, press_y = 0;
    bool inside = false;
    double entered = 0;
    bool held = false;
    float zoom = 1.0f, shift = 0.0f;  // applied to hit regions
    std::optional<double> close_deadline;
    Action hovered = Action::none();
    Action pressed = Action::none();
    double hover_start = 0;
    std::optional<uint8_t> slider_grab;
    bool slider_moved = false;        // the grabbed slider moved more than 3 px
    std::optional<float> seek_drag;   // fraction of the track while the seek bar is dragged
    bool pressed_on_island = false;   // the press on the closed island hit the island
};

// 19. Island state
struct IslandState {
    IslandMode mode = IslandMode::idle();
    IslandMode prev_mode = IslandMode::none();
    double mode_changed = -10;
    int8_t slide_dir = 0;
    bool open = false;
    Page page = Page::Home;
    Page remembered_page = Page::Home;
    TextField focus = TextField::None;
    bool drag_out = false;
    bool drag_hover = false;
    uint8_t bubble_act = kNoAct;
    bool fullscreen_front = false, browser_front = false;
    bool on_ac = false;
    uint8_t battery = 0;
    bool has_battery = false;  // the power status reports a battery
    int64_t display_key = -1;
    bool quiet = false;
    bool hidden = false;  // hidden from the tray menu: no heads-up notices or toasts
    bool keep_awake = false;
    int cal_year = 2026, cal_month = 1;  // the calendar's month shown
};

// 20. Animation
struct Animation {
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

    DrawingState drawing;
    NoticeState notices;
    MediaLink media;
    AudioState audio;
    HotkeyLabels hotkeys;
    SysmonLink sysmon;
    WeatherLink weather;
    TimerState timers;
    EffectQueue effects;
    PageLists lists;
    NotificationLink notifs;
    SteamLink steam;
    UpdateLink update;
    GoogleLink google;
    VoiceLink voice;
    Settings settings;
    SearchPage search_page;
    PointerState pointer;
    IslandState island;
    Animation anim;
    double now = 0;  // the App clock: seconds since start, advanced only by the tick

    // ---- Settings file (app_settings.cpp) ---------------------------------------------
    // Writes state.txt whole; nothing in quiet mode; failures ignored.
    void save_state() const;
    // The exact text save_state writes.
    std::string state_text() const;
    // Applies the contents of state.txt (every rule of the reader).
    void load_state_text(std::string_view text);
    // One stored value of a table row, by the rules of its kind.
    void read_setting(const SettingRow& row, std::string_view value);

    // ---- Shelf (app_lists.cpp) -------------------------------------------------------------
    void add_to_shelf(std::vector<std::string> paths, bool save);

    // ---- Actions (app_actions.cpp) -----------------------------------------------------------
    // Carries out one Action (a click, or Enter in a field); at most one effect for the host.
    std::optional<WindowEffect> act(const Action& a);
    // Opens the island on a page (silencing a finished countdown's alarm first); does not save.
    void open_page(Page p);
    // Makes p the current page; every page but search also becomes the remembered one.
    void set_page(Page p);
    // Collapses the open island, queues RestoreFocus when a field had the keyboard
    // and no program was handed the desktop, and saves.
    void close_island();
    // Sets the hand-off flag, then closes: no RestoreFocus follows. Nothing while closed.
    void close_for_hand_off();
    // The page to show when the island opens without a stated page.
    Page page_to_open() const;
    // Appends one deferred effect; the tick hands it back once its time has come.
    static void push_effect(std::vector<PendingEffect>& list, PendingEffect e);
    // Hides TimerDone, stops the alarm and resets the countdown to its full length.
    void dismiss_timer_done();
    // Once TimerDone has left the screen by any path: silences the alarm and resets
    // a countdown still stopped at its end to its full length. Nothing otherwise.
    void end_countdown_alarm();
    // The microphone choices: "" (Windows default), then the waveIn devices; rebuilt
    // on every call (in quiet mode only while empty).
    std::vector<std::string> microphone_names();
    // Stores the chosen microphone ("" = Windows default) and saves.
    void set_microphone(std::string name);
    // Starts a wake-word teaching run of three takes (the tick records them).
    void start_wake_teaching();

    // ---- Control-centre tiles (app_tiles.cpp) ------------------------------------------------
    struct TileInfo {
        const char* label;
        char32_t glyph;  // Segoe Fluent Icons
        bool is_switch;
    };
    static const std::array<TileInfo, 12> kTiles;
    // The drawn on-state of a switch tile.
    bool tile_on(uint8_t tile) const;
    std::optional<WindowEffect> run_tile(uint8_t tile);

    // ---- Pointer (app_pointer.cpp) -------------------------------------------------------------
    std::optional<WindowEffect> on_pointer_down(float x, float y);
    std::optional<WindowEffect> on_pointer_move(float x, float y);
    // The button release.
    std::optional<WindowEffect> on_click(float x, float y);
    // delta: 120 per notch, positive away from the user.
    void on_wheel(int32_t delta, bool shift_held);
    // Applies the grabbed slider's value at x.
    void drag_slider(float x);
    bool hit_island(float x, float y) const;
    // The Action of the last region drawn under the point; none when nothing is hit.
    Action hit_test(float x, float y) const;
    // x mapped back through the page zoom and shift (seek bar and sliders).
    float track_position(float x) const;
    // The scroll maximum of a page's list.
    float wheel_max(Page p) const;

    // ---- Keyboard (app_keys.cpp) ---------------------------------------------------------------
    std::optional<WindowEffect> on_key(uint16_t vk, bool ctrl);
    // One typed character (a Unicode scalar value).
    void on_char(char32_t c);
    // The text of a field; null for TextField::None.
    std::string* field_text(TextField f);

    // ---- Search page (app_search.cpp) ----------------------------------------------------------
    // Sets a reminder from a phrase and saves; the when-text, or nothing when it is no reminder.
    std::optional<std::string> add_reminder(std::string_view phrase);
    // Rebuilds the search rows from the query; selects the first.
    void update_search();
    std::optional<WindowEffect> run_search_row(size_t index);

    // ---- Dispatch helpers (app_actions.cpp) ----------------------------------------------------
    std::optional<WindowEffect> dispatch(const Action& a);
    void flip_setting(SettingToggle t);
    void forget_clip_picture(const ClipEntry& e);
    void recopy_clip(uint16_t index);
    std::optional<WindowEffect> submit_field(TextField f);
    void ask_about_clip(uint16_t index, uint8_t mode);

    // ---- Widgets (ui_widgets.cpp) --------------------------------------------------------------
    // Each widget draws at once and, while drawing.record_hits is on, appends its
    // HitRegion through the pointer's hit zoom and shift; later regions win.

    // Appends r (drawing units) with a when recording, mapped to window units.
    void push_hit(const RectF& r, Action a);
    // clamp(hover progress, 0, 1) while a is the hovered Action, else 0.
    float hover_of(const Action& a) const;
    bool is_pressed(const Action& a) const;

    void card(const RectF& r, Action a);
    // An empty button label means no button.
    void text_field(const RectF& r, TextField field, char32_t glyph, std::string_view placeholder,
                    std::string_view button = {});
    // The header row of an open page; (x, y, width) is the island's rectangle.
    void draw_page_header(float x, float y, float width);
    void draw_battery(float right_x, float cy);
    void draw_eq_bars(float x, float cy, float width, float height, const Color& c);
    void draw_artwork(const RectF& r, float radius, bool small);
    void draw_spinner(float cx, float cy, float size, double t);
    void draw_sun(float cx, float cy, float size);
    void draw_bolt(float cx, float cy, float s, const Color& c);
    void slider_row(uint8_t index, const RectF& r, float level, char32_t glyph, bool enabled, std::string_view label);
    void app_icon(std::string_view app_id, std::string_view name, const Image* image, const RectF& r, float radius);
    // The page dock; island_height is the open island's height H.
    void draw_tab_strip(float island_height);
    void draw_title_subtitle(float x, float cy, float width, std::string_view title, std::string_view subtitle,
                             const Color& title_color);
    void circle_button(Action a, float cx, float cy, float r, const Color& c, const Color& hover_c);
    void game_thumb(uint32_t steam_app_id, const Image* image, const RectF& r, float radius);
    // mark: 0 pause, 1 play, 2 none.
    void pill_button(const RectF& r, Action a, std::string_view label, uint8_t mark, const Color& fill,
                     const Color& content);
    void draw_primary_button(const RectF& r, std::string_view label);
    void draw_chip_button(const RectF& r, Action a, std::string_view label);

    // ---- Time page (app_time.cpp) ------------------------------------------------------------
    // The live activities in use, in priority order Music, Steam, Game, Timer, Pomo, Watch.
    struct Activities {
        std::array<ActKind, 6> kinds{};
        uint8_t count = 0;
        bool has(ActKind k) const;
    };
    Activities live_activities() const;
    // Carries out TMode, Preset, TMinus, TPlus, TToggle, TReset, Lap, PomoLen,
    // PomoSkip and Snooze and marks the frame; false (nothing done) for any other action.
    bool act_time(const Action& a);

    // ---- Notices (app_notice.cpp) -------------------------------------------------------------
    // How long a kind stays up, in seconds.
    static double hud_seconds(HudKind k);
    // Shows the kind until now + seconds, replacing whatever is shown, and marks the frame.
    void show_hud(HudKind k, double seconds);
    void show_hud(HudKind k) { show_hud(k, hud_seconds(k)); }
    // The gate of every kind but Info, Notice, Toast, TimerDone, Pomo, Voice, Mail and Event.
    bool hud_gate() const;
    // Volume or Brightness with its bar at `level` (the bar glides when that kind is already up).
    void show_level_hud(HudKind k, float level);
    // New notice texts; shows Info while the island is closed.
    void show_info(std::string_view title, std::string_view body);
    // The Notice path: waits in the queue behind TimerDone, Notice or Toast.
    void notify(std::string_view title, std::string_view body);
    // The Toast path with its gate and its queue of at most 6.
    void push_toast(AppNotification n);
    // When nothing is shown: the first waiting notice, else the first waiting toast.
    void drain_notice_queues();
    // One 150 ms poll: volume, microphone, brightness (every 4th), Caps Lock, keyboard language.
    void watch_hud_sources();
    // One 1 s step: power source and low battery (unless `read_power` is false), then the full-screen flag.
    void check_power_and_brief(bool fullscreen, bool read_power = true);
    // Once a day between 05:00 and 11:59, when the weather (and the mail) are in:
    // the brief as a notice; the date is kept in state.txt.
    void show_morning_brief();
    // The morning brief's title and body (app_brief.cpp).
    std::pair<std::string, std::string> day_summary_text() const;
    // True while what is drawn shows the battery (an open page's header, the peek, a battery notice).
    bool battery_shown() const;
    // A level the user sets; above the unmute threshold it unmutes the device and clears the flag.
    void set_output_level(float v);
    void set_mic_level(float v);

    // ---- Requests (app_requests.cpp) ----------------------------------------------------------
    // Question commands first store the island context in the shared Google state.
    void send_google_command(GoogleCommand cmd);
    void send_media_command(MediaCommand cmd);
    // A question from outside the island; false when signed out or blank.
    bool ask_assistant(std::string_view question, bool speak);
    // The one entry to Google sign-in (island, tray, remote command).
    void start_google_sign_in();
    // The sentences about the island that accompany every question.
    std::string island_context() const;

    // ---- Google updates (app_google.cpp) ------------------------------------------------------
    // WM_APP_GOOGLE: copies the worker's state and handles every item of its outbox.
    void on_google_update();
    // Carries out one of the assistant's tool calls (all but screen_look); its reply
    // sentence (app_tools.cpp).
    std::optional<std::string> run_tool_call(const ToolCall& call);
    // The renderer's cache id of a profile picture, by the picture's identity.
    static uint64_t google_picture_id(const Image& picture);

    // ---- Watcher updates (app_watch.cpp) -------------------------------------------------------
    // The handlers of the watchers' window messages; a poisoned state changes nothing.
    void on_media_update();          // WM_APP_MEDIA
    void on_sysmon_update();         // WM_APP_SYSMON
    void on_weather_update();        // WM_APP_WEATHER
    void on_notifications_update();  // WM_APP_NOTIFS
    void on_steam_update();          // WM_APP_STEAM
    void on_update_event();          // WM_APP_UPDATE
    void on_wake_heard();            // WM_APP_WAKE

    // ---- Voice (app_voice.cpp) ------------------------------------------------------------------
    // Starts or stops voice input for a question, or says why it cannot.
    void start_voice();
    // Records the next take of a teaching run.
    void start_teaching_take();
    // A finished take of a teaching run (its samples or its error).
    void teaching_take_done(MicCapture capture);
    // Tells the wake-word listener to stand aside while a question or a teaching run is on.
    void publish_wake_flags(bool paused);

    // ---- Tick (app_tick.cpp) ---------------------------------------------------------------------
    struct TickResult {
        FrameWait wait;
        std::vector<WindowEffect> effects;  // due window effects in queue order
    };
    // Wall clocks the tick reads; tests pin them, unset ones read the system.
    struct WallClockPin {
        std::optional<int64_t> unix_seconds;  // reminders, Steam play time, the context's day labels
        std::optional<int> minute_of_day;     // local hours × 60 + minutes for the display key
        std::optional<int64_t> utc_offset;    // the local zone's offset in seconds (brief, reminders)
    };
    WallClockPin wall_clock;
    int64_t wall_unix() const;
    int wall_minute_of_day() const;
    // The local zone's real offset from UTC at wall_unix(), in seconds (−14 h to +14 h).
    int64_t wall_utc_offset() const;
    // One frame: dt is the seconds since the previous call.
    TickResult tick(float dt);

    // ---- Geometry and frame (app_geometry.cpp, ui_frame.cpp) ---------------------------------------
    // The frame loop must keep drawing although no spring moves.
    bool is_animating() const;
    // Draws and presents one frame.
    void render();

    // ---- Island content and pages (ui_island.cpp, pages*.cpp) ----
    // The body of one open page in the island's layout rectangle (x, 8, 720, height).
    void draw_page(Page p, const RectF& rect);
    // An animated weather pictogram of kind 0..9 (weather_icon_kind); the crescent
    // moon is cut with `backdrop`, the colour behind the icon.
    void draw_weather_icon(uint8_t kind, float cx, float cy, float s, const Color& backdrop);

    // ---- What the host reports (app_host.cpp) ----------------------------------------------------
    // The host calls these and writes no field itself.
    // WM_MOUSELEAVE: the island closes soon unless a field has the keyboard or a drag goes on.
    void on_pointer_leave();
    // WM_ACTIVATE (and the search hot key's focus hand-over).
    void on_activate(bool active);
    // The search hot key: opens on the search page with its field focused.
    void open_search();
    // The search hot key: closes the search page while its field has the keyboard, else
    // opens it and asks for the keyboard focus.
    std::optional<WindowEffect> on_search_hotkey();
    // The tray's close: ends a shelf drag-out, then closes.
    void close_from_host();
    // A left click on the tray icon: closes the open island, else opens it.
    void toggle_from_tray();
    // Files dragged over the window open the shelf; on_drop gets the dropped paths
    // (none when the drag left without dropping).
    void on_drag_enter();
    void on_drop(std::vector<std::string> paths);
    // Dropped files: a single client_secret*.json becomes the Google client; anything
    // else goes to the shelf, and the island closes a moment later unless pointed at.
    void on_files_dropped(std::vector<std::string> paths);
    // A shelf item's drag-out ended: files moved away leave the shelf.
    void on_drag_out_done();
    // The island's monitor (screen pixels) and window position; the next frame is whole.
    void place(const RectI& monitor, int x, int y);
    // The next frame is drawn and presented whole.
    void redraw_all();
    void attach_update(Shared<UpdateState> shared, Sender<UpdateRequest> tx);
    void show_after_start(StartupNotice n);
    void set_wake_model_present(bool present);
    void set_search_hotkey_label(std::string label);
    void set_voice_hotkey_label(std::string label);
    // Tray menu switches: each saves and says what changed.
    void toggle_do_not_disturb();
    void toggle_hidden();
    void toggle_wake_word();
    void set_wake_sensitivity(uint8_t level);
    // Signs in, or opens the Google page when signed in.
    void connect_google();
    // Asks the update thread for a check now; check_for_update also says so.
    void request_update();
    void check_for_update();

    // ---- Browser hide, settings hint, clipboard (app_lists.cpp, app_clipboard.cpp) ----
    // Whether the island hides in front of a browser, from the foreground program.
    void update_browser_hide(std::string_view exe_path, bool skip);
    // A radio switch's result; failures come with a hint to the Windows settings.
    void show_settings_hint(std::string text);
    // WM_CLIPBOARDUPDATE: records what was copied and announces it (app_clipboard.cpp).
    void on_clipboard_update();

    // ---- Time and control-centre pages (pages_time.cpp, pages_control.cpp) ----
    // Each draws its body inside the content rectangle of the open island's rect.
    void draw_time_page(const RectF& island);
    void draw_control_page(const RectF& island);

    // ---- Shelf, clipboard and notes pages (pages_shelf.cpp, pages_notes.cpp) ----
    // Each draws inside the content rectangle of the island rect it is given.
    void draw_shelf_page(const RectF& island);
    void draw_clip_page(const RectF& island);
    void draw_notes_page(const RectF& island);
};

// The path of state.txt in the data folder (the folder is created on the way).
std::string state_path();
// The island scale from the size= line alone, before any App exists.
float read_ui_scale();
float read_ui_scale_text(std::string_view text);
// 0.88, 1.0 or 1.12 for the stored size.
float scale_for_size(uint8_t size);

// The events of the local day of `now` (zone `offset` seconds ahead of UTC), in
// list order: all-day ones, and timed ones that began at most ten minutes ago.
std::vector<const EventItem*> todays_events(const std::vector<EventItem>& events, int64_t now, int64_t offset);

// Whether the assistant may open an address it names: only http:// and https:// pages.
bool assistant_may_open(std::string_view target);

struct FileInfo;
// "Klasör", "{EXT} · {size}" or the size alone.
std::string shelf_detail(std::string_view name, const FileInfo& info);
