#include "app_types.h"

#include <string>

// ---- Pages -------------------------------------------------------------------

static const char* const kPageKeys[kPageCount] = {"home",  "media",   "control", "time",     "steam",
                                                  "shelf", "clip",    "notifs",  "notes",    "system",
                                                  "calendar", "google", "gemini", "search", "settings"};
static const char* const kPageNames[kPageCount] = {"Home",  "Media",  "Control", "Time",     "Steam",
                                                   "Shelf", "Clip",   "Notifs",  "Notes",    "System",
                                                   "Calendar", "Google", "Gemini", "Search", "Settings"};

const char* page_key(Page p) {
    auto i = static_cast<unsigned>(p);
    return i < kPageCount ? kPageKeys[i] : "home";
}

const char* page_name(Page p) {
    auto i = static_cast<unsigned>(p);
    return i < kPageCount ? kPageNames[i] : "?";
}

std::optional<Page> page_from_key(std::string_view key) {
    for (int i = 0; i < kPageCount; ++i)
        if (key == kPageKeys[i]) return static_cast<Page>(i);
    return std::nullopt;
}

// ---- Activities and notices ----------------------------------------------------

const char* act_name(ActKind k) {
    static const char* const names[] = {"Music", "Steam", "Game", "Timer", "Pomo", "Watch"};
    auto i = static_cast<unsigned>(k);
    return i < 6 ? names[i] : "?";
}

const char* hud_name(HudKind k) {
    static const char* const names[kHudCount] = {
        "Volume", "Brightness", "Battery", "LowBattery", "Clipboard", "Image", "Track", "TimerDone",
        "Pomo",   "Caps",       "Layout",  "Mic",        "Net",       "Download", "Privacy", "Info",
        "Notice", "Toast",      "Steam",   "Mail",       "Event",     "Voice"};
    auto i = static_cast<unsigned>(k);
    return i < kHudCount ? names[i] : "?";
}

bool hud_keeps(HudKind k) {
    switch (k) {
        case HudKind::TimerDone: case HudKind::Pomo: case HudKind::Notice: case HudKind::Mail:
        case HudKind::Event: case HudKind::Voice:
            return true;
        default:
            return false;
    }
}

bool hud_blocks(HudKind k) {
    return k == HudKind::TimerDone || k == HudKind::Notice || k == HudKind::Toast;
}

bool hud_moving(HudKind k) {
    switch (k) {
        case HudKind::Track: case HudKind::TimerDone: case HudKind::Pomo: case HudKind::Privacy:
        case HudKind::Notice: case HudKind::Voice:
            return true;
        default:
            return false;
    }
}

// ---- Modes ------------------------------------------------------------------------

bool operator==(const IslandMode& a, const IslandMode& b) {
    if (a.tag != b.tag) return false;
    switch (a.tag) {
        case ModeTag::Act: case ModeTag::Hud: case ModeTag::Open:
            return a.payload == b.payload;
        default:
            return true;
    }
}

std::string mode_debug(const IslandMode& m) {
    switch (m.tag) {
        case ModeTag::Idle: return "Idle";
        case ModeTag::Peek: return "Peek";
        case ModeTag::Act: return std::string("Act(") + act_name(m.act_kind()) + ")";
        case ModeTag::Hud: return std::string("Hud(") + hud_name(m.hud_kind()) + ")";
        case ModeTag::Open: return std::string("Open(") + page_name(m.page()) + ")";
        case ModeTag::None: return "None";
    }
    return "?";
}

const char* text_field_name(TextField f) {
    switch (f) {
        case TextField::Search: return "Search";
        case TextField::Note: return "Note";
        case TextField::City: return "City";
        case TextField::Gemini: return "Gemini";
        case TextField::None: return "None";
    }
    return "?";
}

const char* setting_toggle_name(SettingToggle t) {
    static const char* const names[kSettingToggleCount] = {"HoverOpen", "ClipHud",    "KeyHud", "DlHud",     "AutoShelf",
                                                           "HideFs",    "HideChrome", "Glow",   "Autostart", "AppNotif"};
    auto i = static_cast<unsigned>(t);
    return i < kSettingToggleCount ? names[i] : "?";
}

