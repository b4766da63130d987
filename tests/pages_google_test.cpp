// The Google page as a user reaches it (a click on the island, a click on the
// Google dock icon), drawn through App::render into the recording renderer:
// the regions of every clickable element, the signed-out invitation, the
// account sidebar, the inbox with its hover buttons, the two tabs, the caps of
// the lists, the due dates taken from network text and the profile picture's
// cache entry.
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app.h"
#include "island_draw_support.h"
#include "island_user_support.h"
#include "pages.h"
#include "ui_widgets.h"

namespace {

// The open Google page is 720 × 372: its body (114, 64, 672, 250) holds the
// sidebar at x 114, the Gmail column at 322 and the tab panel at 584 (202 wide).
constexpr float kX = 114, kY = 64, kH = 250;
constexpr float kGx = kX + 208, kRx = kX + 470, kRw = 202;

struct GooglePageTest : ::testing::Test {
    ScopedDataDir data;
    RecordingRenderer* rec = nullptr;
    std::unique_ptr<App> app;

    void SetUp() override {
        AppFixture::reset_fake_machine();
        auto r = std::make_unique<RecordingRenderer>(1.0f);
        (void)r->resize_dib(900, 470, 1.0f);
        rec = r.get();
        app = make_test_app(true, std::move(r));
        LocalTime t;
        t.year = 2026, t.month = 12, t.day = 9, t.hour = 9, t.minute = 5;
        app->wall_clock.unix_seconds = test_unix_for_local(t);
        ASSERT_TRUE(island_user::open_on_page(*app, Page::Google)) << "the Google dock icon";
    }
    void TearDown() override { AppFixture::reset_fake_machine(); }

    // The worker publishes a state; the island copies it and draws a frame.
    void publish(const std::function<void(GoogleState&)>& change) {
        app->google.shared.with(change);
        app->on_google_update();
        redraw();
    }
    void redraw() {
        island_user::settle(*app, 120);
        app->drawing.redraw = true;
        app->tick(island_user::kFrame);
    }
    // Points at a region as a user does and lets the hover fade in.
    void hover(const Action& a) {
        std::optional<RectF> r = island_user::region_of(*app, a);
        ASSERT_TRUE(r) << action_debug(a);
        app->on_pointer_move(r->x + r->w / 2, r->y + r->h / 2);
        redraw();
    }

    std::vector<HitRegion> page_regions() const {
        std::vector<HitRegion> out;
        for (const HitRegion& h : app->drawing.hits)
            if (h.action.kind != ActionKind::Dock) out.push_back(h);
        return out;
    }
    const DrawCall* text(const std::string& s) const { return rec->find_text(s); }
    bool drawn(const std::string& s) const { return text(s) != nullptr; }
    std::vector<const DrawCall*> ops(DrawOp op) const {
        std::vector<const DrawCall*> out;
        for (const DrawCall& c : rec->calls)
            if (c.op == op) out.push_back(&c);
        return out;
    }
};

MailItem mail(int i, bool unread, std::string subject = "Konu") {
    MailItem m;
    m.id = "m" + std::to_string(i);
    m.from = "Kişi " + std::to_string(i);
    m.subject = std::move(subject);
    m.snippet = "Özet " + std::to_string(i);
    m.unread = unread;
    return m;
}

// Signed in with `mails` mails, `events` events an hour apart from tomorrow 10:00 and `tasks` tasks.
std::function<void(GoogleState&)> signed_in(size_t mails, size_t events, size_t tasks, int64_t tomorrow_ten) {
    return [=](GoogleState& s) {
        s.signed_in = true;
        s.status = "bağlı";
        s.name = "Ayşe Yılmaz";
        s.email = "ayse@example.com";
        s.unread = 3;
        for (size_t i = 0; i < mails; ++i) s.mails.push_back(mail(static_cast<int>(i), i % 2 == 0));
        for (size_t i = 0; i < events; ++i)
            s.events.push_back({"e" + std::to_string(i), "Etkinlik " + std::to_string(i), "",
                                tomorrow_ten + 3600 * static_cast<int64_t>(i), false});
        for (size_t i = 0; i < tasks; ++i) s.tasks.push_back({"t" + std::to_string(i), "Görev " + std::to_string(i), ""});
    };
}

Action at(ActionKind k, uint16_t i) { return Action::at(k, i); }
Action of(ActionKind k) { return Action::of(k); }
Action tab(uint8_t t) { return Action::byte(ActionKind::GTab, t); }

ImageRef picture(uint8_t tint) {
    auto img = std::make_shared<Image>();
    img->width = img->height = 4;
    img->pixels.assign(4 * 4 * 4, tint);
    return img;
}

}  // namespace

