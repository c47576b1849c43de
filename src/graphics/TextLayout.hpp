#pragma once

#include <graphics/FontFace.hpp>
#include <graphics/Geometry.hpp>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace graphics {

class BitmapContext;

// The platform's values, which stored layouts and callers pass as numbers.
enum class LineBreakMode : int {
    WordWrap = 0,
    CharacterWrap = 1,
    Clip = 2,
    HeadTruncation = 3,
    TailTruncation = 4,
    MiddleTruncation = 5,
};

enum class TextAlignment : int { Left = 0, Center = 1, Right = 2 };

// What text layout needs of a font at one size. Implemented over the platform's fonts
// (StringDrawing) and over TrueType fonts read through their own 'cmap' table (ttf/).
class GlyphSource {
public:
    virtual ~GlyphSource() = default;

    // Appends the glyphs of one paragraph's UTF-16 units and, for each glyph, how many units
    // it stands for (1, or 2 for a surrogate pair that the font maps as one character). A
    // font that maps nothing appends nothing.
    virtual void mapCharacters(std::u16string_view units, std::vector<GlyphId>& glyphs,
        std::vector<std::uint8_t>& unitCounts) const = 0;
    // Each glyph's advance in points; false when the font cannot give advances.
    virtual bool glyphAdvances(
        std::span<GlyphId const> glyphs, std::span<float> advances) const = 0;
    // From one line to the next, and from the top of a line to its baseline, in points.
    virtual float leading() const = 0;
    virtual float ascender() const = 0;
    // What drawing sets into the context.
    virtual FontFace* face() const = 0;
    virtual float pointSize() const = 0;
};

// Lays text out in a box: paragraphs at the platform's newline characters, lines broken by
// words or characters, the last line truncated when asked, each line aligned, glyphs placed
// from the font's advances. Pure functions; any thread.
//
// The rules, in the order they apply:
// - Every newline character (line feed, vertical tab, form feed, carriage return, U+0085,
//   U+2028, U+2029) ends a paragraph; a carriage return and line feed count as one. In
//   single-line mode each becomes a space instead. A newline at the very end adds no line.
// - Lines are counted from the top; a line whose bottom plus the ascender would pass the
//   box's height is the last one laid out (the first line always is). On the last line clip
//   mode wraps by characters.
// - A paragraph that fits the width is one line. Otherwise glyphs are taken while they fit
//   (the first of a line always); the line ends at the last space taken (word wrap) or after
//   the last glyph that fit (character wrap, and the last line of the truncating modes).
//   Spaces around the break are neither drawn nor carried to the next line.
// - On the last line, when text is left over, tail truncation makes room for an ellipsis
//   (U+2026), drops a lone first letter of a cut word and the spaces before the ellipsis;
//   head and middle truncation cut like a character break, without an ellipsis.
// - The result is the widest line by the sum of the lines' heights.
class TextLayout {
public:
    // One laid-out line, as drawing receives it.
    struct Line {
        std::vector<GlyphId> glyphs;
        // Baseline origin of each glyph, relative to the layout's top-left corner, y down.
        std::vector<Point> positions;
        float width {0};
        // The characters kept on the line (after newline handling), without the ellipsis.
        std::u16string text;
        bool ellipsis {false};
    };
    using LineSink = std::function<void(Line const&)>;

    // Lays text out in box and hands each line to sink when there is one (the layout then
    // also places the lines: x by the alignment, y one leading apart).
    static Size layout(std::u16string_view text, GlyphSource const& font, Size box,
        LineBreakMode mode, TextAlignment alignment, bool singleLine,
        LineSink const& sink = nullptr);

    // Draws into the current bitmap context, whose user space is taken as y down: saves its
    // state, sets the font and size, makes glyphs stand upright, moves to point and draws each
    // line; restores the state. Without a current context it only measures.
    static Size drawInContext(Point point, Size box, std::u16string_view text,
        GlyphSource const& font, LineBreakMode mode, TextAlignment alignment, bool singleLine);

    // The platform's newline characters, which end paragraphs.
    static bool isNewline(char16_t unit);
};

}
