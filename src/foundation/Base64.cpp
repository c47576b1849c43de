#include <foundation/Base64.hpp>

#include <array>

namespace foundation {

namespace {

constexpr char const* standardDigits
    = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char const* urlSafeDigits
    = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

constexpr std::int8_t Invalid = -1;
constexpr std::int8_t Space = -2;
constexpr std::int8_t Pad = -3;

using DecodeTable = std::array<std::int8_t, 256>;

constexpr DecodeTable makeTable(char const* digits) {
    DecodeTable table {};
    table.fill(Invalid);
    for (int i = 0; i < 64; ++i)
        table[std::uint8_t(digits[i])] = std::int8_t(i);
    for (char c : {' ', '\t', '\n', '\r', '\f', '\v'})
        table[std::uint8_t(c)] = Space;
    table[std::uint8_t('=')] = Pad;
    return table;
}

constexpr DecodeTable standardTable = makeTable(standardDigits);
constexpr DecodeTable urlSafeTable = makeTable(urlSafeDigits);

}

std::string Base64::encode(ByteView bytes, Alphabet alphabet, Padding padding) {
    char const* digits = alphabet == Alphabet::Standard ? standardDigits : urlSafeDigits;
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        std::uint32_t group
            = std::uint32_t(bytes[i]) << 16 | std::uint32_t(bytes[i + 1]) << 8 | bytes[i + 2];
        text.push_back(digits[group >> 18 & 63]);
        text.push_back(digits[group >> 12 & 63]);
        text.push_back(digits[group >> 6 & 63]);
        text.push_back(digits[group & 63]);
    }
    std::size_t rest = bytes.size() - i;
    if (rest == 0)
        return text;
    std::uint32_t group = std::uint32_t(bytes[i]) << 16;
    if (rest == 2)
        group |= std::uint32_t(bytes[i + 1]) << 8;
    text.push_back(digits[group >> 18 & 63]);
    text.push_back(digits[group >> 12 & 63]);
    if (rest == 2)
        text.push_back(digits[group >> 6 & 63]);
    if (padding == Padding::Yes)
        text.append(rest == 1 ? "==" : "=");
    return text;
}

std::optional<base::Bytes> Base64::decode(std::string_view text, Alphabet alphabet) {
    DecodeTable const& table = alphabet == Alphabet::Standard ? standardTable : urlSafeTable;
    base::Bytes bytes;
    bytes.reserve(text.size() / 4 * 3 + 2);
    std::uint32_t group = 0;
    std::size_t pending = 0; // characters of the current group of four
    std::size_t pads = 0;
    for (char c : text) {
        std::int8_t value = table[std::uint8_t(c)];
        if (value == Space)
            continue;
        if (value == Invalid)
            return std::nullopt;
        if (value == Pad) {
            ++pads;
            continue;
        }
        if (pads > 0) // data after padding
            return std::nullopt;
        group = group << 6 | std::uint32_t(value);
        if (++pending == 4) {
            bytes.push_back(std::uint8_t(group >> 16));
            bytes.push_back(std::uint8_t(group >> 8));
            bytes.push_back(std::uint8_t(group));
            group = 0;
            pending = 0;
        }
    }
    // A final group of two or three characters holds one or two bytes; padding,
    // when present, must fill it to four exactly.
    if (pending == 1)
        return std::nullopt;
    if (pads > 0 && (pending == 0 || pending + pads != 4))
        return std::nullopt;
    if (pending == 2) {
        bytes.push_back(std::uint8_t(group >> 4));
    } else if (pending == 3) {
        bytes.push_back(std::uint8_t(group >> 10));
        bytes.push_back(std::uint8_t(group >> 2));
    }
    return bytes;
}

}
