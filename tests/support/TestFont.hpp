#pragma once

#include <base/Ref.hpp>
#include <graphics/BitmapContext.hpp>
#include <graphics/Image.hpp>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace test {

// Small TrueType fonts built in memory, so text tests know every number: each glyph but the
// space is the same filled box with the same advance, and the tables are exactly as asked,
// damaged ones included. With the defaults (1000 units per em, advance 500, ascent 800,
// descent -200) a 20-point font advances 10 points a glyph and has a 20-point line.
struct TestFontSpec {
    struct CmapSubtable {
        std::uint16_t platform;
        std::uint16_t encoding;
        int format; // 4 or 12
        // Format 4 only: map through the glyph id array instead of deltas.
        bool rangeOffsets {false};
    };
    struct NameRecord {
        std::uint16_t platform;
        std::uint16_t encoding;
        std::uint16_t language;
        std::uint16_t nameId;
        std::vector<std::uint8_t> bytes;
    };

    int unitsPerEm {1000};
    int ascent {800};
    int descent {-200};
    int lineGap {0};
    int capHeight {700};
    int xHeight {500};
    int advance {500};
    // The ink of every glyph but the space and .notdef, in font units.
    int inkLeft {50};
    int inkRight {450};
    int inkBottom {0};
    int inkTop {700};
    // The characters with a glyph, glyph 1 onwards (glyph 0 is an empty .notdef): printable
    // ASCII, the ellipsis and one character outside the basic plane (U+1F600) by default.
    std::vector<char32_t> characters;
    std::vector<CmapSubtable> cmaps {{3, 1, 4}};
    std::vector<NameRecord> names;
    // Tables replaced by these bytes, or left out.
    std::map<std::string, std::vector<std::uint8_t>> replaceTables;
    std::set<std::string> omitTables;

    // The default characters and the names "Test Box" (family, 1), "Test Box Regular"
    // (full, 4) and "TestBox-Regular" (PostScript, 6) for Windows Unicode.
    TestFontSpec();

    // The glyph of a character of `characters`, 0 when it has none.
    std::uint16_t glyphFor(char32_t character) const;
};

std::vector<std::uint8_t> utf16BigEndian(std::u16string_view text);

std::vector<std::uint8_t> buildTestFont(TestFontSpec const& spec);
void writeTestFont(std::filesystem::path const& path, TestFontSpec const& spec = {});

// The tables the font is made of, for tests of the table readers.
std::vector<std::uint8_t> buildCmapTable(TestFontSpec const& spec);
std::vector<std::uint8_t> buildNameTable(TestFontSpec const& spec);

// Whether every pixel inside one of the boxes (x0, y0, x1, y1 with rows from the top, ends
// excluded) has alpha 255 and every other pixel alpha 0: how box glyphs drawn at whole
// points look.
::testing::AssertionResult inkExactlyIn(
    graphics::Image const& image, std::vector<std::array<int, 4>> const& boxes);
// A grey bitmap context flipped to y down, as text textures draw, and made the current
// context while this lives.
class TextCanvas {
public:
    TextCanvas(int width, int height);
    ~TextCanvas();
    TextCanvas(TextCanvas const&) = delete;
    TextCanvas& operator=(TextCanvas const&) = delete;

    graphics::BitmapContext& context() const { return *context_; }
    graphics::Image image() const { return context_->image(); }

private:
    base::Ref<graphics::BitmapContext> context_;
};

// The sum of alpha over the pixels inside and outside a rectangle (rows from the top).
struct InkSplit {
    long inside {0};
    long outside {0};
};
InkSplit inkAround(graphics::Image const& image, int x0, int y0, int x1, int y1);

}
