// The control-centre, time, shelf, clipboard and notes pages clicked as a user
// clicks them: the island is opened with a click, the page chosen on the dock,
// and every element is found where it was drawn (by its label or glyph)
// through App::render. The region under it must carry the element's Action,
// and the click must do what that Action does.
#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "app_fixture.h"
#include "app_time.h"
#include "gfx_record.h"
#include "google.h"
#include "island_user_support.h"
#include "sys_shared.h"
#include "sys_text.h"

namespace {

std::string utf8_of(char32_t c) {
    std::string s;
    append_utf8(s, c);
    return s;
}

constexpr char32_t kDeleteGlyph = 0xE711, kPinGlyph = 0xE718, kResetGlyph = 0xE72C;

using Effect = std::optional<WindowEffect>;

// One clickable element of a page: where to find it, the Action its region
// must carry, the state before the click and what the click must leave.
struct ClickCase {
    const char* name;
    std::string label;          // the drawn text or glyph of the element
    std::string row;            // a text of the row to point at first (hover-revealed controls); may be empty
    Action action;              // what the region under the label carries
    std::function<void(App&)> before;
    std::function<void(App&, const Effect&)> check;
};

struct PageClicks : ::testing::Test {
    ScopedDataDir data;
    RecordingRenderer* rec = nullptr;
    std::unique_ptr<App> app;

    void SetUp() override { AppFixture::reset_fake_machine(); }
    void TearDown() override {
        app.reset();
        AppFixture::reset_fake_machine();
    }

    void fresh_app() {
        auto r = std::make_unique<RecordingRenderer>(1.0f);
        (void)r->resize_dib(900, 470, 1.0f);
        rec = r.get();
        app = make_test_app(true, std::move(r));
    }

    // One more frame of the state reached, drawn through App::render.
    void redraw() {
        app->drawing.redraw = true;
        app->tick(island_user::kFrame);
    }

    // The window point at the centre of the drawn text `label`; with `row`,
    // the one on the same row (or shelf card) as that text. Of two texts alike
    // (a label the machine's devices may also put on a slider row) the one
    // whose region carries `want` is taken, else the first.
    std::optional<PointF> where(const std::string& label, const std::string& row = "",
                                std::optional<Action> want = std::nullopt) const {
        std::optional<PointF> row_at;
        if (!row.empty()) {
            const DrawCall* r = rec->find_text(row);
            if (!r) return std::nullopt;
            row_at = r->transform.apply({r->rect.x + r->rect.w / 2, r->rect.y + r->rect.h / 2});
        }
        std::optional<PointF> first;
        for (const DrawCall& c : rec->calls) {
            if ((c.op != DrawOp::Text && c.op != DrawOp::WrappedText) || c.text != label) continue;
            const PointF p = c.transform.apply({c.rect.x + c.rect.w / 2, c.rect.y + c.rect.h / 2});
            // On the row (within half a row's height) or on the card (a shelf card's column).
            const bool on_row = !row_at || std::fabs(p.y - row_at->y) <= 18 ||
                                (std::fabs(p.x - row_at->x) < 46 && std::fabs(p.y - row_at->y) < 80);
            if (!on_row) continue;
            if (!want || action_eq(app->hit_test(p.x, p.y), *want)) return p;
            if (!first) first = p;
        }
        return first;
    }

    void point_at(PointF p) {
        app->on_pointer_move(p.x, p.y);
        island_user::settle(*app);
        redraw();
    }

