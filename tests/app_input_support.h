// A fixture for the island's input tests: an App in a fresh data folder, open
// by default, with helpers to seed hit regions and to read effects.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "app.h"
#include "sys_os.h"
#include "test_support.h"

// The effect as a short text: "OpenUrl(taskmgr.exe)", "RestoreFocus", "SetRadio(wifi, on)".
inline std::string effect_text(const WindowEffect& e) {
    return std::visit(
        [](const auto& v) -> std::string {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, effect::OpenUrl>) return "OpenUrl(" + v.target + ")";
            else if constexpr (std::is_same_v<T, effect::FocusIsland>) return "FocusIsland";
            else if constexpr (std::is_same_v<T, effect::RestoreFocus>) return "RestoreFocus";
            else if constexpr (std::is_same_v<T, effect::DragShelfItem>) return fmt::format("DragShelfItem({})", v.index);
            else if constexpr (std::is_same_v<T, effect::LockWorkstation>) return "LockWorkstation";
            else if constexpr (std::is_same_v<T, effect::ShowDesktop>) return "ShowDesktop";
            else if constexpr (std::is_same_v<T, effect::MonitorOff>) return "MonitorOff";
            else if constexpr (std::is_same_v<T, effect::Reposition>) return "Reposition";
            else if constexpr (std::is_same_v<T, effect::SetRadio>)
                return fmt::format("SetRadio({}, {})", v.wifi ? "wifi" : "bluetooth", v.on ? "on" : "off");
            else return "RestartAfterUpdate";
        },
        e);
}

inline std::string effect_text(const std::optional<WindowEffect>& e) { return e ? effect_text(*e) : "none"; }

struct IslandTest : ::testing::Test {
    ScopedDataDir data;
    std::unique_ptr<App> app;

    void SetUp() override { make(false); }

    // A new App (quiet or not), open on home, with a clean redraw mark.
    void make(bool quiet) {
        AppInit init;
        init.quiet = quiet;
        app = std::make_unique<App>(std::move(init));
        app->island.open = true;
        app->drawing.redraw = false;
    }

    void region(float x, float y, float w, float h, Action a) { app->drawing.hits.push_back(HitRegion{RectF{x, y, w, h}, a}); }

    // The queued effects as "time:effect" texts, times relative to the App clock now.
    std::vector<std::string> pending() const {
        std::vector<std::string> out;
        for (const auto& p : app->effects.pending) out.push_back(fmt::format("+{:.2f}:{}", p.time - app->now, effect_text(p.effect)));
        return out;
    }

    bool saved() const { return file_exists(state_path()); }
    std::string state() const { return read_file(state_path()).value_or(""); }
    void forget_state() const { remove_file(state_path()); }
};
