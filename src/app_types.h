// The island's vocabulary: pages, display modes, live activities, notices,
// text fields, setting toggles, the Action command value, hit regions,
// window effects, the frame wait and the animated Spring.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "gfx_types.h"

// ---- Pages -----------------------------------------------------------------
enum class Page : uint8_t {
    Home, Media, Control, Time, Steam, Shelf, Clip, Notifs, Notes, System, Calendar, Google, Gemini, Search, Settings
};
constexpr int kPageCount = 15;
const char* page_key(Page p);               // "home" … "settings" (state.txt)
std::optional<Page> page_from_key(std::string_view key);
const char* page_name(Page p);              // debug name "Home" …
inline Page page_at(int i) { return static_cast<Page>(i); }

// ---- Live activities and notices -------------------------------------------
enum class ActKind : uint8_t { Music, Steam, Game, Timer, Pomo, Watch };
constexpr uint8_t kNoAct = 255;
const char* act_name(ActKind k);

enum class HudKind : uint8_t {
    Volume, Brightness, Battery, LowBattery, Clipboard, Image, Track, TimerDone, Pomo, Caps, Layout,
    Mic, Net, Download, Privacy, Info, Notice, Toast, Steam, Mail, Event, Voice
};
constexpr int kHudCount = 22;
const char* hud_name(HudKind k);
// Still shown while the island hides for a full-screen program.
bool hud_keeps(HudKind k);
// While up, notify() and toasts wait in their queues.
bool hud_blocks(HudKind k);
// Keeps the frame animating.
bool hud_moving(HudKind k);

// ---- Display mode ----------------------------------------------------------
enum class ModeTag : uint8_t { Idle = 0, Peek = 1, Act = 2, Hud = 3, Open = 4, None = 255 };

struct IslandMode {
    ModeTag tag = ModeTag::Idle;
    uint8_t payload = 0;  // ActKind, HudKind or Page

    static IslandMode idle() { return {ModeTag::Idle, 0}; }
    static IslandMode peek() { return {ModeTag::Peek, 0}; }
    static IslandMode act(ActKind k) { return {ModeTag::Act, static_cast<uint8_t>(k)}; }
    static IslandMode hud(HudKind k) { return {ModeTag::Hud, static_cast<uint8_t>(k)}; }
    static IslandMode open(Page p) { return {ModeTag::Open, static_cast<uint8_t>(p)}; }
    static IslandMode none() { return {ModeTag::None, 0}; }
    bool is_open() const { return tag == ModeTag::Open; }
    ActKind act_kind() const { return static_cast<ActKind>(payload); }
    HudKind hud_kind() const { return static_cast<HudKind>(payload); }
    Page page() const { return static_cast<Page>(payload); }
};
// Tag, and the payload for Act, Hud and Open.
bool operator==(const IslandMode& a, const IslandMode& b);
inline bool operator!=(const IslandMode& a, const IslandMode& b) { return !(a == b); }
std::string mode_debug(const IslandMode& m);  // "Idle", "Act(Timer)", "Open(Settings)"

// ---- Text fields, settings, voice -------------------------------------------
enum class TextField : uint8_t { Search, Note, City, Gemini, None = 255 };
const char* text_field_name(TextField f);

enum class SettingToggle : uint8_t {
    HoverOpen, ClipHud, KeyHud, DlHud, AutoShelf, HideFs, HideChrome, Glow, Autostart, AppNotif
};
constexpr int kSettingToggleCount = 10;
const char* setting_toggle_name(SettingToggle t);
// App::toggles holds the settings' switches from slot 0 and the control-centre
// switch tiles 0-4 from this slot on.
constexpr uint8_t kTileToggleSpring = 16;

enum class VoiceState : uint8_t { Idle, Listening, Thinking, Answer };