// ---- Regions ---------------------------------------------------------------------------------------

TEST_F(GooglePageTest, EveryClickableElementCarriesItsAction) {
    const int64_t tomorrow_ten = *app->wall_clock.unix_seconds + 86400 + 55 * 60;
    auto mail_row = [](uint16_t i) { return RectF{kGx + 8, kY + 44 + 48.0f * i, 234, 44}; };
    const RectF tab0{kRx + 12, kY + 10, 89, 28}, tab1{kRx + 12 + 89, kY + 10, 89, 28};
    const RectF refresh{kX + 14, kY + kH - 74, 168, 28}, sign_out{kX + 14, kY + kH - 40, 168, 28};
    struct Want {
        Action action;
        RectF rect;
    };
    struct Case {
        const char* what;
        std::function<void(GooglePageTest&)> reach;
        std::vector<Want> want;
    } cases[] = {
        {"signed out",
         [](GooglePageTest&) {},
         {{of(ActionKind::GSignIn), {kX + 14, kY + kH - 50, 168, 36}}, {tab(0), tab0}, {tab(1), tab1}}},
        {"signed in, calendar tab",
         [&](GooglePageTest& t) { t.publish(signed_in(6, 6, 7, tomorrow_ten)); },
         {{of(ActionKind::GRefresh), refresh},
          {of(ActionKind::GSignOut), sign_out},
          {at(ActionKind::GMail, 0), mail_row(0)},
          {at(ActionKind::GMail, 1), mail_row(1)},
          {at(ActionKind::GMail, 2), mail_row(2)},
          {at(ActionKind::GMail, 3), mail_row(3)},
          {tab(0), tab0},
          {tab(1), tab1},
          {at(ActionKind::GEvent, 0), {kRx + 8, kY + 46, kRw - 16, 44}},
          {at(ActionKind::GEvent, 1), {kRx + 8, kY + 46 + 48, kRw - 16, 44}},
          {at(ActionKind::GEvent, 2), {kRx + 8, kY + 46 + 96, kRw - 16, 44}},
          {at(ActionKind::GEvent, 3), {kRx + 8, kY + 46 + 144, kRw - 16, 44}}}},
        {"signed in, the tasks tab clicked",
         [&](GooglePageTest& t) {
             t.publish(signed_in(1, 0, 7, tomorrow_ten));
             ASSERT_TRUE(island_user::click_action(*t.app, tab(1)));
             t.redraw();
         },
         {{of(ActionKind::GRefresh), refresh},
          {of(ActionKind::GSignOut), sign_out},
          {at(ActionKind::GMail, 0), mail_row(0)},
          {tab(0), tab0},
          {tab(1), tab1},
          {at(ActionKind::GTaskDone, 0), {kRx + 8, kY + 46, kRw - 16, 34}},
          {at(ActionKind::GTaskDone, 1), {kRx + 8, kY + 46 + 38, kRw - 16, 34}},
          {at(ActionKind::GTaskDone, 2), {kRx + 8, kY + 46 + 76, kRw - 16, 34}},
          {at(ActionKind::GTaskDone, 3), {kRx + 8, kY + 46 + 114, kRw - 16, 34}},
          {at(ActionKind::GTaskDone, 4), {kRx + 8, kY + 46 + 152, kRw - 16, 34}}}},
        {"consent needed",
         [&](GooglePageTest& t) {
             t.publish([](GoogleState& s) {
                 s.signed_in = true, s.status = "bağlı", s.needs_consent = true;
             });
         },
         {{of(ActionKind::GSignIn), {kX + 14, kY + 136, 168, 26}},
          {of(ActionKind::GRefresh), refresh},
          {of(ActionKind::GSignOut), sign_out},
          {tab(0), tab0},
          {tab(1), tab1}}},
        {"a hovered mail row shows its two buttons above it",
         [&](GooglePageTest& t) {
             t.publish(signed_in(2, 0, 0, tomorrow_ten));
             t.hover(at(ActionKind::GMail, 1));
         },
         {{of(ActionKind::GRefresh), refresh},
          {of(ActionKind::GSignOut), sign_out},
          {at(ActionKind::GMail, 0), mail_row(0)},
          {at(ActionKind::GMail, 1), mail_row(1)},
          {at(ActionKind::GMailArchive, 1), {kGx + 222 - 14, kY + 44 + 48, 28, 44}},
          {at(ActionKind::GMailRead, 1), {kGx + 192 - 14, kY + 44 + 48, 28, 44}},
          {tab(0), tab0},
          {tab(1), tab1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        c.reach(*this);
        redraw();
        const std::vector<HitRegion> got = page_regions();
        ASSERT_EQ(got.size(), c.want.size());
        for (size_t i = 0; i < got.size(); ++i) {
            SCOPED_TRACE(action_debug(c.want[i].action));
            EXPECT_TRUE(action_eq(got[i].action, c.want[i].action)) << action_debug(got[i].action);
            expect_rect(got[i].rect, c.want[i].rect.x, c.want[i].rect.y, c.want[i].rect.w, c.want[i].rect.h);
            // A click in its middle reaches it: nothing drawn later covers it.
            const RectF& r = c.want[i].rect;
            EXPECT_TRUE(action_eq(app->hit_test(r.x + r.w / 2, r.y + r.h / 2), c.want[i].action));
        }
    }
}

TEST_F(GooglePageTest, ClicksReachTheirCommands) {
    auto [tx, rx] = channel<GoogleCommand>();
    app->google.tx = tx;
    publish(signed_in(2, 0, 2, 0));
    ASSERT_TRUE(island_user::click_action(*app, at(ActionKind::GMailRead, 0)) == false)
        << "the buttons are not there before the row is hovered";
    hover(at(ActionKind::GMail, 0));
    ASSERT_TRUE(island_user::click_action(*app, at(ActionKind::GMailArchive, 0)));
    auto sent = rx.try_recv();
    ASSERT_TRUE(sent);
    EXPECT_EQ(std::get<gcmd::MailArchive>(*sent).id, "m0");
    EXPECT_EQ(app->google.snap.mails.size(), 1u);
}

// ---- Signed out -------------------------------------------------------------------------------------

TEST_F(GooglePageTest, SignedOutInvitesAndShowsNoBadge) {
    publish([](GoogleState& s) {
        s.status = "bağlı değil";
        s.unread = 3;  // left from an earlier session: no badge while signed out
    });
    // The four-colour ring and its bar.
    const std::vector<const DrawCall*> arcs = ops(DrawOp::Arc);
    ASSERT_EQ(arcs.size(), 4u);
    const struct {
        int r, g, b;
        float start, sweep;
    } want[] = {{66, 133, 244, 0.25f, 0.14f}, {52, 168, 83, 0.39f, 0.22f}, {251, 188, 5, 0.61f, 0.16f},
                {234, 67, 53, 0.77f, 0.30f}};
    for (size_t i = 0; i < 4; ++i) {
        expect_color(arcs[i]->color, want[i].r, want[i].g, want[i].b, 1);
        EXPECT_FLOAT_EQ(arcs[i]->p0, want[i].start);
        EXPECT_FLOAT_EQ(arcs[i]->p1, want[i].sweep);
        expect_rect(arcs[i]->rect, kX + 98 - 22, kY + 50 - 22, 44, 44);
        EXPECT_FLOAT_EQ(arcs[i]->stroke, 7.92f);
    }
    bool bar = false;
    for (const DrawCall* f : ops(DrawOp::FillRoundedRect))
        if (std::fabs(f->rect.x - (kX + 98)) < 1e-3f && std::fabs(f->rect.y - (kY + 46.04f)) < 1e-3f &&
            std::fabs(f->rect.w - 25.96f) < 1e-3f)
            bar = true;
    EXPECT_TRUE(bar) << "the bar from the centre to the right";

    const DrawCall* title = text("Google'a bağlan");
    ASSERT_NE(title, nullptr);
    expect_rect(title->rect, kX + 10, kY + 86, 176, 22);
    EXPECT_TRUE(drawn("Gemini · sesli asistan"));
    EXPECT_TRUE(drawn("Gmail · Takvim"));
    const DrawCall* status = text("bağlı değil");
    ASSERT_NE(status, nullptr);
    expect_color(status->color, 255, 255, 255, 0.4f);
    EXPECT_TRUE(drawn("Google ile bağlan"));
    EXPECT_TRUE(drawn("Bağlanınca gelen kutun burada"));
    EXPECT_TRUE(drawn("Bağlanınca etkinliklerin burada"));
    EXPECT_FALSE(drawn("3 okunmamış"));
    EXPECT_FALSE(drawn("Yenile"));

    ASSERT_TRUE(island_user::click_action(*app, tab(1)));
    redraw();
    EXPECT_EQ(app->google.tab, 1);
    EXPECT_TRUE(drawn("Bağlanınca Google Görevler burada"));
    EXPECT_FALSE(drawn("Bağlanınca etkinliklerin burada"));
}

TEST_F(GooglePageTest, WaitingForTheBrowserRelabelsTheButton) {
    publish([](GoogleState& s) { s.status = "bağlı değil"; });
    EXPECT_TRUE(drawn("Google ile bağlan"));
    // The user's click sets the waiting status at once.
    ASSERT_TRUE(island_user::click_action(*app, of(ActionKind::GSignIn)));
    redraw();
    EXPECT_TRUE(drawn("Tarayıcıda onayla…"));
    EXPECT_FALSE(drawn("Google ile bağlan"));
    // So does the worker's own status text.
    publish([](GoogleState& s) { s.status = "tarayıcıda giriş bekleniyor…"; });
    EXPECT_TRUE(drawn("Tarayıcıda onayla…"));
}

// ---- Sidebar, signed in -------------------------------------------------------------------------------

TEST_F(GooglePageTest, AvatarLetterAndNameLine) {
    struct Case {
        const char *name, *email, *letter, *name_line;
    } cases[] = {
        {"", "", "G", "Google hesabı"},
        {"", "zeynep@example.com", "Z", "Google hesabı"},
        {"ilker Su", "", "İ", "ilker Su"},
        {"Ömer", "o@example.com", "Ö", "Ömer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.letter);
        publish([&](GoogleState& s) {
            s.signed_in = true, s.status = "bağlı", s.name = c.name, s.email = c.email;
        });
        const DrawCall* letter = nullptr;
        for (const DrawCall* t : ops(DrawOp::Text))
            if (t->size == 27) letter = t;
        ASSERT_NE(letter, nullptr);
        EXPECT_EQ(letter->text, c.letter);
        EXPECT_EQ(letter->family, FontFamily::Display);
        expect_rect(letter->rect, kX + 68, kY + 22, 60, 60);
        const DrawCall* name = text(c.name_line);
        ASSERT_NE(name, nullptr);
        expect_rect(name->rect, kX + 10, kY + 90, 176, 22);
    }
}

TEST_F(GooglePageTest, ConsentButtonOrStatusPill) {
    struct Case {
        const char* what;
        bool consent;
        const char* status;
        const char* shown;  // the button's or the pill's text
        int r, g, b;
        bool button;
    } cases[] = {
        {"consent while connected", true, "bağlı", "İzinleri güncelle", 255, 159, 10, true},
        {"consent with another status shows the pill", true, "Gmail: izin yok", "Gmail: izin yok", 255, 159, 10,
         false},
        {"connected", false, "bağlı", "Gemini · Gmail · Takvim", 50, 215, 75, false},
        {"a long status is cut at 180", false, "oturum süresi doldu, yeniden bağlan lütfen şimdi",
         "oturum süresi doldu, yeniden bağlan lütfen şimdi", 255, 159, 10, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        publish([&](GoogleState& s) {
            s.signed_in = true, s.status = c.status, s.needs_consent = c.consent;
        });
        const DrawCall* t = nullptr;
        for (const DrawCall* d : ops(DrawOp::Text))
            if (d->text == c.shown && d->size == (c.button ? 12 : 11)) t = d;
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->weight, 700);
        bool has_sign_in = false;
        for (const HitRegion& h : page_regions()) has_sign_in |= h.action.kind == ActionKind::GSignIn;
        EXPECT_EQ(has_sign_in, c.button);
        if (c.button) {
            expect_rect(t->rect, kX + 14, kY + 136, 168, 26);
            const Color rest = toward_white(page_color::kOrange, 0.2f);  // at rest, not hovered
            EXPECT_NEAR(t->color.g, rest.g, 1e-4f);
            EXPECT_NEAR(t->color.b, rest.b, 1e-4f);
            continue;
        }
        expect_color(t->color, c.r, c.g, c.b, 1);
        const float w = std::min(rec->measure_text(c.shown, 11, FontFamily::Text, 700) + 20, 180.0f);
        expect_rect(t->rect, kX + 98 - w / 2, kY + 138, w, 22);
    }
}

// ---- Gmail column ----------------------------------------------------------------------------------------

TEST_F(GooglePageTest, MailRowsBadgeAndEmptyTexts) {
    publish([](GoogleState& s) {
        s.signed_in = true, s.status = "bağlı", s.unread = 3;
        s.mails = {mail(0, true), mail(1, false, "")};
    });
    const DrawCall* badge = text("3 okunmamış");
    ASSERT_NE(badge, nullptr);
    const float bw = rec->measure_text("3 okunmamış", 11.5f, FontFamily::Text, 700) + 20;
    expect_rect(badge->rect, kGx + 236 - bw, kY + 13, bw, 22);
    expect_color(badge->color, 255, 69, 58, 1);

    const DrawCall* unread = text("Kişi 0");
    const DrawCall* read = text("Kişi 1");
    ASSERT_TRUE(unread && read);
    EXPECT_EQ(unread->weight, 700);
    EXPECT_EQ(read->weight, 600);
    expect_rect(read->rect, kGx + 28, kY + 44 + 48 + 3, 206, 20);
    EXPECT_TRUE(drawn("Konu"));
    EXPECT_TRUE(drawn("Özet 1")) << "a mail without a subject shows its snippet";
    EXPECT_FALSE(drawn("Özet 0"));
    size_t dots = 0;
    for (const DrawCall* c : ops(DrawOp::FillCircle))
        if (c->radius == 3.5f) ++dots;
    EXPECT_EQ(dots, 1u) << "one unread mail";

    // Signed in without mail: an error of the Gmail poll, else the loading line.
    publish([](GoogleState& s) { s.mails.clear(), s.status = "Gmail: 500"; });
    EXPECT_TRUE(drawn("Gmail: 500"));
    publish([](GoogleState& s) { s.status = "bağlı", s.unread = 0; });
    EXPECT_TRUE(drawn("Gelen kutusu yükleniyor…"));
    EXPECT_FALSE(drawn("0 okunmamış"));
}

// ---- Tab panel ---------------------------------------------------------------------------------------------

TEST_F(GooglePageTest, ListsAreCappedInOrder) {
    const int64_t tomorrow_ten = *app->wall_clock.unix_seconds + 86400 + 55 * 60;
    publish(signed_in(6, 6, 7, tomorrow_ten));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(drawn("Kişi " + std::to_string(i)), i < 4) << i;
        EXPECT_EQ(drawn("Etkinlik " + std::to_string(i)), i < 4) << i;
    }
    const DrawCall* when = text("Yarın 10:00");
    ASSERT_NE(when, nullptr) << "the first event's day and time";
    expect_rect(when->rect, kRx + 24, kY + 46 + 3, kRw - 38, 18);
    expect_color(when->color, 71, 163, 255, 1);
    EXPECT_TRUE(drawn("Yarın 13:00"));
    EXPECT_FALSE(drawn("Yarın 14:00"));

    ASSERT_TRUE(island_user::click_action(*app, tab(1)));
    redraw();
    for (int i = 0; i < 7; ++i) EXPECT_EQ(drawn("Görev " + std::to_string(i)), i < 5) << i;
    EXPECT_FALSE(drawn("Etkinlik 0"));
}

TEST_F(GooglePageTest, DueDatesOnlyFromWellFormedText) {
    struct Case {
        const char* due;
        const char* label;  // empty: no date
    } cases[] = {
        {"2025-03-07", "07.03"},
        {"2025-03-07T00:00:00.000Z", "07.03"},
        {"2026-12-31", "31.12"},
        {"", ""},
        {"2025-3-7", ""},
        {"2025-03-0", ""},
        {"2025-0a-07", ""},
        {"2025/03/07", ""},
        {"2025-03-0\xC3\xA9", ""},            // a two-byte letter where the last digit goes
        {"\xEF\xBC\x92\xEF\xBC\x90-03-07", ""},  // full-width digits
    };
    ASSERT_TRUE(island_user::click_action(*app, tab(1)));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.due);
        EXPECT_EQ(task_due_label(c.due), c.label);
        publish([&](GoogleState& s) {
            s.signed_in = true, s.status = "bağlı";
            s.tasks = {{"t", "Fatura", c.due}};
        });
        const DrawCall* title = text("Fatura");
        ASSERT_NE(title, nullptr);
        const bool dated = *c.label != '\0';
        expect_rect(title->rect, kRx + 38, kY + 46, dated ? kRw - 104 : kRw - 52, 34);
        if (!dated) continue;
        const DrawCall* date = text(c.label);
        ASSERT_NE(date, nullptr);
        expect_rect(date->rect, kRx + kRw - 64, kY + 46, 48, 34);
        EXPECT_EQ(date->align, TextAlign::Right);
    }
}

// ---- Profile picture --------------------------------------------------------------------------------------

TEST_F(GooglePageTest, ProfilePictureIsCachedUnderItsOwnOwnerAndForgottenWhenReplaced) {
    ImageRef first = picture(40);
    publish([&](GoogleState& s) { s.signed_in = true, s.status = "bağlı", s.name = "Ayşe", s.picture = first; });
    std::vector<const DrawCall*> images = ops(DrawOp::Image);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0]->image, App::google_picture_id(*first));
    EXPECT_EQ(images[0]->image >> 56, kImageOwnerGoogle);
    expect_rect(images[0]->rect, kX + 68, kY + 22, 60, 60);
    EXPECT_FALSE(drawn("A")) << "no letter over a picture";
    EXPECT_EQ(rec->cache_counts().images, 1u);

    // A new picture: the old one leaves the cache as soon as the copy is taken.
    ImageRef second = picture(90);
    app->google.shared.with([&](GoogleState& s) { s.picture = second; });
    first.reset();
    app->on_google_update();
    EXPECT_EQ(rec->cache_counts().images, 0u);
    redraw();
    images = ops(DrawOp::Image);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0]->image, App::google_picture_id(*second));
    EXPECT_EQ(rec->cache_counts().images, 1u);

    // The same picture again keeps its entry; signing out drops it.
    app->on_google_update();
    EXPECT_EQ(rec->cache_counts().images, 1u);
    publish([](GoogleState& s) { s = GoogleState{}; });
    EXPECT_EQ(rec->cache_counts().images, 0u);
    EXPECT_TRUE(ops(DrawOp::Image).empty());
}