// ---- Action -----------------------------------------------------------------------

namespace {
struct ActionInfo {
    const char* name;
    ActionPayload payload;
};
constexpr ActionPayload N = ActionPayload::Nothing, B = ActionPayload::Byte, I = ActionPayload::Index,
                        BI = ActionPayload::Both;
const ActionInfo kActions[kActionKindCount] = {
    {"Dock", B},        {"Card", B},         {"Prev", N},       {"Play", N},       {"Next", N},
    {"Seek", N},        {"Source", B},       {"Slider", B},     {"SliderIcon", B}, {"Tile", B},
    {"TMode", B},       {"Preset", B},       {"TMinus", N},     {"TPlus", N},      {"TToggle", N},
    {"TReset", N},      {"Lap", N},          {"PomoLen", B},    {"PomoSkip", N},   {"Shelf", I},
    {"ShelfDel", I},    {"ShelfClear", N},   {"Clip", I},       {"ClipPin", I},    {"ClipDel", I},
    {"ClipClear", N},   {"Note", I},         {"NoteDel", I},    {"NotesClear", N}, {"Field", B},
    {"FieldGo", B},     {"Res", B},          {"CalPrev", N},    {"CalNext", N},    {"CalToday", N},
    {"Set", B},         {"Size", B},         {"Snooze", N},     {"Bubble", N},     {"TaskMgr", N},
    {"RemDel", I},      {"Toast", I},        {"ToastDel", I},   {"ToastClear", N}, {"SteamOpen", B},
    {"SteamGame", I},   {"UpdateCheck", N},  {"GSignIn", N},    {"GSignOut", N},   {"GRefresh", N},
    {"GMail", I},       {"GEvent", I},       {"GClear", N},     {"Mic", N},        {"GSuggest", B},
    {"GMailRead", I},   {"GMailArchive", I}, {"GTab", B},       {"GTaskDone", I},  {"WakeTeach", N},
    {"MicNext", N},     {"MicTest", N},      {"Website", N},    {"GMsg", I},       {"GCopy", I},
    {"GSpeak", I},      {"ClipAsk", BI},     {"NoteTask", I},
};
}  // namespace

ActionPayload action_payload(ActionKind k) {
    auto i = static_cast<unsigned>(k);
    return i < kActionKindCount ? kActions[i].payload : ActionPayload::Nothing;
}

const char* action_name(ActionKind k) {
    auto i = static_cast<unsigned>(k);
    return i < kActionKindCount ? kActions[i].name : "None";
}

bool action_eq(const Action& a, const Action& b) {
    if (a.kind != b.kind) return false;
    switch (action_payload(a.kind)) {
        case ActionPayload::Nothing: return true;
        case ActionPayload::Byte: return a.arg == b.arg;
        case ActionPayload::Index: return a.index == b.index;
        case ActionPayload::Both: return a.arg == b.arg && a.index == b.index;
    }
    return true;
}

std::string action_debug(const Action& a) {
    std::string out = action_name(a.kind);
    switch (action_payload(a.kind)) {
        case ActionPayload::Nothing:
            break;
        case ActionPayload::Byte:
            if (a.kind == ActionKind::Field || a.kind == ActionKind::FieldGo)
                out += std::string("(") + text_field_name(static_cast<TextField>(a.arg)) + ")";
            else if (a.kind == ActionKind::Set)
                out += std::string("(") + setting_toggle_name(static_cast<SettingToggle>(a.arg)) + ")";
            else
                out.append("(").append(std::to_string(a.arg)).append(")");
            break;
        case ActionPayload::Index:
            out.append("(").append(std::to_string(a.index)).append(")");
            break;
        case ActionPayload::Both:
            out.append("(").append(std::to_string(a.index)).append(", ").append(std::to_string(a.arg)).append(")");
            break;
    }
    return out;
}
