#include <graphics/StringDrawing.hpp>

#include <graphics/Font.hpp>

#include <foundation/Strings.hpp>

#include <cfloat>
#include <cmath>

namespace graphics {

void FontGlyphs::mapCharacters(std::u16string_view units, std::vector<GlyphId>& glyphs,
    std::vector<std::uint8_t>& unitCounts) const {
    for (std::size_t i = 0; i < units.size();) {
        std::size_t start = i;
        glyphs.push_back(font_.face().glyphForCharacter(foundation::decodeUtf16(units, i)));
        unitCounts.push_back(std::uint8_t(i - start));
    }
}

bool FontGlyphs::glyphAdvances(std::span<GlyphId const> glyphs, std::span<float> advances) const {
    std::vector<int> units(glyphs.size());
    font_.face().glyphAdvances(glyphs, units);
    float scale = font_.scale();
    for (std::size_t i = 0; i < glyphs.size() && i < advances.size(); ++i)
        advances[i] = float(units[i]) * scale;
    return true;
}

float FontGlyphs::leading() const {
    return font_.lineHeight();
}

float FontGlyphs::ascender() const {
    return font_.ascender();
}

FontFace* FontGlyphs::face() const {
    return &font_.face();
}

float FontGlyphs::pointSize() const {
    return font_.pointSize();
}

namespace {

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
