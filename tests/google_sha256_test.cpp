#include "google_sha256.h"

#include <gtest/gtest.h>

#include <string>

#include "net_encode.h"

namespace {

std::string hex_digest(std::string_view message) {
    const auto d = sha256(message);
    return to_hex_lower(std::string_view(reinterpret_cast<const char*>(d.data()), d.size()));
}

TEST(Sha256, StandardDigests) {
    struct Case {
        std::string message;
        const char* digest;
    };
    const Case cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 55 bytes: padding and length still fit into the one block.
        {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        // 56 bytes: the length field spills into a second block.
        {std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(63, 'a'), "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
        {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
        {std::string(119, 'a'), "31eba51c313a5c08226adf18d4a359cfdfd8d2e816b13f4af952f7ea6584dcfb"},
        {std::string(120, 'a'), "2f3d335432c70b580af0e8e1b3674a7c020d683aa5f73aaaedfdc55af904c21c"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cases) EXPECT_EQ(hex_digest(c.message), c.digest) << c.message.size() << " bytes";
}

TEST(Sha256, AllByteValues) {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
    EXPECT_EQ(hex_digest(bytes), "40aff2e9d2d8922e47afd4648e6967497158785fbd1da870e7110266bf944880");
}

TEST(Sha256, PkceChallengeOfTheOAuthExample) {
    // Code verifier and challenge pair published with the PKCE standard.
    const auto d = sha256("dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk");
    EXPECT_EQ(base64url_encode(std::string_view(reinterpret_cast<const char*>(d.data()), d.size())),
              "E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM");
}

TEST(HexLower, TwoDigitsPerByteInOrder) {
    EXPECT_EQ(to_hex_lower(""), "");
    EXPECT_EQ(to_hex_lower(std::string("\x00\x0f\xf0\xff\xab", 5)), "000ff0ffab");
    std::string out = "x";
    append_hex_lower(out, "\x01\xFE");
    EXPECT_EQ(out, "x01fe");
}

}  // namespace