// ---- Action ----------------------------------------------------------------
enum class ActionKind : uint8_t {
    Dock, Card, Prev, Play, Next, Seek, Source, Slider, SliderIcon, Tile, TMode, Preset, TMinus, TPlus, TToggle,
    TReset, Lap, PomoLen, PomoSkip, Shelf, ShelfDel, ShelfClear, Clip, ClipPin, ClipDel, ClipClear, Note, NoteDel,
    NotesClear, Field, FieldGo, Res, CalPrev, CalNext, CalToday, Set, Size, Snooze, Bubble, TaskMgr, RemDel, Toast,
    ToastDel, ToastClear, SteamOpen, SteamGame, UpdateCheck, GSignIn, GSignOut, GRefresh, GMail, GEvent, GClear, Mic,
    GSuggest, GMailRead, GMailArchive, GTab, GTaskDone, WakeTeach, MicNext, MicTest, Website, GMsg, GCopy, GSpeak,
    ClipAsk, NoteTask,
    None = 255
};
constexpr int kActionKindCount = 68;

// Which payload a variant carries.
enum class ActionPayload : uint8_t { Nothing, Byte, Index, Both };
ActionPayload action_payload(ActionKind k);
const char* action_name(ActionKind k);

struct Action {
    ActionKind kind = ActionKind::None;
    uint8_t arg = 0;     // 8-bit payload
    uint16_t index = 0;  // 16-bit list index

    static Action none() { return {}; }
    static Action of(ActionKind k) { return {k, 0, 0}; }
    static Action byte(ActionKind k, uint8_t a) { return {k, a, 0}; }
    static Action at(ActionKind k, uint16_t i) { return {k, 0, i}; }
    static Action both(ActionKind k, uint16_t i, uint8_t a) { return {k, a, i}; }
    bool is_none() const { return kind == ActionKind::None; }
};
// Tags equal and, for a variant with a payload, the payload it carries.
bool action_eq(const Action& a, const Action& b);
std::string action_debug(const Action& a);  // "Dock(3)", "Field(Search)", "ClipAsk(3, 1)"

// ---- Hit regions ---------------------------------------------------------------
// A clickable rectangle in window pixels with the Action it triggers.
struct HitRegion {
    RectF rect;
    Action action;
};

// ---- Window effects ----------------------------------------------------------
namespace effect {
struct OpenUrl { std::string target; std::optional<std::string> params; };
struct FocusIsland {};
struct RestoreFocus {};
struct DragShelfItem { uint16_t index = 0; };
struct LockWorkstation {};
struct ShowDesktop {};
struct MonitorOff {};
struct Reposition {};
struct SetRadio { bool wifi = true; bool on = true; };
struct RestartAfterUpdate {};
}  // namespace effect

using WindowEffect = std::variant<effect::OpenUrl, effect::FocusIsland, effect::RestoreFocus, effect::DragShelfItem,
                                  effect::LockWorkstation, effect::ShowDesktop, effect::MonitorOff, effect::Reposition,
                                  effect::SetRadio, effect::RestartAfterUpdate>;

struct PendingEffect {
    double time = 0;  // App clock
    WindowEffect effect;
};

// ---- Frame wait ----------------------------------------------------------------
struct FrameWait {
    enum Tag : uint8_t { Animate = 0, Idle = 1, WaitMs = 2 } tag = Idle;
    uint32_t ms = 0;
    static FrameWait animate() { return {Animate, 0}; }
    static FrameWait idle() { return {Idle, 0}; }
    static FrameWait wait_ms(uint32_t ms) { return {WaitMs, ms}; }
    // Nothing is due within a second: the window's one-second timer (and the
    // faster poll) wake the loop before this wait would end, so the loop may
    // sleep until the next message instead of arming a wait of its own.
    bool left_to_timers() const { return tag == WaitMs && ms >= kSecondTimerMs; }
    static constexpr uint32_t kSecondTimerMs = 1000;
};

// ---- Spring ---------------------------------------------------------------------
struct Spring {
    float value = 0, target = 0, velocity = 0;
    float stiffness = 0, damping = 0, threshold = 0.003f;

    static Spring make(float v, float k, float c, float eps) { return Spring{v, v, 0, k, c, eps}; }
};
