// Percent, form and base64 encoders for URLs, request bodies and PKCE.
#include "net_encode.h"

#include "sys_text.h"

namespace {

constexpr char kHexUpper[] = "0123456789ABCDEF";
constexpr char kBase64Std[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kBase64Url[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

bool is_unreserved(unsigned char b) {
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' ||
           b == '.' || b == '_' || b == '~';
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string base64_with(std::string_view bytes, const char* alphabet, bool pad) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t v = uint32_t(uint8_t(bytes[i])) << 16 | uint32_t(uint8_t(bytes[i + 1])) << 8 |
                           uint32_t(uint8_t(bytes[i + 2]));
        out.push_back(alphabet[v >> 18]);
        out.push_back(alphabet[(v >> 12) & 63]);
        out.push_back(alphabet[(v >> 6) & 63]);
        out.push_back(alphabet[v & 63]);
    }
    const size_t rest = bytes.size() - i;
    if (rest == 1) {
        const uint32_t v = uint32_t(uint8_t(bytes[i])) << 16;
        out.push_back(alphabet[v >> 18]);
        out.push_back(alphabet[(v >> 12) & 63]);
        if (pad) out += "==";
    } else if (rest == 2) {
        const uint32_t v = uint32_t(uint8_t(bytes[i])) << 16 | uint32_t(uint8_t(bytes[i + 1])) << 8;
        out.push_back(alphabet[v >> 18]);
        out.push_back(alphabet[(v >> 12) & 63]);
        out.push_back(alphabet[(v >> 6) & 63]);
        if (pad) out.push_back('=');
    }
    return out;
}

}  // namespace

std::string percent_encode(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        if (is_unreserved(b)) {
            out.push_back(ch);
        } else {
            out.push_back('%');
            out.push_back(kHexUpper[b >> 4]);
            out.push_back(kHexUpper[b & 15]);
        }
    }
    return out;
}

std::string percent_decode(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == '+') {
            bytes.push_back(' ');
        } else if (ch == '%' && i + 2 < text.size() && hex_value(text[i + 1]) >= 0 &&
                   hex_value(text[i + 2]) >= 0) {
            bytes.push_back(static_cast<char>(hex_value(text[i + 1]) << 4 | hex_value(text[i + 2])));
            i += 2;
        } else {
            bytes.push_back(ch);  // a broken escape stays as text
        }
    }
    return sanitize_utf8(bytes);
}

std::string form_pair(std::string_view key, std::string_view value) {
    return percent_encode(key) + "=" + percent_encode(value);
}

std::string form_encode(const std::vector<std::pair<std::string, std::string>>& pairs) {
    std::string out;
    for (size_t i = 0; i < pairs.size(); ++i) {
        if (i > 0) out.push_back('&');
        out += form_pair(pairs[i].first, pairs[i].second);
    }
    return out;
}

std::string base64url_encode(std::string_view bytes) { return base64_with(bytes, kBase64Url, false); }
std::string base64_encode(std::string_view bytes) { return base64_with(bytes, kBase64Std, true); }
