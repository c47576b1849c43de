#include <ttf/TTFLabelStringDrawing.hpp>

#include <graphics/BitmapContext.hpp>
#include <ttf/FontTable.hpp>
#include <ttf/TTFont.hpp>

#include <foundation/Strings.hpp>

#include <cfloat>
#include <cmath>
#include <optional>

namespace ttf {

namespace {

// A TrueType font as the layout sees it, with its character map read once for the call.
class TTFontGlyphs final : public graphics::GlyphSource {
public:
    explicit TTFontGlyphs(TTFont const& font)
        : font_(font)
        , table_(FontTable::readFontTableFromCGFont(*font.cgFont())) { }

    void mapCharacters(std::u16string_view units, std::vector<graphics::GlyphId>& glyphs,
        std::vector<std::uint8_t>& unitCounts) const override {
        if (table_)
            table_->mapCharsToGlyphs(units, glyphs, unitCounts);
    }
    bool glyphAdvances(
        std::span<graphics::GlyphId const> glyphs, std::span<float> advances) const override {
        computeGlyphAdvances(font_, glyphs, advances);
        return true;
    }
    float leading() const override { return font_.leading(); }
    float ascender() const override { return font_.ascender(); }
    graphics::FontFace* face() const override { return font_.cgFont(); }
    float pointSize() const override { return font_.pointSize(); }

private:
    TTFont const& font_;
    std::optional<FontTable> table_;
};

Size roundedUp(Size size) {
    return {std::ceil(size.width), std::ceil(size.height)};
}

}

Size computeGlyphAdvances(
    TTFont const& font, std::span<graphics::GlyphId const> glyphs, std::span<float> advances) {
    std::vector<int> units(glyphs.size());
    font.cgFont()->glyphAdvances(glyphs, units);
    float ratio = font.ratio();
    long long total = 0;
    for (std::size_t i = 0; i < units.size(); ++i) {
        total += units[i];
        if (i < advances.size())
            advances[i] = float(units[i]) * ratio;
    }
    return {float(total) * ratio, font.leading()};
}

Size layoutAndDrawTTFontText(bool draw, std::u16string_view text, TTFont const& font, Size box,
    LineBreakMode mode, TextAlignment alignment, bool singleLine) {
    if (draw)
        return drawTTFontTextInContext({0, 0}, box, text, font, mode, alignment, singleLine);
    return graphics::TextLayout::layout(text, TTFontGlyphs(font), box, mode, alignment, singleLine);
}

Size drawTTFontTextInContext(Point point, Size box, std::u16string_view text, TTFont const& font,
    LineBreakMode mode, TextAlignment alignment, bool singleLine) {
    return graphics::TextLayout::drawInContext(
        point, box, text, TTFontGlyphs(font), mode, alignment, singleLine);
}

Size sizeWithTTFont(std::string_view text, TTFont const& font) {
    return roundedUp(layoutAndDrawTTFontText(false, foundation::utf8ToUtf16(text), font,
        {FLT_MAX, FLT_MAX}, LineBreakMode::Clip, TextAlignment::Left, true));
}

Size sizeWithTTFont(std::string_view text, TTFont const& font, Size constrainedToSize) {
    return sizeWithTTFont(text, font, constrainedToSize, LineBreakMode::WordWrap);
}

Size sizeWithTTFont(
    std::string_view text, TTFont const& font, Size constrainedToSize, LineBreakMode mode) {
    return roundedUp(layoutAndDrawTTFontText(false, foundation::utf8ToUtf16(text), font,
        constrainedToSize, mode, TextAlignment::Left, false));
}

Size drawAtPoint(std::string_view text, Point point, TTFont const& font) {
    return drawAtPoint(text, point, FLT_MAX, font, LineBreakMode::Clip);
}

Size drawAtPoint(
    std::string_view text, Point point, float width, TTFont const& font, LineBreakMode mode) {
    return drawTTFontTextInContext(point, {width, font.leading()}, foundation::utf8ToUtf16(text),
        font, mode, TextAlignment::Left, true);
}

Size drawInRect(std::string_view text, Rect const& rect, TTFont const& font) {
    return drawInRect(text, rect, font, LineBreakMode::WordWrap);
}

Size drawInRect(std::string_view text, Rect const& rect, TTFont const& font, LineBreakMode mode) {
    return drawInRect(text, rect, font, mode, TextAlignment::Left);
}

Size drawInRect(std::string_view text, Rect const& rect, TTFont const& font, LineBreakMode mode,
    TextAlignment alignment) {
    return drawTTFontTextInContext(
        rect.origin, rect.size, foundation::utf8ToUtf16(text), font, mode, alignment, false);
}

Size sizeWithCGFont(std::string_view text, graphics::FontFace& font, float pointSize) {
    return sizeWithTTFont(
        text, *TTFont::fontWithCGFont(base::Ref<graphics::FontFace>(&font), pointSize));
}

Size sizeWithCGFont(
    std::string_view text, graphics::FontFace& font, float pointSize, Size constrainedToSize) {
    return sizeWithTTFont(text,
        *TTFont::fontWithCGFont(base::Ref<graphics::FontFace>(&font), pointSize),
        constrainedToSize);
}

Size sizeWithCGFont(std::string_view text, graphics::FontFace& font, float pointSize,
    Size constrainedToSize, LineBreakMode mode) {
    return sizeWithTTFont(text,
        *TTFont::fontWithCGFont(base::Ref<graphics::FontFace>(&font), pointSize), constrainedToSize,
        mode);
}

Size drawAtPoint(std::string_view text, Point point, graphics::FontFace& font, float pointSize) {
    return drawAtPoint(
        text, point, *TTFont::fontWithCGFont(base::Ref<graphics::FontFace>(&font), pointSize));
}

Size drawInRect(
    std::string_view text, Rect const& rect, graphics::FontFace& font, float pointSize) {
    return drawInRect(
        text, rect, *TTFont::fontWithCGFont(base::Ref<graphics::FontFace>(&font), pointSize));
}

Size drawInRect(std::string_view text, Rect const& rect, graphics::FontFace& font, float pointSize,
    LineBreakMode mode) {
    return drawInRect(
        text, rect, *TTFont::fontWithCGFont(base::Ref<graphics::FontFace>(&font), pointSize), mode);
}

Size drawInRect(std::string_view text, Rect const& rect, graphics::FontFace& font, float pointSize,
    LineBreakMode mode, TextAlignment alignment) {
    return drawInRect(text, rect,
        *TTFont::fontWithCGFont(base::Ref<graphics::FontFace>(&font), pointSize), mode, alignment);
}

}
