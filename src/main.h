// The program's command line, window geometry and the UI thread's App slot.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "gfx_types.h"

struct App;

constexpr uint32_t REMOTE_TAG = 0x56454D00;

// ---- Command line -----------------------------------------------------------------
enum class LocalMode : uint8_t { Shots, Selftest, MakeIcon, WakeTest, UpdateNow };

enum class RemoteKind : uint8_t { Notify = 1, Remind = 2, CheckUpdate = 3, Assistant = 4, Ask = 5, GoogleSignIn = 6, TeachWake = 7 };

struct NormalStart {};
struct LocalStart {
    LocalMode mode;
    std::string output;  // argument 2 or the mode's default
};
struct RemoteStart {
    RemoteKind kind;
    std::string payload;
};

struct StartChoice {
    std::variant<NormalStart, LocalStart, RemoteStart> what;
    bool after_update = false;  // "--after-update" anywhere
};

// Only argument 1 selects a mode (exact, case-sensitive); args[0] is the program.
StartChoice classify_args(const std::vector<std::string>& args);

// ---- Window geometry -----------------------------------------------------------------
struct WindowGeometry {
    float scale = 1;
    int32_t width = 0, height = 0, x = 0, y = 0;
};

// 900 × 470 island units at monitor scale × size factor, centred at the top.
WindowGeometry window_geometry(const RectI& monitor, float monitor_scale, float size_factor);
// round half away from zero, saturating into 32 bits (NaN gives 0).
int32_t round_sat_i32(float v);

// The start-up log line with the placement and what registered.
std::string placement_log_line(const RectI& monitor, float scale, const WindowGeometry& g, bool tray,
                               const std::string& hotkey_label, bool dragdrop, bool clipboard);

// ---- Openers shared by the tray, the hot key and the drop target ---------------------------
// A second start or the tray menu's "Adayı aç": opens on the page the island would choose.
void on_show_request();
// A left click on the tray icon: closes the open island, else opens it.
void on_tray_click();

// ---- The user-interface thread's App slot ------------------------------------------------
struct UiThreadState {
    std::unique_ptr<App> app;
    bool borrowed = false;
    uint32_t taskbar_created_message = 0;
    void* island_window = nullptr;
    void* previous_foreground = nullptr;
};
UiThreadState& ui_thread_state();

// Installs the App (dropping an earlier one); takes it out again at shut-down.
void install_app_state(std::unique_ptr<App> app);
std::unique_ptr<App> take_app_state();

// Lends the App to fn for one call. Nothing happens (false) when the slot is
// empty or already lent: a nested message never sees the App twice.
template <class F>
bool with_app(F&& fn) {
    UiThreadState& s = ui_thread_state();
    if (!s.app || s.borrowed) return false;
    struct Release {
        bool& flag;
        ~Release() { flag = false; }
    } release{s.borrowed};
    s.borrowed = true;
    fn(*s.app);
    return true;
}
