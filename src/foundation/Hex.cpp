#include <foundation/Hex.hpp>

namespace foundation {

int Hex::digitValue(char32_t c) {
    if (c >= '0' && c <= '9')
        return int(c - '0');
    if (c >= 'a' && c <= 'f')
        return int(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return int(c - 'A' + 10);
    return -1;
}

std::string Hex::encode(ByteView bytes, HexCase letters) {
    char const* digits = letters == HexCase::Lower ? "0123456789abcdef" : "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (std::uint8_t byte : bytes) {
        text.push_back(digits[byte >> 4]);
        text.push_back(digits[byte & 0x0f]);
    }
    return text;
}

std::optional<base::Bytes> Hex::decode(std::string_view text) {
    if (text.size() % 2 != 0)
        return std::nullopt;
    base::Bytes bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        int high = digitValue(text[i]);
        int low = digitValue(text[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.push_back(std::uint8_t(high << 4 | low));
    }
    return bytes;
}

}
