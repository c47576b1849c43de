#include <ttf/FontTable.hpp>

#include <base/Log.hpp>
#include <foundation/Strings.hpp>

namespace ttf {

namespace {

constexpr std::uint32_t cmapTag = graphics::FontFace::tag('c', 'm', 'a', 'p');

}

std::optional<FontTable> FontTable::readFontTableFromCGFont(graphics::FontFace const& font) {
    auto cmap = font.copyTable(cmapTag);
    std::string name = font.postScriptName().empty() ? font.origin() : font.postScriptName();
    if (!cmap) {
        base::logLine("CGFontCopyTableForTag returned NULL for 'cmap' tag in font " + name);
        return std::nullopt;
    }
    return fromCmap(std::move(*cmap), name);
}

std::optional<FontTable> FontTable::fromCmap(
    std::vector<std::uint8_t> cmap, std::string_view fontName) {
    FontTable table;
    table.data_ = std::move(cmap);
    if (table.data_.size() < 4 || table.u16(0) != 0) {
        base::logLine("cmap table for font " + std::string(fontName) + " has bad version number");
        return std::nullopt;
    }
    if (!table.chooseSubtable(fontName))
        return std::nullopt;
    return table;
}

std::uint16_t FontTable::u16(std::size_t at) const {
    return std::uint16_t(data_[at] << 8 | data_[at + 1]);
}

std::uint32_t FontTable::u32(std::size_t at) const {
    return std::uint32_t(u16(at)) << 16 | u16(at + 2);
}

bool FontTable::chooseSubtable(std::string_view fontName) {
    std::size_t const count = u16(2);
    if ((data_.size() - 4) / 8 < count) {
        base::logLine(
            "cmap table for font " + std::string(fontName) + " lists more subtables than it holds");
        return false;
    }
    bool chosen = false;
    std::uint16_t chosenEncoding = 0;
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t record = 4 + 8 * i;
        std::uint16_t platform = u16(record);
        std::uint16_t encoding = u16(record + 2);
        bool considered = (platform == 0 && (!chosen || encoding > chosenEncoding))
            || (platform == 3 && encoding == 1 && !chosen);
        if (!considered)
            continue;
        std::size_t offset = u32(record + 4);
        if (!usable(offset, fontName))
            continue;
        chosen = true;
        chosenEncoding = encoding;
        subtable_ = offset;
        if (u16(offset) == 4) {
            format_ = Format::Segments4;
            segmentCount_ = u16(offset + 6) / 2;
            endCodes_ = offset + 14;
            startCodes_ = endCodes_ + 2 * segmentCount_ + 2;
            idDeltas_ = startCodes_ + 2 * segmentCount_;
            idRangeOffsets_ = idDeltas_ + 2 * segmentCount_;
        } else {
            format_ = Format::Groups12;
            groupCount_ = u32(offset + 12);
            groups_ = offset + 16;
        }
    }
    return true;
}

// Whether the subtable at offset is one this reader takes and lies inside the table; a
// damaged one is logged and passed over.
bool FontTable::usable(std::size_t offset, std::string_view fontName) {
    std::size_t const size = data_.size();
    if (offset > size || size - offset < 4) {
        base::logLine(
            "cmap table for font " + std::string(fontName) + " has a subtable outside the table");
        damaged_ = true;
        return false;
    }
    std::uint16_t format = u16(offset);
    bool inside = true;
    if (format == 4) {
        std::size_t segmentsX2 = size - offset >= 8 ? u16(offset + 6) : 0;
        inside
            = size - offset >= 16 && segmentsX2 % 2 == 0 && (size - offset - 16) / 4 >= segmentsX2;
    } else if (format == 12) {
        if (u16(offset + 2) != 0)
            return false;
        inside = size - offset >= 16 && (size - offset - 16) / 12 >= u32(offset + 12);
    } else {
        return false;
    }
    damaged_ = damaged_ || !inside;
    if (!inside)
        base::logLine("cmap table for font " + std::string(fontName) + " has a subtable of format "
            + std::to_string(format) + " outside the table");
    return inside;
}

graphics::GlyphId FontTable::segmentGlyph(char16_t character) const {
    for (std::size_t i = 0; i < segmentCount_; ++i) {
        if (u16(endCodes_ + 2 * i) < character)
            continue;
        std::uint16_t start = u16(startCodes_ + 2 * i);
        if (start > character)
            return 0;
        std::uint16_t delta = u16(idDeltas_ + 2 * i);
        std::size_t rangeOffsetAt = idRangeOffsets_ + 2 * i;
        std::uint16_t rangeOffset = u16(rangeOffsetAt);
        if (rangeOffset == 0)
            return graphics::GlyphId((character + delta) & 0xFFFF);
        std::size_t at = rangeOffsetAt + rangeOffset + 2 * std::size_t(character - start);
        if (at > data_.size() - 2)
            return 0;
        std::uint16_t glyph = u16(at);
        return glyph == 0 ? 0 : graphics::GlyphId((glyph + delta) & 0xFFFF);
    }
    return 0;
}

graphics::GlyphId FontTable::groupGlyph(char32_t character) const {
    for (std::size_t i = 0; i < groupCount_; ++i) {
        std::size_t group = groups_ + 12 * i;
        std::uint32_t first = u32(group);
        if (character < first || character > u32(group + 4))
            continue;
        std::uint64_t glyph = std::uint64_t(character - first) + u32(group + 8);
        return glyph <= 0xFFFF ? graphics::GlyphId(glyph) : 0;
    }
    return 0;
}

graphics::GlyphId FontTable::glyphForCharacter(char32_t character) const {
    if (!hasSubtable())
        return 0;
    if (format_ == Format::Groups12)
        return groupGlyph(character);
    return character <= 0xFFFF ? segmentGlyph(char16_t(character)) : 0;
}

void FontTable::mapCharsToGlyphs(std::u16string_view characters,
    std::vector<graphics::GlyphId>& glyphs, std::vector<std::uint8_t>& unitCounts) const {
    if (!hasSubtable())
        return;
    // A segment table maps UTF-16 units one by one; a group table maps code points, so a
    // surrogate pair is one character there.
    for (std::size_t i = 0; i < characters.size();) {
        std::size_t start = i;
        if (format_ == Format::Groups12)
            glyphs.push_back(groupGlyph(foundation::decodeUtf16(characters, i)));
        else
            glyphs.push_back(segmentGlyph(characters[i++]));
        unitCounts.push_back(std::uint8_t(i - start));
    }
}

}
