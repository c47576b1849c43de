#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <engine/Geometry.hpp>

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace engine {

// One character of a bitmap font: its rectangle on the sheet and how to place it, in pixels.
struct BitmapFontDef {
    std::uint8_t charID {0};
    Rect rect;
    int xOffset {0};
    int yOffset {0};
    int xAdvance {0};
};

// A bitmap font description (".fnt", the text form of the BMFont descriptor) parsed: up to
// 256 character definitions by code, the line height and the kerning pairs. Lines are told
// apart by how they begin ("common lineHeight", "char", "kernings count", "kerning first";
// the rest is ignored), and values are read by position: the integer at the start of the text
// after each "=".
//
// The file comes from outside the program, so nothing in it is trusted: a file that cannot
// be read, a line with fewer values than it needs, a sheet larger than 1024 x 1024, more than
// one page or a second kerning count makes the whole file refused (null, one logged line); a
// character code outside 0 ... 255 is passed over with a logged line, never stored at another
// code. Immutable once parsed; any thread.
class BitmapFontConfiguration final : public base::Object {
    struct Private { };

public:
    static constexpr int maxPageSide = 1024;
    // Description files are a few kilobytes; anything far larger is no font description.
    static constexpr std::uintmax_t maxFileSize = 4u * 1024 * 1024;

    // Parses the file fntFile names (a resource path, resolved through FileUtils).
    static base::Ref<BitmapFontConfiguration> configurationWithFNTFile(std::string const& fntFile);
    // Parses text; origin names it in messages.
    static base::Ref<BitmapFontConfiguration> configurationWithText(
        std::string_view text, std::string const& origin);

    // Entries the file does not define are all zero.
    std::array<BitmapFontDef, 256> const& bitmapFontArray() const { return bitmapFontArray_; }
    BitmapFontDef const& definition(std::uint8_t code) const { return bitmapFontArray_[code]; }
    unsigned commonHeight() const { return commonHeight_; }
    // Absent when the file has no "kernings count" line or gives the count -1.
    bool hasKerningDictionary() const { return hasKerning_; }
    // The amount for the pair, 0 when none.
    int kerningAmount(unsigned first, unsigned second) const;

    // The sheet image named by the file's first "page id=" line, as written there; nullopt
    // (logged) for a page other than 0, a line without a quoted file name, or a name that is
    // absolute or climbs out of its folder.
    static std::optional<std::string> sheetNameFromText(
        std::string_view text, std::string const& origin);

private:
    bool parse(std::string_view text, std::string const& origin);

    std::array<BitmapFontDef, 256> bitmapFontArray_ {};
    unsigned commonHeight_ {0};
    bool hasKerning_ {false};
    std::map<std::pair<unsigned, unsigned>, int> kerningDictionary_;

    friend base::Factory;

    explicit BitmapFontConfiguration(Private) { }
};

// The process-wide table of parsed configurations by ".fnt" file name: each file is parsed
// once and kept for the life of the process. A file that is refused is not kept. Main thread.
base::Ref<BitmapFontConfiguration> CachedFontConfiguration(std::string const& fntFile);
// Empties the table (tests).
void purgeCachedFontConfigurations();

}
