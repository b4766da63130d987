// The search and settings pages reached as a user reaches them (a click on the
// island, a click on the dock icon) and drawn through App::render into the
// recording renderer: the hint, the rows, the selection, the icon loading, the
// switches, the city, the size and the about line; and for each page a table
// of every clickable element, the Action under it and what the click does.
#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "app_fixture.h"
#include "gfx_record.h"
#include "island_user_support.h"
#include "main.h"
#include "pages.h"
#include "sys_os.h"
#include "sys_text.h"
#include "sys_version.h"
#include "ui_widgets.h"

namespace {

using Effect = std::optional<WindowEffect>;
constexpr uint16_t kKeyEnter = 13, kKeyUp = 38, kKeyDown = 40;

std::string utf8_of(char32_t c) {
    std::string s;
    append_utf8(s, c);
    return s;
}

bool opens(const Effect& e, const std::string& target) {
    const auto* o = e ? std::get_if<effect::OpenUrl>(&*e) : nullptr;
    return o && o->target == target;
}

SearchRow app_row(int i) {
    return SearchRow{SearchRowKind::App, "App.Id." + std::to_string(i), "Uygulama " + std::to_string(i), "Uygulama"};
}

struct SearchSettingsPages : ::testing::Test {
    ScopedDataDir data;
    RecordingRenderer* rec = nullptr;
    std::unique_ptr<App> app;

    void SetUp() override { AppFixture::reset_fake_machine(); }
    void TearDown() override {
        app.reset();
        AppFixture::reset_fake_machine();
    }

    void fresh_app(bool quiet = true) {
        auto r = std::make_unique<RecordingRenderer>(1.0f);
        (void)r->resize_dib(900, 470, 1.0f);
        rec = r.get();
        app = make_test_app(quiet, std::move(r));
    }

    void redraw() {
        app->drawing.redraw = true;
        app->tick(island_user::kFrame);
    }

    void open(Page p) {
        ASSERT_TRUE(island_user::open_on_page(*app, p));
        redraw();
    }

    // The window point at the centre of the first drawn text `label`.
    std::optional<PointF> where(const std::string& label) const {
        const DrawCall* c = rec->find_text(label);
        if (!c) return std::nullopt;
        return c->transform.apply({c->rect.x + c->rect.w / 2, c->rect.y + c->rect.h / 2});
    }

    // The fill of the search page's selection highlight (white 0.12, 40 high), if drawn.
    std::optional<RectF> selection_highlight() const {
        for (const DrawCall& c : rec->calls)
            if (c.op == DrawOp::FillRoundedRect && c.rect.h == 40 && std::fabs(c.color.a - 0.12f) < 1e-4f &&
                c.rect.w > 600)
                return c.rect;
        return std::nullopt;
    }

    std::string state_file() const { return read_file(state_path()).value_or(""); }

    // One clickable element: the text drawn on it, the Action its region carries and the click's outcome.
    struct ClickCase {
        const char* name;
        std::string label;
        Action action;
        std::function<void(App&)> before;
        std::function<void(App&, const Effect&)> check;
    };

