#pragma once

#include <graphics/Geometry.hpp>
#include <graphics/TextLayout.hpp>

#include <string_view>

namespace graphics {

class Font;

// A platform font as the text layout sees it: characters through the font's Unicode map, a
// surrogate pair as one character, advances scaled to the font's size. It refers to the font,
// which must outlive it. What the functions below and the view system's text layout measure
// and draw with.
class FontGlyphs final : public GlyphSource {
public:
    explicit FontGlyphs(Font const& font)
        : font_(font) { }

    void mapCharacters(std::u16string_view units, std::vector<GlyphId>& glyphs,
        std::vector<std::uint8_t>& unitCounts) const override;
    bool glyphAdvances(std::span<GlyphId const> glyphs, std::span<float> advances) const override;
    float leading() const override;
    float ascender() const override;
    FontFace* face() const override;
    float pointSize() const override;

private:
    Font const& font_;
};

// The platform's string measuring and drawing with its own fonts, over TextLayout: what
// views, labels and the engine's text textures use when a text has no TrueType font of the
// bundle. Text is UTF-8. Measured sizes are rounded up to whole points; drawing returns the
// laid-out size unrounded. Drawing goes to the current bitmap context (BitmapContext::
// pushContext), whose user space it takes as y down, in its fill colour; without one it only
// measures. Any thread, one context per thread.

// One line, unconstrained, clipped.
Size sizeWithFont(std::string_view text, Font const& font);
// Within constraint (a height limit included), several lines.
Size sizeWithFont(std::string_view text, Font const& font, Size constraint,
    LineBreakMode mode = LineBreakMode::WordWrap);

// One line from point (the top-left of the line), as wide as it is.
Size drawAtPoint(std::string_view text, Point point, Font const& font);
// One line from point within width.
Size drawAtPoint(
    std::string_view text, Point point, float width, Font const& font, LineBreakMode mode);
// Several lines within rect.
Size drawInRect(std::string_view text, Rect const& rect, Font const& font,
    LineBreakMode mode = LineBreakMode::WordWrap, TextAlignment alignment = TextAlignment::Left);

}
