// The Gemini page as a user reaches it (a click on the island, a click on the
// Gemini dock icon), drawn through App::render into the recording renderer:
// the signed-out invitation, the empty conversation with its suggestions,
// voice line and teach button, the bubbles and their sizes, the scroll
// bookkeeping, the typing dots, and the clicks on suggestions, microphone,
// clear and a hovered answer's buttons.
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app.h"
#include "gfx_geom.h"
#include "island_draw_support.h"
#include "island_user_support.h"
#include "pages.h"
#include "sys_text.h"

namespace {

Action of(ActionKind k) { return Action::of(k); }
Action at(ActionKind k, uint16_t i) { return Action::at(k, i); }
Action suggest(uint8_t i) { return Action::byte(ActionKind::GSuggest, i); }

struct GeminiPageTest : ::testing::Test {
    ScopedDataDir data;
    RecordingRenderer* rec = nullptr;
    std::unique_ptr<App> app;
    std::optional<Receiver<GoogleCommand>> rx;

    void SetUp() override {
        AppFixture::reset_fake_machine();
        auto r = std::make_unique<RecordingRenderer>(1.0f);
        (void)r->resize_dib(900, 470, 1.0f);
        rec = r.get();
        app = make_test_app(true, std::move(r));
        auto [tx, r2] = channel<GoogleCommand>();
        app->google.tx = tx;
        rx.emplace(std::move(r2));
        ASSERT_TRUE(island_user::open_on_page(*app, Page::Gemini)) << "the Gemini dock icon";
    }
    void TearDown() override { AppFixture::reset_fake_machine(); }

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
    std::vector<GoogleCommand> sent() {
        std::vector<GoogleCommand> out;
        while (auto c = rx->try_recv()) out.push_back(std::move(*c));
        return out;
    }
    const DrawCall* text(const std::string& s) const { return rec->find_text(s); }
    std::vector<const DrawCall*> ops(DrawOp op) const {
        std::vector<const DrawCall*> out;
        for (const DrawCall& c : rec->calls)
            if (c.op == op) out.push_back(&c);
        return out;
    }
};

std::function<void(GoogleState&)> signed_in(std::string name, std::vector<ChatLine> chat = {}, bool busy = false) {
    return [=](GoogleState& s) {
        s.signed_in = true;
        s.status = "bağlı";
        s.name = name;
        s.chat = chat;
        s.gemini_busy = busy;
    };
}

float text_width(const std::string& s) { return fixed_text_width(s, 14, FontFamily::Text); }

// ---- Signed out and empty ----------------------------------------------------------------------------

TEST_F(GeminiPageTest, SignedOutOnlyInvites) {
    redraw();
    EXPECT_TRUE(text("Gemini için Google ile bağlan"));
    EXPECT_TRUE(text("Google ile bağlan"));
    const std::vector<HitRegion> regions = page_regions();
    ASSERT_EQ(regions.size(), 1u);
    EXPECT_TRUE(action_eq(regions[0].action, of(ActionKind::GSignIn)));
    EXPECT_FALSE(text("Gemini'ye sor…")) << "no input bar while signed out";
}

TEST_F(GeminiPageTest, EmptyConversationGreetsAndSuggests) {
    struct Case {
        const char* name;
        bool model, wake;
        std::string hotkey;
        const char* greeting;
        const char* voice;
        bool teach;
    } cases[] = {
        {"Ayşe Nur", false, true, "", "Merhaba Ayşe! Ne sormak istersin?", "Sesli sor: adaya basılı tut", true},
        {"", true, true, "Ctrl + Alt + G", "Merhaba! Ne sormak istersin?",
         "Sesli sor: “Hey Google” de, adaya basılı tut ya da Ctrl + Alt + G", false},
        {"Can", true, false, "", "Merhaba Can! Ne sormak istersin?", "Sesli sor: adaya basılı tut", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.greeting);
        app->settings.wake_model_present = c.model;
        app->settings.wake = c.wake;
        app->hotkeys.voice = c.hotkey;
        publish(signed_in(c.name));
        EXPECT_TRUE(text(c.greeting));
        EXPECT_TRUE(text(c.voice));
        EXPECT_EQ(island_user::region_of(*app, of(ActionKind::WakeTeach)).has_value(), c.teach);
        EXPECT_EQ(text("“Hey Google”u öğret") != nullptr, c.teach);
        EXPECT_EQ(app->google.chat_scroll_max, 0);
        // Three chips in a centred row, 10 apart, each its label's width plus 28.
        std::optional<RectF> chips[3];
        for (uint8_t i = 0; i < 3; ++i) {
            chips[i] = island_user::region_of(*app, suggest(i));
            ASSERT_TRUE(chips[i]);
            EXPECT_FLOAT_EQ(chips[i]->h, 32);
        }
        EXPECT_FLOAT_EQ(chips[1]->x, chips[0]->x + chips[0]->w + 10);
        EXPECT_FLOAT_EQ(chips[2]->x, chips[1]->x + chips[1]->w + 10);
        EXPECT_FLOAT_EQ(chips[0]->w, fixed_text_width("E-postalarımı özetle", 12.5f, FontFamily::Text) + 28);
        const float left = chips[0]->x, right = chips[2]->x + chips[2]->w;
        const std::optional<RectF> clear = island_user::region_of(*app, of(ActionKind::GClear));
        const std::optional<RectF> field =
            island_user::region_of(*app, Action::byte(ActionKind::Field, static_cast<uint8_t>(TextField::Gemini)));
        ASSERT_TRUE(clear && field);
        EXPECT_NEAR((left + right) / 2, (field->x + clear->x + clear->w) / 2, 0.01f) << "centred on the body";
    }
}

TEST_F(GeminiPageTest, ClicksReachTheirCommands) {
    publish(signed_in("Ayşe"));
    const char* asked[] = {"E-postalarımı özetle", "Bugün takvimimde ne var?", "Bana kısa bir motivasyon sözü söyle"};
    for (uint8_t i = 0; i < 3; ++i) {
        ASSERT_TRUE(island_user::click_action(*app, suggest(i)));
        std::vector<GoogleCommand> got = sent();
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(std::get<gcmd::Ask>(got[0]).question, asked[i]);
        redraw();
    }
    ASSERT_TRUE(island_user::click_action(*app, of(ActionKind::GClear)));
    std::vector<GoogleCommand> got = sent();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_TRUE(std::holds_alternative<gcmd::ClearChat>(got[0]));

    ASSERT_TRUE(island_user::click_action(*app, of(ActionKind::Mic)));
    EXPECT_EQ(app->voice.state, VoiceState::Listening) << "the microphone starts a voice question";
}

TEST_F(GeminiPageTest, InputBarRegions) {
    publish(signed_in("Ayşe"));
    const std::optional<RectF> clear = island_user::region_of(*app, of(ActionKind::GClear));
    const std::optional<RectF> mic = island_user::region_of(*app, of(ActionKind::Mic));
    const std::optional<RectF> field =
        island_user::region_of(*app, Action::byte(ActionKind::Field, static_cast<uint8_t>(TextField::Gemini)));
    ASSERT_TRUE(clear && mic && field);
    const float right = clear->x + clear->w, bottom = clear->y + clear->h;
    expect_rect(*clear, right - 42, bottom - 42, 42, 42);
    expect_rect(*mic, right - 91, bottom - 42, 42, 42);
    EXPECT_FLOAT_EQ(field->w, right - field->x - 96);
    EXPECT_FLOAT_EQ(field->h, 42);
    EXPECT_TRUE(text("Gemini'ye sor…"));
}

// ---- Conversation ---------------------------------------------------------------------------------------

TEST_F(GeminiPageTest, BubbleSizes) {
    const std::string word = "Merhaba", two = "Birinci satır\nikinci satır", question = "Nasılsın?";
    publish(signed_in("Ayşe", {{question, true}, {word, false}, {two, false}}));
    const DrawCall* w = text(word);
    const DrawCall* t = text(two);
    const DrawCall* q = text(question);
    ASSERT_TRUE(w && t && q);
    const std::optional<RectF> msg1 = island_user::region_of(*app, at(ActionKind::GMsg, 1));
    const std::optional<RectF> msg2 = island_user::region_of(*app, at(ActionKind::GMsg, 2));
    ASSERT_TRUE(msg1 && msg2);
    EXPECT_FALSE(island_user::region_of(*app, at(ActionKind::GMsg, 0))) << "the user's own line has no region";
    EXPECT_FLOAT_EQ(msg1->w, text_width(word) + 36) << "a short answer is as wide as its text plus 36";
    EXPECT_GE(msg1->h, 37);
    const std::optional<RectF> clear = island_user::region_of(*app, of(ActionKind::GClear));
    const std::optional<RectF> field =
        island_user::region_of(*app, Action::byte(ActionKind::Field, static_cast<uint8_t>(TextField::Gemini)));
    ASSERT_TRUE(clear && field);
    const float x = field->x, width = clear->x + clear->w - x;
    EXPECT_FLOAT_EQ(msg2->w, std::floor(0.78f * width) - 28 + 28) << "a text with a line feed takes the full width";
    // The question sits at the right in blue; answers start 32 from the left, below it.
    EXPECT_FLOAT_EQ(q->rect.x + q->rect.w - 2 + 14, x + width);
    EXPECT_FLOAT_EQ(msg1->x, x + 32);
    EXPECT_FLOAT_EQ(msg2->y, msg1->y + msg1->h + 8);
}

TEST_F(GeminiPageTest, ShortChatStartsAtTheTopAndLongChatFollowsTheNewestLine) {
    publish(signed_in("Ayşe", {{"Selam", true}, {"Merhaba!", false}}));
    EXPECT_EQ(app->google.chat_scroll_max, 0);
    const std::optional<RectF> first = island_user::region_of(*app, at(ActionKind::GMsg, 1));
    const std::optional<RectF> field =
        island_user::region_of(*app, Action::byte(ActionKind::Field, static_cast<uint8_t>(TextField::Gemini)));
    ASSERT_TRUE(first && field);
    const DrawCall* question = text("Selam");
    ASSERT_TRUE(question);
    EXPECT_FLOAT_EQ(question->rect.y, 64 + 9) << "the first line at the top of the body";
    EXPECT_GT(first->y, question->rect.y + question->rect.h - 9);

    std::vector<ChatLine> chat;
    for (int i = 0; i < 12; ++i) {
        chat.push_back({"Soru " + std::to_string(i), true});
        chat.push_back({"Cevap " + std::to_string(i), false});
    }
    publish(signed_in("Ayşe", chat));
    const float maximum = app->google.chat_scroll_max;
    EXPECT_GT(maximum, 0);
    EXPECT_FLOAT_EQ(app->google.chat_scroll, maximum) << "a new line sends the view to the bottom";
    const std::optional<RectF> last = island_user::region_of(*app, at(ActionKind::GMsg, 23));
    ASSERT_TRUE(last);
    EXPECT_NEAR(last->y + last->h, field->y + 42 - 52, 0.01f) << "the newest answer ends at the viewport's bottom";
    EXPECT_FALSE(island_user::region_of(*app, at(ActionKind::GMsg, 1))) << "lines scrolled out are not drawn";
    for (const HitRegion& h : app->drawing.hits)
        if (h.action.kind == ActionKind::GMsg) {
            EXPECT_GE(h.rect.y, 64) << "a half-hidden answer is clickable only where it shows";
            EXPECT_LE(h.rect.y + h.rect.h, field->y + 42 - 52 + 1e-3f);
        }

    // The wheel scrolls back; the view stays there until something new arrives.
    app->on_pointer_move(first->x + 40, first->y + 10);
    app->on_wheel(240, false);
    redraw();
    EXPECT_LT(app->google.chat_scroll, maximum);
    const float kept = app->google.chat_scroll;
    redraw();
    EXPECT_FLOAT_EQ(app->google.chat_scroll, kept);
    publish(signed_in("Ayşe", chat, true));
    EXPECT_FLOAT_EQ(app->google.chat_scroll, app->google.chat_scroll_max) << "the typing dots bring the view down";
    EXPECT_FLOAT_EQ(app->google.chat_scroll_max, maximum + 46);
}

TEST_F(GeminiPageTest, TypingDotsAloneSitAtTheTop) {
    publish(signed_in("Ayşe", {}, true));
    EXPECT_FALSE(text("Merhaba Ayşe! Ne sormak istersin?"));
    EXPECT_EQ(app->google.chat_scroll_max, 0);
    const std::optional<RectF> field =
        island_user::region_of(*app, Action::byte(ActionKind::Field, static_cast<uint8_t>(TextField::Gemini)));
    ASSERT_TRUE(field);
    const float x = field->x;
    bool bubble = false;
    for (const DrawCall* f : ops(DrawOp::FillRoundedRect))
        if (std::fabs(f->rect.x - (x + 32)) < 1e-3f && f->rect.w == 72 && f->rect.h == 38) {
            bubble = true;
            EXPECT_FLOAT_EQ(f->rect.y, 64) << "at the top of the viewport";
        }
    EXPECT_TRUE(bubble);
    int dots = 0;
    for (const DrawCall* c : ops(DrawOp::FillCircle))
        if (std::fabs(c->rect.w - 8) < 1e-3f && c->rect.y > 64 && c->rect.y < 64 + 38) ++dots;
    EXPECT_EQ(dots, 3);
}

TEST_F(GeminiPageTest, HoveredAnswerShowsCopyAndSpeak) {
    publish(signed_in("Ayşe", {{"Selam", true}, {"Merhaba!", false}}));
    EXPECT_FALSE(island_user::region_of(*app, at(ActionKind::GCopy, 1)));
    hover(at(ActionKind::GMsg, 1));
    const std::optional<RectF> msg = island_user::region_of(*app, at(ActionKind::GMsg, 1));
    const std::optional<RectF> copy = island_user::region_of(*app, at(ActionKind::GCopy, 1));
    const std::optional<RectF> speak = island_user::region_of(*app, at(ActionKind::GSpeak, 1));
    ASSERT_TRUE(msg && copy && speak);
    expect_rect(*copy, msg->x + msg->w + 18 - 14, msg->y + msg->h - 14 - 14, 28, 28);
    expect_rect(*speak, copy->x + 30, copy->y, 28, 28);
    EXPECT_TRUE(island_user::click_action(*app, at(ActionKind::GSpeak, 1)));
}

}  // namespace
