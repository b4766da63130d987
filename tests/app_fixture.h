// An App on a fresh data folder, with the native fake machine (audio devices,
// power, keyboard) reset before and after each test.
#pragma once
#include <memory>

#include <gtest/gtest.h>

#include "app.h"
#include "sys_audio.h"
#include "sys_desktop.h"
#include "test_support.h"

// An App built as the host builds it, optionally drawing into `renderer`.
inline std::unique_ptr<App> make_test_app(bool quiet, std::unique_ptr<Renderer> renderer = nullptr) {
    AppInit init;
    init.quiet = quiet;
    init.renderer = std::move(renderer);
    return std::make_unique<App>(std::move(init));
}

struct AppFixture : ::testing::Test {
    ScopedDataDir data;
    std::unique_ptr<App> app;

    static void reset_fake_machine() {
#ifndef _WIN32
        fake_audio() = FakeAudio{};
        fake_desktop() = FakeDesktop{};
#endif
    }
    void SetUp() override { reset_fake_machine(); }
    void TearDown() override {
        app.reset();
        reset_fake_machine();
    }
    App& make(bool quiet) {
        app = make_test_app(quiet);
        return *app;
    }
};