    // Runs one case on a fresh island opened on `page`.
    void run(Page page, const ClickCase& c) {
        SCOPED_TRACE(c.name);
        fresh_app();
        if (c.before) c.before(*app);
        ASSERT_TRUE(island_user::open_on_page(*app, page));
        redraw();
        if (!c.row.empty()) {
            std::optional<PointF> r = where(c.row);
            ASSERT_TRUE(r) << "row " << c.row << " not drawn";
            point_at(*r);
        }
        std::optional<PointF> p = where(c.label, c.row, c.action);
        ASSERT_TRUE(p) << c.label << " not drawn";
        point_at(*p);
        p = where(c.label, c.row, c.action);
        ASSERT_TRUE(p) << c.label << " gone under the pointer";
        const Action under = app->hit_test(p->x, p->y);
        ASSERT_TRUE(action_eq(under, c.action))
            << "region carries " << action_name(under.kind) << " " << int(under.arg) << "/" << under.index;
        app->on_pointer_down(p->x, p->y);
        const Effect e = app->on_click(p->x, p->y);
        c.check(*app, e);
    }
};

Action plain(ActionKind k) { return Action::of(k); }
Action arg(ActionKind k, uint8_t a) { return Action::byte(k, a); }
Action at(ActionKind k, uint16_t i) { return Action::at(k, i); }

bool opens(const Effect& e, const std::string& target) {
    const auto* o = e ? std::get_if<effect::OpenUrl>(&*e) : nullptr;
    return o && o->target == target && !o->params;
}

template <typename E>
bool queued(const App& a) {
    for (const PendingEffect& p : a.effects.pending)
        if (std::holds_alternative<E>(p.effect)) return true;
    return false;
}

bool restores_focus(const App& a) { return queued<effect::RestoreFocus>(a); }

// The last command of kind C among those sent so far (the channel is drained).
template <typename C>
std::optional<C> sent(Receiver<GoogleCommand>& rx) {
    std::optional<C> last;
    while (std::optional<GoogleCommand> got = rx.try_recv())
        if (const auto* c = std::get_if<C>(&*got)) last = *c;
    return last;
}

}  // namespace

// ---- Control centre ---------------------------------------------------------------------------------------

TEST_F(PageClicks, ControlCentreSlidersAndTiles) {
    auto devices = [](App& a) {
        a.audio.brightness_ok = true;
        a.notices.mic_seen = true;
        a.sysmon.snap.wifi = RadioState::Off;
        a.sysmon.snap.bluetooth = RadioState::On;
    };
    // A tile that closes the island and queues its desktop change for later.
    auto closes_then = [](auto tag) {
        return [](App& a, const Effect& e) {
            EXPECT_FALSE(e.has_value());
            EXPECT_FALSE(a.island.open);
            EXPECT_TRUE(queued<decltype(tag)>(a));
        };
    };
    auto hands_off = [](const char* target) {
        return [target](App& a, const Effect& e) {
            EXPECT_TRUE(opens(e, target));
            EXPECT_FALSE(a.island.open);
            EXPECT_FALSE(restores_focus(a));
        };
    };
    const std::vector<ClickCase> cases = {
        {"Wi-Fi off turns on", "Wi‑Fi", "", arg(ActionKind::Tile, 0), devices,
         [](App& a, const Effect& e) {
             const auto* r = e ? std::get_if<effect::SetRadio>(&*e) : nullptr;
             ASSERT_TRUE(r);
             EXPECT_TRUE(r->wifi);
             EXPECT_TRUE(r->on);
             EXPECT_EQ(a.sysmon.snap.wifi, RadioState::On) << "shown at once";
             EXPECT_TRUE(a.island.open);
         }},
        {"Bluetooth on turns off", "Bluetooth", "", arg(ActionKind::Tile, 1), devices,
         [](App& a, const Effect& e) {
             const auto* r = e ? std::get_if<effect::SetRadio>(&*e) : nullptr;
             ASSERT_TRUE(r);
             EXPECT_FALSE(r->wifi);
             EXPECT_FALSE(r->on);
             EXPECT_EQ(a.sysmon.snap.bluetooth, RadioState::Off);
         }},
        {"an unread radio only explains", "Wi‑Fi", "", arg(ActionKind::Tile, 0),
         [](App& a) { a.sysmon.snap.wifi = RadioState::Unknown; },
         [](App& a, const Effect& e) {
             EXPECT_FALSE(e.has_value());
             EXPECT_EQ(a.notices.title, "Wi‑Fi bulunamadı");
         }},
        // The quiet island starts dark.
        {"dark mode off", "Karanlık mod", "", arg(ActionKind::Tile, 2), devices,
         [](App& a, const Effect& e) {
             EXPECT_FALSE(e.has_value());
             EXPECT_FALSE(a.settings.dark_mode);
         }},
        {"keep awake", "Uyanık tut", "", arg(ActionKind::Tile, 3), devices,
         [](App& a, const Effect&) { EXPECT_TRUE(a.island.keep_awake); }},
        // With no microphone the slider row reads "Mikrofon bulunamadı", so
        // "Mikrofon" is the tile's label alone.
        {"microphone tile mutes", "Mikrofon", "", arg(ActionKind::Tile, 4), [](App& a) { a.notices.mic_seen = false; },
         [](App& a, const Effect&) { EXPECT_TRUE(a.audio.mic_muted); }},
        {"muted microphone tile unmutes", "Mik. kapalı", "", arg(ActionKind::Tile, 4),
         [](App& a) { a.audio.mic_muted = true; }, [](App& a, const Effect&) { EXPECT_FALSE(a.audio.mic_muted); }},
        {"screenshot", "Ekran al", "", arg(ActionKind::Tile, 5), devices,
         [](App& a, const Effect& e) {
             EXPECT_FALSE(e.has_value());
             EXPECT_FALSE(a.island.open);
             ASSERT_FALSE(a.effects.pending.empty());
             const auto* o = std::get_if<effect::OpenUrl>(&a.effects.pending.back().effect);
             ASSERT_TRUE(o);
             EXPECT_EQ(o->target, "ms-screenclip:");
         }},
        {"monitor off", "Ekranı kapat", "", arg(ActionKind::Tile, 6), devices, closes_then(effect::MonitorOff{})},
        {"lock", "Kilitle", "", arg(ActionKind::Tile, 7), devices, closes_then(effect::LockWorkstation{})},
        {"show desktop", "Masaüstü", "", arg(ActionKind::Tile, 8), devices, closes_then(effect::ShowDesktop{})},
        {"files", "Dosyalar", "", arg(ActionKind::Tile, 9), devices, hands_off("explorer.exe")},
        {"task manager", "Görev Yön.", "", arg(ActionKind::Tile, 10), devices, hands_off("taskmgr.exe")},
        {"settings", "Win Ayarları", "", arg(ActionKind::Tile, 11), devices, hands_off("ms-settings:")},
    };
    for (const ClickCase& c : cases) run(Page::Control, c);
}

