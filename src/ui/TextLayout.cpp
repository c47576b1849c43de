#include <foundation/Strings.hpp>
#include <graphics/StringDrawing.hpp>
#include <ui/GraphicsContext.hpp>
#include <ui/TextLayout.hpp>

#include <cfloat>
#include <cmath>

namespace ui {

namespace {

// A platform font as the layout sees it: characters through the font's Unicode map, a
// surrogate pair as one character.
class Glyphs final : public graphics::GlyphSource {
public:
    explicit Glyphs(graphics::Font const& font)
        : font_(font) { }

    void mapCharacters(std::u16string_view units, std::vector<graphics::GlyphId>& glyphs,
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

    bool glyphAdvances(
        std::span<graphics::GlyphId const> glyphs, std::span<float> advances) const override {
        std::vector<int> units(glyphs.size());
        font_.face().glyphAdvances(glyphs, units);
        for (std::size_t i = 0; i < glyphs.size() && i < advances.size(); ++i)
            advances[i] = float(units[i]) * font_.scale();
        return true;
    }

    float leading() const override { return font_.lineHeight(); }
    float ascender() const override { return font_.ascender(); }
    graphics::FontFace* face() const override { return &font_.face(); }
    float pointSize() const override { return font_.pointSize(); }

private:
    graphics::Font const& font_;
};

}

TextLayout TextLayout::layout(std::string_view text, graphics::Font const* font, float width,
    LineBreakMode mode, TextAlignment alignment, int maxLines, float maxHeight) {
    TextLayout result;
    if (!font)
        return result;
    result.font_ = base::Ref<graphics::Font const>(font);
    graphics::Size box {width > 0 ? width : FLT_MAX, maxHeight > 0 ? maxHeight : FLT_MAX};
    if (maxLines > 0)
        box.height = std::fmin(box.height, float(maxLines) * font->lineHeight());
    // Without a width, lines are not aligned against anything.
    auto align = width > 0 ? alignment : TextAlignment::Left;
    result.size_ = graphics::TextLayout::layout(foundation::utf8ToUtf16(text), Glyphs(*font), box,
        mode, align, maxLines == 1,
        [&](graphics::TextLayout::Line const& line) { result.lines_.push_back(line); });
    return result;
}

std::string TextLayout::lineText(std::size_t i) const {
    return i < lines_.size() ? foundation::utf16ToUtf8(lines_[i].text) : std::string();
}

void TextLayout::draw(GraphicsContext& context, graphics::Point origin) const {
    if (!font_)
        return;
    for (auto const& line : lines_)
        context.showGlyphs(*font_, line.glyphs, line.positions, origin);
}

}
