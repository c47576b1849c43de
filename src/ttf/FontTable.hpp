#pragma once

#include <graphics/FontFace.hpp>

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace ttf {

// The character map of a TrueType font as text layout reads it: the one Unicode subtable of
// the font's 'cmap' table chosen by the rules below, format 4 (16-bit segments) or 12 (32-bit
// groups), kept as a copy of the table with offsets into it. Every offset and count comes
// from the file and is checked against the table's size when the subtable is chosen, and every
// lookup stays inside it, so a damaged table maps to the missing glyph and never reads outside
// its bytes. Made per layout; immutable; any thread.
//
// The choice, walking the subtable records in order: a Unicode record (platform 0) is
// considered when nothing is chosen yet or when its encoding id is greater than the chosen
// one's; a Windows Unicode BMP record (platform 3, encoding 1) only when nothing is chosen
// yet. A considered subtable is chosen when it is of format 4, or of format 12 with its
// reserved field 0.
class FontTable {
public:
    enum class Format { Segments4 = 4, Groups12 = 12 };

    // Null with a logged line when the font has no 'cmap' table, its version is not 0 or its
    // subtable records lie outside it; a table with no usable subtable (see hasSubtable) when
    // none qualifies.
    static std::optional<FontTable> readFontTableFromCGFont(graphics::FontFace const& font);
    static std::optional<FontTable> fromCmap(
        std::vector<std::uint8_t> cmap, std::string_view fontName);

    // A map without a subtable: every character maps to nothing.
    FontTable() = default;

    bool hasSubtable() const { return subtable_ != 0; }
    // Whether a subtable that the rules considered lay outside the table (and was passed over).
    bool isDamaged() const { return damaged_; }
    Format format() const { return format_; }

    // One glyph per UTF-16 unit, except that a format 12 map takes a surrogate pair as one
    // character (one glyph, count 2). Without a usable subtable nothing is appended.
    void mapCharsToGlyphs(std::u16string_view characters, std::vector<graphics::GlyphId>& glyphs,
        std::vector<std::uint8_t>& unitCounts) const;
    graphics::GlyphId glyphForCharacter(char32_t character) const;

private:
    std::uint16_t u16(std::size_t at) const;
    std::uint32_t u32(std::size_t at) const;
    bool chooseSubtable(std::string_view fontName);
    bool usable(std::size_t offset, std::string_view fontName);
    graphics::GlyphId segmentGlyph(char16_t character) const;
    graphics::GlyphId groupGlyph(char32_t character) const;

    std::vector<std::uint8_t> data_;
    bool damaged_ {false};
    Format format_ {Format::Segments4};
    // Offset of the chosen subtable, 0 for none.
    std::size_t subtable_ {0};
    // Format 4: the segment count and where its four arrays start.
    std::size_t segmentCount_ {0};
    std::size_t endCodes_ {0};
    std::size_t startCodes_ {0};
    std::size_t idDeltas_ {0};
    std::size_t idRangeOffsets_ {0};
    // Format 12: the group count and where the groups start.
    std::size_t groupCount_ {0};
    std::size_t groups_ {0};
};

}
