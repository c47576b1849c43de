#include <ttf/TTFLabel.hpp>

#include <graphics/BitmapContext.hpp>
#include <graphics/StringDrawing.hpp>
#include <ttf/FontManager.hpp>
#include <ttf/TTFLabelStringDrawing.hpp>

#include <algorithm>
#include <cmath>

namespace ttf {

namespace {

// The platform label's default font.
constexpr float defaultFontSize = 17;

float alignedOffset(graphics::TextAlignment alignment, float room) {
    switch (alignment) {
    case graphics::TextAlignment::Right:
        return room;
    case graphics::TextAlignment::Center:
        return room / 2;
    default:
        return 0;
    }
}

}

base::Ref<TTFLabel> TTFLabel::labelWithFrame(
    graphics::Rect frame, std::string const& fontName, float pointSize) {
    return labelWithFrame(frame, FontManager::sharedManager().ttFontWithName(fontName, pointSize));
}

base::Ref<TTFLabel> TTFLabel::labelWithFrame(graphics::Rect frame, base::Ref<TTFont> ttFont) {
    auto label = base::make<TTFLabel>(frame);
    label->setTTFont(std::move(ttFont));
    return label;
}

base::Ref<TTFLabel> TTFLabel::labelWithFrame(
    graphics::Rect frame, base::Ref<graphics::FontFace> font, float pointSize) {
    return labelWithFrame(
        frame, font ? TTFont::fontWithCGFont(std::move(font), pointSize) : nullptr);
}

TTFLabel::TTFLabel(graphics::Rect frame)
    : frame_(frame)
    , font_(graphics::Font::systemFontOfSize(defaultFontSize)) {
}

graphics::FontFace* TTFLabel::cgFont() const {
    return ttFont_ ? ttFont_->cgFont() : nullptr;
}

void TTFLabel::setCGFont(base::Ref<graphics::FontFace> font) {
    if (!font || font.get() == cgFont())
        return;
    ttFont_ = TTFont::fontWithCGFont(std::move(font), pointSize());
}

float TTFLabel::pointSize() const {
    if (ttFont_)
        return ttFont_->pointSize();
    return font_ ? font_->pointSize() : defaultFontSize;
}

void TTFLabel::setPointSize(float pointSize) {
    if (ttFont_ && pointSize != ttFont_->pointSize())
        ttFont_ = ttFont_->fontWithSize(pointSize);
}

void TTFLabel::drawTextInRect(graphics::Rect rect) const {
    auto* context = graphics::BitmapContext::currentContext();
    if (text_.empty() || !context)
        return;
    context->setRGBFillColor(
        textColor_.r / 255.0f, textColor_.g / 255.0f, textColor_.b / 255.0f, textColor_.a / 255.0f);
    if (!ttFont_) {
        drawWithPlatformFont(rect);
        return;
    }
    float x = rect.origin.x, y = rect.origin.y, w = rect.size.width, h = rect.size.height;
    if (numberOfLines_ == 1) {
        base::Ref<TTFont> font = ttFont_;
        y += std::round((h - font->leading()) / 2);
        Size size = sizeWithTTFont(text_, *font);
        if (adjustsFontSizeToFitWidth_ && minimumFontSize_ < font->pointSize() && size.width > w) {
            float shrunk = std::max({font->pointSize() * w / size.width, minimumFontSize_, 1.0f});
            base::Ref<TTFont> smaller = font->fontWithSize(shrunk);
            size = sizeWithTTFont(text_, *smaller);
            if (baselineAdjustment_ == 0)
                y += font->ascender() - smaller->ascender();
            else if (baselineAdjustment_ == 1)
                y += std::round((font->leading() - size.height) / 2);
            font = smaller;
        }
        float drawnWidth = std::min(size.width, w);
        x += alignedOffset(textAlignment_, w - drawnWidth);
        drawAtPoint(text_, {x, y}, drawnWidth, *font, lineBreakMode_);
        return;
    }
    float limit = h;
    if (numberOfLines_ >= 1)
        limit = std::min(limit, float(numberOfLines_) * ttFont_->leading());
    Size size = sizeWithTTFont(text_, *ttFont_, {w, limit}, lineBreakMode_);
    y += std::round((h - size.height) / 2);
    drawInRect(text_, {{x, y}, {w, size.height}}, *ttFont_, lineBreakMode_, textAlignment_);
}

void TTFLabel::drawWithPlatformFont(graphics::Rect rect) const {
    if (!font_)
        return;
    float x = rect.origin.x, y = rect.origin.y, w = rect.size.width, h = rect.size.height;
    if (numberOfLines_ == 1) {
        y += std::round((h - font_->lineHeight()) / 2);
        float drawnWidth = std::min(graphics::sizeWithFont(text_, *font_).width, w);
        x += alignedOffset(textAlignment_, w - drawnWidth);
        graphics::drawAtPoint(text_, {x, y}, drawnWidth, *font_, lineBreakMode_);
        return;
    }
    float limit = h;
    if (numberOfLines_ >= 1)
        limit = std::min(limit, float(numberOfLines_) * font_->lineHeight());
    Size size = graphics::sizeWithFont(text_, *font_, {w, limit}, lineBreakMode_);
    y += std::round((h - size.height) / 2);
    graphics::drawInRect(text_, {{x, y}, {w, size.height}}, *font_, lineBreakMode_, textAlignment_);
}

graphics::Rect TTFLabel::textRectForBounds(graphics::Rect bounds, int numberOfLines) const {
    Size size;
    if (numberOfLines == 1) {
        Size text = ttFont_ ? sizeWithTTFont(text_, *ttFont_)
                            : (font_ ? graphics::sizeWithFont(text_, *font_) : Size {});
        size = {std::min(bounds.size.width, text.width), std::min(bounds.size.height, text.height)};
    } else {
        Size box = bounds.size;
        float leading = ttFont_ ? ttFont_->leading() : (font_ ? font_->lineHeight() : 0);
        if (numberOfLines > 0)
            box.height = std::min(box.height, float(numberOfLines) * leading);
        if (ttFont_)
            size = sizeWithTTFont(text_, *ttFont_, box, lineBreakMode_);
        else if (font_)
            size = graphics::sizeWithFont(text_, *font_, box, lineBreakMode_);
    }
    return {bounds.origin, size};
}

}
