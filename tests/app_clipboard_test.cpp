#include <gtest/gtest.h>

#ifndef _WIN32
#include "app_fixture.h"
#include "sys_clipboard.h"

namespace {

struct ClipHistory : AppFixture {
    void SetUp() override {
        AppFixture::SetUp();
        fake_clipboard() = FakeClipboard{};
        make(false);  // the notice gate stays shut in quiet mode
        app->now = 10;
    }
    void TearDown() override {
        fake_clipboard() = FakeClipboard{};
        AppFixture::TearDown();
    }
    void copy_text(const std::string& t) {
        fake_clipboard() = FakeClipboard{};
        fake_clipboard().text = t;
        app->on_clipboard_update();
    }
    void copy_picture(uint32_t w, uint32_t h) {
        fake_clipboard() = FakeClipboard{};
        Image img;
        img.width = w;
        img.height = h;
        img.pixels.assign(size_t{w} * h * 4, 255);
        fake_clipboard().image = img;
        app->on_clipboard_update();
    }
    std::string text_at(size_t i) const { return std::get<ClipEntry::Text>(app->lists.clips[i].kind).text; }
};

}  // namespace

TEST_F(ClipHistory, SameTextTwiceKeepsOneEntryAtTheFrontUnlessPinned) {
    copy_text("merhaba");
    copy_text("dünya");
    copy_text("merhaba");
    ASSERT_EQ(app->lists.clips.size(), 2u);
    EXPECT_EQ(text_at(0), "merhaba");
    app->lists.clips[0].pinned = true;
    copy_text("merhaba");
    EXPECT_EQ(app->lists.clips.size(), 3u) << "a pinned copy stays beside the new one";
}

TEST_F(ClipHistory, WhitespaceOnlyChangesNothingAndShowsNoNotice) {
    copy_text("  \n\t ");
    EXPECT_TRUE(app->lists.clips.empty());
    EXPECT_FALSE(app->notices.shown);
}

TEST_F(ClipHistory, NoticeTitleIsTheFirstSixtyCharactersOfTheWords) {
    copy_text("  iki   boşluk\n" + std::string(100, 'x'));
    EXPECT_TRUE(app->notices.shown);
    EXPECT_EQ(app->notices.kind, HudKind::Clipboard);
    EXPECT_EQ(app->notices.title, "iki boşluk " + std::string(49, 'x'));
    EXPECT_EQ(app->lists.clips[0].time.size(), 5u);
}

TEST_F(ClipHistory, TwoChangesWithinFourTenthsRecordTwoButAnnounceOne) {
    copy_text("bir");
    app->notices.shown = false;
    app->now += 0.3;
    copy_text("iki");
    EXPECT_EQ(app->lists.clips.size(), 2u);
    EXPECT_FALSE(app->notices.shown);
    app->now += 0.2;
    copy_text("üç");
    EXPECT_TRUE(app->notices.shown);
}

TEST_F(ClipHistory, CapRemovesTheOldestUnpinnedButNeverAPinnedOne) {
    for (int i = 0; i < 41; ++i) copy_text("metin " + std::to_string(i));
    ASSERT_EQ(app->lists.clips.size(), 40u);
    EXPECT_EQ(text_at(39), "metin 1");
    for (auto& e : app->lists.clips) e.pinned = true;
    copy_text("yeni");
    EXPECT_EQ(app->lists.clips.size(), 41u);
}

TEST_F(ClipHistory, OnlyTheThreeNewestPicturesKeepTheirFullImage) {
    for (int i = 0; i < 4; ++i) copy_picture(500, 250);
    ASSERT_EQ(app->lists.clips.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        const auto& p = std::get<ClipEntry::Picture>(app->lists.clips[i].kind);
        EXPECT_EQ(p.full != nullptr, i < 3) << i;
        ASSERT_NE(p.thumbnail, nullptr);
        EXPECT_EQ(p.thumbnail->width, 220u);
        EXPECT_EQ(p.thumbnail->height, 110u);
    }
    EXPECT_EQ(app->notices.kind, HudKind::Image);
    EXPECT_EQ(app->notices.title, "Görsel panoya kopyalandı");
    EXPECT_EQ(app->notices.body, "500 × 250");
    ASSERT_NE(app->notices.picture, nullptr);
    EXPECT_EQ(app->notices.picture->width, 120u);
}

TEST_F(ClipHistory, FilesExclusionsAndTheIslandsOwnWrites) {
    fake_clipboard().files = {"C:\\a.txt", "C:\\b.txt"};
    app->on_clipboard_update();
    ASSERT_EQ(app->lists.clips.size(), 1u);
    EXPECT_EQ(app->notices.title, "2 dosya");
    fake_clipboard() = FakeClipboard{};
    fake_clipboard().text = "gizli";
    fake_clipboard().excluded = true;
    app->on_clipboard_update();
    app->lists.ignore_clipboard_until = app->now + 1;
    fake_clipboard().excluded = false;
    app->on_clipboard_update();
    EXPECT_EQ(app->lists.clips.size(), 1u);
}
#endif
