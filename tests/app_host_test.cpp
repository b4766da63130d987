// What the window reports to the App: when the island collapses after the pointer
// leaves or the window loses focus, what a drag over the window opens, and the
// search hot key's toggle.
#include "app_input_support.h"
#include "google_files.h"

namespace {

using HostTest = IslandTest;

void open_on(App& a, Page p) {
    a.open_page(p);
    a.pointer.inside = true;
}

TEST_F(HostTest, PointerLeavingClosesSoonUnlessSomethingHoldsTheIsland) {
    struct Case {
        const char* name;
        void (*setup)(App&);
        bool closes;
    };
    const Case cases[] = {
        {"nothing held", [](App&) {}, true},
        {"a field has the keyboard", [](App& a) { a.island.focus = TextField::Note; }, false},
        {"a slider is grabbed", [](App& a) { a.pointer.slider_grab = 0; }, false},
        {"the seek bar is dragged", [](App& a) { a.pointer.seek_drag = 0.5f; }, false},
        {"a shelf item is pressed", [](App& a) { a.pointer.pressed = Action::at(ActionKind::Shelf, 0); }, false},
        {"a file is dragged out", [](App& a) { a.island.drag_out = true; }, false},
        {"the island is closed", [](App& a) { a.island.open = false; }, false},
    };
    for (const auto& c : cases) {
        app->island = IslandState{};
        app->pointer = PointerState{};
        open_on(*app, Page::Notes);
        app->now = 10;
        app->pointer.hovered = Action::of(ActionKind::Website);
        app->anim.squash.target = 0.96f;
        c.setup(*app);
        app->on_pointer_leave();
        EXPECT_FALSE(app->pointer.inside) << c.name;
        EXPECT_TRUE(app->pointer.hovered.is_none()) << c.name;
        EXPECT_FLOAT_EQ(app->anim.squash.target, 1.0f) << c.name;
        if (c.closes) {
            ASSERT_TRUE(app->pointer.close_deadline.has_value()) << c.name;
            EXPECT_DOUBLE_EQ(*app->pointer.close_deadline, 10.45) << c.name;
        } else {
            EXPECT_FALSE(app->pointer.close_deadline.has_value()) << c.name;
        }
    }
}

TEST_F(HostTest, LosingFocusDropsTheFieldAndClosesWhenThePointerIsAway) {
    open_on(*app, Page::Notes);
    app->island.focus = TextField::Note;
    app->now = 3;
    app->on_activate(false);
    EXPECT_EQ(app->island.focus, TextField::None);
    EXPECT_FALSE(app->pointer.close_deadline.has_value()) << "the pointer is still over the island";

    app->pointer.inside = false;
    app->on_activate(false);
    ASSERT_TRUE(app->pointer.close_deadline.has_value());
    EXPECT_DOUBLE_EQ(*app->pointer.close_deadline, 3.15);

    // A file being dragged out keeps it open.
    app->pointer.close_deadline.reset();
    app->island.drag_out = true;
    app->on_activate(false);
    EXPECT_FALSE(app->pointer.close_deadline.has_value());
}

TEST_F(HostTest, GainingFocusGivesTheSearchFieldTheKeyboardOnlyOnSearch) {
    open_on(*app, Page::Search);
    app->on_activate(true);
    EXPECT_EQ(app->island.focus, TextField::Search);
    open_on(*app, Page::Notes);
    app->on_activate(true);
    EXPECT_EQ(app->island.focus, TextField::None);
}

TEST_F(HostTest, DraggingFilesOverOpensTheShelfAndLeavingWithoutDropClosesLater) {
    app->island.open = false;
    app->timers.countdown = Countdown{120, 0, 0, false, true};
    app->notices.kind = HudKind::TimerDone;
    app->notices.shown = true;
    app->now = 20;
    app->on_drag_enter();
    EXPECT_TRUE(app->island.open);
    EXPECT_TRUE(app->island.drag_hover);
    EXPECT_EQ(app->island.page, Page::Shelf);
    EXPECT_EQ(app->island.remembered_page, Page::Shelf);
    EXPECT_FALSE(app->notices.shown) << "opening silences the finished countdown";
    EXPECT_DOUBLE_EQ(app->timers.countdown.remaining, 120);

    app->pointer.inside = false;
    app->on_drop({});
    EXPECT_FALSE(app->island.drag_hover);
    ASSERT_TRUE(app->pointer.close_deadline.has_value());
    EXPECT_DOUBLE_EQ(*app->pointer.close_deadline, 20.6);
}

TEST_F(HostTest, SearchHotKeyOpensWithTheFieldFocusedThenClosesAgain) {
    app->island.open = false;
    std::optional<WindowEffect> e = app->on_search_hotkey();
    EXPECT_TRUE(e && std::holds_alternative<effect::FocusIsland>(*e));
    EXPECT_TRUE(app->island.open);
    EXPECT_EQ(app->island.page, Page::Search);
    EXPECT_EQ(app->island.focus, TextField::Search);

    e = app->on_search_hotkey();
    EXPECT_FALSE(e.has_value());
    EXPECT_FALSE(app->island.open);

    // Open on search without the keyboard (focus went elsewhere): the key takes it back.
    open_on(*app, Page::Search);
    app->island.focus = TextField::None;
    e = app->on_search_hotkey();
    EXPECT_TRUE(e.has_value());
    EXPECT_TRUE(app->island.open);
    EXPECT_EQ(app->island.focus, TextField::Search);
}

TEST_F(HostTest, TrayClickTogglesAndEndsADragOut) {
    app->island.open = false;
    app->toggle_from_tray();
    EXPECT_TRUE(app->island.open);
    app->island.drag_out = true;
    app->toggle_from_tray();
    EXPECT_FALSE(app->island.open);
    EXPECT_FALSE(app->island.drag_out);
}

}  // namespace