// The rows' whole surface is the track: a click sets the level where it lands.
TEST_F(PageClicks, ControlCentreSliderRowsTakeTheLevelUnderTheClick) {
    struct Case {
        uint8_t row;
        float at;
        std::function<float(const App&)> level;
    } cases[] = {
        {0, 0.75f, [](const App& a) { return a.audio.volume; }},
        {1, 0.25f, [](const App& a) { return a.audio.brightness; }},
        {2, 0.5f, [](const App& a) { return a.audio.mic_level; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.row));
        fresh_app();
        app->audio.brightness_ok = true;
        app->notices.mic_seen = true;
        ASSERT_TRUE(island_user::open_on_page(*app, Page::Control));
        redraw();
        const std::optional<RectF> r = island_user::region_of(*app, arg(ActionKind::Slider, c.row));
        ASSERT_TRUE(r);
        const float x = r->x + c.at * r->w, y = r->y + r->h / 2;
        ASSERT_TRUE(action_eq(app->hit_test(x, y), arg(ActionKind::Slider, c.row)));
        app->on_pointer_move(x, y);
        app->on_pointer_down(x, y);
        app->on_click(x, y);
        EXPECT_NEAR(c.level(*app), c.at, 1e-3f);
    }
}

// ---- Time page -----------------------------------------------------------------------------------------------

