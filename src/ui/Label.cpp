#include <graphics/StringDrawing.hpp>
#include <ui/GraphicsContext.hpp>
#include <ui/Label.hpp>

#include <cfloat>
#include <cmath>

namespace ui {

namespace {

// The smallest size a label shrinks to when no minimum is set.
constexpr float smallestFontSize = 4;

}

base::Ref<Label> Label::create(graphics::Rect frame) {
    return base::make<Label>(frame);
}

Label::Label(graphics::Rect frame)
    : View(frame)
    , font_(graphics::Font::systemFontOfSize(17)) {
    setUserInteractionEnabled(false);
    setBackgroundColor(Color::whiteColor());
    setContentMode(ContentMode::Redraw);
}

void Label::setText(std::string text) {
    if (text != text_) {
        text_ = std::move(text);
        setNeedsDisplay();
    }
}

void Label::setFont(base::Ref<graphics::Font> font) {
    font_ = font ? std::move(font) : graphics::Font::systemFontOfSize(17);
    setNeedsDisplay();
}

void Label::setTextColor(Color color) {
    textColor_ = color;
    setNeedsDisplay();
}

void Label::setHighlightedTextColor(Color color) {
    highlightedTextColor_ = color;
    setNeedsDisplay();
}

void Label::setHighlighted(bool highlighted) {
    if (highlighted != highlighted_) {
        highlighted_ = highlighted;
        setNeedsDisplay();
    }
}

void Label::setEnabled(bool enabled) {
    if (enabled != enabled_) {
        enabled_ = enabled;
        setNeedsDisplay();
    }
}

void Label::setTextAlignment(TextAlignment alignment) {
    alignment_ = alignment;
    setNeedsDisplay();
}

void Label::setNumberOfLines(int lines) {
    numberOfLines_ = lines < 0 ? 0 : lines;
    setNeedsDisplay();
}

void Label::setLineBreakMode(LineBreakMode mode) {
    lineBreakMode_ = mode;
    setNeedsDisplay();
}

void Label::setAdjustsFontSizeToFitWidth(bool adjusts) {
    adjustsFontSizeToFitWidth_ = adjusts;
    setNeedsDisplay();
}

void Label::setMinimumFontSize(float size) {
    minimumFontSize_ = size < 0 ? 0 : size;
    setNeedsDisplay();
}

void Label::setShadowColor(Color color) {
    shadowColor_ = color;
    setNeedsDisplay();
}

void Label::setShadowOffset(graphics::Size offset) {
    shadowOffset_ = offset;
    setNeedsDisplay();
}

base::Ref<graphics::Font> Label::fontForWidth(float width) const {
    if (!font_ || !adjustsFontSizeToFitWidth_ || numberOfLines_ != 1 || width <= 0 || text_.empty())
        return font_;
    float floor = minimumFontSize_ > 0 ? minimumFontSize_ : smallestFontSize;
    if (font_->pointSize() <= floor)
        return font_;
    float full = graphics::sizeWithFont(text_, *font_).width;
    if (full <= width)
        return font_;
    // Start near the size that fits, then step down until the line fits.
    float size = std::fmax(floor, std::floor(font_->pointSize() * width / full * 2) / 2);
    auto font = font_->fontWithSize(size);
    while (font && size > floor && graphics::sizeWithFont(text_, *font).width > width) {
        size = std::fmax(floor, size - 0.5f);
        font = font_->fontWithSize(size);
    }
    return font ? font : font_;
}

TextLayout Label::layoutForRect(graphics::Rect rect) const {
    return TextLayout::layout(text_, fontForWidth(rect.size.width).get(), rect.size.width,
        lineBreakMode_, alignment_, numberOfLines_, rect.size.height);
}

graphics::Rect Label::textRectForBounds(graphics::Rect bounds, int numberOfLines) const {
    auto layout = TextLayout::layout(text_, fontForWidth(bounds.size.width).get(),
        bounds.size.width, lineBreakMode_, TextAlignment::Left, numberOfLines, bounds.size.height);
    auto size = layout.size();
    size.width = std::fmin(size.width, bounds.size.width);
    return {{bounds.origin.x, bounds.origin.y + (bounds.size.height - size.height) / 2}, size};
}

void Label::drawTextInRect(GraphicsContext& context, graphics::Rect rect) {
    if (text_.empty())
        return;
    auto layout = layoutForRect(rect);
    Color color = textColor_;
    if (highlighted_ && !highlightedTextColor_.isClear())
        color = highlightedTextColor_;
    if (!enabled_)
        color = Color::colorWithWhite(0.56f, color.alpha());
    context.saveGState();
    if (!shadowColor_.isClear())
        context.setShadow(shadowOffset_, 0, shadowColor_);
    context.setFillColor(color);
    layout.draw(
        context, {rect.origin.x, rect.origin.y + (rect.size.height - layout.size().height) / 2});
    context.restoreGState();
}

graphics::Size Label::sizeThatFits(graphics::Size size) const {
    if (text_.empty() || !font_)
        return {0, 0};
    // A single line is measured whole; more lines wrap within the width given.
    if (numberOfLines_ == 1)
        return graphics::sizeWithFont(text_, *font_);
    graphics::Size box {size.width > 0 ? size.width : FLT_MAX,
        numberOfLines_ > 0 ? float(numberOfLines_) * font_->lineHeight() : FLT_MAX};
    return graphics::sizeWithFont(text_, *font_, box, lineBreakMode_);
}

void Label::drawRect(GraphicsContext& context, graphics::Rect) {
    drawTextInRect(context, bounds());
}

}
