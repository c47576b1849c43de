#include <game/progression/Base64.hpp>

#include <array>

namespace game {

namespace {

constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Every byte value has an entry, so a byte of 128 and up reads as 0 like any other
// character outside the alphabet.
constexpr std::array<std::uint8_t, 256> decodeTable = [] {
    std::array<std::uint8_t, 256> table {};
    for (std::uint8_t i = 0; i < 64; ++i)
        table[std::uint8_t(alphabet[i])] = i;
    return table;
}();

}

std::string Base64::encode(base::Bytes const& data) {
    return encode(data.data(), data.size());
}

std::string Base64::encode(std::uint8_t const* bytes, std::size_t length) {
    std::string out;
    out.reserve((length + 2) / 3 * 4);
    for (std::size_t at = 0; at < length; at += 3) {
        std::uint32_t group = std::uint32_t(bytes[at]) << 16;
        if (at + 1 < length)
            group |= std::uint32_t(bytes[at + 1]) << 8;
        if (at + 2 < length)
            group |= bytes[at + 2];
        out += alphabet[(group >> 18) & 63];
        out += alphabet[(group >> 12) & 63];
        out += at + 1 < length ? alphabet[(group >> 6) & 63] : '=';
        out += at + 2 < length ? alphabet[group & 63] : '=';
    }
    return out;
}

std::optional<base::Bytes> Base64::decode(std::string_view text) {
    if (text.empty() || text.size() % 4 != 0)
        return std::nullopt;
    std::size_t length = text.size();
    std::size_t padding = 0;
    while (length > 0 && text[length - 1] == '=') {
        --length;
        ++padding;
    }
    std::size_t outputSize = (3 * text.size() - 3 * padding) / 4;
    base::Bytes out;
    out.reserve(outputSize);
    for (std::size_t at = 0; at < length && out.size() < outputSize; at += 4) {
        std::uint32_t group = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            // Missing characters of a last short group read as "A", which is 0.
            std::uint8_t c = at + i < length ? std::uint8_t(text[at + i]) : std::uint8_t('A');
            group = group << 6 | decodeTable[c];
        }
        for (int shift : {16, 8, 0}) {
            if (out.size() == outputSize)
                break;
            out.push_back(std::uint8_t(group >> shift));
        }
    }
    return out;
}

std::string encodeBase64(std::string_view text) {
    return Base64::encode(reinterpret_cast<std::uint8_t const*>(text.data()), text.size());
}

std::optional<std::string> decodeBase64(std::string_view text) {
    auto bytes = Base64::decode(text);
    if (!bytes)
        return std::nullopt;
    return std::string(bytes->begin(), bytes->end());
}

}