    void run(Page page, const ClickCase& c) {
        SCOPED_TRACE(c.name);
        fresh_app();
        if (c.before) c.before(*app);
        open(page);
        std::optional<PointF> p = where(c.label);
        ASSERT_TRUE(p) << c.label << " not drawn";
        app->on_pointer_move(p->x, p->y);
        island_user::settle(*app);
        redraw();
        p = where(c.label);
        ASSERT_TRUE(p) << c.label << " gone under the pointer";
        const Action under = app->hit_test(p->x, p->y);
        ASSERT_TRUE(action_eq(under, c.action)) << "region carries " << action_debug(under);
        app->on_pointer_down(p->x, p->y);
        c.check(*app, app->on_click(p->x, p->y));
    }
};

// ---- Search page ------------------------------------------------------------------------------------------

TEST_F(SearchSettingsPages, SearchHintFollowsTheHotKeyLabel) {
    struct Case {
        const char* label;
        const char* hint;
    } cases[] = {
        {"", "Uygulama adı yaz · 12*4 yaz, hesaplasın · bluetooth yaz, ayarı açsın"},
        {"Ctrl + Alt + Boşluk", "Ctrl + Alt + Boşluk ile her yerden aç · 12*4 hesaplar · “bluetooth” ayarı açar"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        fresh_app();
        app->set_search_hotkey_label(c.label);
        open(Page::Search);
        const DrawCall* hint = rec->find_text(c.hint);
        ASSERT_TRUE(hint);
        EXPECT_EQ(hint->align, TextAlign::Center);
        EXPECT_FLOAT_EQ(hint->size, 12);
        EXPECT_FALSE(selection_highlight()) << "no rows, no highlight";
    }
}

TEST_F(SearchSettingsPages, SelectionFollowsTheArrowKeysAndHoverSparesTheSelectedRow) {
    fresh_app();
    open(Page::Search);
    ASSERT_TRUE(island_user::click_action(*app, Action::byte(ActionKind::Field, uint8_t(TextField::Search))));
    ASSERT_EQ(app->island.focus, TextField::Search);
    for (char32_t c : U"12*4") app->on_char(c);
    ASSERT_GE(app->search_page.rows.size(), 2u);
    EXPECT_EQ(app->search_page.rows[0].title, "= 48");
    island_user::settle(*app);
    redraw();
    const std::optional<RectF> first = selection_highlight();
    ASSERT_TRUE(first);
    const DrawCall* title0 = rec->find_text("= 48");
    ASSERT_TRUE(title0);
    EXPECT_FLOAT_EQ(first->y, title0->rect.y);

    app->on_key(kKeyDown, false);
    island_user::settle(*app);
    redraw();
    std::optional<RectF> moved = selection_highlight();
    ASSERT_TRUE(moved);
    EXPECT_NEAR(moved->y, first->y + 40, 0.05f);

    // Halfway back up the highlight sits between the rows.
    app->on_key(kKeyUp, false);
    for (int i = 0; i < 6; ++i) app->tick(island_user::kFrame);
    moved = selection_highlight();
    ASSERT_TRUE(moved);
    EXPECT_GT(moved->y, first->y);
    EXPECT_LT(moved->y, first->y + 40);
    island_user::settle(*app);

    // Hovering the selected row adds nothing; hovering another adds the lighter fill.
    auto hover_fills = [&] {
        int n = 0;
        for (const DrawCall& c : rec->calls)
            if (c.op == DrawOp::FillRoundedRect && c.rect.h == 40 && c.color.a > 0 && c.color.a <= 0.06f + 1e-4f) ++n;
        return n;
    };
    const PointF on0 = title0->transform.apply({title0->rect.x + 5, title0->rect.y + 20});
    app->on_pointer_move(on0.x, on0.y);
    island_user::settle(*app);
    redraw();
    EXPECT_EQ(hover_fills(), 0);
    app->on_pointer_move(on0.x, on0.y + 40);
    island_user::settle(*app);
    redraw();
    EXPECT_EQ(hover_fills(), 1);

    // Enter runs the selected row: the calculator's answer goes to the notice.
    app->on_key(kKeyEnter, false);
    EXPECT_EQ(app->notices.title, "= 48");
}

TEST_F(SearchSettingsPages, AppIconsAreAskedTwoPerFrameAndShowThePlaceholderMeanwhile) {
    fresh_app();
    open(Page::Search);
    for (int i = 0; i < 6; ++i) app->search_page.rows.push_back(app_row(i));
    // One icon is already there: it is drawn, under its own id, and never asked for.
    auto icon = std::make_shared<Image>(Image{std::vector<uint8_t>(26 * 26 * 4, 255), 26, 26});
    app->drawing.app_icon_cache.clear();
    app->drawing.app_icon_cache["App.Id.2"] = icon;
    const std::string placeholder = utf8_of(0xECAA);
    auto placeholders = [&] {
        size_t n = 0;
        for (const DrawCall& c : rec->calls) n += c.text == placeholder;
        return n;
    };
    const size_t asked_after[] = {3, 5, 6, 6};  // the cache holds the loaded one plus those asked
    for (size_t frame = 0; frame < 4; ++frame) {
        SCOPED_TRACE(frame);
        redraw();
        EXPECT_EQ(app->drawing.app_icon_cache.size(), asked_after[frame]);
        EXPECT_EQ(rec->count(DrawOp::Image), 1u);
        // The native shell has no icons: each asked row keeps its placeholder.
        EXPECT_EQ(placeholders(), 5u);
    }
    bool drawn_as_icon = false;
    for (const DrawCall& c : rec->calls)
        if (c.op == DrawOp::Image) drawn_as_icon = c.image == shell_icon_id("App.Id.2") && c.rect.w == 26;
    EXPECT_TRUE(drawn_as_icon);
}

TEST_F(SearchSettingsPages, LongTitlesStayLeftOfTheLabel) {
    fresh_app();
    open(Page::Search);
    app->search_page.rows = {SearchRow{SearchRowKind::App, "Uzun",
                                       "Çok uzun bir Türkçe uygulama adı: Güncelleştirme Yardımcısı ve Şifre Yöneticisi "
                                       "Öğretmenler İçin Ölçme Değerlendirme",
                                       "Uygulama"}};
    redraw();
    const DrawCall* title = rec->find_text(app->search_page.rows[0].title);
    const DrawCall* label = rec->find_text("Uygulama");
    ASSERT_TRUE(title && label);
    // The title is cut at its rectangle, which ends left of the right-aligned label's text.
    const float label_left = label->rect.x + label->rect.w - rec->measure_text("Uygulama", 12, FontFamily::Text, 400);
    EXPECT_LE(title->rect.x + title->rect.w, label_left);
    EXPECT_GT(rec->measure_text(title->text, 14, FontFamily::Text, 600), title->rect.w) << "long enough to be cut";
}

TEST_F(SearchSettingsPages, SearchClickTable) {
    auto rows = [](App& a) {
        a.search_page.rows = {app_row(0),
                              SearchRow{SearchRowKind::Setting, "ms-settings:bluetooth", "Bluetooth", "Ayar"},
                              SearchRow{SearchRowKind::Calc, "48", "48", "Hesap"},
                              SearchRow{SearchRowKind::Web, "hava", "“hava” için web'de ara", "Web"}};
    };
    const std::vector<ClickCase> cases = {
        {"the field takes the keyboard", "Uygulama, ayar, hesap ya da web araması…",
         Action::byte(ActionKind::Field, uint8_t(TextField::Search)), nullptr,
         [](App& a, const Effect& e) {
             EXPECT_TRUE(e && std::holds_alternative<effect::FocusIsland>(*e));
             EXPECT_EQ(a.island.focus, TextField::Search);
         }},
        {"an app row starts the app", "Uygulama 0", Action::byte(ActionKind::Res, 0), rows,
         [](App& a, const Effect& e) {
             EXPECT_TRUE(opens(e, "shell:AppsFolder\\App.Id.0"));
             EXPECT_FALSE(a.island.open);
         }},
        {"a settings row opens the page", "Bluetooth", Action::byte(ActionKind::Res, 1), rows,
         [](App&, const Effect& e) { EXPECT_TRUE(opens(e, "ms-settings:bluetooth")); }},
        {"the calculator copies", "48", Action::byte(ActionKind::Res, 2), rows,
         [](App& a, const Effect&) { EXPECT_EQ(a.notices.title, "= 48"); }},
        {"web search", "“hava” için web'de ara", Action::byte(ActionKind::Res, 3), rows,
         [](App&, const Effect& e) { EXPECT_TRUE(opens(e, web_search_url("hava"))); }},
    };
    for (const ClickCase& c : cases) run(Page::Search, c);
}

// ---- Settings page ----------------------------------------------------------------------------------------

TEST_F(SearchSettingsPages, AboutLineNamesEachEmptyStatus) {
    fresh_app();
    app->set_search_hotkey_label("");
    open(Page::Settings);
    const std::string want = std::string("Vemo Ada ") + kAppVersion + " · güncelleme: bekliyor · Arama: kısayol yok · Bildirimler: —";
    EXPECT_TRUE(rec->find_text(want)) << want;
    EXPECT_EQ(want, "Vemo Ada 2.4.0 · güncelleme: bekliyor · Arama: kısayol yok · Bildirimler: —");

    app->update.status = "güncel";
    app->notifs.status = "izin var";
    app->set_search_hotkey_label("Ctrl + Alt + Boşluk");
    EXPECT_EQ(settings_about_line(*app),
              std::string("Vemo Ada ") + kAppVersion + " · güncelleme: güncel · Arama: Ctrl + Alt + Boşluk · Bildirimler: izin var");
}

TEST_F(SearchSettingsPages, EachSwitchFlipsSavesAndSlides) {
    for (int t = 0; t < kSettingToggleCount; ++t) {
        const SettingToggle toggle = static_cast<SettingToggle>(t);
        const SettingRow* row = setting_row(toggle);
        ASSERT_TRUE(row && row->label);
        SCOPED_TRACE(row->label);
#ifdef _WIN32
        // The Run key belongs to the machine the tests run on; natively it is the fake desktop's.
        if (toggle == SettingToggle::Autostart) continue;
#endif
        fresh_app(false);
        open(Page::Settings);
        const bool before = app->settings.*row->flag;
        const Action act = Action::byte(ActionKind::Set, uint8_t(t));
        std::optional<PointF> p = where(row->label);
        ASSERT_TRUE(p);
        ASSERT_TRUE(action_eq(app->hit_test(p->x, p->y), act));
        app->on_pointer_move(p->x, p->y);
        app->on_pointer_down(p->x, p->y);
        app->on_click(p->x, p->y);
        EXPECT_NE(app->settings.*row->flag, before);
        EXPECT_TRUE(app->drawing.redraw);
        if (row->key) {
            EXPECT_NE(state_file().find(std::string(row->key) + "=" + (before ? "0" : "1") + "\n"), std::string::npos);
        } else {
#ifndef _WIN32
            EXPECT_EQ(fake_desktop().autostart, !before);
#endif
        }
        // The knob ends at the other end of the track.
        island_user::settle(*app);
        redraw();
        EXPECT_FLOAT_EQ(app->anim.toggles[size_t(t)].value, before ? 0.0f : 1.0f);
    }
}

TEST_F(SearchSettingsPages, HalfwaySwitchShowsItsKnobMidTrack) {
    fresh_app();
    open(Page::Settings);
    app->anim.toggles[size_t(SettingToggle::Glow)].value = 0.5f;
    app->draw_page(Page::Settings, {90, 8, 720, 330});
    const DrawCall* label = rec->find_text("Renkli parıltı");
    ASSERT_TRUE(label);
    const float cell_x = label->rect.x - 14, cw = label->rect.w + 80;
    bool knob = false, track = false;
    for (const DrawCall& c : rec->calls) {
        if (c.op == DrawOp::FillCircle && c.rect.y + c.rect.h / 2 == label->rect.y + 16)
            knob = std::fabs(c.rect.x + c.rect.w / 2 - (cell_x + cw - 30)) < 1e-3f;
        if (c.op == DrawOp::FillRoundedRect && c.rect.w == 42 && c.rect.y == label->rect.y + 3.5f)
            track = std::fabs(c.color.a - 0.58f) < 1e-4f;
    }
    EXPECT_TRUE(knob);
    EXPECT_TRUE(track);
}

TEST_F(SearchSettingsPages, CityCommitsOnEnterAndOnItsButton) {
    for (bool by_button : {false, true}) {
        SCOPED_TRACE(by_button ? "button" : "Enter");
        fresh_app(false);
        open(Page::Settings);
        ASSERT_TRUE(island_user::click_action(*app, Action::byte(ActionKind::Field, uint8_t(TextField::City))));
        ASSERT_EQ(app->island.focus, TextField::City);
        app->settings.city_edit.clear();
        for (char32_t c : U"Eskişehir") app->on_char(c);
        redraw();
        if (by_button)
            ASSERT_TRUE(island_user::click_action(*app, Action::byte(ActionKind::FieldGo, uint8_t(TextField::City))));
        else
            app->on_key(kKeyEnter, false);
        EXPECT_EQ(app->settings.city, "Eskişehir");
        EXPECT_NE(state_file().find("city=Eskişehir\n"), std::string::npos);
        EXPECT_EQ(app->island.focus, TextField::None);
    }
}

TEST_F(SearchSettingsPages, SizeStepsAndTheIslandFollows) {
    fresh_app(false);
    open(Page::Settings);
    struct Case {
        const char* label;
        uint8_t size;
        float scale;
    } cases[] = {{"Küçük", 0, 0.88f}, {"Büyük", 2, 1.12f}, {"Normal", 1, 1.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::optional<PointF> p = where(c.label);
        ASSERT_TRUE(p);
        ASSERT_TRUE(action_eq(app->hit_test(p->x, p->y), Action::byte(ActionKind::Size, c.size)));
        app->on_pointer_move(p->x, p->y);
        app->on_pointer_down(p->x, p->y);
        const Effect e = app->on_click(p->x, p->y);
        EXPECT_TRUE(e && std::holds_alternative<effect::Reposition>(*e));
        EXPECT_EQ(app->settings.size, c.size);
        EXPECT_FLOAT_EQ(app->drawing.scale, c.scale);
        EXPECT_NE(state_file().find("size=" + std::to_string(c.size) + "\n"), std::string::npos);
        // The host re-places the window from the stored size: 900 × 470 units at the new scale.
        const WindowGeometry g = window_geometry({0, 0, 1920, 1080}, 1.0f, read_ui_scale());
        EXPECT_FLOAT_EQ(g.scale, c.scale);
        EXPECT_EQ(g.width, round_sat_i32(900 * c.scale));
    }
}

TEST_F(SearchSettingsPages, SettingsClickTable) {
    std::vector<ClickCase> cases;
    for (int t = 0; t < kSettingToggleCount; ++t) {
        const SettingRow* row = setting_row(static_cast<SettingToggle>(t));
        cases.push_back({"switch", row->label, Action::byte(ActionKind::Set, uint8_t(t)), nullptr,
                         [row, t](App& a, const Effect&) {
                             App fresh{AppInit{}};
                             if (static_cast<SettingToggle>(t) != SettingToggle::Autostart) {
                                 EXPECT_NE(a.settings.*row->flag, fresh.settings.*row->flag);
                             }
                         }});
    }
    auto mics = [](App& a) { a.voice.microphones = {"", "USB Mikrofon"}; };
    auto update_tx = std::make_shared<std::optional<Receiver<UpdateRequest>>>();
    const std::vector<ClickCase> more = {
        // The field opens with the stored city in it.
        {"city field", "İstanbul", Action::byte(ActionKind::Field, uint8_t(TextField::City)), nullptr,
         [](App& a, const Effect&) { EXPECT_EQ(a.island.focus, TextField::City); }},
        {"city button", "Kaydet", Action::byte(ActionKind::FieldGo, uint8_t(TextField::City)),
         [](App& a) { a.settings.city = "Bursa"; },
         [](App& a, const Effect&) {
             EXPECT_EQ(a.settings.city, "Bursa");
             EXPECT_TRUE(a.weather.snap.loading) << "the weather is asked for the city again";
         }},
        {"small", "Küçük", Action::byte(ActionKind::Size, 0), nullptr,
         [](App& a, const Effect&) { EXPECT_EQ(a.settings.size, 0); }},
        {"normal", "Normal", Action::byte(ActionKind::Size, 1), [](App& a) { a.settings.size = 2; },
         [](App& a, const Effect&) { EXPECT_EQ(a.settings.size, 1); }},
        {"large", "Büyük", Action::byte(ActionKind::Size, 2), nullptr,
         [](App& a, const Effect&) { EXPECT_EQ(a.settings.size, 2); }},
        {"next microphone", "Windows varsayılanı", Action::of(ActionKind::MicNext), mics,
         [](App& a, const Effect&) { EXPECT_EQ(a.settings.mic, "USB Mikrofon"); }},
        {"and back to the default", "USB Mikrofon", Action::of(ActionKind::MicNext),
         [mics](App& a) {
             mics(a);
             a.settings.mic = "USB Mikrofon";
         },
         [](App& a, const Effect&) { EXPECT_EQ(a.settings.mic, ""); }},
        {"microphone test", "Dene", Action::of(ActionKind::MicTest), nullptr,
         [](App& a, const Effect& e) {
             EXPECT_FALSE(e.has_value());
             EXPECT_FALSE(a.voice.mic_test.has_value()) << "the quiet island records nothing";
         }},
        {"web site", "Site", Action::of(ActionKind::Website), nullptr,
         [](App&, const Effect& e) { EXPECT_TRUE(opens(e, kWebsite)); }},
        {"update check", "Güncelle", Action::of(ActionKind::UpdateCheck),
         [update_tx](App& a) {
             auto [tx, rx] = channel<UpdateRequest>();
             a.update.tx = tx;
             *update_tx = std::move(rx);
         },
         [update_tx](App& a, const Effect&) {
             EXPECT_EQ(a.update.status, "denetleniyor…");
             EXPECT_TRUE((*update_tx)->try_recv().has_value());
         }},
    };
    cases.insert(cases.end(), more.begin(), more.end());
    for (const ClickCase& c : cases) run(Page::Settings, c);
}

TEST_F(SearchSettingsPages, MicrophoneMeterShowsTheStoredLevel) {
    struct Case {
        float peak;
        std::optional<Color> bar;
    } cases[] = {{0, std::nullopt}, {0.2f, palette::kOrange}, {0.6f, palette::kGreen}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.peak);
        fresh_app();
        open(Page::Settings);
        app->voice.mic_test_peak = c.peak;
        redraw();
        const DrawCall* mic = rec->find_text("Mikrofon");
        ASSERT_TRUE(mic);
        int tracks = 0;
        std::optional<Color> bar;
        for (const DrawCall& call : rec->calls) {
            if (call.op != DrawOp::FillRoundedRect || call.rect.y != mic->rect.y + 14 || call.rect.h != 6) continue;
            if (call.rect.w == 90 && std::fabs(call.color.a - 0.12f) < 1e-4f) ++tracks;
            else bar = call.color;
        }
        EXPECT_EQ(tracks, 1);
        EXPECT_EQ(bar.has_value(), c.bar.has_value());
        if (bar && c.bar) {
            EXPECT_FLOAT_EQ(bar->g, c.bar->g);
        }
    }
}

}  // namespace