TEST_F(PageClicks, TimePageCountdown) {
    auto stopped_partway = [](App& a) {
        a.timers.countdown.length = 600;
        a.timers.countdown.remaining = 240;
    };
    std::vector<ClickCase> cases = {
        {"stopwatch tab", "Kronometre", "", arg(ActionKind::TMode, 1), nullptr,
         [](App& a, const Effect&) { EXPECT_EQ(a.timers.mode, 1); }},
        {"pomodoro tab", "Pomodoro", "", arg(ActionKind::TMode, 2), nullptr,
         [](App& a, const Effect&) { EXPECT_EQ(a.timers.mode, 2); }},
        {"timer tab", "Zamanlayıcı", "", arg(ActionKind::TMode, 0), [](App& a) { a.timers.mode = 2; },
         [](App& a, const Effect&) { EXPECT_EQ(a.timers.mode, 0); }},
        {"minus a minute", "−1", "", plain(ActionKind::TMinus), nullptr,
         [](App& a, const Effect&) { EXPECT_DOUBLE_EQ(a.timers.countdown.length, 240); }},
        {"plus a minute", "+1", "", plain(ActionKind::TPlus), nullptr,
         [](App& a, const Effect&) { EXPECT_DOUBLE_EQ(a.timers.countdown.length, 360); }},
        {"start from full length", "Başlat", "", plain(ActionKind::TToggle), nullptr,
         [](App& a, const Effect&) {
             EXPECT_TRUE(a.timers.countdown.running);
             EXPECT_NEAR(a.timers.countdown.end - a.now, 300, 1e-6);
         }},
        {"resume part-way", "Devam et", "", plain(ActionKind::TToggle), stopped_partway,
         [](App& a, const Effect&) {
             EXPECT_TRUE(a.timers.countdown.running);
             EXPECT_NEAR(a.timers.countdown.end - a.now, 240, 1e-6);
         }},
        {"pause", "Duraklat", "", plain(ActionKind::TToggle),
         [](App& a) {
             a.timers.countdown.running = true;
             a.timers.countdown.end = a.now + 1000;
         },
         [](App& a, const Effect&) { EXPECT_FALSE(a.timers.countdown.running); }},
        {"reset", utf8_of(kResetGlyph), "", plain(ActionKind::TReset), stopped_partway,
         [](App& a, const Effect&) { EXPECT_DOUBLE_EQ(a.timers.countdown.remaining, 600); }},
    };
    // The chips carry the preset's index; the click sets that many minutes.
    for (uint8_t i = 0; i < 8; ++i) {
        const uint32_t minutes = kPresetMinutes[i];
        cases.push_back({"preset", std::to_string(minutes) + " dk", "", arg(ActionKind::Preset, i), nullptr,
                         [minutes](App& a, const Effect&) {
                             EXPECT_DOUBLE_EQ(a.timers.countdown.length, minutes * 60.0);
                             EXPECT_DOUBLE_EQ(a.timers.countdown.remaining, minutes * 60.0);
                         }});
    }
    for (const ClickCase& c : cases) run(Page::Time, c);
}

TEST_F(PageClicks, TimePageStopwatchAndPomodoro) {
    auto stopwatch = [](bool running, double elapsed) {
        return [=](App& a) {
            a.timers.mode = 1;
            a.timers.stopwatch.running = running;
            a.timers.stopwatch.accumulated = elapsed;
            a.timers.stopwatch.start = a.now;
        };
    };
    auto pomodoro = [](App& a) { a.timers.mode = 2; };
    const std::vector<ClickCase> cases = {
        {"lap while running", "Tur", "", plain(ActionKind::Lap), stopwatch(true, 12),
         [](App& a, const Effect&) { EXPECT_EQ(a.timers.stopwatch.laps.size(), 1u); }},
        {"lap at zero does nothing", "Tur", "", plain(ActionKind::Lap), stopwatch(false, 0),
         [](App& a, const Effect&) {
             EXPECT_TRUE(a.timers.stopwatch.laps.empty());
             EXPECT_FALSE(a.timers.stopwatch.running);
         }},
        {"reset a stopped stopwatch", "Sıfırla", "", plain(ActionKind::TReset), stopwatch(false, 12),
         [](App& a, const Effect&) { EXPECT_DOUBLE_EQ(a.timers.stopwatch.accumulated, 0); }},
        {"start the stopwatch", "Başlat", "", plain(ActionKind::TToggle), stopwatch(false, 0),
         [](App& a, const Effect&) { EXPECT_TRUE(a.timers.stopwatch.running); }},
        {"stop the stopwatch", "Durdur", "", plain(ActionKind::TToggle), stopwatch(true, 3),
         [](App& a, const Effect&) { EXPECT_FALSE(a.timers.stopwatch.running); }},
        {"focus of 15 minutes", "15 dk", "", arg(ActionKind::PomoLen, 0), pomodoro,
         [](App& a, const Effect&) {
             EXPECT_EQ(a.timers.pomo.minutes, 15u);
             EXPECT_DOUBLE_EQ(a.timers.pomo.remaining, 900);
         }},
        {"focus of 50 minutes", "50 dk", "", arg(ActionKind::PomoLen, 2), pomodoro,
         [](App& a, const Effect&) { EXPECT_EQ(a.timers.pomo.minutes, 50u); }},
        {"start the pomodoro", "Başlat", "", plain(ActionKind::TToggle), pomodoro,
         [](App& a, const Effect&) { EXPECT_TRUE(a.timers.pomo.running); }},
        {"skip to the break", "Atla", "", plain(ActionKind::PomoSkip), pomodoro,
         [](App& a, const Effect&) { EXPECT_EQ(a.timers.pomo.phase, PomoPhase::ShortBreak); }},
        {"reset the pomodoro", utf8_of(kResetGlyph), "", plain(ActionKind::TReset),
         [](App& a) {
             a.timers.mode = 2;
             a.timers.pomo.remaining = 100;
         },
         [](App& a, const Effect&) { EXPECT_DOUBLE_EQ(a.timers.pomo.remaining, 1500); }},
    };
    for (const ClickCase& c : cases) run(Page::Time, c);
}

