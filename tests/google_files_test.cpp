// Protected JSON files in the data folder: what reads as absent, what round-trips.
#include <gtest/gtest.h>

#include "google_files.h"
#include "sys_log.h"
#include "sys_os.h"
#include "sys_protect.h"
#include "test_support.h"

namespace {

using nlohmann::json;

struct AbsentCase {
    const char* what;
    std::optional<std::string> file_bytes;  // nullopt: no file at all
};

std::string sealed(std::string_view plain) {
    Result<std::string> r = dpapi_protect(plain);
    return r.ok() ? r.value() : std::string();
}

TEST(ProtectedJson, MissingForeignOrInvalidFilesReadAsAbsent) {
    ScopedDataDir data;
    std::string random = random_bytes(64).value();
    const AbsentCase cases[] = {
        {"missing file", std::nullopt},
        {"empty file", std::string()},
        {"random bytes", random},
        {"plain JSON that was never sealed", std::string("{\"refresh\":\"x\"}")},
        {"sealed text that is not JSON", sealed("refresh=x")},
        {"sealed JSON with trailing text", sealed("{\"a\":1} x")},
        {"sealed invalid UTF-8 inside a string", sealed("[\"\xff\"]")},
        {"sealed empty text", sealed("")},
    };
    for (const AbsentCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::string path = data_file(kGoogleTokensFile);
        remove_file(path);
        if (c.file_bytes) {
            ASSERT_TRUE(write_file_atomic(path, *c.file_bytes).ok());
        }
        EXPECT_FALSE(load_protected_json(kGoogleTokensFile).has_value());
    }
}

TEST(ProtectedJson, SavedDocumentIsCompactSortedSealedAndReadsBackEqual) {
    ScopedDataDir data;
    json tokens = {{"scope", "openid email"}, {"refresh", "1//0gşİ"}, {"email", "a@b.c"}, {"n", 3}, {"list", {true, nullptr}}};
    ASSERT_TRUE(save_protected_json(kGoogleTokensFile, tokens).ok());

    std::optional<std::string> file = read_file(path_join(data.dir, "google-tokens.bin"));
    ASSERT_TRUE(file.has_value());
    Result<std::string> plain = dpapi_unprotect(*file);
    ASSERT_TRUE(plain.ok()) << plain.error().message;
    EXPECT_EQ(*plain, "{\"email\":\"a@b.c\",\"list\":[true,null],\"n\":3,\"refresh\":\"1//0gşİ\",\"scope\":\"openid email\"}");

    std::optional<json> back = load_protected_json(kGoogleTokensFile);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, tokens);
}

TEST(ProtectedJson, SavingReplacesTheFileWhole) {
    ScopedDataDir data;
    json chat = json::array();
    for (int i = 0; i < 30; ++i) chat.push_back({{"u", i % 2 == 0}, {"t", std::string(500, 'a' + i % 26)}});
    ASSERT_TRUE(save_protected_json(kGeminiChatFile, chat).ok());
    json shorter = json::array({{{"u", true}, {"t", "merhaba"}}});
    ASSERT_TRUE(save_protected_json(kGeminiChatFile, shorter).ok());

    EXPECT_EQ(load_protected_json(kGeminiChatFile), std::optional<json>(shorter));
    EXPECT_FALSE(file_exists(data_file(std::string(kGeminiChatFile) + ".tmp")));
}

// A string that is not UTF-8 must not throw out of the save (the worker
// thread has nowhere to catch it); it is stored with U+FFFD instead.
TEST(ProtectedJson, InvalidUtf8InAStringIsStoredReplaced) {
    ScopedDataDir data;
    json value = {{"t", std::string("a\xff" "b")}};
    ASSERT_TRUE(save_protected_json(kGeminiChatFile, value).ok());
    std::optional<json> back = load_protected_json(kGeminiChatFile);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ((*back)["t"], "a\xEF\xBF\xBD" "b");
}

}  // namespace
