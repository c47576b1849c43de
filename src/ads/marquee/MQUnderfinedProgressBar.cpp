#include <ads/marquee/MQUnderfinedProgressBar.hpp>

#include <ui/GraphicsContext.hpp>

namespace ads::marquee {

base::Ref<MQUnderfinedProgressBar> MQUnderfinedProgressBar::initWithFrame(graphics::Rect frame) {
    return base::make<MQUnderfinedProgressBar>(frame);
}

MQUnderfinedProgressBar::MQUnderfinedProgressBar(graphics::Rect frame)
    : View(frame) {
    setOpaque(false);
    setBackgroundColor(ui::Color::clearColor());
    // The timer holds only a plain pointer: the destructor invalidates it first.
    timer_ = foundation::Timer::scheduledTimer(
        1.0 / 60, [this](foundation::Timer&) { step(); }, true);
}

MQUnderfinedProgressBar::~MQUnderfinedProgressBar() {
    timer_->invalidate();
}

void MQUnderfinedProgressBar::step() {
    offset_ += 1;
    float inner = bounds().size.height - 9;
    if (offset_ > inner)
        offset_ -= 2 * inner;
    setNeedsDisplay();
}

void MQUnderfinedProgressBar::drawRect(ui::GraphicsContext& context, graphics::Rect) {
    auto bounds = this->bounds();
    context.clearRect(bounds);
    context.setFillColor(ui::Color::whiteColor());
    context.setStrokeColor(ui::Color::whiteColor());
    graphics::Rect outline {{bounds.origin.x + 1.5f, bounds.origin.y + 1.5f},
        {bounds.size.width - 3, bounds.size.height - 3}};
    context.setLineWidth(3);
    context.strokeRoundedRect(outline, outline.size.height / 2);
    graphics::Rect inner {{outline.origin.x + 3, outline.origin.y + 3},
        {outline.size.width - 6, outline.size.height - 6}};
    float h = inner.size.height;
    if (h <= 0 || inner.size.width <= 0)
        return;
    context.saveGState();
    context.beginPath();
    context.addRoundedRect(inner, h / 2);
    context.clip();
    for (float x = offset_ - h; x < inner.size.width + h; x += 2 * h) {
        float left = inner.origin.x + x;
        float top = inner.origin.y;
        context.beginPath();
        context.moveToPoint(left, top + h);
        context.addLineToPoint(left + h, top + h);
        context.addLineToPoint(left + 2 * h, top);
        context.addLineToPoint(left + h, top);
        context.closePath();
        context.fillPath();
    }
    context.restoreGState();
}

}
