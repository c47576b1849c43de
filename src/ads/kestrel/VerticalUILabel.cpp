#include <ads/kestrel/VerticalUILabel.hpp>

namespace ads::kestrel {

VerticalUILabel::VerticalUILabel(graphics::Rect frame)
    : ui::Label(frame) {
}

base::Ref<VerticalUILabel> VerticalUILabel::create(graphics::Rect frame) {
    return base::make<VerticalUILabel>(frame);
}

void VerticalUILabel::setVerticalAlignment(int alignment) {
    verticalAlignment_ = alignment;
    setNeedsDisplay();
}

graphics::Rect VerticalUILabel::textRectForBounds(graphics::Rect bounds, int numberOfLines) const {
    auto rect = ui::Label::textRectForBounds(bounds, numberOfLines);
    switch (verticalAlignment_) {
    case alignTop:
        rect.origin.y = bounds.origin.y;
        break;
    case alignBottom:
        rect.origin.y = bounds.origin.y + bounds.size.height - rect.size.height;
        break;
    default:
        rect.origin.y = bounds.origin.y + (bounds.size.height - rect.size.height) / 2.0f;
        break;
    }
    return rect;
}

void VerticalUILabel::drawTextInRect(ui::GraphicsContext& context, graphics::Rect rect) {
    ui::Label::drawTextInRect(context, textRectForBounds(rect, numberOfLines()));
}

}