namespace {

TEST_F(HostTest, ASingleDroppedClientFileBecomesTheGoogleClientNeverAShelfItem) {
    using json = nlohmann::json;
    std::string dir = test_temp_dir("-drop");
    std::string good = path_join(dir, "CLIENT_SECRET_123.apps.JSON");
    std::string bare = path_join(dir, "client_secret.json");
    std::string bad = path_join(dir, "client_secret_bozuk.json");
    std::string other = path_join(dir, "resim.png");
    json doc = {{"installed", {{"client_id", "cid"}, {"client_secret", "sec"}}}};
    ASSERT_TRUE(write_file_atomic(good, doc.dump()).ok());
    ASSERT_TRUE(write_file_atomic(bare, doc.dump()).ok());
    ASSERT_TRUE(write_file_atomic(bad, "{\"web\":{}}").ok());
    ASSERT_TRUE(write_file_atomic(other, "png").ok());

    struct Case {
        std::vector<std::string> paths;
        const char* title;  // the notice, or nullptr when the files go to the shelf
        size_t shelved;
    } cases[] = {
        {{good}, "Google istemcisi eklendi", 0},
        {{bare}, "Google istemcisi eklendi", 0},
        {{bad}, "Bu dosya Google istemcisi değil", 0},
        {{good, bare}, nullptr, 2},
        {{other}, nullptr, 1},
    };
    for (const auto& c : cases) {
        app->lists.shelf.clear();
        app->notices.title.clear();
        app->google.snap.client_ready = false;
        app->island.drag_hover = true;
        app->pointer.inside = false;
        app->pointer.close_deadline.reset();
        app->now = 5;
        app->on_files_dropped(c.paths);
        EXPECT_FALSE(app->island.drag_hover);
        EXPECT_EQ(app->lists.shelf.size(), c.shelved) << c.paths[0];
        if (c.title) {
            EXPECT_EQ(app->notices.title, c.title) << c.paths[0];
            EXPECT_EQ(app->google.snap.client_ready, std::string(c.title) == "Google istemcisi eklendi");
            EXPECT_FALSE(app->pointer.close_deadline.has_value());
        } else {
            ASSERT_TRUE(app->pointer.close_deadline.has_value());
            EXPECT_DOUBLE_EQ(*app->pointer.close_deadline, 6.6);
        }
    }
    auto stored = load_protected_json(kGoogleClientFile);
    ASSERT_TRUE(stored);
    EXPECT_EQ((*stored)["id"], "cid");
}

}  // namespace
