#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ttf {

// Reads names out of a font's 'name' table (big-endian: format, record count, string storage
// offset, then 12-byte records of platform, encoding, language, name id, length and offset).
// Every offset and length comes from the file and is checked against the table's size, so a
// damaged table yields no name and a logged line, never a read outside it. Pure; any thread.
class NameTable {
public:
    // Name ids of the entries fonts are known by.
    static constexpr std::uint16_t familyNameID = 1;
    static constexpr std::uint16_t fullNameID = 4;
    static constexpr std::uint16_t postScriptNameID = 6;

    // The first record with that name id in a form it can read, as UTF-8: Unicode (platform
    // 0, any encoding) and Windows Unicode (platform 3, encoding 1) as UTF-16 big-endian,
    // Macintosh Roman (platform 1, encoding 0). Formats 0 and 1 are read (1 only adds
    // language tags after the records). nullopt when no record matches, and with a logged line
    // naming fontName when the table is damaged or of an unknown format.
    static std::optional<std::string> entry(
        std::span<std::uint8_t const> table, std::uint16_t nameID, std::string_view fontName);

    // Mac OS Roman bytes as UTF-8.
    static std::string decodeMacRoman(std::span<std::uint8_t const> bytes);
};

}
