#include <gtest/gtest.h>

#ifndef _WIN32
#include <algorithm>

#include "app_fixture.h"
#include "gfx_record.h"
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
    void copy_files(std::vector<std::string> paths) {
        fake_clipboard() = FakeClipboard{};
        fake_clipboard().files = std::move(paths);
        app->on_clipboard_update();
    }
    std::string text_at(size_t i) const { return std::get<ClipEntry::Text>(app->lists.clips[i].kind).text; }
    // The history as texts, newest first; a file list reads as its paths joined by "|".
    std::vector<std::string> history() const {
        std::vector<std::string> out;
        for (const ClipEntry& e : app->lists.clips) {
            if (const auto* t = std::get_if<ClipEntry::Text>(&e.kind)) out.push_back(t->text);
            else if (const auto* f = std::get_if<ClipEntry::Files>(&e.kind)) {
                std::string joined;
                for (const std::string& p : f->paths) joined += (joined.empty() ? "" : "|") + p;
                out.push_back(joined);
            } else {
                out.push_back("<görsel>");
            }
        }
        return out;
    }
};

// One clipboard content of a table row.
struct Copy {
    enum Kind { Text, Files, Picture } kind;
    std::string text;
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

TEST_F(ClipHistory, OnlyAnUnpinnedTextOfExactlyTheSameCharactersIsReplaced) {
    struct Case {
        const char* name;
        std::vector<std::string> copies;  // "#pin" pins the newest entry
        std::vector<std::string> want;    // newest first
    } cases[] = {
        {"same text moves to the front", {"bir", "iki", "bir"}, {"bir", "iki"}},
        {"a trailing space is another text", {"bir", "bir "}, {"bir ", "bir"}},
        {"letter case counts", {"bir", "Bir"}, {"Bir", "bir"}},
        {"a pinned copy stays", {"bir", "#pin", "iki", "bir"}, {"bir", "iki", "bir"}},
        {"every unpinned copy goes", {"bir", "iki", "bir", "üç", "bir"}, {"bir", "üç", "iki"}},
    };
    for (const Case& c : cases) {
        app->lists.clips.clear();
        for (const std::string& step : c.copies) {
            if (step == "#pin")
                app->lists.clips.front().pinned = true;
            else
                copy_text(step);
        }
        EXPECT_EQ(history(), c.want) << c.name;
    }
    // File lists are never merged.
    app->lists.clips.clear();
    copy_files({"C:\\a.txt"});
    copy_files({"C:\\a.txt"});
    EXPECT_EQ(history(), (std::vector<std::string>{"C:\\a.txt", "C:\\a.txt"}));
}

TEST_F(ClipHistory, CapDropsTheOldestUnpinnedAndKeepsTheNewEntryAndEveryPinnedOne) {
    struct Case {
        size_t pinned_oldest;  // how many of the 40 oldest entries are pinned
        size_t size;
        const char* dropped;  // the entry that left, or null
    } cases[] = {
        {0, 40, "metin 0"}, {1, 40, "metin 1"}, {39, 40, "metin 39"}, {40, 41, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pinned_oldest);
        app->lists.clips.clear();
        for (int i = 0; i < 40; ++i) copy_text("metin " + std::to_string(i));
        for (size_t k = 0; k < c.pinned_oldest; ++k) app->lists.clips[39 - k].pinned = true;
        copy_text("yeni");
        const std::vector<std::string> h = history();
        ASSERT_EQ(h.size(), c.size);
        EXPECT_EQ(h.front(), "yeni") << "the entry just copied always stays";
        EXPECT_FALSE(app->lists.clips.front().pinned);
        for (int i = 0; i < 40; ++i) {
            const std::string t = "metin " + std::to_string(i);
            const bool kept = std::find(h.begin(), h.end(), t) != h.end();
            EXPECT_EQ(kept, !c.dropped || t != c.dropped) << t;
        }
        size_t pinned = 0;
        for (const ClipEntry& e : app->lists.clips) pinned += e.pinned;
        EXPECT_EQ(pinned, c.pinned_oldest);
    }
}

TEST_F(ClipHistory, FullPicturesStayWithTheThreeNewestPictureEntriesOnly) {
    struct Case {
        const char* name;
        std::vector<Copy::Kind> copies;  // oldest first
        std::vector<bool> full;          // per history entry, newest first (texts: false)
    } cases[] = {
        {"three pictures keep all", {Copy::Picture, Copy::Picture, Copy::Picture}, {true, true, true}},
        {"texts between them do not count",
         {Copy::Picture, Copy::Text, Copy::Picture, Copy::Text, Copy::Picture, Copy::Picture},
         {true, true, false, true, false, false}},
    };
    for (const Case& c : cases) {
        app->lists.clips.clear();
        int n = 0;
        for (Copy::Kind k : c.copies) {
            if (k == Copy::Picture)
                copy_picture(40, 20);
            else
                copy_text("metin " + std::to_string(n++));
        }
        ASSERT_EQ(app->lists.clips.size(), c.full.size()) << c.name;
        for (size_t i = 0; i < c.full.size(); ++i) {
            const auto* p = std::get_if<ClipEntry::Picture>(&app->lists.clips[i].kind);
            EXPECT_EQ(p && p->full != nullptr, c.full[i]) << c.name << " entry " << i;
            if (p) {
                EXPECT_NE(p->thumbnail, nullptr) << "every picture keeps its thumbnail";
            }
        }
    }
}

TEST_F(ClipHistory, NoticeOnlyWhenMoreThanFourTenthsPassedSinceTheLastNotice) {
    struct Case {
        const char* name;
        double gap;  // seconds after the first, announced copy
        bool clip_hud, open, shown;
    } cases[] = {
        {"a quarter second", 0.25, true, false, false},
        {"three eighths", 0.375, true, false, false},
        {"half a second", 0.5, true, false, true},
        {"much later", 30, true, false, true},
        {"notices switched off", 30, false, false, false},
        {"island open", 30, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app->now = 20;
        app->lists.last_clip_notice = -100;
        app->settings.clip_hud = true;
        app->island.open = false;
        copy_text("ilk");
        ASSERT_TRUE(app->notices.shown);
        ASSERT_DOUBLE_EQ(app->lists.last_clip_notice, 20);
        app->notices.shown = false;
        app->notices.title.clear();
        app->now = 20 + c.gap;
        app->settings.clip_hud = c.clip_hud;
        app->island.open = c.open;
        copy_text("ikinci " + std::string(c.name));
        EXPECT_EQ(app->lists.clips.front().kind.index(), 0u) << "recorded in every case";
        EXPECT_EQ(app->notices.shown, c.shown);
        EXPECT_EQ(app->notices.title.empty(), !c.shown) << "texts of an unshown notice are discarded";
        EXPECT_DOUBLE_EQ(app->lists.last_clip_notice, c.shown ? 20 + c.gap : 20);
    }
}

TEST_F(ClipHistory, ExcludedContentAndTheIslandsOwnWritesRecordNothingOfAnyKind) {
    struct Case {
        const char* name;
        Copy::Kind kind;
        bool excluded;      // a password manager marked the content
        bool own_write;     // the island itself just wrote the clipboard
    } cases[] = {
        {"excluded text", Copy::Text, true, false},        {"excluded files", Copy::Files, true, false},
        {"excluded picture", Copy::Picture, true, false},  {"own text", Copy::Text, false, true},
        {"own files", Copy::Files, false, true},           {"own picture", Copy::Picture, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app->lists.clips.clear();
        app->notices.shown = false;
        const uint64_t serial = app->notices.serial;
        app->now += 5;
        app->lists.ignore_clipboard_until = c.own_write ? app->now + 0.6 : 0;
        fake_clipboard() = FakeClipboard{};
        if (c.kind == Copy::Text) fake_clipboard().text = "gizli";
        if (c.kind == Copy::Files) fake_clipboard().files = {"C:\\gizli.txt"};
        if (c.kind == Copy::Picture) fake_clipboard().image = Image{std::vector<uint8_t>(16, 255), 2, 2};
        fake_clipboard().excluded = c.excluded;
        app->on_clipboard_update();
        EXPECT_TRUE(app->lists.clips.empty());
        EXPECT_FALSE(app->notices.shown);
        EXPECT_EQ(app->notices.serial, serial);
        // The same content without the mark, after the island's own write has passed, is recorded.
        fake_clipboard().excluded = false;
        app->now += 1;
        app->on_clipboard_update();
        EXPECT_EQ(app->lists.clips.size(), 1u);
    }
}

TEST_F(ClipHistory, AnEvictedPictureReleasesItsCachedBitmap) {
    auto owned = std::make_unique<RecordingRenderer>();
    RecordingRenderer* rec = owned.get();
    app->drawing.renderer = std::move(owned);
    copy_picture(40, 20);
    const ClipEntry& picture = app->lists.clips.front();
    rec->draw_image(image_id(kImageOwnerClip, picture.id), *std::get<ClipEntry::Picture>(picture.kind).thumbnail,
                    {0, 0, 40, 30}, 6);
    ASSERT_EQ(rec->cache_counts().images, 1u);
    for (int i = 0; i < 39; ++i) copy_text("metin " + std::to_string(i));
    EXPECT_EQ(rec->cache_counts().images, 1u) << "40 entries: the picture is still listed";
    copy_text("kırkbirinci");
    EXPECT_EQ(app->lists.clips.size(), 40u);
    EXPECT_EQ(rec->cache_counts().images, 0u);
}
#endif
