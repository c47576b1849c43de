#include <graphics/StringDrawing.hpp>

#include <graphics/Font.hpp>

#include <foundation/Strings.hpp>

#include <cfloat>
#include <cmath>

namespace graphics {

namespace {

// A platform font as the layout sees it: characters through the font's Unicode map, a
// surrogate pair as one character.
class FontGlyphs final : public GlyphSource {
public:
    explicit FontGlyphs(Font const& font)
        : font_(font) { }

    void mapCharacters(std::u16string_view units, std::vector<GlyphId>& glyphs,
        std::vector<std::uint8_t>& unitCounts) const override {
        for (std::size_t i = 0; i < units.size(); ++i) {
            char32_t character = units[i];
            std::uint8_t count = 1;
            if (character >= 0xD800 && character <= 0xDBFF && i + 1 < units.size()
                && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
                character = (character - 0xD800) * 1024 + (units[i + 1] - 0xDC00) + 0x10000;
                count = 2;
                ++i;
            }
            glyphs.push_back(font_.face().glyphForCharacter(character));
            unitCounts.push_back(count);
        }
    }

    bool glyphAdvances(std::span<GlyphId const> glyphs, std::span<float> advances) const override {
        std::vector<int> units(glyphs.size());
        font_.face().glyphAdvances(glyphs, units);
        float scale = font_.scale();
        for (std::size_t i = 0; i < glyphs.size() && i < advances.size(); ++i)
            advances[i] = float(units[i]) * scale;
        return true;
    }

    float leading() const override { return font_.lineHeight(); }
    float ascender() const override { return font_.ascender(); }
    FontFace* face() const override { return &font_.face(); }
    float pointSize() const override { return font_.pointSize(); }

private:
    Font const& font_;
};

Size roundedUp(Size size) {
    return {std::ceil(size.width), std::ceil(size.height)};
}

}

Size sizeWithFont(std::string_view text, Font const& font) {
    return roundedUp(TextLayout::layout(foundation::utf8ToUtf16(text), FontGlyphs(font),
        {FLT_MAX, FLT_MAX}, LineBreakMode::Clip, TextAlignment::Left, true));
}

Size sizeWithFont(std::string_view text, Font const& font, Size constraint, LineBreakMode mode) {
    return roundedUp(TextLayout::layout(foundation::utf8ToUtf16(text), FontGlyphs(font), constraint,
        mode, TextAlignment::Left, false));
}

Size drawAtPoint(std::string_view text, Point point, Font const& font) {
    return drawAtPoint(text, point, FLT_MAX, font, LineBreakMode::Clip);
}

Size drawAtPoint(
    std::string_view text, Point point, float width, Font const& font, LineBreakMode mode) {
    return TextLayout::drawInContext(point, {width, font.lineHeight()},
        foundation::utf8ToUtf16(text), FontGlyphs(font), mode, TextAlignment::Left, true);
}

Size drawInRect(std::string_view text, Rect const& rect, Font const& font, LineBreakMode mode,
    TextAlignment alignment) {
    return TextLayout::drawInContext(rect.origin, rect.size, foundation::utf8ToUtf16(text),
        FontGlyphs(font), mode, alignment, false);
}

}
