// Windows data protection and the system random generator.
#include <gtest/gtest.h>

#include "sys_protect.h"
#include "sys_win.h"

#include <dpapi.h>

namespace {

std::string all_bytes() {
    std::string s(256, '\0');
    for (int i = 0; i < 256; ++i) s[i] = static_cast<char>(i);
    return s;
}

TEST(Dpapi, RoundTripGivesBackTheSealedBytes) {
    const std::string cases[] = {"", "{\"refresh\":\"1//0g\"}", "çğıöşü İ", all_bytes(), std::string(200'000, 'x')};
    for (const std::string& plain : cases) {
        SCOPED_TRACE(plain.size());
        Result<std::string> sealed = dpapi_protect(plain);
        ASSERT_TRUE(sealed.ok()) << sealed.error().message;
        if (plain.size() > 4) {
            EXPECT_EQ(sealed->find(plain), std::string::npos);
        }
        Result<std::string> opened = dpapi_unprotect(*sealed);
        ASSERT_TRUE(opened.ok()) << opened.error().message;
        EXPECT_EQ(*opened, plain);
    }
}

TEST(Dpapi, SealedBlobCarriesTheProgramDescription) {
    Result<std::string> sealed = dpapi_protect("x");
    ASSERT_TRUE(sealed.ok()) << sealed.error().message;
    DATA_BLOB in{static_cast<DWORD>(sealed->size()), reinterpret_cast<BYTE*>(sealed->data())};
    DATA_BLOB out{};
    wchar_t* description = nullptr;
    ASSERT_TRUE(CryptUnprotectData(&in, &description, nullptr, nullptr, nullptr, 0, &out));
    UniqueLocal out_owner(out.pbData), description_owner(description);
    EXPECT_EQ(std::wstring(description), L"VemoIsland");
}

TEST(Dpapi, ForeignOrDamagedBytesFailWithTheWindowsError) {
    Result<std::string> sealed = dpapi_protect("secret tokens");
    ASSERT_TRUE(sealed.ok()) << sealed.error().message;
    std::string damaged = *sealed;
    damaged[damaged.size() - 5] ^= 0x5A;  // inside the encrypted data and its signature
    std::string cut = sealed->substr(0, sealed->size() - 10);

    for (const std::string& bad : {std::string("not sealed at all"), std::string(), damaged, cut}) {
        SCOPED_TRACE(bad.size());
        Result<std::string> r = dpapi_unprotect(bad);
        ASSERT_FALSE(r.ok());
        EXPECT_NE(r.error().hresult, 0);
        EXPECT_EQ(r.error().message.rfind("CryptUnprotectData", 0), 0u) << r.error().message;
    }
}

TEST(RandomBytes, ExactLengthAndNotRepeating) {
    Result<std::string> none = random_bytes(0);
    ASSERT_TRUE(none.ok()) << none.error().message;
    EXPECT_TRUE(none->empty());

    Result<std::string> a = random_bytes(32), b = random_bytes(32);
    ASSERT_TRUE(a.ok()) << a.error().message;
    ASSERT_TRUE(b.ok()) << b.error().message;
    EXPECT_EQ(a->size(), 32u);
    EXPECT_EQ(b->size(), 32u);
    EXPECT_NE(*a, *b);
    EXPECT_NE(*a, std::string(32, '\0'));
}

}  // namespace
