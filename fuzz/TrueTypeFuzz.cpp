// TrueType fonts from the bundle and from downloaded content: FreeType loads the file
// and our own readers take its 'cmap' and 'name' tables. Any bytes give no font or a
// font whose metrics, glyphs and names all answer. The input is also read directly as
// a 'cmap' and as a 'name' table, so that those readers meet every shape of table and
// not only the ones FreeType lets through.
#include "FuzzSupport.hpp"

#include <graphics/FontFace.hpp>
#include <ttf/FontTable.hpp>
#include <ttf/NameTable.hpp>
#include <ttf/TTFont.hpp>

#include <cstddef>
#include <cstdint>
#include <numeric>
#include <span>
#include <string>
#include <vector>

using graphics::FontFace;
using ttf::FontTable;
using ttf::NameTable;

namespace {

// Characters from every range the two map formats treat apart: ASCII, the BMP, the
// surrogates (alone and in a pair) and the end of the BMP.
std::u16string const sample
    = {u'A', u'a', u'0', u' ', 0x00E9, 0x4E2D, 0xD83D, 0xDE00, 0xD800, u'x', 0xFFFF, 0xFFFE};

void mapSample(FontTable const& table) {
    std::vector<graphics::GlyphId> glyphs;
    std::vector<std::uint8_t> counts;
    table.mapCharsToGlyphs(sample, glyphs, counts);
    FUZZ_CHECK(glyphs.size() == counts.size());
    if (table.hasSubtable()) {
        auto units = std::accumulate(counts.begin(), counts.end(), std::size_t(0));
        FUZZ_CHECK(units == sample.size());
    } else {
        FUZZ_CHECK(glyphs.empty());
    }
    for (char32_t character : {char32_t(0x41), char32_t(0x4E2D), char32_t(0x1F600),
             char32_t(0x10FFFF), char32_t(0x110000)})
        table.glyphForCharacter(character);
}

void readNames(std::span<std::uint8_t const> table) {
    for (std::uint16_t id : {NameTable::familyNameID, NameTable::fullNameID,
             NameTable::postScriptNameID, std::uint16_t(0xFFFF)})
        NameTable::entry(table, id, "fuzz");
}

void useFont(base::Ref<FontFace> const& face) {
    FUZZ_CHECK(face->unitsPerEm() > 0);
    std::vector<graphics::GlyphId> glyphs {
        0, 1, 2, graphics::GlyphId(face->numberOfGlyphs()), graphics::GlyphId(0xFFFF)};
    std::vector<int> advances(glyphs.size());
    face->glyphAdvances(glyphs, advances);
    face->glyphForCharacter(U'A');
    if (auto cmap = face->copyTable(FontFace::tag('c', 'm', 'a', 'p'))) {
        if (auto table = FontTable::fromCmap(*cmap, "fuzz"))
            mapSample(*table);
    }
    if (auto names = face->copyTable(FontFace::tag('n', 'a', 'm', 'e')))
        readNames(*names);
    auto font = ttf::TTFont::fontWithCGFont(face, 17);
    font->ascender();
    font->descender();
    font->capHeight();
    font->xHeight();
    font->familyName();
    font->fontName();
    font->postScriptName();
}

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    std::vector<std::uint8_t> bytes(data, data + size);
    if (auto table = FontTable::fromCmap(bytes, "fuzz"))
        mapSample(*table);
    readNames(bytes);
    if (auto face = FontFace::createWithData(std::move(bytes), "fuzz"))
        useFont(face);
    return 0;
}