// ---- Shelf -------------------------------------------------------------------------------------------------------

TEST_F(PageClicks, ShelfCardsDeleteAndClear) {
    auto three = [](App& a) {
        for (const char* name : {"a.txt", "b.pdf", "c.png"}) {
            ShelfItem s;
            s.path = std::string("C:\\Belgeler\\") + name;
            s.name = name;
            s.detail = "1 KB";
            s.id = a.lists.next_id++;
            a.lists.shelf.push_back(s);
        }
    };
    auto names = [](const App& a) {
        std::vector<std::string> out;
        for (const ShelfItem& s : a.lists.shelf) out.push_back(s.name);
        return out;
    };
    const std::vector<ClickCase> cases = {
        {"a card opens its file", "b.pdf", "", at(ActionKind::Shelf, 1), three,
         [&](App& a, const Effect& e) {
             EXPECT_TRUE(opens(e, "C:\\Belgeler\\b.pdf"));
             EXPECT_FALSE(a.island.open);
             EXPECT_FALSE(restores_focus(a));
             EXPECT_EQ(a.lists.shelf.size(), 3u);
         }},
        {"the hovered card's corner deletes it", utf8_of(kDeleteGlyph), "b.pdf", at(ActionKind::ShelfDel, 1), three,
         [&](App& a, const Effect& e) {
             EXPECT_FALSE(e.has_value());
             EXPECT_EQ(names(a), (std::vector<std::string>{"a.txt", "c.png"}));
             EXPECT_TRUE(a.island.open);
         }},
        {"clear", "Temizle", "", plain(ActionKind::ShelfClear), three,
         [](App& a, const Effect&) {
             EXPECT_TRUE(a.lists.shelf.empty());
             EXPECT_FLOAT_EQ(a.lists.shelf_scroll, 0);
         }},
    };
    for (const ClickCase& c : cases) run(Page::Shelf, c);
}

// ---- Clipboard ---------------------------------------------------------------------------------------------------

TEST_F(PageClicks, ClipboardRowsChipsPinDeleteAndClear) {
    auto history = [](App& a) {
        for (const char* t : {"ilk metin", "ikinci metin", "sabit metin"}) {
            ClipEntry e;
            e.kind = ClipEntry::Text{t};
            e.time = "09:05";
            e.id = a.lists.next_id++;
            a.lists.clips.push_back(e);
        }
        a.lists.clips[2].pinned = true;
    };
    auto texts = [](const App& a) {
        std::vector<std::string> out;
        for (const ClipEntry& e : a.lists.clips) out.push_back(std::get<ClipEntry::Text>(e.kind).text);
        return out;
    };
    // The assistant's request of a chip, read from the Google channel.
    auto google = channel<GoogleCommand>();
    auto asked = [&](const char* label, App& a) {
        EXPECT_EQ(a.island.page, Page::Gemini);
        const auto ask = sent<gcmd::AskLabelled>(google.second);
        ASSERT_TRUE(ask);
        EXPECT_EQ(ask->label, label);
    };
    auto with_channel = [&](App& a) {
        history(a);
        a.google.tx = google.first;
    };
    const std::vector<ClickCase> cases = {
        {"a row goes back on the clipboard", "ikinci metin", "", at(ActionKind::Clip, 1), history,
         [&](App& a, const Effect& e) {
             EXPECT_FALSE(e.has_value());
             EXPECT_EQ(texts(a), (std::vector<std::string>{"ikinci metin", "ilk metin", "sabit metin"}));
             EXPECT_FALSE(a.island.open);
             EXPECT_EQ(a.notices.title, "Tekrar panoya alındı");
             EXPECT_GT(a.lists.ignore_clipboard_until, a.now);
         }},
        {"pin", utf8_of(kPinGlyph), "ilk metin", at(ActionKind::ClipPin, 0), history,
         [](App& a, const Effect&) { EXPECT_TRUE(a.lists.clips[0].pinned); }},
        {"unpin", utf8_of(kPinGlyph), "sabit metin", at(ActionKind::ClipPin, 2), history,
         [](App& a, const Effect&) { EXPECT_FALSE(a.lists.clips[2].pinned); }},
        {"translate", "Çevir", "ikinci metin", Action::both(ActionKind::ClipAsk, 1, 1), with_channel,
         [&](App& a, const Effect&) { asked("Çevir: ikinci metin…", a); }},
        {"summarise", "Özetle", "ilk metin", Action::both(ActionKind::ClipAsk, 0, 0), with_channel,
         [&](App& a, const Effect&) { asked("Özetle: ilk metin…", a); }},
        {"delete", utf8_of(kDeleteGlyph), "ikinci metin", at(ActionKind::ClipDel, 1), history,
         [&](App& a, const Effect&) {
             EXPECT_EQ(texts(a), (std::vector<std::string>{"ilk metin", "sabit metin"}));
         }},
        {"clear keeps the pinned", "Temizle", "", plain(ActionKind::ClipClear), history,
         [&](App& a, const Effect&) { EXPECT_EQ(texts(a), (std::vector<std::string>{"sabit metin"})); }},
    };
    for (const ClickCase& c : cases) run(Page::Clip, c);
}

