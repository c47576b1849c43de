#include <ttf/NameTable.hpp>

#include <base/Log.hpp>

#include <foundation/Strings.hpp>

namespace ttf {

namespace {

std::uint16_t u16(std::span<std::uint8_t const> bytes, std::size_t at) {
    return std::uint16_t(bytes[at] << 8 | bytes[at + 1]);
}

// The characters of Mac OS Roman from 0x80 on.
constexpr char16_t macRomanHigh[128] = {0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC,
    0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED,
    0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3, 0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB,
    0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF, 0x00AE, 0x00A9, 0x2122,
    0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8, 0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202,
    0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF, 0x00A1, 0x00AC,
    0x221A, 0x0192, 0x2248, 0x2206, 0x00AB, 0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152,
    0x0153, 0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044,
    0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02, 0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA,
    0x00C1, 0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA,
    0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC, 0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB,
    0x02C7};

std::string decodeUtf16BigEndian(std::span<std::uint8_t const> bytes) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        units.push_back(char16_t(u16(bytes, i)));
    return foundation::utf16ToUtf8(units);
}

}

std::string NameTable::decodeMacRoman(std::span<std::uint8_t const> bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (std::uint8_t byte : bytes)
        foundation::appendUtf8(text, byte < 0x80 ? char32_t(byte) : macRomanHigh[byte - 0x80]);
    return text;
}

std::optional<std::string> NameTable::entry(
    std::span<std::uint8_t const> table, std::uint16_t nameID, std::string_view fontName) {
    if (table.size() < 6) {
        base::logLine("name table for font " + std::string(fontName) + " is too short");
        return std::nullopt;
    }
    std::uint16_t format = u16(table, 0);
    if (format > 1) {
        base::logLine("name table for font " + std::string(fontName) + " has bad version number");
        return std::nullopt;
    }
    std::size_t count = u16(table, 2);
    std::size_t storage = u16(table, 4);
    if ((table.size() - 6) / 12 < count) {
        base::logLine(
            "name table for font " + std::string(fontName) + " lists more records than it holds");
        return std::nullopt;
    }
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t record = 6 + 12 * i;
        std::uint16_t platform = u16(table, record);
        std::uint16_t encoding = u16(table, record + 2);
        if (u16(table, record + 6) != nameID)
            continue;
        bool unicode = platform == 0 || (platform == 3 && encoding == 1);
        bool macRoman = platform == 1 && encoding == 0;
        if (!unicode && !macRoman)
            continue;
        std::size_t length = u16(table, record + 8);
        std::size_t start = storage + u16(table, record + 10);
        if (start > table.size() || table.size() - start < length) {
            base::logLine(
                "name table for font " + std::string(fontName) + " has a name outside the table");
            continue;
        }
        auto bytes = table.subspan(start, length);
        return unicode ? decodeUtf16BigEndian(bytes) : decodeMacRoman(bytes);
    }
    return std::nullopt;
}

}
