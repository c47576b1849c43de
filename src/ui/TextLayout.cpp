#include <foundation/Strings.hpp>
#include <graphics/StringDrawing.hpp>
#include <ui/GraphicsContext.hpp>
#include <ui/TextLayout.hpp>

#include <cfloat>
#include <cmath>

namespace ui {

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
    result.size_ = graphics::TextLayout::layout(foundation::utf8ToUtf16(text),
        graphics::FontGlyphs(*font), box, mode, align, maxLines == 1,
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