// ---- Notes -------------------------------------------------------------------------------------------------------

TEST_F(PageClicks, NotesRowsChipDeleteAndClear) {
    auto lists = [](App& a) {
        a.lists.reminders.push_back({"Su iç", a.wall_unix() + 600, 90});
        for (auto [text, done] : {std::pair{"ekmek al", false}, {"faturayı öde", true}}) {
            NoteItem n;
            n.text = text;
            n.done = done;
            n.fade = done ? 1.0f : 0.0f;
            n.id = a.lists.next_id++;
            a.lists.notes.push_back(n);
        }
    };
    auto google = channel<GoogleCommand>();
    auto signed_in = [&](App& a) {
        lists(a);
        a.google.snap.signed_in = true;
        a.google.tx = google.first;
    };
    const std::vector<ClickCase> cases = {
        {"the field takes the keyboard", "Not ya da hatırlatıcı: “10 dk sonra su iç”, “14:30 doktor”", "",
         arg(ActionKind::Field, static_cast<uint8_t>(TextField::Note)), lists,
         [](App& a, const Effect& e) {
             EXPECT_TRUE(e && std::holds_alternative<effect::FocusIsland>(*e));
             EXPECT_EQ(a.island.focus, TextField::Note);
         }},
        {"a note is ticked off", "ekmek al", "", at(ActionKind::Note, 0), lists,
         [](App& a, const Effect&) { EXPECT_TRUE(a.lists.notes[0].done); }},
        {"a done note is opened again", "faturayı öde", "", at(ActionKind::Note, 1), lists,
         [](App& a, const Effect&) { EXPECT_FALSE(a.lists.notes[1].done); }},
        {"the hovered note's delete", utf8_of(kDeleteGlyph), "ekmek al", at(ActionKind::NoteDel, 0), lists,
         [](App& a, const Effect&) {
             ASSERT_EQ(a.lists.notes.size(), 1u);
             EXPECT_EQ(a.lists.notes[0].text, "faturayı öde");
         }},
        {"a reminder's delete", utf8_of(kDeleteGlyph), "Su iç", at(ActionKind::RemDel, 0), lists,
         [](App& a, const Effect&) {
             EXPECT_TRUE(a.lists.reminders.empty());
             EXPECT_EQ(a.lists.notes.size(), 2u);
         }},
        {"to Google Tasks", "Görevlere", "ekmek al", at(ActionKind::NoteTask, 0), signed_in,
         [&](App&, const Effect&) {
             const auto task = sent<gcmd::AddTask>(google.second);
             ASSERT_TRUE(task);
             EXPECT_EQ(task->title, "ekmek al");
         }},
        {"clear the done notes", "Tamamlananları temizle", "", plain(ActionKind::NotesClear), lists,
         [](App& a, const Effect&) {
             ASSERT_EQ(a.lists.notes.size(), 1u);
             EXPECT_EQ(a.lists.notes[0].text, "ekmek al");
             EXPECT_EQ(a.lists.reminders.size(), 1u);
         }},
    };
    for (const ClickCase& c : cases) run(Page::Notes, c);
}
