#include <ads/marquee/MQDefaultBackgroundView.hpp>

#include <ui/GraphicsContext.hpp>

#include <cmath>

namespace ads::marquee {

base::Ref<MQDefaultBackgroundView> MQDefaultBackgroundView::initWithFrame(graphics::Rect frame) {
    return base::make<MQDefaultBackgroundView>(frame);
}

MQDefaultBackgroundView::MQDefaultBackgroundView(graphics::Rect frame)
    : View(frame) {
    setOpaque(false);
    setBackgroundColor(ui::Color::clearColor());
}

void MQDefaultBackgroundView::setGradientReversed(bool reversed) {
    gradientReversed_ = reversed;
    setNeedsDisplay();
}

// Behind a page the centre is lighter (0.4) than the rim (0.6); behind the loading
// view both are dark, the centre darkest (0.9 to 0.8).
void MQDefaultBackgroundView::drawRect(ui::GraphicsContext& context, graphics::Rect rect) {
    float halfWidth = rect.size.width / 2;
    float halfHeight = rect.size.height / 2;
    float radius = std::sqrt(halfWidth * halfWidth + halfHeight * halfHeight);
    float centre = gradientReversed_ ? 0.9f : 0.4f;
    float rim = gradientReversed_ ? 0.8f : 0.6f;
    context.drawRadialGradient({halfWidth, halfHeight}, 0, ui::Color::colorWithWhite(0, centre),
        radius, ui::Color::colorWithWhite(0, rim));
}

}
